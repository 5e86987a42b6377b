#pragma once
// A window-side stand-in around the script host for the debugger tests: the six pane
// contents in a window of the test thread, refreshed after every stop the way the
// main frame does it (posted to the user-interface thread), and a record of the
// positions shown and the messages given.
#include "debugger/DebugPanes.h"
#include "common/ComInit.h"
#include "host/Env.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"
#include "common/TextConv.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace debuggertest {

const UINT WM_REFRESH_PANES = WM_APP + 1;
// A refresh sent by another thread, as the main frame forwards the watcher's.
const UINT WM_SENT_REFRESH = WM_APP + 2;

struct Shown {
    std::string file;
    int line;
    bool markFrame;
};

class PanesApplication : public host::HostApplication {
public:
    explicit PanesApplication(host::ScriptHost& host) : host_(host) {}

    void LogRecord(host::RecordKind, const std::wstring& text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        records.push_back(text);
    }
    void ShowPosition(const std::string& file, int line, bool markFrame) override {
        std::lock_guard<std::mutex> guard(mutex_);
        shown.push_back({file, line, markFrame});
    }
    void RefreshDebugPanes() override {
        ++posted;
        ::PostMessageW(window, WM_REFRESH_PANES, 0, 0);
    }
    void UpdateScriptViews(int) override {}
    void RefreshBreakpointViews() override {
        if (panes) panes->RefreshBreakpoints();
    }
    bool AskYesNo(const std::wstring&) override { return false; }
    void ShowMessage(const std::wstring& text) override { messages.push_back(text); }
    void SetWaitCursor(bool) override {}

    bool Logged(const std::wstring& text) {
        std::lock_guard<std::mutex> guard(mutex_);
        for (const auto& r : records)
            if (r == text) return true;
        return false;
    }
    std::vector<Shown> Positions() {
        std::lock_guard<std::mutex> guard(mutex_);
        return shown;
    }

    HWND window = nullptr;
    debugger::DebugPanes* panes = nullptr;
    std::atomic<int> posted{0};
    int handled = 0;
    std::vector<std::wstring> messages;

private:
    host::ScriptHost& host_;
    std::mutex mutex_;
    std::vector<std::wstring> records;
    std::vector<Shown> shown;
};

inline std::string WriteScript(const char* name, const std::string& text) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    std::string path = common::WideToAnsi(common::LowerFullPath(common::AnsiToWide(std::string(dir) + name)));
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
}

// Character offset of the start of a 1-based line, counting a CR LF as one character
// as the host's documents do.
inline long OffsetOfLine(const std::string& text, int line) {
    long offset = 0;
    int current = 1;
    for (size_t i = 0; i < text.size() && current < line; ++i) {
        if (text[i] == '\r') continue;
        ++offset;
        if (text[i] == '\n') ++current;
    }
    return offset;
}

// Waits for a condition while dispatching this thread's messages.
inline bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 30000) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > milliseconds) return false;
        host::DispatchWaitingMessages();
        ::Sleep(10);
    }
    return true;
}

