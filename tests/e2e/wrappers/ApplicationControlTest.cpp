// Starting, attaching to and ending applications through the root wrapper.
#include "AutomationClient.h"
#include <gtest/gtest.h>

using e2e::Bool;
using e2e::call;
using e2e::CallResult;
using Microsoft::WRL::ComPtr;
using common::Variant;

namespace {

class AppControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = e2e::newWrapper();
        ASSERT_TRUE(root_);
    }
    void TearDown() override {
        root_.Reset();
        e2e::KillProcesses(L"lateapp.exe");
    }
    HWND hwnd() { return reinterpret_cast<HWND>(static_cast<LONG_PTR>(call(root_.Get(), L"hwnd").number())); }
    static std::wstring quoted(const wchar_t* program) { return L"\"" + e2e::BinPath(program) + L"\""; }

    ComPtr<IDispatch> root_;
};

} // namespace

TEST_F(AppControlTest, WaitingForAConsoleProgramGivesItsExitCodeAndLeavesTheWrapperUnbound) {
    CallResult run = call(root_.Get(), L"appExecute", {Variant(quoted(L"exitcode.exe") + L" 7"), Variant(L""), Variant(L""), Bool(true)});
    ASSERT_TRUE(run.ok()) << std::string(run.description.begin(), run.description.end());
    EXPECT_EQ(run.number(), 7);
    EXPECT_EQ(hwnd(), ::GetDesktopWindow());
}

TEST_F(AppControlTest, LateWindowIsFoundAndTerminatingReleaseEndsTheProcess) {
    CallResult run = call(root_.Get(), L"appExecute", {Variant(quoted(L"lateapp.exe") + L" 2000 \"Late Window\"")});
    ASSERT_TRUE(run.ok()) << std::string(run.description.begin(), run.description.end());
    HWND window = hwnd();
    ASSERT_TRUE(::IsWindow(window));
    EXPECT_EQ(call(root_.Get(), L"value").text(), L"Late Window");
    EXPECT_EQ(call(call(root_.Get(), L"edit").object().Get(), L"value").text(), L"late edit");

    // Releasing without terminating keeps both the application and the binding.
    ASSERT_TRUE(call(root_.Get(), L"appRelease", {Bool(false)}).ok());
    EXPECT_EQ(hwnd(), window);
    EXPECT_TRUE(::IsWindow(window));

    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId);
    CallResult released = call(root_.Get(), L"appRelease", {Bool(true)});
    EXPECT_TRUE(released.ok());
    EXPECT_TRUE(released.description.empty());
    EXPECT_EQ(hwnd(), nullptr);
    EXPECT_EQ(::WaitForSingleObject(process, 10000), WAIT_OBJECT_0);
    ::CloseHandle(process);

    // The application has gone: a second release answers at once.
    CallResult again = call(root_.Get(), L"appRelease", {Bool(true)});
    EXPECT_TRUE(again.ok());
    EXPECT_EQ(again.number(), 0);
}

TEST_F(AppControlTest, TerminatingThroughAChildControlEndsItsProcess) {
    ASSERT_TRUE(call(root_.Get(), L"appExecute", {Variant(quoted(L"lateapp.exe") + L" 0 \"Child Release\"")}).ok());
    ComPtr<IDispatch> edit = call(root_.Get(), L"edit").object();
    ASSERT_TRUE(edit);
    HWND window = hwnd();
    CallResult released = call(edit.Get(), L"appRelease", {Bool(true)});
    EXPECT_TRUE(released.ok());
    const ULONGLONG start = ::GetTickCount64();
    while (::IsWindow(window) && ::GetTickCount64() - start < 10000) ::Sleep(50);
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(AppControlTest, ReleasingAnUnboundWrapperIsRefused) {
    CallResult released = call(root_.Get(), L"appRelease", {Bool(true)});
    EXPECT_EQ(released.hr, E_FAIL);
    EXPECT_EQ(released.source, L"Runtime Error");
    EXPECT_EQ(hwnd(), ::GetDesktopWindow());
}

TEST_F(AppControlTest, ProgramEndingAtOnceIsReportedWithoutWaitingTheFullSearch) {
    const ULONGLONG start = ::GetTickCount64();
    CallResult run = call(root_.Get(), L"appExecute", {Variant(quoted(L"quickexit.exe"))});
    EXPECT_EQ(run.hr, E_FAIL);
    EXPECT_EQ(run.description, L"Could not find main window");
    EXPECT_EQ(run.source, L"Runtime Error");
    EXPECT_LT(::GetTickCount64() - start, 8000u);
}

TEST_F(AppControlTest, MissingProgramIsReportedWithItsCommandLine) {
    CallResult run = call(root_.Get(), L"appExecute", {Variant(L"C:\\no\\such\\program.exe /x")});
    EXPECT_EQ(run.hr, E_FAIL);
    EXPECT_EQ(run.description, L"Cannot run command line 'C:\\no\\such\\program.exe /x'");
}

TEST_F(AppControlTest, WindowLaterThanTheSearchIsNotFound) {
    const ULONGLONG start = ::GetTickCount64();
    CallResult run = call(root_.Get(), L"appExecute", {Variant(quoted(L"lateapp.exe") + L" 25000 \"Too Late\"")});
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_EQ(run.hr, E_FAIL);
    EXPECT_EQ(run.description, L"Could not find main window");
    EXPECT_GE(elapsed, 15000u);
    EXPECT_LT(elapsed, 25000u);
}

TEST_F(AppControlTest, WaitForWindowFindsAWindowThatAppearsLater) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::wstring command = quoted(L"lateapp.exe") + L" 1500 \"Late Wait\"";
    ASSERT_TRUE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    CallResult found = call(root_.Get(), L"waitForWindow", {Variant(L"Late Wait"), Variant(L""), Variant(30L)});
    ASSERT_TRUE(found.ok());
    ASSERT_TRUE(found.object());
    EXPECT_EQ(call(found.object().Get(), L"value").text(), L"Late Wait");
}
