#pragma once
// CView: a window that shows a document inside a child frame. Commands reach the view
// first, then its document. Derived views override Create to make their own window
// (CRichEditView makes a rich edit control), OnInitialUpdate and OnUpdate.
// The view object deletes itself with its window.
#include "framework/CmdTarget.h"
#include "framework/Window.h"

class CDocument;
class CMDIChildWnd;

class CView : public CWindow, public CCmdTarget {
public:
    CView() { deleteOnDestroy = true; }
    ~CView() override;
    virtual bool Create(CMDIChildWnd* parent, CDocument* document);
    CDocument* GetDocument() const { return document_; }
    CMDIChildWnd* parentFrame() const { return parent_; }

    virtual void OnInitialUpdate() { OnUpdate(nullptr, 0); }
    virtual void OnUpdate(CView* /*sender*/, LPARAM /*hint*/) { ::InvalidateRect(hwnd_, nullptr, TRUE); }
    virtual void OnActivateView(bool /*active*/) {}
    // Notifications of the view's own control, passed on by the child frame.
    virtual bool OnReflectedCommand(UINT /*code*/) { return false; }

    bool RouteCommand(UINT id, Route route, CCmdUI* ui) override;

protected:
    void PostNcDestroy() override;
    void Attach(CMDIChildWnd* parent, CDocument* document);
    CDocument* document_ = nullptr;
    CMDIChildWnd* parent_ = nullptr;
};
