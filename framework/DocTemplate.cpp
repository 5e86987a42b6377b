#include "framework/DocTemplate.h"
#include "framework/Application.h"
#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "framework/MDIFrameWnd.h"
#include "framework/View.h"
#include <algorithm>

CDocTemplate::CDocTemplate(UINT resourceId, std::function<CDocument*()> newDocument,
                           std::function<CMDIChildWnd*()> newFrame, std::function<CView*()> newView)
    : resourceId_(resourceId), newDocument_(std::move(newDocument)), newFrame_(std::move(newFrame)),
      newView_(std::move(newView)) {
    description_ = LoadResString(resourceId);
    menu_ = ::LoadMenuW(FrameworkInstance(), MAKEINTRESOURCEW(resourceId));
    accel_ = ::LoadAcceleratorsW(FrameworkInstance(), MAKEINTRESOURCEW(resourceId));
}

CDocTemplate::~CDocTemplate() {
    for (CDocument* doc : std::vector<CDocument*>(documents_)) {
        doc->template_ = nullptr;
        delete doc;
    }
    // A menu still in a window's menu bar goes with that window.
    if (menu_) {
        CApplication* app = CApplication::Get();
        bool inUse = app && app->mainWnd() && app->mainWnd()->hwnd() && ::GetMenu(app->mainWnd()->hwnd()) == menu_;
        if (!inUse) ::DestroyMenu(menu_);
    }
}

std::wstring CDocTemplate::GetDocString(DocString index) const {
    size_t start = 0;
    for (int i = 0; i < static_cast<int>(index); ++i) {
        start = description_.find(L'\n', start);
        if (start == std::wstring::npos) return std::wstring();
        ++start;
    }
    size_t end = description_.find(L'\n', start);
    return description_.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

CMDIChildWnd* CDocTemplate::CreateNewFrame(CDocument* document, bool makeVisible) {
    CApplication* app = CApplication::Get();
    if (!app || !app->mainWnd()) return nullptr;
    CMDIChildWnd* frame = newFrame_();
    if (!frame->Create(app->mainWnd(), document, this, newView_())) {
        if (!frame->hwnd()) delete frame;
        else ::SendMessageW(app->mainWnd()->mdiClient(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(frame->hwnd()), 0);
        return nullptr;
    }
    if (frame->view()) frame->view()->OnInitialUpdate();
    for (CView* view : document->views())
        if (view->parentFrame()) view->parentFrame()->OnUpdateFrameTitle();
    if (makeVisible) {
        ::ShowWindow(frame->hwnd(), SW_SHOW);
        frame->Activate();
    }
    app->mainWnd()->OnChildActivated();
    return frame;
}

CDocument* CDocTemplate::OpenDocumentFile(const wchar_t* path, bool makeVisible) {
    CDocument* doc = newDocument_();
    doc->template_ = this;
    documents_.push_back(doc);
    if (!path) {
        std::wstring name = GetDocString(docName);
        if (name.empty()) name = L"Untitled";
        doc->SetTitle(name + std::to_wstring(++untitled_));
    }
    CMDIChildWnd* frame = CreateNewFrame(doc, false);
    if (!frame) {
        RemoveDocument(doc);
        return nullptr;
    }
    bool ok = path ? doc->OnOpenDocument(path) : doc->OnNewDocument();
    if (!ok) {
        doc->OnCloseDocument();
        if (path)
            if (CApplication* app = CApplication::Get())
                app->DoMessageBox(L"Failed to open document.", MB_OK | MB_ICONEXCLAMATION);
        return nullptr;
    }
    if (path) doc->SetPathName(path);
    doc->SetModifiedFlag(false);
    if (frame->view()) frame->view()->OnInitialUpdate();
    if (makeVisible) {
        ::ShowWindow(frame->hwnd(), SW_SHOW);
        frame->Activate();
    }
    return doc;
}

void CDocTemplate::RemoveDocument(CDocument* document) {
    auto it = std::find(documents_.begin(), documents_.end(), document);
    if (it == documents_.end()) return;
    documents_.erase(it);
    delete document;
}

bool CDocTemplate::SaveAllModified() {
    for (CDocument* doc : std::vector<CDocument*>(documents_))
        if (!doc->SaveModified()) return false;
    return true;
}

void CDocTemplate::CloseAllDocuments() {
    for (CDocument* doc : std::vector<CDocument*>(documents_)) doc->OnCloseDocument();
}
