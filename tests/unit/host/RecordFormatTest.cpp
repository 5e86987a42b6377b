#include "host/ConsoleApplication.h"
#include "host/RecordKind.h"
#include "host/ScriptHost.h"
#include "host/ScriptSite.h"
#include <vector>
#include <gtest/gtest.h>

TEST(RecordFormat, ConsoleLinesWithAndWithoutPosition) {
    EXPECT_EQ(host::FormatConsoleRecord(host::RecordKind::Info, L"Script started.", "", -1), L"Info: Script started.");
    EXPECT_EQ(host::FormatConsoleRecord(host::RecordKind::Error, L"bad", "c:\\t\\main.vbs", 7),
              L"Error: c:\\t\\main.vbs (7): bad");
    EXPECT_EQ(host::FormatConsoleRecord(host::RecordKind::FatalError, L"", "c:\\a.vbs", 1), L"Fatal Error: c:\\a.vbs (1): ");
}

TEST(RecordFormat, ErrorCountingKinds) {
    EXPECT_FALSE(host::CountsAsError(host::RecordKind::Info));
    EXPECT_FALSE(host::CountsAsError(host::RecordKind::Warning));
    EXPECT_TRUE(host::CountsAsError(host::RecordKind::Error));
    EXPECT_TRUE(host::CountsAsError(host::RecordKind::FatalError));
}

TEST(RecordFormat, ErrorReportKeepsTheEnginesCharacterPositionAndIsBounded) {
    EXPECT_EQ(host::FormatErrorReport(L"c:\\t\\inc.vbs", 3, 0, L"StepScript", L"Syntax error", L"x = = 1"),
              L"In c:\\t\\inc.vbs (line 3 char 0)\nStepScript: Syntax error\n\nx = = 1");
    std::wstring longLine(20000, L'x');
    EXPECT_EQ(host::FormatErrorReport(L"f", 1, 2, L"s", L"d", longLine).size(), 16383u);
}

namespace {

// A log sink that only keeps what reaches it.
class RecordingApplication : public host::HostApplication {
public:
    void LogRecord(host::RecordKind kind, const std::wstring& text) override { records.push_back({kind, text}); }
    void ShowPosition(const std::string&, int, bool) override {}
    void RefreshDebugPanes() override {}
    void UpdateScriptViews(int) override {}
    bool AskYesNo(const std::wstring&) override { return false; }
    void ShowMessage(const std::wstring&) override {}
    void SetWaitCursor(bool) override {}
    std::vector<std::pair<host::RecordKind, std::wstring>> records;
};

} // namespace

TEST(RecordFormat, TheHostCountsErrorsOnceAndHandsEveryRecordToTheSink) {
    host::ScriptHost scriptHost;
    RecordingApplication application;
    scriptHost.setApplication(&application);
    scriptHost.Log(host::RecordKind::Info, L"i");
    scriptHost.Log(host::RecordKind::Error, L"e");
    scriptHost.Log(host::RecordKind::Warning, L"w");
    scriptHost.Log(host::RecordKind::FatalError, L"f");
    EXPECT_EQ(2u, scriptHost.errorCount());
    ASSERT_EQ(4u, application.records.size());
    EXPECT_EQ(host::RecordKind::FatalError, application.records[3].first);
    EXPECT_EQ(L"w", application.records[2].second);

    // Without a sink the errors still count: a console run's exit code depends on them.
    scriptHost.setApplication(nullptr);
    scriptHost.Log(host::RecordKind::Error, L"lost");
    EXPECT_EQ(3u, scriptHost.errorCount());
}
