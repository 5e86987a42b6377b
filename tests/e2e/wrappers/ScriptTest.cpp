// The library as a VBScript test script uses it, run by the prefix's cscript.exe.
#include "AutomationClient.h"
#include "ProcessRunner.h"
#include <gtest/gtest.h>

namespace {

std::string runScript(const wchar_t* script, const std::wstring& arguments, DWORD* exitCode) {
    e2e::ProcessRunner cscript;
    std::wstring command = L"cscript.exe //nologo \"" + std::wstring(TEVRIN_SOURCE_DIR) +
                           L"\\tests\\e2e\\wrappers\\scripts\\" + script + L"\" " + arguments;
    if (!cscript.start(command)) return "cscript did not start";
    if (!cscript.wait(120000)) return "cscript did not finish";
    *exitCode = cscript.exitCode();
    return cscript.output() + cscript.errors();
}

} // namespace

TEST(VBScript, DrivesTheControlsApplication) {
    DWORD code = 1;
    std::wstring bin = TEVRIN_BIN_DIR;
    std::string output = runScript(L"controls.vbs", L"\"" + bin + L"\\controls.exe\"", &code);
    EXPECT_EQ(code, 0u) << output;
    for (const char* expected : {
             "title=Script Controls",
             "button1=Tri-state",
             "missing=Cannot find window index 7 of class Button|Runtime Error",
             "regex=Cannot find window with title '\\Na.*e' of class Static",
             "badregex=-2147418113",
             "exists=False",
             "edit=from vbscript",
             "check=True",
             "async=False",
             "modal=Modal Dialog",
             "status=modal closed",
             "wait0=Nothing",
             "item=Cannot find dialog item id=4242",
             "exitcode=5",
             "released=0",
         })
        EXPECT_NE(output.find(expected), std::string::npos) << "missing " << expected << " in\n" << output;
}

TEST(VBScript, NotepadExampleTypesAndReadsBack) {
    DWORD code = 1;
    e2e::ProcessRunner cscript;
    std::wstring command = L"cscript.exe //nologo \"" + std::wstring(TEVRIN_SOURCE_DIR) + L"\\examples\\notepad.vbs\"";
    ASSERT_TRUE(cscript.start(command));
    ASSERT_TRUE(cscript.wait(120000));
    code = cscript.exitCode();
    std::string output = cscript.output() + cscript.errors();
    EXPECT_EQ(code, 0u) << output;
    EXPECT_NE(output.find("Notepad read back: Hello from Tevrin"), std::string::npos) << output;
}
