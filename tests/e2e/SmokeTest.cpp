// The deliverables start and register inside the Wine prefix, as a user would use them.
#include "ProcessRunner.h"
#include "common/Registry.h"
#include <gtest/gtest.h>

using e2e::DistPath;
using e2e::ProcessRunner;

namespace {

const DWORD kStartTimeout = 60000;  // first programs in a fresh prefix are slow to show windows

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

DWORD RunToEnd(const std::wstring& commandLine, ProcessRunner& process) {
    if (!process.start(commandLine)) return static_cast<DWORD>(-1);
    if (!process.wait(kStartTimeout)) return STILL_ACTIVE;
    return process.exitCode();
}

} // namespace

TEST(Smoke, TevrinShowsItsMainWindowOverTheWorkAreaAndClosesCleanly) {
    ProcessRunner tevrin;
    ASSERT_TRUE(tevrin.start(Quoted(DistPath(L"Tevrin.exe"))));
    HWND window = tevrin.waitForWindow(L"TevrinFrame", kStartTimeout);
    ASSERT_NE(window, nullptr) << "Tevrin.exe showed no main window";
    // The whole work area (a maximised window loses its bottom under Xvfb without a
    // window manager).
    RECT work{}, frame{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, work.right - work.left);
    EXPECT_EQ(frame.bottom - frame.top, work.bottom - work.top);
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"Tevrin");

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(tevrin.wait(kStartTimeout));
    EXPECT_EQ(tevrin.exitCode(), 0u);
}

TEST(Smoke, UnpreparedScriptIsReportedAsFatalErrorWithExitCode2) {
    ProcessRunner tevrin;
    DWORD code = RunToEnd(Quoted(DistPath(L"Tevrin.exe")) + L" C:\\no\\such\\script.vbs", tevrin);
    EXPECT_EQ(code, 2u);
    // Whatever stopped it (a missing file, missing debug components), the reason is printed.
    EXPECT_EQ(tevrin.output().rfind("Fatal Error: ", 0), 0u) << tevrin.output();
}

TEST(Smoke, WrappersRegistersAndUnregistersWithRegsvr32) {
    const std::wstring dll = Quoted(DistPath(L"wrappers.dll"));
    const std::wstring clsid = L"{D1C8345B-BAE2-4ACD-A4C1-ABEB0BB953B1}";
    {
        ProcessRunner regsvr;
        ASSERT_EQ(RunToEnd(L"regsvr32.exe /s " + dll, regsvr), 0u);
    }
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT, L"Wrappers.WNDWrapper\\CLSID", nullptr), clsid);
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT, L"Wrappers.WNDWrapper\\CurVer", nullptr),
              L"Wrappers.WNDWrapper.1");
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid + L"\\InprocServer32", L"ThreadingModel"),
              L"Free");
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT,
                                   L"CLSID\\{02EE1D05-7620-4CEE-8C10-A0FE456A0C45}\\InprocServer32",
                                   L"ThreadingModel"),
              L"Apartment");
    EXPECT_TRUE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{4D172DB8-EB96-44AA-A321-1324EEA90223}\\1.0"));

    {
        ProcessRunner regsvr;
        ASSERT_EQ(RunToEnd(L"regsvr32.exe /u /s " + dll, regsvr), 0u);
    }
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"Wrappers.WNDWrapper"));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{4D172DB8-EB96-44AA-A321-1324EEA90223}"));

    // Leave the prefix registered for the tests that follow.
    ProcessRunner again;
    EXPECT_EQ(RunToEnd(L"regsvr32.exe /s " + dll, again), 0u);
}
