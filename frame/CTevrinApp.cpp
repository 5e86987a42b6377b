#include "frame/CTevrinApp.h"
#include "host/Components.h"
#include "frame/CChildFrame.h"
#include "frame/CMainFrame.h"
#include "frame/ScriptViews.h"
#include "common/TextConv.h"
#include "explorer/ExplorerCommands.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "host/RecordKind.h"
#include "host/ResultsPane.h"
#include "host/ScriptHost.h"
#include "resources/frame/frameids.h"
#include <memory>

bool WaitDispatchingSent(HANDLE handle, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        // Runs every message sent to this thread; posted messages and input stay queued.
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD elapsed = ::GetTickCount() - start;
        const DWORD left = elapsed >= milliseconds ? 0 : milliseconds - elapsed;
        const DWORD r = ::MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return true;
        if (r != WAIT_OBJECT_0 + 1) return false;
    }
}

CTevrinApp::CTevrinApp(host::ScriptHost& host) : CApplication(L"Tevrin"), host_(host), window_(*this) {
    AddCommand(ID_DEBUG_RUN, [this] { StartRun(); });
    AddUpdate(ID_DEBUG_RUN, [this](CCmdUI& ui) { ui.Enable(CanRun(host_.running())); });
    AddCommand(ID_DEBUG_GO, [this] { OnGo(); });
    AddUpdate(ID_DEBUG_GO, [this](CCmdUI& ui) { ui.Enable(CanGo(host_.running(), host_.atBreak())); });
    AddCommand(ID_DEBUG_STEP_INTO, [this] { OnStep(false); });
    AddUpdate(ID_DEBUG_STEP_INTO, [this](CCmdUI& ui) { ui.Enable(CanStep(host_.running(), host_.atBreak())); });
    AddCommand(ID_DEBUG_STEP_OVER, [this] { OnStep(true); });
    AddUpdate(ID_DEBUG_STEP_OVER, [this](CCmdUI& ui) { ui.Enable(CanStep(host_.running(), host_.atBreak())); });
    AddCommand(ID_DEBUG_STOP, [this] { OnStop(); });
    AddUpdate(ID_DEBUG_STOP, [this](CCmdUI& ui) { ui.Enable(CanStop(host_.running())); });
    AddCommand(ID_DEBUG_BREAK, [this] { OnBreak(); });
    AddUpdate(ID_DEBUG_BREAK, [this](CCmdUI& ui) { ui.Enable(CanBreak(host_.running(), host_.atBreak())); });
    AddCommand(ID_HELP, [this] { explorer::ShowHelp(mainWnd_ ? mainWnd_->hwnd() : nullptr); });
    AddCommand(ID_APP_ABOUT, [this] { explorer::ShowAbout(mainWnd_ ? mainWnd_->hwnd() : nullptr, host::Components::Describe()); });
}

CTevrinApp::~CTevrinApp() {
    if (host_.application() == &window_) host_.setApplication(previousApplication_);
}

CMainFrame* CTevrinApp::mainFrame() const { return static_cast<CMainFrame*>(mainWnd_); }

bool CTevrinApp::InitInstance() {
    SetRegistryKey(L"Norwend");
    LoadStdProfileSettings(4);
    AttachScriptHost(&host_);
    AddDocTemplate(std::make_unique<CDocTemplate>(
        IDR_SCRIPTTYPE, [] { return new ScriptDocument; }, [] { return new CChildFrame; },
        [] { return new ScriptView; }));

    // The host reports to the window from the moment the frame exists.
    previousApplication_ = host_.application();
    host_.setApplication(&window_);
    auto* frame = new CMainFrame(host_);
    frame->deleteOnDestroy = true;
    window_.SetFrame(frame);
    if (!frame->LoadFrame(IDR_MAINFRAME, appTitle().c_str())) {
        window_.SetFrame(nullptr);
        host_.setApplication(previousApplication_);
        // A frame whose creation failed has destroyed its window and, with it, the object.
        return false;
    }
    SetMainWnd(frame);
    frame->OnUpdateFrameTitle();
    // The work area rather than SW_SHOWMAXIMIZED: without a window manager Wine maximises
    // the window but not its X window, and the frame's bottom would be cut off.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::SetWindowPos(frame->hwnd(), nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                   SWP_NOZORDER);
    ::ShowWindow(frame->hwnd(), SW_SHOW);
    ::UpdateWindow(frame->hwnd());
    return true;
}

