#pragma once
// Recorder: watches what the tester does in other applications and hands the script
// lines it makes to the window (which writes them into the active script document).
//
// The hook library (ostrel.dll, beside the program) describes every action from inside
// the application and reports it to a message-only window of this object with
// WM_COPYDATA; the ScriptWriter turns the reports into lines. A timer notices
// applications that end while the recording goes on.
//
// Threads: user-interface thread only; the reports arrive there as sent messages.
#include "common/UniqueHandle.h"
#include "recorder/ScriptWriter.h"

#include <windows.h>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace recorder {

class Recorder {
public:
    using Sink = std::function<void(const std::vector<std::wstring>& lines)>;

    explicit Recorder(Sink sink);
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Starts watching. False with a message when a recording runs already or the hook
    // library cannot be used; a recording that runs is left as it is.
    bool Start(std::wstring& error);
    // Ends the recording; the lines still held back are handed over first.
    void Stop();
    bool recording() const { return recording_; }

    // "Start application...": starts the program and makes it the script's first
    // application (appExecute rather than appAttach). False with a message on failure.
    bool StartApplication(const std::wstring& commandLine, std::wstring& error);

    // The window that receives the hook library's reports (for tests and diagnostics).
    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnReport(const COPYDATASTRUCT& data);
    void CheckApplications();
    void Deliver(const std::vector<std::wstring>& lines);

    struct Watched {
        common::UniqueHandle process;
        std::wstring exe;
    };

    Sink sink_;
    HWND window_ = nullptr;
    common::UniqueModule hookLibrary_;
    BOOL(WINAPI* start_)(HWND) = nullptr;
    void(WINAPI* stop_)() = nullptr;
    bool recording_ = false;
    ScriptWriter writer_;
    std::map<DWORD, Watched> applications_;
};

} // namespace recorder
