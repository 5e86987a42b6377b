// panesapp <script> [/bp LINE]... [/watch EXPRESSION]... [/run] [/frame INDEX]
// A frame with the six debugger panes docked around an empty client area. It runs
// the script under the script host: /bp sets breakpoints (1-based lines) before the
// run, /watch adds watches, /run starts at once, /frame selects a call-stack frame at
// the first stop. Debug menu: Run, Go, Step Into, Step Over, Stop.
#include "PanesAppIds.h"
#include "common/ComInit.h"
#include "debugger/DebugPanes.h"
#include "debugger/DebuggerMessages.h"
#include "frame/CDockPaneCF.h"
#include "frame/CDockPaneFloatFrame.h"
#include "framework/Application.h"
#include "framework/MDIFrameWnd.h"
#include "framework/StatusBar.h"
#include "host/Env.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"
#include "common/TextConv.h"
#include <commctrl.h>
#include <fstream>
#include <iterator>
#include <mutex>

namespace {

const UINT WM_APP_REFRESH = WM_APP + 1;
const UINT WM_APP_STATUS = WM_APP + 2;

class CPanesFrame;

// The window side of the script host for this program.
class PanesHostApplication : public host::HostApplication {
public:
    PanesHostApplication(host::ScriptHost& host, CPanesFrame& frame) : host_(host), frame_(frame) {}
    void LogRecord(host::RecordKind kind, const std::wstring& text) override;
    void ShowPosition(const std::string& file, int line, bool markFrame) override;
    void RefreshDebugPanes() override;
    void UpdateScriptViews(int) override {}
    void RefreshBreakpointViews() override;
    bool AskYesNo(const std::wstring& question) override;
    void ShowMessage(const std::wstring& text) override;
    void SetWaitCursor(bool) override {}

    std::wstring TakeStatus() {
        std::lock_guard<std::mutex> guard(mutex_);
        return status_;
    }

private:
    void SetStatus(const std::wstring& text);
    host::ScriptHost& host_;
    CPanesFrame& frame_;
    std::mutex mutex_;
    std::wstring status_;
};

class CPanesFrame : public CMDIFrameWnd {
public:
    explicit CPanesFrame(host::ScriptHost& host) : host_(host), panes(host) {
        AddCommand(ID_DEBUG_RUN, [this] { StartRun(); });
        AddUpdate(ID_DEBUG_RUN, [this](CCmdUI& ui) { ui.Enable(!host_.running() && !scriptPath.empty()); });
        AddCommand(ID_DEBUG_GO, [this] {
            if (host_.running()) {
                if (host_.atBreak()) host_.Continue();
            } else if (!host_.hasScriptThread()) {
                StartRun();
            }
            OnUpdateFrameTitle();
        });
        AddCommand(ID_DEBUG_STEP_INTO, [this] {
            host_.StepInto();
            OnUpdateFrameTitle();
        });
        AddCommand(ID_DEBUG_STEP_OVER, [this] {
            host_.StepOver();
            OnUpdateFrameTitle();
        });
        AddCommand(ID_DEBUG_STOP, [this] {
            host_.Stop();
            OnUpdateFrameTitle();
        });
        auto atBreak = [this](CCmdUI& ui) { ui.Enable(host_.running() && host_.atBreak()); };
        AddUpdate(ID_DEBUG_STEP_INTO, atBreak);
        AddUpdate(ID_DEBUG_STEP_OVER, atBreak);
        AddUpdate(ID_DEBUG_GO, [this](CCmdUI& ui) { ui.Enable(!host_.running() || host_.atBreak()); });
        AddUpdate(ID_DEBUG_STOP, [this](CCmdUI& ui) { ui.Enable(host_.running()); });
    }

    void StartRun() {
        if (host_.running() || scriptPath.empty()) return;
        if (FAILED(host_.Run(scriptPath))) {
            application->ShowMessage(L"Cannot start debug, unspecified error");
            return;
        }
        if (::WaitForSingleObject(host_.startedEvent(), 300000) != WAIT_OBJECT_0)
            application->ShowMessage(L"Failed to initialize script");
        if (host_.errorText().empty()) {
            OnUpdateFrameTitle();
            debugger::ShowPlacementMessages(host_);
            application->RefreshBreakpointViews();
        } else {
            application->ShowMessage(host_.errorText());
            panes.Refresh();
        }
    }

