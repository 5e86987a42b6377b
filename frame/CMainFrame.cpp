#include "frame/CMainFrame.h"
#include "frame/CDockPaneFloatFrame.h"
#include "frame/CTevrinApp.h"
#include "frame/ScriptViews.h"
#include "common/TextConv.h"
#include "debugger/DebugPanes.h"
#include "explorer/ExplorerCommands.h"
#include "framework/Application.h"
#include "framework/BarPlaces.h"
#include "framework/Dialog.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "framework/View.h"
#include "host/ResultsPane.h"
#include "host/ScriptHost.h"
#include "recorder/Recorder.h"
#include "resources/frame/frameids.h"
#include "resources/panes/panesids.h"
#include <commdlg.h>
#include <richedit.h>
#include <cwchar>
#include <mutex>
#include <set>

namespace {

// Sent requests whose sender still waits. A request that reaches the frame after its
// sender gave up (time-out) points into a stack frame that is gone: it is dropped.
std::mutex g_pendingMutex;
std::set<const ShowPositionRequest*> g_pending;

// Bounded waits for the window-side work that other threads ask for. Showing a position
// has the host's 3000 ms limit; pane refreshes walk the debugger's stack and may take
// longer, but never as long as a hung frame would.
const DWORD kShowPositionTimeout = 3000;
const DWORD kRefreshTimeout = 10000;

struct PaneInfo {
    const wchar_t* title;
    UINT id;
    const wchar_t* profileName;
    UINT viewCommand;
};

const PaneInfo kPanes[CMainFrame::PaneCount] = {
    {L"Call Stack", IDD_CALLSTACK_PANE, L"CallStack", ID_VIEW_CALLSTACK},
    {L"Variables", IDD_VARIABLES_PANE, L"Variables", ID_VIEW_VARIABLES},
    {L"Watch", IDD_WATCH_PANE, L"Watch", ID_VIEW_WATCH},
    {L"Breakpoints", IDD_BREAKPOINTS_PANE, L"Breakpoints", ID_VIEW_BREAKPOINTS},
    {L"Results", IDD_RESULTS_PANE, L"Results", ID_VIEW_RESULTS},
    {L"Application Threads", IDD_THREADS_PANE, L"Threads", ID_VIEW_THREADS},
    {L"Applications", IDD_APPLICATIONS_PANE, L"Applications", ID_VIEW_APPLICATIONS},
};

// Saving order of the pane sizes.
const CMainFrame::PaneIndex kSaveOrder[] = {CMainFrame::CallStack, CMainFrame::Variables, CMainFrame::Watch,
                                            CMainFrame::Breakpoints, CMainFrame::Threads,
                                            CMainFrame::Applications, CMainFrame::Results};

} // namespace

CMainFrame::CMainFrame(host::ScriptHost& host)
    : host_(host),
      recorder_(std::make_unique<recorder::Recorder>(
          [this](const std::vector<std::wstring>& lines) { InsertRecordedLines(lines); })) {
    for (int i = 0; i < PaneCount; ++i) {
        const PaneIndex index = static_cast<PaneIndex>(i);
        AddCommand(kPanes[i].viewCommand, [this, index] { TogglePane(index); });
        AddUpdate(kPanes[i].viewCommand, [this, index](CCmdUI& ui) { ui.SetCheck(panes_[index].IsBarVisible()); });
    }
    AddCommand(ID_NEXT_PANE, [this] { FocusNextPane(true); });
    AddCommand(ID_PREV_PANE, [this] { FocusNextPane(false); });
    AddCommand(ID_TOOLS_EXPLORER, [this] { ToggleExplorer(); });
    AddCommand(ID_TOOLS_RECORD, [this] { StartRecording(); });
    AddUpdate(ID_TOOLS_RECORD, [this](CCmdUI& ui) {
        ui.Enable(!recorder_->recording());
        ui.SetCheck(recorder_->recording());
    });
    AddCommand(ID_TOOLS_STOP_RECORDING, [this] { StopRecording(); });
    AddUpdate(ID_TOOLS_STOP_RECORDING, [this](CCmdUI& ui) { ui.Enable(recorder_->recording()); });
    AddCommand(ID_TOOLS_START_APPLICATION, [this] { StartApplicationForRecording(); });
    AddUpdate(ID_TOOLS_EXPLORER, [this](CCmdUI& ui) {
        ui.Enable(explorer_ != nullptr);
        ui.SetCheck(explorer_ && explorer_->IsVisible());
    });
}

