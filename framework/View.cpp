#include "framework/View.h"
#include "framework/Document.h"
#include "framework/MDIChildWnd.h"

CView::~CView() {
    if (document_) {
        CDocument* doc = document_;
        document_ = nullptr;
        doc->RemoveView(this);
    }
}

void CView::Attach(CMDIChildWnd* parent, CDocument* document) {
    parent_ = parent;
    document_ = document;
    if (document) document->AddView(this);
}

bool CView::Create(CMDIChildWnd* parent, CDocument* document) {
    const wchar_t* cls = RegisterClass(L"TevrinView", CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    if (!CreateEx(0, cls, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent->hwnd(),
                  reinterpret_cast<HMENU>(0xE900)))
        return false;
    Attach(parent, document);
    return true;
}

bool CView::RouteCommand(UINT id, Route route, CCmdUI* ui) {
    if (RouteOwn(id, route, ui)) return true;
    return document_ && document_->RouteCommand(id, route, ui);
}

void CView::PostNcDestroy() {
    if (document_) {
        CDocument* doc = document_;
        document_ = nullptr;
        doc->RemoveView(this);
    }
    CWindow::PostNcDestroy();
}
