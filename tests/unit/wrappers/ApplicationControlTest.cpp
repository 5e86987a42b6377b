#include "wrappers/core/ApplicationControl.h"
#include "common/ComError.h"
#include <gtest/gtest.h>

using wrappers::workingFolderOf;

TEST(ApplicationControl, WorkingFolderIsDriveAndFolderOfTheCommandLine) {
    EXPECT_EQ(workingFolderOf("C:\\Tools\\app.exe /x"), "C:\\Tools\\");
    EXPECT_EQ(workingFolderOf("C:\\app.exe"), "C:\\");
    // Arguments, with slashes or backslashes, never become part of the folder.
    EXPECT_EQ(workingFolderOf("C:\\Tools\\app.exe D:\\data\\file.txt"), "C:\\Tools\\");
    EXPECT_EQ(workingFolderOf("\"C:\\Program Files\\Tool\\app.exe\" /x"), "C:\\Program Files\\Tool\\");
}

TEST(ApplicationControl, MissingProgramIsReportedWithItsCommandLine) {
    try {
        wrappers::launchApplication(L"C:\\no\\such\\program.exe /x", L"", L"", false);
        FAIL() << "no error";
    } catch (const common::ComError& e) {
        EXPECT_EQ(e.hr(), E_FAIL);
        EXPECT_EQ(e.message(), L"Cannot run command line 'C:\\no\\such\\program.exe /x'");
    }
    EXPECT_THROW(wrappers::launchApplication(L"", L"", L"", true), common::ComError);
}
