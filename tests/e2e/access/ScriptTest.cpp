// The accessible, rich edit and HTML document members as a VBScript test script uses
// them, run by the prefix's cscript.exe against the accessible test application.
#include "AccAppSession.h"
#include <gtest/gtest.h>

namespace {

std::string ReadFile(const std::wstring& path) {
    std::string text;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
    ::CloseHandle(file);
    return text;
}

} // namespace

TEST(AccessScript, DrivesAccessibleObjectsAndDocuments) {
    wchar_t temp[MAX_PATH] = {}, log[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    ::GetTempFileNameW(temp, L"acs", 0, log);
    e2e::ProcessRunner cscript;
    const std::wstring command = L"cscript.exe //nologo \"" + std::wstring(TEVRIN_SOURCE_DIR) +
                                 L"\\tests\\e2e\\access\\scripts\\access.vbs\" \"" + e2e::BinPath(L"accapp.exe") +
                                 L"\" \"" + log + L"\"";
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
    // The script's click on Help reached the application.
    const std::string clicks = ReadFile(log);
    EXPECT_NE(clicks.find("down Help button=left"), std::string::npos) << clicks;
    ::DeleteFileW(log);
}
