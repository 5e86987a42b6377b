#include "framework/Application.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/FrameworkIds.h"
#include "framework/MDIChildWnd.h"
#include "framework/MDIFrameWnd.h"
#include "framework/View.h"
#include <commctrl.h>
#include <commdlg.h>

namespace {
CApplication* g_app = nullptr;
}

CApplication::CApplication(const wchar_t* appTitle) : appTitle_(appTitle ? appTitle : L"") {
    previous_ = g_app;
    g_app = this;
    AddCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    AddCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    AddCommand(ID_APP_EXIT, [this] {
        if (mainWnd_ && mainWnd_->hwnd()) ::PostMessageW(mainWnd_->hwnd(), WM_CLOSE, 0, 0);
    });
    AddCommandRange(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, [this](UINT id) {
        size_t index = id - ID_FILE_MRU_FILE1;
        if (index >= recentFiles_.count()) return;
        std::wstring path = recentFiles_[index];
        // A file that cannot be opened any more leaves the list.
        if (!OpenDocumentFile(path)) recentFiles_.Remove(index);
    });
}

CApplication::~CApplication() {
    templates_.clear();
    if (g_app == this) g_app = previous_;
}

CApplication* CApplication::Get() { return g_app; }

int CApplication::Start() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    ::InitCommonControlsEx(&icc);
    if (!InitInstance()) return ExitInstance();
    return Run();
}

bool CApplication::InitInstance() { return true; }

int CApplication::ExitInstance() {
    if (profileLoaded_) recentFiles_.Save(profile_);
    return 0;
}

bool CApplication::PumpPreTranslate(MSG* msg) {
    for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
        CWindow* w = CWindow::FromHandle(h);
        if (w && w->PreTranslateMessage(msg)) return true;
        if (mainWnd_ && h == mainWnd_->hwnd()) return false;
    }
    // Messages of windows outside the frame (floating panes, modeless dialogs) still
    // get the frame's accelerators.
    return mainWnd_ && mainWnd_->hwnd() && mainWnd_->PreTranslateMessage(msg);
}

bool CApplication::OnIdle(LONG count) {
    if (count == 0 && mainWnd_ && mainWnd_->hwnd()) mainWnd_->UpdateBarsCmdUI();
    return false;
}

int CApplication::Run() {
    MSG msg;
    LONG idle = 0;
    for (;;) {
        while (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idle++)) break;
        }
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!PumpPreTranslate(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        // Input and timer messages change what the toolbar should show.
        if (msg.message != WM_PAINT && msg.message != 0x0118 /*WM_SYSTIMER*/) idle = 0;
    }
    int code = ExitInstance();
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : code;
}

void CApplication::SetRegistryKey(const wchar_t* company) { profile_.SetKeys(company, appTitle_); }

void CApplication::LoadStdProfileSettings(size_t recentFiles) {
    recentFiles_ = CRecentFileList(recentFiles, ID_FILE_MRU_FILE1);
    recentFiles_.Load(profile_);
    previewPages_ = profile_.GetInt(L"Settings", L"PreviewPages", 0);
    profileLoaded_ = true;
}

void CApplication::SetPreviewPages(int pages) {
    previewPages_ = pages == 2 ? 2 : 1;
    profile_.WriteInt(L"Settings", L"PreviewPages", previewPages_);
}

int CApplication::GetProfileInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const {
    return profile_.GetInt(section, entry, defaultValue);
}
std::wstring CApplication::GetProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* defaultValue) const {
    return profile_.GetString(section, entry, defaultValue);
}
bool CApplication::WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value) const {
    return profile_.WriteInt(section, entry, value);
}
bool CApplication::WriteProfileString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const {
    return profile_.WriteString(section, entry, value);
}

void CApplication::AddToRecentFileList(const std::wstring& path) { recentFiles_.Add(path); }

void CApplication::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate) {
    templates_.push_back(std::move(docTemplate));
}

CDocument* CApplication::FindOpenDocument(const std::wstring& path) const {
    wchar_t full[MAX_PATH * 2];
    DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    std::wstring wanted = (n > 0 && n < MAX_PATH * 2) ? std::wstring(full, n) : path;
    for (const auto& t : templates_)
        for (CDocument* doc : t->documents())
            if (!doc->GetPathName().empty() && ::lstrcmpiW(doc->GetPathName().c_str(), wanted.c_str()) == 0) return doc;
    return nullptr;
}

CDocument* CApplication::OpenDocumentFile(const std::wstring& path) {
    if (templates_.empty()) return nullptr;
    if (CDocument* doc = FindOpenDocument(path)) {
        if (CView* view = doc->FirstView())
            if (view->parentFrame()) view->parentFrame()->Activate();
        AddToRecentFileList(doc->GetPathName());
        return doc;
    }
    return templates_.front()->OpenDocumentFile(path.c_str());
}

void CApplication::OnFileNew() {
    if (!templates_.empty()) templates_.front()->OpenDocumentFile(nullptr);
}

void CApplication::OnFileOpen() {
    std::wstring path;
    if (PromptFileName(path, true, templates_.empty() ? nullptr : templates_.front().get())) OpenDocumentFile(path);
}

bool CApplication::SaveAllModified() {
    for (const auto& t : templates_)
        if (!t->SaveAllModified()) return false;
    return true;
}

void CApplication::CloseAllDocuments() {
    for (const auto& t : templates_) t->CloseAllDocuments();
}

void CApplication::LockApp() { ++locks_; }

void CApplication::UnlockApp() {
    if (locks_ <= 0) return; // an unbalanced unlock must not underflow
    if (--locks_ == 0 && !userControl_ && mainWnd_ && mainWnd_->hwnd())
        ::PostMessageW(mainWnd_->hwnd(), WM_CLOSE, 0, 0);
}

int CApplication::DoMessageBox(const std::wstring& text, UINT type) {
    HWND owner = mainWnd_ ? mainWnd_->hwnd() : nullptr;
    return ::MessageBoxW(owner, text.c_str(), appTitle_.c_str(), type);
}

bool CApplication::PromptFileName(std::wstring& path, bool open, const CDocTemplate* docTemplate) {
    std::wstring filter;
    if (docTemplate && !docTemplate->GetDocString(CDocTemplate::filterName).empty()) {
        filter += docTemplate->GetDocString(CDocTemplate::filterName) + L'\0' +
                  docTemplate->GetDocString(CDocTemplate::filterExt) + L'\0';
    }
    filter += std::wstring(L"All Files (*.*)") + L'\0' + L"*.*" + L'\0' + L'\0';
    std::wstring buffer(4096, L'\0');
    path.copy(&buffer[0], std::min<size_t>(path.size(), buffer.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = mainWnd_ ? mainWnd_->hwnd() : nullptr;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = &buffer[0];
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (open ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT);
    BOOL ok = open ? ::GetOpenFileNameW(&ofn) : ::GetSaveFileNameW(&ofn);
    if (!ok) return false;
    path = buffer.c_str();
    return true;
}
