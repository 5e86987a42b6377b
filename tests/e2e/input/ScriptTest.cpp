// The toolbar, menu, click and screenshot members from VBScript, run by the prefix's
// cscript.exe against the input application.
#include "AutomationClient.h"
#include "ProcessRunner.h"
#include <gtest/gtest.h>
#include <fstream>

namespace {

std::wstring tempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

std::string readAll(const std::wstring& path) {
    std::string content;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
    ::CloseHandle(file);
    return content;
}

} // namespace

TEST(InputVBScript, ToolbarMenusClicksAndScreenshot) {
    const std::wstring log = tempPath(L"tevrin-script-input.log");
    const std::wstring shot = tempPath(L"tevrin-script-shot.bmp");
    ::DeleteFileW(log.c_str());
    ::DeleteFileW(shot.c_str());
    e2e::ProcessRunner cscript;
    const std::wstring command = L"cscript.exe //nologo \"" + std::wstring(TEVRIN_SOURCE_DIR) +
                                 L"\\tests\\e2e\\input\\scripts\\inputapp.vbs\" \"" + e2e::BinPath(L"inputapp.exe") +
                                 L"\" \"" + log + L"\" \"" + shot + L"\"";
    ASSERT_TRUE(cscript.start(command));
    ASSERT_TRUE(cscript.wait(120000));
    const std::string output = cscript.output() + cscript.errors();
    EXPECT_EQ(cscript.exitCode(), 0u) << output;
    for (const char* expected : {"title=Script Input", "buttons=5",
                                 "badbutton=Cannot find toolbar button.|Runtime Error", "menus=3",
                                 "short=Cannot find menu item.", "long=0", "shot=0", "badshot=80004005", "click=0",
                                 "exit=0"})
        EXPECT_NE(output.find(expected), std::string::npos) << "missing " << expected << " in\n" << output;

    const std::string events = readAll(log);
    for (const char* expected : {"command 403 from=toolbar", "command 202 from=self", "down right ",
                                 "initmenupopup File pos=0", "command 102 from=self", "exit"})
        EXPECT_NE(events.find(expected), std::string::npos) << "missing " << expected << " in\n" << events;
    EXPECT_EQ(readAll(shot).substr(0, 2), "BM");
    ::DeleteFileW(log.c_str());
    ::DeleteFileW(shot.c_str());
}

// keys in a script that Tevrin.exe runs from the command line against Wine's notepad.
TEST(InputVBScript, KeysTypedByAScriptThatTevrinRuns) {
    e2e::ProcessRunner tevrin;
    const std::wstring command = L"\"" + e2e::DistPath(L"Tevrin.exe") + L"\" \"" + std::wstring(TEVRIN_SOURCE_DIR) +
                                 L"\\tests\\e2e\\input\\scripts\\keys.vbs\"";
    ASSERT_TRUE(tevrin.start(command));
    ASSERT_TRUE(tevrin.wait(120000));
    const std::string output = tevrin.output() + tevrin.errors();
    EXPECT_EQ(tevrin.exitCode(), 0u) << output;
    for (const char* expected :
         {"typed=Hello|World", "replaced=Replaced|TEXT", "unknown=Unknown key name: {FOO}|Runtime Error",
          "unbalanced=Unbalanced braces in keys: '{' at position 1 is not closed; type a literal { as {{}",
          "released=Cannot type keys: the window no longer exists", "Script ended with no errors."})
        EXPECT_NE(output.find(expected), std::string::npos) << "missing " << expected << " in\n" << output;
}
