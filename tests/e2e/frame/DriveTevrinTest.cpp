// Tevrin's own window driven by a tester's VBScript through the wrappers, as any
// application under test is: its menu commands, the common Open dialog and the Results
// pane must all answer to the wrappers.
#include "tests/e2e/ProcessRunner.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

namespace {

const wchar_t kProfileKey[] = L"Software\\Norwend\\Tevrin";

std::wstring WriteScript(const std::wstring& path, const std::string& text) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return path;
}

BOOL CALLBACK CloseFrames(HWND window, LPARAM) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (std::wstring(name) == L"TevrinFrame") ::PostMessageW(window, WM_CLOSE, 0, 0);
    return TRUE;
}

} // namespace

TEST(DriveTevrin, AScriptOpensRunsAndReadsTheResultsThroughTheWrappers) {
    // The initial layout: the Results pane docked and visible.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring script = WriteScript(std::wstring(temp) + L"tevrin-driven.vbs",
                                            "#language StepScript\r\n"
                                            "Env.LogInfo \"driven record one\"\r\n"
                                            "Env.LogWarning \"driven record two\"\r\n");
    e2e::ProcessRunner cscript;
    const std::wstring command = L"cscript.exe //nologo \"" + std::wstring(TEVRIN_SOURCE_DIR) +
                                 L"\\tests\\e2e\\frame\\scripts\\drivetevrin.vbs\" \"" + e2e::DistPath(L"Tevrin.exe") +
                                 L"\" \"" + script + L"\"";
    ASSERT_TRUE(cscript.start(command));
    const bool ended = cscript.wait(240000);
    // A script that failed half-way leaves Tevrin open.
    ::EnumWindows(CloseFrames, 0);
    ASSERT_TRUE(ended) << "the driving script did not end";
    const std::string output = cscript.output() + cscript.errors();
    EXPECT_EQ(cscript.exitCode(), 0u) << output;
    for (const char* expected : {"frame=Tevrin", "dialog=Open", "opened=True", "ran=True", "driven record one",
                                 "driven record two", "Script ended with no errors."})
        EXPECT_NE(output.find(expected), std::string::npos) << "missing " << expected << " in\n" << output;
    ::DeleteFileW(script.c_str());
}

// Breakpoints and stepping in the window of a real Tevrin.exe, driven from outside.
TEST(DriveTevrin, ABreakpointStopsTheRunAndStepOverRunsOneStatement) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring script = WriteScript(std::wstring(temp) + L"tevrin-debugged.vbs",
                                            "Env.LogInfo \"before\"\r\n"
                                            "Env.LogInfo \"after\"\r\n");
    e2e::ProcessRunner cscript;
    const std::wstring command = L"cscript.exe //nologo \"" + std::wstring(TEVRIN_SOURCE_DIR) +
                                 L"\\tests\\e2e\\frame\\scripts\\debugtevrin.vbs\" \"" +
                                 e2e::DistPath(L"Tevrin.exe") + L"\" \"" + script + L"\"";
    ASSERT_TRUE(cscript.start(command));
    const bool ended = cscript.wait(240000);
    ::EnumWindows(CloseFrames, 0);
    ASSERT_TRUE(ended) << "the driving script did not end";
    const std::string output = cscript.output() + cscript.errors();
    EXPECT_EQ(cscript.exitCode(), 0u) << output;
    for (const char* expected : {"opened=True", "stopped=True", "before at break=False", "stepped=True",
                                 "still at break=True", "after at step=False", "ended=True", "after at end=True"})
        EXPECT_NE(output.find(expected), std::string::npos) << "missing " << expected << " in\n" << output;
    ::DeleteFileW(script.c_str());
}