int CTevrinApp::ExitInstance() {
    window_.SetFrame(nullptr);
    if (host_.application() == &window_) host_.setApplication(previousApplication_);
    return CApplication::ExitInstance();
}

CView* CTevrinApp::ActiveView() const {
    CMDIChildWnd* child = mainWnd_ ? mainWnd_->MDIGetActive() : nullptr;
    return child ? child->view() : nullptr;
}

void CTevrinApp::ShowResource(UINT stringId) { DoMessageBox(LoadResString(stringId), MB_OK | MB_ICONEXCLAMATION); }

void CTevrinApp::UpdateTitle() {
    if (CMainFrame* frame = mainFrame()) frame->OnUpdateFrameTitle();
}

void CTevrinApp::StartRun() {
    if (!ConfirmCloseWhileRunning()) return;
    CView* view = ActiveView();
    if (!AsScriptView(view) || !view->GetDocument()) {
        ShowResource(IDS_NO_SCRIPT_WINDOW);
        return;
    }
    CDocument* doc = view->GetDocument();
    // The host runs the file on disk: a script that never was saved gets its name now.
    if (doc->GetPathName().empty() && (!doc->DoFileSave() || doc->GetPathName().empty())) return;

    CMainFrame* frame = mainFrame();
    if (frame) {
        frame->ShowControlBar(&frame->pane(CMainFrame::Results), true);
        frame->results().Clear();
    }
    std::wstring path = common::LowerFullPath(doc->GetPathName());
    if (path.empty()) path = common::ToLower(doc->GetPathName());

    // The thread of the run before may still be releasing its objects; Run would
    // quietly start nothing meanwhile.
    HRESULT hr = host_.WaitForScriptThread(kStopTimeout) ? host_.Run(common::WideToAnsi(path)) : E_FAIL;
    if (FAILED(hr)) {
        DoMessageBox(L"Cannot start debug, unspecified error", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // Sent messages only: the script thread logs its preparation through them before it
    // signals, and user input must not start anything else meanwhile.
    if (!WaitDispatchingSent(host_.startedEvent(), kStartTimeout))
        DoMessageBox(L"Failed to initialize script", MB_OK | MB_ICONEXCLAMATION);

    const std::wstring error = host_.errorText();
    if (error.empty() && !host_.preparationFailed()) {
        host_.Log(host::RecordKind::Info, L"Script started.");
        UpdateTitle();
        if (host_.breakpointsDisabled()) ShowResource(IDS_BREAKPOINTS_DISABLED);
        if (host_.breakpointsMoved()) ShowResource(IDS_BREAKPOINTS_MOVED);
        window_.RefreshBreakpointViews();
    } else {
        const std::wstring text = error.empty() ? std::wstring(L"Failed to initialize script") : error;
        DoMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        host_.Log(host::RecordKind::FatalError, text);
        host_.setCurrentLine(-1);
        window_.RefreshDebugPanes();
    }
}

bool CTevrinApp::ConfirmCloseWhileRunning() {
    if (host_.running()) {
        if (DoMessageBox(LoadResString(IDS_CLOSE_DEBUGGER), MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
        LockApp();
        if (FAILED(host_.Stop())) ::ExitProcess(static_cast<UINT>(-1));
        const bool ended = host_.WaitForScriptThread(kStopTimeout);
        UnlockApp();
        if (!ended) ::ExitProcess(static_cast<UINT>(-1));
    }
    return CApplication::SaveAllModified();
}

void CTevrinApp::OnGo() {
    if (host_.running()) {
        if (host_.atBreak()) {
            host_.Continue();
            UpdateTitle();
        }
    } else if (!host_.hasScriptThread()) {
        StartRun();
    }
}

void CTevrinApp::OnStep(bool over) {
    if (!CanStep(host_.running(), host_.atBreak())) return;
    if (over) host_.StepOver();
    else host_.StepInto();
    UpdateTitle();
}

void CTevrinApp::OnStop() {
    host_.Stop();
    host_.setCurrentLine(-1);
    window_.UpdateScriptViews(1);
    UpdateTitle();
}

void CTevrinApp::OnBreak() {
    if (FAILED(host_.Break())) DoMessageBox(L"Cannot break", MB_OK | MB_ICONEXCLAMATION);
    UpdateTitle();
}
