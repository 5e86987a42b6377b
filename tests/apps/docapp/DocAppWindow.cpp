#include "DocAppWindow.h"
#include "DocAppIds.h"
#include "common/TextConv.h"
#include "frame/CDockPaneFloatFrame.h"
#include "framework/DocTemplate.h"
#include "framework/MDIChildWnd.h"
#include "resources/panes/panesids.h"

CDocAppWindow::CDocAppWindow(host::ScriptHost& host) : results(host) {
    AddCommand(ID_VIEW_RESULTS, [this] { ShowControlBar(&resultsBar, !resultsBar.IsBarVisible()); });
    AddUpdate(ID_VIEW_RESULTS, [this](CCmdUI& ui) { ui.SetCheck(resultsBar.IsBarVisible()); });
}

int CDocAppWindow::OnCreate(CREATESTRUCTW* cs) {
    if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
    SetFloatingFrameFactory([] { return new CDockPaneFloatFrame; });
    if (!resultsBar.Create(L"Results", this, &results, IDD_RESULTS_PANE)) return -1;
    DockControlBar(&resultsBar, IDW_DOCKBAR_BOTTOM);
    RecalcLayout();
    return 0;
}

CDocApp::CDocApp() : CApplication(L"Script Document Test") {
    host.setApplication(this);
    CMardelView::SetScriptHost(&host);
}

CDocApp::~CDocApp() {
    CMardelView::SetScriptHost(nullptr);
    host.setApplication(nullptr);
}

bool CDocApp::InitInstance() {
    AddScriptTemplate();
    return CreateFrame();
}

void CDocApp::AddScriptTemplate() {
    auto docTemplate = std::make_unique<CDocTemplate>(
        IDR_SCRIPTTYPE, [] { return new CMardelDoc; }, [] { return new CMDIChildWnd; },
        [] { return new CMardelView; });
    docTemplate->SetDescription(CMardelDoc::kDocString);
    AddDocTemplate(std::move(docTemplate));
}

bool CDocApp::CreateFrame(int cx, int cy) {
    auto* window = new CDocAppWindow(host);
    window->deleteOnDestroy = true;
    if (!window->LoadFrame(IDR_MAINFRAME, appTitle().c_str())) {
        delete window;
        return false;
    }
    SetMainWnd(window);
    RECT area{0, 0, cx, cy};
    // The work area rather than maximised: without a window manager the bottom of a
    // maximised frame is cut off.
    if (cx == 0) ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::SetWindowPos(window->hwnd(), nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOZORDER);
    ::ShowWindow(window->hwnd(), SW_SHOW);
    ::UpdateWindow(window->hwnd());
    return true;
}

CDocAppWindow* CDocApp::frame() const { return static_cast<CDocAppWindow*>(mainWnd()); }

std::vector<CMardelDoc*> CDocApp::Documents() const {
    std::vector<CMardelDoc*> docs;
    for (const auto& t : templates())
        for (CDocument* d : t->documents())
            if (auto* doc = dynamic_cast<CMardelDoc*>(d)) docs.push_back(doc);
    return docs;
}

int CDocApp::DoMessageBox(const std::wstring& text, UINT type) {
    messages.push_back(text);
    if (interactive) return CApplication::DoMessageBox(text, type);
    if (answers.empty()) return IDCANCEL;
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

bool CDocApp::PromptFileName(std::wstring& path, bool open, const CDocTemplate* docTemplate) {
    if (interactive) return CApplication::PromptFileName(path, open, docTemplate);
    proposedNames.push_back(path);
    if (fileNames.empty()) return false;
    path = fileNames.front();
    fileNames.pop_front();
    return true;
}

void CDocApp::LogRecord(host::RecordKind kind, const std::wstring& text) {
    if (frame()) frame()->results.AddRecord(kind, text);
}

void CDocApp::ShowPosition(const std::string& file, int line, bool markFrame) {
    shown.push_back(ShowCall{file, line, markFrame});
    if (file.empty()) return;
    CDocument* doc = OpenDocumentFile(common::AnsiToWide(file));
    if (!doc) return;
    for (CView* v : doc->views())
        if (auto* view = dynamic_cast<CMardelView*>(v)) {
            if (line > 0) view->ShowLine(line, markFrame);
            if (view->parentFrame()) view->parentFrame()->Activate();
        }
}

void CDocApp::UpdateScriptViews(int hint) {
    for (CMardelDoc* doc : Documents()) doc->UpdateAllViews(nullptr, hint);
}

void CDocApp::RefreshBreakpointViews() {
    ++breakpointRefreshes;
    UpdateScriptViews(0);
}

bool CDocApp::AskYesNo(const std::wstring& question) { return DoMessageBox(question, MB_YESNO) == IDYES; }

void CDocApp::ShowMessage(const std::wstring& text) { DoMessageBox(text, MB_OK); }
