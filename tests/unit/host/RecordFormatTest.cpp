#include "host/ConsoleApplication.h"
#include "host/RecordKind.h"
#include "host/ScriptSite.h"
#include <gtest/gtest.h>

TEST(RecordFormat, ConsoleLinesWithAndWithoutPosition) {
    EXPECT_EQ(host::FormatConsoleRecord(host::RecordInfo, L"Script started.", "", -1), L"Info: Script started.");
    EXPECT_EQ(host::FormatConsoleRecord(host::RecordError, L"bad", "c:\\t\\main.vbs", 7),
              L"Error: c:\\t\\main.vbs (7): bad");
    EXPECT_EQ(host::FormatConsoleRecord(host::RecordFatalError, L"", "c:\\a.vbs", 1), L"Fatal Error: c:\\a.vbs (1): ");
    EXPECT_EQ(host::FormatConsoleRecord(9, L"odd", "", -1), L": odd");
}

TEST(RecordFormat, ErrorCountingKinds) {
    EXPECT_FALSE(host::CountsAsError(host::RecordInfo));
    EXPECT_FALSE(host::CountsAsError(host::RecordWarning));
    EXPECT_TRUE(host::CountsAsError(host::RecordError));
    EXPECT_TRUE(host::CountsAsError(host::RecordFatalError));
}

TEST(RecordFormat, ErrorReportKeepsTheEnginesCharacterPositionAndIsBounded) {
    EXPECT_EQ(host::FormatErrorReport(L"c:\\t\\inc.vbs", 3, 0, L"StepScript", L"Syntax error", L"x = = 1"),
              L"In c:\\t\\inc.vbs (line 3 char 0)\nStepScript: Syntax error\n\nx = = 1");
    std::wstring longLine(20000, L'x');
    EXPECT_EQ(host::FormatErrorReport(L"f", 1, 2, L"s", L"d", longLine).size(), 16383u);
}