    void OnUpdateFrameTitle() override {
        std::wstring title = L"Panes Test";
        if (host_.running()) title += host_.atBreak() ? L" - [break]" : L" - [run]";
        ::SetWindowTextW(hwnd_, title.c_str());
    }

private:
    host::ScriptHost& host_;

public:
    std::string scriptPath;
    int frameAtFirstStop = -1;
    PanesHostApplication* application = nullptr;
    debugger::DebugPanes panes;
    CStatusBar statusBar;
    CDockPaneCF threadsPane, variablesPane, callStackPane, applicationsPane, breakpointsPane, watchPane;

protected:
    int OnCreate(CREATESTRUCTW* cs) override {
        if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
        if (!statusBar.Create(this, IDW_STATUS_BAR)) return -1;
        statusBar.SetIndicators({ID_SEPARATOR});
        SetStatusBar(&statusBar);
        SetFloatingFrameFactory([] { return new CDockPaneFloatFrame; });
        struct PanePlacement {
            CDockPaneCF* pane;
            const wchar_t* title;
            UINT id;
        };
        const PanePlacement bottom[] = {{&watchPane, L"Watch", IDD_WATCH_PANE},
                                   {&variablesPane, L"Variables", IDD_VARIABLES_PANE},
                                   {&callStackPane, L"Call Stack", IDD_CALLSTACK_PANE}};
        const PanePlacement right[] = {{&breakpointsPane, L"Breakpoints", IDD_BREAKPOINTS_PANE},
                                  {&threadsPane, L"Application Threads", IDD_THREADS_PANE},
                                  {&applicationsPane, L"Applications", IDD_APPLICATIONS_PANE}};
        for (const PanePlacement& placement : bottom)
            if (!placement.pane->Create(placement.title, this, panes.content(placement.id), placement.id)) return -1;
        for (const PanePlacement& placement : right)
            if (!placement.pane->Create(placement.title, this, panes.content(placement.id), placement.id)) return -1;
        // The bottom panes side by side in one row, the others stacked on the right.
        DockControlBar(&watchPane, IDW_DOCKBAR_BOTTOM);
        RecalcLayout();
        for (int i = 1; i < 3; ++i) {
            RECT beside = bottom[i - 1].pane->layoutRect;
            ::OffsetRect(&beside, 300, 0);
            DockControlBar(bottom[i].pane, IDW_DOCKBAR_BOTTOM, &beside);
            RecalcLayout();
        }
        DockControlBar(&breakpointsPane, IDW_DOCKBAR_RIGHT);
        RecalcLayout();
        for (int i = 1; i < 3; ++i) {
            RECT below = right[i - 1].pane->layoutRect;
            ::OffsetRect(&below, 0, 150);
            DockControlBar(right[i].pane, IDW_DOCKBAR_RIGHT, &below);
            RecalcLayout();
        }
        for (CDockPaneCF* pane : {&watchPane, &variablesPane, &callStackPane}) pane->SetSizeHorz(SIZE{420, 200});
        for (CDockPaneCF* pane : {&breakpointsPane, &threadsPane, &applicationsPane})
            pane->SetSizeVert(SIZE{430, 200});
        RecalcLayout();
        return 0;
    }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_APP_REFRESH) {
            panes.Refresh();
            OnUpdateFrameTitle();
            // At the first stop deep enough for it.
            if (frameAtFirstStop > 0 && host_.running() && host_.atBreak() &&
                panes.callStack().SelectFrame(frameAtFirstStop))
                frameAtFirstStop = -1;
            return 0;
        }
        if (msg == WM_APP_STATUS) {
            if (application) SetMessageText(application->TakeStatus());
            return 0;
        }
        return CMDIFrameWnd::WindowProc(msg, wParam, lParam);
    }

    void OnClose() override {
        if (host_.hasScriptThread()) {
            host_.Stop();
            host_.WaitForScriptThread(30000);
        }
        CMDIFrameWnd::OnClose();
    }
};

