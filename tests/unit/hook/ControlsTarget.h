#pragma once
// The controls application started as a real target process, with the hook library's
// hook installed on its dialog thread, as a wrapper would install it.
#include "tests/e2e/ProcessRunner.h"
#include "tests/apps/controls/ControlsIds.h"
#include "ostrel/ostrel.h"
#include "common/UniqueHandle.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <string>

namespace testing_hook {

const DWORD kWindowTimeout = 60000;  // first programs in a fresh prefix are slow

inline std::wstring ControlsPath() { return std::wstring(TEVRIN_BIN_DIR) + L"\\controls.exe"; }

class ControlsTarget {
public:
    explicit ControlsTarget(const std::wstring& arguments = L"") {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        logPath_ = std::wstring(temp) + L"controls-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                   std::to_wstring(::GetTickCount()) + L".log";
        started_ = process_.start(L"\"" + ControlsPath() + L"\" /log \"" + logPath_ + L"\" " + arguments);
        if (started_) dialog_ = process_.waitForWindow(L"#32770", kWindowTimeout);
        if (dialog_) {
            thread_ = ::GetWindowThreadProcessId(dialog_, nullptr);
            handle_.reset(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, process_.processId()));
        }
    }
    ~ControlsTarget() {
        hooks_[0].reset();
        hooks_[1].reset();
        if (dialog_ && ::IsWindow(dialog_)) {
            ::PostMessageW(dialog_, WM_CLOSE, 0, 0);
            process_.wait(10000);
        }
        ::DeleteFileW(logPath_.c_str());
    }

    bool ready() const { return dialog_ != nullptr && handle_.valid(); }
    // Installs the hook library's hook on the dialog's thread (a second call adds a second hook).
    bool hook() {
        for (auto& h : hooks_) {
            if (!h) {
                h.reset(::SetWindowsHookExW(WH_CALLWNDPROC, CallWndProc, ::GetModuleHandleA("ostrel"), thread_));
                return h.valid();
            }
        }
        return false;
    }
    void unhook() { hooks_[0].reset(); hooks_[1].reset(); }

    HWND dialog() const { return dialog_; }
    HWND control(int id) const { return ::GetDlgItem(dialog_, id); }
    DWORD processId() const { return process_.processId(); }
    HANDLE process() const { return handle_.get(); }
    e2e::ProcessRunner& runner() { return process_; }
    bool alive() const { return ::WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT && ::IsWindow(dialog_); }

    // How many handles the application holds to this (the test's) process; the hook
    // library is given such handles and must close them.
    int handlesToUs() const {
        int count = 0;
        for (ULONG_PTR value = 4; value < 16384; value += 4) {
            HANDLE local = nullptr;
            if (!::DuplicateHandle(handle_.get(), reinterpret_cast<HANDLE>(value), ::GetCurrentProcess(), &local, 0,
                                   FALSE, DUPLICATE_SAME_ACCESS))
                continue;
            if (::GetProcessId(local) == ::GetCurrentProcessId()) ++count;
            ::CloseHandle(local);
        }
        return count;
    }

    // What the application recorded so far.
    std::string log() const {
        std::string text;
        if (FILE* in = _wfopen(logPath_.c_str(), L"rb")) {
            char buffer[4096];
            size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
            fclose(in);
        }
        return text;
    }
    // Waits until the log holds `line`; false after `milliseconds`.
    bool waitForLog(const std::string& line, DWORD milliseconds = 10000) const {
        const DWORD start = ::GetTickCount();
        do {
            if (log().find(line) != std::string::npos) return true;
            ::Sleep(50);
        } while (::GetTickCount() - start < milliseconds);
        return false;
    }

private:
    e2e::ProcessRunner process_;
    std::wstring logPath_;
    bool started_ = false;
    HWND dialog_ = nullptr;
    DWORD thread_ = 0;
    common::UniqueHandle handle_;
    common::UniqueHook hooks_[2];
};

struct TitleQuery {
    DWORD pid;
    const wchar_t* title;
    HWND found;
};

inline BOOL CALLBACK MatchTitle(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<TitleQuery*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t text[256] = L"";
    ::GetWindowTextW(window, text, 256);
    if (pid == query->pid && ::IsWindowVisible(window) && std::wstring(text) == query->title) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the process with the given title, waiting for it.
inline HWND WaitForTitledWindow(DWORD processId, const wchar_t* title, DWORD milliseconds) {
    TitleQuery query{processId, title, nullptr};
    const DWORD start = ::GetTickCount();
    do {
        ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&query));
        if (query.found) return query.found;
        ::Sleep(50);
    } while (::GetTickCount() - start < milliseconds);
    return nullptr;
}

} // namespace testing_hook
