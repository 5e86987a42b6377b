#include "framework/Document.h"
#include "framework/Application.h"
#include "framework/DocTemplate.h"
#include "framework/FrameworkIds.h"
#include "framework/MDIChildWnd.h"
#include "framework/MDIFrameWnd.h"
#include "framework/View.h"
#include <algorithm>

CDocument::CDocument() {
    AddCommand(ID_FILE_SAVE, [this] { DoFileSave(); });
    AddCommand(ID_FILE_SAVE_AS, [this] { DoSave(std::wstring()); });
    AddCommand(ID_FILE_CLOSE, [this] {
        if (SaveModified()) OnCloseDocument();
    });
}

CDocument::~CDocument() = default;

void CDocument::SetPathName(const std::wstring& path, bool addToRecent) {
    wchar_t full[MAX_PATH * 2];
    DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    path_ = (n > 0 && n < MAX_PATH * 2) ? std::wstring(full, n) : path;
    size_t slash = path_.find_last_of(L"\\/");
    SetTitle(slash == std::wstring::npos ? path_ : path_.substr(slash + 1));
    if (addToRecent)
        if (CApplication* app = CApplication::Get()) app->AddToRecentFileList(path_);
}

void CDocument::SetTitle(const std::wstring& title) {
    title_ = title;
    for (CView* view : views_)
        if (view->parentFrame()) view->parentFrame()->OnUpdateFrameTitle();
    if (CApplication* app = CApplication::Get())
        if (app->mainWnd()) app->mainWnd()->OnUpdateFrameTitle();
}

void CDocument::SetModifiedFlag(bool modified) { modified_ = modified; }

void CDocument::AddView(CView* view) {
    if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void CDocument::RemoveView(CView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
    if (views_.empty() && !closing_ && template_) {
        template_->RemoveDocument(this); // deletes this
        return;
    }
    // The remaining frames renumber (or lose) their ":n".
    for (CView* v : views_)
        if (v->parentFrame()) v->parentFrame()->OnUpdateFrameTitle();
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint) {
    for (CView* view : std::vector<CView*>(views_))
        if (view != sender) view->OnUpdate(sender, hint);
}

bool CDocument::OnNewDocument() {
    path_.clear();
    modified_ = false;
    return true;
}

bool CDocument::OnOpenDocument(const std::wstring&) {
    modified_ = false;
    return true;
}

bool CDocument::OnSaveDocument(const std::wstring&) {
    modified_ = false;
    return true;
}

void CDocument::OnCloseDocument() {
    closing_ = true;
    for (CView* view : std::vector<CView*>(views_)) {
        CMDIChildWnd* frame = view->parentFrame();
        if (frame && frame->hwnd()) {
            if (frame->mdiFrame() && frame->mdiFrame()->mdiClient())
                ::SendMessageW(frame->mdiFrame()->mdiClient(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(frame->hwnd()), 0);
            else
                frame->DestroyWindow();
        }
    }
    views_.clear();
    if (template_)
        template_->RemoveDocument(this); // deletes this
    else
        delete this;
}

bool CDocument::SaveModified() {
    if (!modified_) return true;
    CApplication* app = CApplication::Get();
    std::wstring name = title_.empty() ? L"Untitled" : title_;
    int answer = app ? app->DoMessageBox(L"Save changes to " + name + L"?", MB_YESNOCANCEL | MB_ICONEXCLAMATION) : IDNO;
    if (answer == IDCANCEL) return false;
    if (answer == IDNO) return true;
    return DoFileSave();
}

bool CDocument::DoFileSave() {
    DWORD attributes = path_.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path_.c_str());
    // A read-only file is saved under a new name rather than failing.
    if (path_.empty() || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)))
        return DoSave(std::wstring());
    return DoSave(path_);
}

bool CDocument::DoSave(const std::wstring& path, bool replacePath) {
    std::wstring target = path;
    CApplication* app = CApplication::Get();
    if (target.empty()) {
        target = ProposedFileName();
        if (!app || !app->PromptFileName(target, false, template_)) return false;
    }
    if (!OnSaveDocument(target)) {
        if (app) app->DoMessageBox(L"Failed to save document.", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (replacePath) SetPathName(target);
    SetModifiedFlag(false);
    return true;
}

bool CDocument::RouteCommand(UINT id, Route route, CCmdUI* ui) { return RouteOwn(id, route, ui); }
