// A suite's scripts, shards, time limits and report, without running anything.
#include "host/Suite.h"
#include "common/TextConv.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <set>

using host::SuiteOutcome;
using host::SuiteResult;
using host::SuiteScript;

namespace {

class SuiteFolder : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"tevrin_suite_unit_" +
               common::AnsiToWide(::testing::UnitTest::GetInstance()->current_test_info()->name()) + L"\\";
        ::CreateDirectoryW(dir_.c_str(), nullptr);
    }
    std::wstring Write(const std::wstring& name, const std::string& text = "x = 1\r\n") {
        const std::wstring path = dir_ + name;
        for (size_t slash = path.find(L'\\', dir_.size()); slash != std::wstring::npos;
             slash = path.find(L'\\', slash + 1))
            ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        FILE* file = _wfopen(path.c_str(), L"wb");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        return path;
    }
    std::vector<std::wstring> Names(const std::vector<SuiteScript>& scripts) {
        std::vector<std::wstring> names;
        for (const auto& script : scripts) names.push_back(script.name);
        return names;
    }
    std::wstring dir_;
};

} // namespace

TEST_F(SuiteFolder, HoldsItsScriptsAtAnyDepthInPathOrderWithoutSharedFiles) {
    Write(L"B.vbs");
    Write(L"a.js");
    Write(L"sub\\c.vbs");
    Write(L"_lib\\helper.vbs");
    Write(L"_draft.vbs");
    Write(L"notes.txt");
    std::vector<SuiteScript> scripts;
    std::wstring error;
    ASSERT_TRUE(host::CollectSuite(dir_, scripts, error)) << common::WideToAnsi(error);
    EXPECT_EQ(Names(scripts), (std::vector<std::wstring>{L"a.js", L"B.vbs", L"sub\\c.vbs"}));
    EXPECT_EQ(scripts[2].path, dir_ + L"sub\\c.vbs");
}

TEST_F(SuiteFolder, AListNamesScriptsRelativeToItselfAndKeepsMissingOnesWithTheirLine) {
    Write(L"b.vbs");
    Write(L"sub\\c.vbs");
    const std::wstring list = Write(L"nightly.txt", "# nightly\r\n\r\n  b.vbs \r\nmissing.vbs\r\nsub\\c.vbs\r\n");
    std::vector<SuiteScript> scripts;
    std::wstring error;
    ASSERT_TRUE(host::CollectSuite(list, scripts, error));
    EXPECT_EQ(Names(scripts), (std::vector<std::wstring>{L"b.vbs", L"missing.vbs", L"sub\\c.vbs"}));
    EXPECT_TRUE(scripts[0].problem.empty());
    EXPECT_NE(scripts[1].problem.find(L"Cannot find"), std::wstring::npos);
    EXPECT_NE(scripts[1].problem.find(L"line 4"), std::wstring::npos);
}

TEST_F(SuiteFolder, NothingToRunIsAnError) {
    std::vector<SuiteScript> scripts;
    std::wstring error;
    Write(L"readme.txt");
    EXPECT_FALSE(host::CollectSuite(dir_, scripts, error));
    EXPECT_NE(error.find(L"holds no"), std::wstring::npos);
    EXPECT_FALSE(host::CollectSuite(dir_ + L"nowhere", scripts, error));
    EXPECT_NE(error.find(L"Cannot find the suite"), std::wstring::npos);
    EXPECT_FALSE(host::CollectSuite(Write(L"empty.txt", "# nothing\r\n"), scripts, error));
}