class DebuggerTest : public ::testing::Test {
protected:
    const common::ComInit apartment_{COINIT_APARTMENTTHREADED};

    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
        ::InitCommonControlsEx(&controls);
        app_ = std::make_unique<PanesApplication>(host_);
        panes_ = std::make_unique<debugger::DebugPanes>(host_);
        app_->panes = panes_.get();
        WNDCLASSW wc{};
        wc.lpfnWndProc = &DebuggerTest::WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TevrinDebuggerTestWindow";
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowExW(0, wc.lpszClassName, L"Debugger test", WS_OVERLAPPEDWINDOW, 0, 0, 900, 700,
                                    nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        app_->window = window_;
        int y = 0;
        for (UINT id = IDD_THREADS_PANE; id <= IDD_WATCH_PANE; ++id) {
            ASSERT_TRUE(panes_->content(id)->Create(id, window_)) << id;
            ::SetWindowPos(panes_->content(id)->hwnd(), nullptr, 0, y, 600, 110, SWP_NOZORDER | SWP_SHOWWINDOW);
            y += 112;
        }
        ::ShowWindow(window_, SW_SHOW);
        host_.setApplication(app_.get());
        host::Env::SetHost(&host_);
    }
    void TearDown() override {
        if (host_.hasScriptThread()) {
            host_.Stop();
            host_.WaitForScriptThread(30000);
        }
        host::DispatchWaitingMessages();
        host_.setApplication(nullptr);
        host::Env::SetHost(nullptr);
        ::DestroyWindow(window_);
        app_->panes = nullptr;
    }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<DebuggerTest*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_REFRESH_PANES && self) {
            self->panes_->Refresh();
            ++self->app_->handled;
            return 0;
        }
        if (msg == WM_SENT_REFRESH && self) {
            self->panes_->Refresh();
            return 1;
        }
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    void Start(const std::string& path) {
        mark_ = app_->posted;
        ASSERT_EQ(host_.Run(path), S_OK);
        ASSERT_EQ(::WaitForSingleObject(host_.startedEvent(), 60000), WAIT_OBJECT_0);
        ASSERT_EQ(host_.errorText(), L"");
    }
    // The script stopped and the panes show the stop.
    bool Stopped() {
        return WaitFor([&] {
            return host_.running() && host_.atBreak() && app_->posted > mark_ && app_->handled == app_->posted;
        });
    }
    void Go() {
        mark_ = app_->posted;
        ASSERT_EQ(host_.Continue(), S_OK);
    }
    bool Ended() {
        return host_.WaitForScriptThread(30000) && !host_.hasScriptThread() &&
               WaitFor([&] { return app_->handled == app_->posted; });
    }
    void BreakAt(const std::string& file, const std::string& text, int line1) {
        host_.ToggleBreakpoint({line1 - 1, OffsetOfLine(text, line1), true, file});
    }
    // A double-click on a row of a pane's list, as the list reports it.
    void DoubleClick(debugger::DebugPane& pane, int row) {
        ListView_SetItemState(pane.control(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = pane.control();
        click.hdr.idFrom = static_cast<UINT_PTR>(pane.controlId());
        click.hdr.code = NM_DBLCLK;
        click.iItem = row;
        ::SendMessageW(pane.hwnd(), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
    }
    // Types `text` into the in-place editor of a pane's row and ends with `key`
    // (VK_RETURN keeps it, VK_ESCAPE cancels).
    bool EditRow(debugger::DebugPane& pane, int row, const wchar_t* text, WPARAM key) {
        ::SetFocus(pane.control());
        HWND edit = reinterpret_cast<HWND>(::SendMessageW(pane.control(), LVM_EDITLABELW, row, 0));
        if (!edit) return false;
        ::SetWindowTextW(edit, text);
        ::SendMessageW(edit, WM_KEYDOWN, key, 0);
        host::DispatchWaitingMessages();
        return ::SendMessageW(pane.control(), LVM_GETEDITCONTROL, 0, 0) == 0;
    }
    std::vector<std::wstring> Column(debugger::SortableList& list, int column) {
        std::vector<std::wstring> texts;
        for (int row = 0; row < list.RowCount(); ++row) texts.push_back(list.Text(row, column));
        return texts;
    }

    host::ScriptHost host_;
    std::unique_ptr<PanesApplication> app_;
    std::unique_ptr<debugger::DebugPanes> panes_;
    HWND window_ = nullptr;
    int mark_ = 0;
};

// A script with a procedure called from the global code.
const char kProcedureScript[] =
    "#language StepScript\r\n"               // 1
    "Dim total\r\n"                          // 2
    "Sub Work(n)\r\n"                        // 3
    "  Dim doubled\r\n"                      // 4
    "  doubled = n * 2\r\n"                  // 5
    "  total = total + doubled\r\n"          // 6
    "  Env.LogInfo \"in work \" & total\r\n" // 7
    "End Sub\r\n"                            // 8
    "' the work starts here\r\n"             // 9
    "total = 1\r\n"                          // 10
    "Call Work(2)\r\n"                       // 11
    "Env.LogInfo \"after \" & total\r\n"     // 12
    "total = 0\r\n";                         // 13

} // namespace debuggertest