CMainFrame::~CMainFrame() = default;

CView* CMainFrame::ActiveScriptView(bool create) {
    auto active = [this]() -> CView* {
        CMDIChildWnd* child = MDIGetActive();
        CView* view = child ? child->view() : nullptr;
        return AsScriptView(view) ? view : nullptr;
    };
    CView* view = active();
    if (!view && create) {
        if (CApplication* app = CApplication::Get()) app->OnFileNew();
        view = active();
    }
    return view;
}

void CMainFrame::StartRecording() {
    if (recorder_->recording()) {
        SetMessageText(L"A recording is already running.");
        return;
    }
    if (!ActiveScriptView(true)) {
        ::MessageBoxW(hwnd(), L"Recording needs a script document, and none could be made.", L"Tevrin",
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::wstring error;
    if (!recorder_->Start(error)) {
        ::MessageBoxW(hwnd(), error.c_str(), L"Tevrin", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    SetMessageText(L"Recording: what you do in other applications is written at the caret.");
}

void CMainFrame::StopRecording() {
    if (!recorder_->recording()) return;
    recorder_->Stop();
    SetMessageText(L"Recording stopped.");
}

void CMainFrame::StartApplicationForRecording() {
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = hwnd();
    ofn.lpstrFilter = L"Programs (*.exe)\0*.exe\0All files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = L"Start Application";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetOpenFileNameW(&ofn)) return;
    std::wstring commandLine = file;
    if (commandLine.find(L' ') != std::wstring::npos) commandLine = L"\"" + commandLine + L"\"";
    if (!recorder_->recording()) StartRecording();
    if (!recorder_->recording()) return;
    std::wstring error;
    if (!recorder_->StartApplication(commandLine, error))
        ::MessageBoxW(hwnd(), error.c_str(), L"Tevrin", MB_OK | MB_ICONEXCLAMATION);
}

void CMainFrame::InsertRecordedLines(const std::vector<std::wstring>& lines) {
    CView* view = ActiveScriptView(true);
    if (!view || lines.empty()) return;
    const HWND edit = view->hwnd();
    std::wstring text;
    // Lines start at the start of a line even when the caret is inside one.
    CHARRANGE selection = {};
    ::SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const LRESULT line = ::SendMessageW(edit, EM_EXLINEFROMCHAR, 0, selection.cpMin);
    const LRESULT lineStart = ::SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    if (lineStart >= 0 && selection.cpMin != lineStart) text = L"\r\n";
    for (const std::wstring& recorded : lines) text += recorded + L"\r\n";
    ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

const wchar_t* CMainFrame::ProfileName(PaneIndex index) { return kPanes[index].profileName; }

std::vector<UINT> CMainFrame::LoadToolBarButtons(UINT resourceId) {
    // RT_TOOLBAR comes in two layouts: WORDs {version 1, width, height, count, ids...} as
    // Microsoft's compiler writes it, and DWORDs {width, height, count, ids...} as the
    // GNU resource compiler does.
    std::vector<UINT> ids;
    HINSTANCE instance = FrameworkInstance();
    HRSRC info = ::FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(241));
    if (!info) return ids;
    HGLOBAL data = ::LoadResource(instance, info);
    const BYTE* bytes = data ? static_cast<const BYTE*>(::LockResource(data)) : nullptr;
    const DWORD size = ::SizeofResource(instance, info);
    if (!bytes || size < 8) return ids;
    const WORD* words = reinterpret_cast<const WORD*>(bytes);
    if (words[0] == 1) {
        const DWORD count = words[3];
        if (size < (4 + count) * sizeof(WORD)) return ids;
        for (DWORD i = 0; i < count; ++i) ids.push_back(words[4 + i]);
    } else {
        const DWORD* dwords = reinterpret_cast<const DWORD*>(bytes);
        if (size < 3 * sizeof(DWORD)) return ids;
        const DWORD count = dwords[2];
        if (count > (size / sizeof(DWORD)) - 3) return ids;
        for (DWORD i = 0; i < count; ++i) ids.push_back(dwords[3 + i]);
    }
    return ids;
}

bool CMainFrame::CreateToolBars() {
    if (!mainBar_.Create(this, IDW_TOOLBAR, L"Standard")) return false;
    mainBar_.SetButtons(LoadToolBarButtons(IDR_MAINFRAME));
    if (!statusBar_.Create(this, IDW_STATUS_BAR) ||
        !statusBar_.SetIndicators({ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL}))
        return false;
    SetStatusBar(&statusBar_);

    mainBar_.SetImageLists(CToolBar::LoadImageList(IDB_MAINBAR, 20, RGB(255, 255, 255)),
                           CToolBar::LoadImageList(IDB_MAINBAR_HOT, 20, RGB(255, 128, 64)));
    mainBar_.EnableDocking(DOCK_ANY);
    DockControlBar(&mainBar_, IDW_DOCKBAR_TOP);

    if (!debugBar_.Create(this, IDW_DEBUGBAR, L"Debug")) return false;
    debugBar_.SetButtons(LoadToolBarButtons(IDR_DEBUGBAR));
    debugBar_.EnableDocking(DOCK_ANY);
    RecalcLayout();
    // Beside the main toolbar, in its row.
    RECT beside = mainBar_.layoutRect;
    ::OffsetRect(&beside, beside.right - beside.left + 1, 0);
    DockControlBar(&debugBar_, IDW_DOCKBAR_TOP, &beside);
    debugBar_.SetImageLists(CToolBar::LoadImageList(IDB_DEBUGBAR, 20, RGB(255, 255, 255)),
                            CToolBar::LoadImageList(IDB_DEBUGBAR_HOT, 20, RGB(255, 128, 64)));
    return true;
}

bool CMainFrame::CreatePanes() {
    results_ = std::make_unique<host::ResultsPane>(host_);
    debugPanes_ = std::make_unique<debugger::DebugPanes>(host_);
    auto create = [this](PaneIndex index) {
        const PaneInfo& info = kPanes[index];
        CDialog* content = index == Results ? results_.get() : debugPanes_->content(info.id);
        return panes_[index].Create(info.title, this, content, info.id);
    };
    auto dockBeside = [this](PaneIndex index, PaneIndex previous, UINT side, int dx, int dy) {
        RecalcLayout();
        RECT where = panes_[previous].layoutRect;
        ::OffsetRect(&where, dx, dy);
        DockControlBar(&panes_[index], side, &where);
    };

    if (!create(CallStack)) return false;
    DockControlBar(&panes_[CallStack], IDW_DOCKBAR_BOTTOM);
    if (!create(Variables)) return false;
    dockBeside(Variables, CallStack, IDW_DOCKBAR_BOTTOM, 300, 0);
    if (!create(Watch)) return false;
    dockBeside(Watch, Variables, IDW_DOCKBAR_BOTTOM, 300, 0);
    if (!create(Breakpoints)) return false;
    DockControlBar(&panes_[Breakpoints], IDW_DOCKBAR_RIGHT);
    if (!create(Results)) return false;
    panes_[Results].EnableDocking(DOCK_LEFT | DOCK_RIGHT | DOCK_BOTTOM);
    dockBeside(Results, Breakpoints, IDW_DOCKBAR_RIGHT, 0, 250);
    ShowControlBar(&panes_[Results], false);
    if (!create(Threads)) return false;
    panes_[Threads].EnableDocking(0);
    FloatControlBar(&panes_[Threads], POINT{400, 100});
    ShowControlBar(&panes_[Threads], false);
    if (!create(Applications)) return false;
    panes_[Applications].EnableDocking(0);
    FloatControlBar(&panes_[Applications], POINT{100, 100});
    ShowControlBar(&panes_[Applications], false);
    RecalcLayout();
    return true;
}

void CMainFrame::LoadPaneStates() {
    std::vector<std::pair<CControlBar*, std::wstring>> places{
        {&mainBar_, BarSectionName(mainBar_.Title(), mainBar_.id())},
        {&debugBar_, BarSectionName(debugBar_.Title(), debugBar_.id())}};
    for (int i = 0; i < PaneCount; ++i) {
        panes_[i].LoadState(kPanes[i].profileName);
        places.emplace_back(&panes_[i], panes_[i].SectionName(kPanes[i].profileName));
    }
    LoadBarPlaces(this, places);
    RecalcLayout();
}

void CMainFrame::SavePaneStates() {
    for (PaneIndex index : kSaveOrder) panes_[index].SaveState(kPanes[index].profileName);
    for (const CToolBar* bar : {&mainBar_, &debugBar_}) SaveBarPlace(*bar, BarSectionName(bar->Title(), bar->id()));
}

int CMainFrame::OnCreate(CREATESTRUCTW* cs) {
    thread_ = ::GetCurrentThreadId();
    if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
    if (!CreateToolBars()) return -1;
    SetFloatingFrameFactory([] { return new CDockPaneFloatFrame; });
    if (!CreatePanes()) return -1;
    LoadPaneStates();
    explorer_ = explorer::CreateWindowExplorer(this);
    return 0;
}

void CMainFrame::OnClose() {
    // The lines still held back go into the document before it is offered for saving.
    StopRecording();
    SavePaneStates();
    CMDIFrameWnd::OnClose();
}

void CMainFrame::OnDestroy() {
    // Late requests from other threads find no window to send to.
    thread_ = 0;
    StopRecording();
    // The explorer goes with the frame (it deletes itself).
    explorer_ = nullptr;
    if (auto* app = dynamic_cast<CTevrinApp*>(CApplication::Get()))
        if (app->windowApplication().frame() == this) app->windowApplication().SetFrame(nullptr);
    CMDIFrameWnd::OnDestroy();
}

void CMainFrame::TogglePane(PaneIndex index) {
    CDockPaneCF& bar = panes_[index];
    ShowControlBar(&bar, !bar.IsBarVisible());
}

void CMainFrame::FocusNextPane(bool forward) {
    // The stops: the active view first, then the visible panes; each with the window that
    // takes the focus there.
    std::vector<std::pair<HWND, HWND>> stops;  // {area, focus target}
    if (CMDIChildWnd* child = MDIGetActive())
        if (child->view() && child->view()->hwnd()) stops.emplace_back(child->hwnd(), child->view()->hwnd());
    for (CDockPaneCF& pane : panes_) {
        if (!pane.IsBarVisible() || !pane.content() || !pane.content()->hwnd()) continue;
        HWND content = pane.content()->hwnd();
        HWND target = ::GetNextDlgTabItem(content, nullptr, FALSE);
        stops.emplace_back(pane.hwnd(), target ? target : content);
    }
    if (stops.empty()) return;
    const HWND focus = ::GetFocus();
    int current = -1;
    for (size_t i = 0; i < stops.size() && current < 0; ++i)
        if (focus && (focus == stops[i].first || ::IsChild(stops[i].first, focus))) current = static_cast<int>(i);
    const int count = static_cast<int>(stops.size());
    const int next = current < 0 ? (forward ? 0 : count - 1) : (current + (forward ? 1 : count - 1)) % count;
    ::SetFocus(stops[next].second);
}

void CMainFrame::ToggleExplorer() {
    if (explorer_) explorer::ToggleWindowExplorer(explorer_);
}

std::wstring CMainFrame::RunStateSuffix(bool running, bool atBreak) {
    if (!running) return std::wstring();
    return atBreak ? L" - [break]" : L" - [run]";
}

void CMainFrame::OnUpdateFrameTitle() {
    CApplication* app = CApplication::Get();
    std::wstring title = app ? app->appTitle() : GetText();
    if (CDocument* doc = GetActiveDocument()) {
        std::wstring docTitle = doc->GetTitle();
        // A document titled during a run carries the suffix already; the frame adds its own.
        for (const wchar_t* suffix : {L" - [run]", L" - [break]"}) {
            const size_t at = docTitle.find(suffix);
            if (at != std::wstring::npos) docTitle.erase(at, std::wcslen(suffix));
        }
        title += L" - " + docTitle;
    }
    const std::wstring suffix = RunStateSuffix(host_.running(), host_.atBreak());
    if (!suffix.empty() && title.find(suffix) == std::wstring::npos) title += suffix;
    if (GetText() != title) SetText(title);
}

bool CMainFrame::OnFrameThread() const { return ::GetCurrentThreadId() == thread_; }

bool CMainFrame::SendBounded(UINT msg, WPARAM wParam, DWORD milliseconds) {
    if (!hwnd_ || !thread_) return false;
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(hwnd_, msg, wParam, 0, SMTO_ABORTIFHUNG, milliseconds, &result) != 0;
}

bool CMainFrame::SendShowPosition(const ShowPositionRequest& request) {
    if (!hwnd_ || !thread_) return false;
    {
        std::lock_guard<std::mutex> guard(g_pendingMutex);
        g_pending.insert(&request);
    }
    const bool answered = SendBounded(WM_SHOW_POSITION, reinterpret_cast<WPARAM>(&request), kShowPositionTimeout);
    std::lock_guard<std::mutex> guard(g_pendingMutex);
    g_pending.erase(&request);
    return answered;
}

LRESULT CMainFrame::OnShowPosition(const ShowPositionRequest* pending) {
    ShowPositionRequest request;
    {
        std::lock_guard<std::mutex> guard(g_pendingMutex);
        if (!pending || g_pending.count(pending) == 0) return 1;
        request = *pending;
    }
    ::SetForegroundWindow(hwnd_);
    // A position without a file (the engine named no document) has nothing to open.
    if (request.file.empty()) return 1;
    CApplication* app = CApplication::Get();
    CDocument* doc = app ? app->OpenDocumentFile(common::AnsiToWide(request.file)) : nullptr;
    if (!doc) return 1;
    ShowScriptLine(doc->FirstView(), request.line, request.markFrame);
    return 1;
}

void CMainFrame::RefreshDebugPanes() {
    if (OnFrameThread()) DoRefreshDebugPanes();
    else SendBounded(WM_REFRESH_DEBUG_PANES, 0, kRefreshTimeout);
}

void CMainFrame::UpdateScriptViews(int hint) {
    if (OnFrameThread()) DoUpdateScriptViews(hint);
    else SendBounded(WM_UPDATE_SCRIPT_VIEWS, static_cast<WPARAM>(hint), kRefreshTimeout);
}

void CMainFrame::RefreshBreakpointViews() {
    if (OnFrameThread()) DoRefreshBreakpointViews();
    else SendBounded(WM_REFRESH_BREAKPOINTS, 0, kRefreshTimeout);
}

void CMainFrame::DoRefreshDebugPanes() {
    if (debugPanes_) debugPanes_->Refresh();
    OnUpdateFrameTitle();
    DoUpdateScriptViews(1);
    // A stop or an end arrives by sent message, which never makes the message loop idle:
    // bring the run buttons up to date now rather than at the user's next input.
    UpdateBarsCmdUI();
}

void CMainFrame::DoUpdateScriptViews(int hint) {
    CApplication* app = CApplication::Get();
    if (!app) return;
    for (const auto& docTemplate : app->templates())
        for (CDocument* doc : std::vector<CDocument*>(docTemplate->documents())) doc->UpdateAllViews(nullptr, hint);
}

void CMainFrame::DoRefreshBreakpointViews() {
    DoUpdateScriptViews(0);
    if (debugPanes_) debugPanes_->RefreshBreakpoints();
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SHOW_POSITION:
        return OnShowPosition(reinterpret_cast<const ShowPositionRequest*>(wParam));
    case WM_REFRESH_DEBUG_PANES:
        DoRefreshDebugPanes();
        return 1;
    case WM_UPDATE_SCRIPT_VIEWS:
        DoUpdateScriptViews(static_cast<int>(wParam));
        return 1;
    case WM_REFRESH_BREAKPOINTS:
        DoRefreshBreakpointViews();
        return 1;
    default:
        return CMDIFrameWnd::WindowProc(msg, wParam, lParam);
    }
}
