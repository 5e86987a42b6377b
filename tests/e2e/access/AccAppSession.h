#pragma once
// The accessible test application (tests/apps/accapp) started for a test, with a root
// wrapper connected to its main window and its click log.
#include "AutomationClient.h"
#include "ProcessRunner.h"
#include <windows.h>
#include <string>
#include <wrl/client.h>

namespace e2e {

class AccAppSession {
public:
    // loadingMs: how long the served document reads "loading" after the start.
    explicit AccAppSession(const std::wstring& title, DWORD loadingMs = 0);
    ~AccAppSession();
    AccAppSession(const AccAppSession&) = delete;
    AccAppSession& operator=(const AccAppSession&) = delete;

    bool started() const { return main_ != nullptr && root_ != nullptr; }
    HWND main() const { return main_; }
    IDispatch* root() const { return root_.Get(); }
    // A child window of the main window by its text.
    HWND control(const wchar_t* text) const;

    // The first line of the click log written after the last clearLog() that begins
    // with `prefix`, waiting up to `milliseconds` for it; empty when none came.
    std::wstring waitForLogLine(const std::wstring& prefix, DWORD milliseconds) const;
    void clearLog();

private:
    std::wstring readLog() const;

    ProcessRunner process_;
    std::wstring logPath_;
    size_t logStart_ = 0;
    HWND main_ = nullptr;
    Microsoft::WRL::ComPtr<IDispatch> root_;
};

// The screen rectangle of a window.
RECT ScreenRect(HWND window);

std::string Narrow(const std::wstring& text);

} // namespace e2e