TEST(SuiteShards, EveryScriptIsInExactlyOneShard) {
    std::vector<SuiteScript> all;
    for (int i = 0; i < 10; ++i) all.push_back({L"p" + std::to_wstring(i), L"s" + std::to_wstring(i), L""});
    std::multiset<std::wstring> seen;
    for (int shard = 1; shard <= 3; ++shard) {
        const auto slice = host::ShardOf(all, shard, 3);
        EXPECT_GE(slice.size(), 3u);
        for (const auto& script : slice) seen.insert(script.name);
    }
    EXPECT_EQ(seen.size(), 10u);
    EXPECT_EQ(std::set<std::wstring>(seen.begin(), seen.end()).size(), 10u);
    EXPECT_EQ(host::ShardOf(all, 5, 20).size(), 1u);
    EXPECT_TRUE(host::ShardOf(all, 15, 20).empty());

    int index = 0, count = 0;
    EXPECT_TRUE(host::ParseShard(L"2/3", &index, &count));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(count, 3);
    for (const wchar_t* bad : {L"4/3", L"0/3", L"1/0", L"a/b", L"1/2x", L"3", L""})
        EXPECT_FALSE(host::ParseShard(bad, &index, &count)) << common::WideToAnsi(bad);
}

TEST(SuiteScriptText, TimeoutLinesAndTheFirstErrorRecord) {
    EXPECT_EQ(host::ScriptTimeoutSeconds(L"#timeout 120\nx = 1\n"), 120u);
    EXPECT_EQ(host::ScriptTimeoutSeconds(L"x = 1\n  # timeout\t5\n#timeout 7\n"), 7u);
    EXPECT_EQ(host::ScriptTimeoutSeconds(L"#timeoutx 5\n' #timeout 9 in a comment\n"), 0u);

    const std::wstring output = L"Info: c:\\t\\a.vbs (1): fine\nWarning: c:\\t\\a.vbs (2): careful\n"
                                L"Fatal Error: c:\\t\\a.vbs (3): Type mismatch\nError: later\n";
    EXPECT_EQ(host::FirstErrorRecord(output), L"c:\\t\\a.vbs (3): Type mismatch");
    EXPECT_EQ(host::FirstErrorRecord(L"Info: Script ended with no errors.\n"), L"");
}

TEST(SuiteReport, CountsOutcomesAndEscapesWhatScriptsWrote) {
    std::vector<SuiteResult> results(3);
    results[0].script = {L"c:\\s\\ok.vbs", L"ok.vbs", L""};
    results[0].outcome = SuiteOutcome::Passed;
    results[0].output = L"Info: fine\n";
    results[1].script = {L"c:\\s\\sub\\bad.vbs", L"sub\\bad.vbs", L""};
    results[1].outcome = SuiteOutcome::Failed;
    results[1].message = L"bad.vbs (2): a < b & \"c\"";
    results[1].output = std::wstring(L"Error: bad\x01 text\n");
    results[1].screenshot = L"c:\\shots\\sub_bad.vbs.bmp";
    results[2].script = {L"c:\\s\\gone.vbs", L"gone.vbs", L"Cannot find it"};
    results[2].outcome = SuiteOutcome::Error;
    results[2].message = L"Cannot find it";
    const std::string xml = host::JUnitReport(L"nightly", results, {{L"tevrin.version", L"1.2.3"}});

    EXPECT_NE(xml.find("<testsuite name=\"nightly\" tests=\"3\" failures=\"1\" errors=\"1\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("<property name=\"tevrin.version\" value=\"1.2.3\"/>"), std::string::npos);
    EXPECT_NE(xml.find("classname=\"nightly.sub\""), std::string::npos);
    EXPECT_NE(xml.find("message=\"bad.vbs (2): a &lt; b &amp; &quot;c&quot;\" type=\"Error\""), std::string::npos);
    EXPECT_NE(xml.find("<error message=\"Cannot find it\""), std::string::npos);
    EXPECT_NE(xml.find("[[ATTACHMENT|c:\\shots\\sub_bad.vbs.bmp]]"), std::string::npos);
    // XML 1.0 cannot carry most control characters: they are dropped, not written.
    EXPECT_EQ(xml.find('\x01'), std::string::npos);
    EXPECT_NE(xml.find("Error: bad text"), std::string::npos);
}
