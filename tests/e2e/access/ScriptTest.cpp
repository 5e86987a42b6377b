// The accessible, rich edit and HTML document members as a VBScript test script uses
// them, run by the prefix's cscript.exe against the accessible test application.
#include "AccAppSession.h"
#include <gtest/gtest.h>

TEST(AccessScript, DrivesAccessibleObjectsAndDocuments) {
    e2e::ProcessRunner cscript;
    const std::wstring command = L"cscript.exe //nologo \"" + std::wstring(TEVRIN_SOURCE_DIR) +
                                 L"\\tests\\e2e\\access\\scripts\\access.vbs\" \"" + e2e::BinPath(L"accapp.exe") + L"\"";
    ASSERT_TRUE(cscript.start(command));
    ASSERT_TRUE(cscript.wait(180000)) << "cscript did not finish";
    const std::string output = cscript.output() + cscript.errors();
    EXPECT_EQ(cscript.exitCode(), 0u) << output;
    for (const char* expected : {
             "cancel=Cancel",
             "second=Cancel",
             "third=Help",
             "exists=True,False",
             "alpha=True beta=False",
             "invisible=True",
             "tom=Script rich text",
             "before=loading",
             "after=Complete",
             "blank=Could not obtain an IHTMLDocument2 pointer|Runtime Error",
             "done",
         })
        EXPECT_NE(output.find(expected), std::string::npos) << "missing " << expected << " in\n" << output;
}