void PanesHostApplication::SetStatus(const std::wstring& text) {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        status_ = text;
    }
    ::PostMessageW(frame_.hwnd(), WM_APP_STATUS, 0, 0);
}

void PanesHostApplication::LogRecord(host::RecordKind, const std::wstring& text) {
    SetStatus(text);
}

void PanesHostApplication::ShowPosition(const std::string& file, int line, bool markFrame) {
    SetStatus((markFrame ? L"Frame at " : L"Stopped at ") + common::AnsiToWide(file) + L"(" + std::to_wstring(line) +
              L")");
}

void PanesHostApplication::RefreshDebugPanes() { ::PostMessageW(frame_.hwnd(), WM_APP_REFRESH, 0, 0); }

void PanesHostApplication::RefreshBreakpointViews() { frame_.panes.RefreshBreakpoints(); }

bool PanesHostApplication::AskYesNo(const std::wstring& question) {
    return ::MessageBoxW(frame_.hwnd(), question.c_str(), L"Panes Test", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void PanesHostApplication::ShowMessage(const std::wstring& text) {
    ::MessageBoxW(frame_.hwnd(), text.c_str(), L"Panes Test", MB_OK | MB_ICONINFORMATION);
}

// Character offset of a 1-based line, a CR LF counting as one character.
long OffsetOfLine(const std::string& path, int line) {
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    long offset = 0;
    int current = 1;
    for (size_t i = 0; i < text.size() && current < line; ++i) {
        if (text[i] == '\r') continue;
        ++offset;
        if (text[i] == '\n') ++current;
    }
    return offset;
}

class CPanesApp : public CApplication {
public:
    CPanesApp() : CApplication(L"Panes Test") {}
    host::ScriptHost host;
    CPanesFrame* frame = nullptr;
    std::unique_ptr<PanesHostApplication> application;

    bool InitInstance() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
        frame = new CPanesFrame(host);
        frame->deleteOnDestroy = true;
        if (!frame->LoadFrame(IDR_MAINFRAME, appTitle().c_str())) {
            delete frame;
            frame = nullptr;
            return false;
        }
        SetMainWnd(frame);
        application = std::make_unique<PanesHostApplication>(host, *frame);
        frame->application = application.get();
        host.setApplication(application.get());
        host::Env::SetHost(&host);
        // The work area rather than maximised: without a window manager the frame's
        // bottom would be cut off.
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        ::SetWindowPos(frame->hwnd(), nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                       SWP_NOZORDER);
        ::ShowWindow(frame->hwnd(), SW_SHOW);
        ::UpdateWindow(frame->hwnd());
        return true;
    }

    int ExitInstance() override {
        host.setApplication(nullptr);
        host::Env::SetHost(nullptr);
        return CApplication::ExitInstance();
    }
};

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const common::ComInit apartment(COINIT_APARTMENTTHREADED);
    int result = 1;
    {
        CPanesApp app;
        int argc = 0;
        LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
        if (app.InitInstance()) {
            bool run = false;
            for (int i = 1; i < argc; ++i) {
                const std::wstring arg = argv[i];
                if (arg == L"/run") {
                    run = true;
                } else if (arg == L"/bp" && i + 1 < argc) {
                    const int line = ::_wtoi(argv[++i]);
                    const std::string path = app.frame->scriptPath;
                    if (!path.empty() && line > 0)
                        app.host.ToggleBreakpoint({line - 1, OffsetOfLine(path, line), true, path});
                } else if (arg == L"/watch" && i + 1 < argc) {
                    app.frame->panes.watch().AddWatch(argv[++i]);
                } else if (arg == L"/frame" && i + 1 < argc) {
                    app.frame->frameAtFirstStop = ::_wtoi(argv[++i]);
                } else {
                    app.frame->scriptPath = common::WideToAnsi(common::LowerFullPath(arg));
                }
            }
            app.frame->panes.RefreshBreakpoints();
            if (run) ::PostMessageW(app.frame->hwnd(), WM_COMMAND, ID_DEBUG_RUN, 0);
            result = app.Run();
        }
        ::LocalFree(argv);
    }
    return result;
}
