#pragma once
#include "FrameAppIds.h"
#include "FrameAppWindow.h"
#include "common/Registry.h"
#include <gtest/gtest.h>
#include <deque>

// The test program's own application object: message boxes and file dialogs are
// answered from queues instead of waiting for a user.
class TestApp : public CApplication {
public:
    TestApp() : CApplication(L"Frame Test") {}
    int DoMessageBox(const std::wstring& text, UINT) override {
        messages.push_back(text);
        if (answers.empty()) return IDCANCEL;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    bool PromptFileName(std::wstring& path, bool, const CDocTemplate*) override {
        if (fileNames.empty()) return false;
        path = fileNames.front();
        fileNames.pop_front();
        return true;
    }
    std::deque<int> answers;
    std::deque<std::wstring> fileNames;
    std::vector<std::wstring> messages;
};

inline void Pump() {
    MSG msg;
    for (int i = 0; i < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

inline const wchar_t* TestCompany() { return L"NorwendFrameworkTest"; }
inline std::wstring TestRootKey() { return L"Software\\NorwendFrameworkTest"; }

// A shown test frame of a fixed size, with the application around it.
class FrameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        common::DeleteRegTree(HKEY_CURRENT_USER, TestRootKey());
        app = std::make_unique<TestApp>();
        app->SetRegistryKey(TestCompany());
        app->LoadStdProfileSettings(4);
        frame = new CFrameAppWindow;
        frame->deleteOnDestroy = true;
        ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, L"Frame Test"));
        app->SetMainWnd(frame);
        if (::GetEnvironmentVariableW(L"FW_MAX", nullptr, 0)) {
            ::ShowWindow(frame->hwnd(), SW_SHOWMAXIMIZED);
        } else {
            ::SetWindowPos(frame->hwnd(), nullptr, 0, 0, 1000, 750, SWP_NOZORDER);
            ::ShowWindow(frame->hwnd(), SW_SHOW);
        }
        Pump();
        // FW_HOLD=<ms>: keeps the window up for a screenshot.
        wchar_t hold[16] = {};
        if (::GetEnvironmentVariableW(L"FW_HOLD", hold, 16)) {
            DWORD end = ::GetTickCount() + static_cast<DWORD>(_wtoi(hold));
            while (::GetTickCount() < end) {
                Pump();
                app->OnIdle(0);
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            }
        }
    }
    void TearDown() override {
        if (app->mainWnd()) {
            frame->DestroyWindow();
            Pump();
        }
        app.reset();
        common::DeleteRegTree(HKEY_CURRENT_USER, TestRootKey());
        Pump();
        // The quit message of the destroyed frame must not end the next test's loops.
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
    RECT ClientRectOf(HWND hwnd) const {
        RECT r{};
        ::GetWindowRect(hwnd, &r);
        ::MapWindowPoints(nullptr, frame->hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    std::unique_ptr<TestApp> app;
    CFrameAppWindow* frame = nullptr;
};
