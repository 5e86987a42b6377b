#include "host/CommandLine.h"
#include <gtest/gtest.h>

using host::ParseCommandLine;
using host::SplitArguments;

TEST(CommandLine, NoArgumentsMeansInteractive) {
    auto args = ParseCommandLine({});
    EXPECT_FALSE(args.automation);
    EXPECT_TRUE(args.fileName.empty());
}

TEST(CommandLine, ComRuntimeSwitchesInAnyCaseAndPrefix) {
    for (const wchar_t* sw : {L"/Embedding", L"-embedding", L"/AUTOMATION", L"-Automation"}) {
        auto args = ParseCommandLine({sw});
        EXPECT_TRUE(args.automation) << sw;
        EXPECT_TRUE(args.fileName.empty()) << sw;
    }
    EXPECT_FALSE(ParseCommandLine({L"/Embed"}).automation);
}

TEST(CommandLine, VersionAndUnregisterAreSwitchesNotScripts) {
    auto version = ParseCommandLine({L"-VERSION"});
    EXPECT_TRUE(version.version);
    EXPECT_FALSE(version.unregister);
    EXPECT_TRUE(version.fileName.empty());
    auto unregister = ParseCommandLine({L"/Unregister"});
    EXPECT_TRUE(unregister.unregister);
    EXPECT_FALSE(unregister.version);
    EXPECT_FALSE(ParseCommandLine({L"version"}).version);
    auto child = ParseCommandLine({L"/noserver", L"c:\\t\\a.vbs"});
    EXPECT_TRUE(child.noServer);
    EXPECT_EQ(child.fileName, L"c:\\t\\a.vbs");
}

TEST(CommandLine, FirstNonSwitchIsTheScript) {
    auto args = ParseCommandLine({L"/unknown", L"C:\\Tests\\First.vbs", L"second.js"});
    EXPECT_FALSE(args.automation);
    EXPECT_EQ(args.fileName, L"C:\\Tests\\First.vbs");
}

TEST(CommandLine, SplitsQuotedPathsWithSpaces) {
    auto parts = SplitArguments(L"\"C:\\My Tests\\a b.vbs\" /Embedding");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0], L"C:\\My Tests\\a b.vbs");
    EXPECT_EQ(parts[1], L"/Embedding");
    EXPECT_TRUE(SplitArguments(L"").empty());
    EXPECT_TRUE(SplitArguments(nullptr).empty());
}
