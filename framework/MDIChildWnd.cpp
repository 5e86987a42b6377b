#include "framework/MDIChildWnd.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/MDIFrameWnd.h"
#include "framework/View.h"

bool CMDIChildWnd::Create(CMDIFrameWnd* frame, CDocument* document, CDocTemplate* docTemplate, CView* view) {
    frame_ = frame;
    document_ = document;
    template_ = docTemplate;
    const wchar_t* cls = RegisterClass(L"TevrinChildFrame", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, nullptr,
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
                                       ::LoadIconW(FrameworkInstance(), MAKEINTRESOURCEW(128)));
    std::wstring title = document ? document->GetTitle() : L"";
    if (!CreateEx(WS_EX_MDICHILD, cls, title.c_str(), WS_CHILD | WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, frame->mdiClient(), nullptr)) {
        delete view;
        return false;
    }
    view_ = view;
    if (!view_->Create(this, document)) {
        delete view_;
        view_ = nullptr;
        return false;
    }
    RECT r = ClientRect();
    ::MoveWindow(view_->hwnd(), 0, 0, r.right, r.bottom, TRUE);
    // The new frame took the focus while it had no view to pass it to.
    if (::GetFocus() == hwnd_) ::SetFocus(view_->hwnd());
    OnUpdateFrameTitle();
    return true;
}

HMENU CMDIChildWnd::menu() const { return template_ ? template_->menu() : nullptr; }
HACCEL CMDIChildWnd::accelerators() const { return template_ ? template_->accelerators() : nullptr; }

void CMDIChildWnd::Activate() {
    if (frame_ && hwnd_) ::SendMessageW(frame_->mdiClient(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(hwnd_), 0);
}

void CMDIChildWnd::OnUpdateFrameTitle() {
    if (!document_ || !hwnd_) return;
    std::wstring title = document_->GetTitle();
    // Several frames of one document are told apart by ":n".
    const auto& views = document_->views();
    if (views.size() > 1) {
        for (size_t i = 0; i < views.size(); ++i)
            if (views[i] == view_) title += L":" + std::to_wstring(i + 1);
    }
    if (GetText() != title) SetText(title);
}

bool CMDIChildWnd::RouteCommand(UINT id, Route route, CCmdUI* ui) {
    if (view_ && view_->hwnd() && view_->RouteCommand(id, route, ui)) return true;
    if (!view_ && document_ && document_->RouteCommand(id, route, ui)) return true;
    return RouteOwn(id, route, ui);
}

LRESULT CMDIChildWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefMDIChildProcW(hwnd_, msg, wParam, lParam);
}

void CMDIChildWnd::OnSize(UINT, int cx, int cy) {
    if (view_ && view_->hwnd()) ::MoveWindow(view_->hwnd(), 0, 0, cx, cy, TRUE);
}

bool CMDIChildWnd::OnCommand(UINT, UINT code, HWND control) {
    if (view_ && control && control == view_->hwnd()) return view_->OnReflectedCommand(code);
    return false;
}

void CMDIChildWnd::PostNcDestroy() {
    CMDIFrameWnd* frame = frame_;
    CWindow::PostNcDestroy(); // may delete this
    if (frame) frame->OnChildActivated();
}

LRESULT CMDIChildWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SETFOCUS:
        if (view_ && view_->hwnd()) ::SetFocus(view_->hwnd());
        return 0;
    case WM_MDIACTIVATE: {
        LRESULT r = Default();
        bool active = reinterpret_cast<HWND>(lParam) == hwnd_;
        if (view_) view_->OnActivateView(active);
        if (active && frame_) frame_->OnChildActivated();
        return r;
    }
    case WM_CLOSE: {
        // Only the last frame of a document asks to save it.
        if (document_ && document_->views().size() <= 1 && !document_->SaveModified()) return 0;
        if (frame_ && frame_->mdiClient())
            ::SendMessageW(frame_->mdiClient(), WM_MDIDESTROY, reinterpret_cast<WPARAM>(hwnd_), 0);
        else
            DestroyWindow();
        return 0;
    }
    }
    return CWindow::WindowProc(msg, wParam, lParam);
}
