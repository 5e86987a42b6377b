#pragma once
// CMDIChildWnd: the frame of one view of a document inside the MDI client. Its menu and
// accelerators are its document template's. Closing the last frame of a modified
// document asks to save it first. The object deletes itself with its window.
#include "framework/CmdTarget.h"
#include "framework/Window.h"

class CDocTemplate;
class CDocument;
class CMDIFrameWnd;
class CView;

class CMDIChildWnd : public CWindow, public CCmdTarget {
public:
    CMDIChildWnd() { deleteOnDestroy = true; }
    virtual bool Create(CMDIFrameWnd* frame, CDocument* document, CDocTemplate* docTemplate, CView* view);

    CView* view() const { return view_; }
    CDocument* document() const { return document_; }
    CMDIFrameWnd* mdiFrame() const { return frame_; }
    HMENU menu() const;
    HACCEL accelerators() const;
    void Activate();
    // Caption: the document title, with ":n" when the document has several frames.
    virtual void OnUpdateFrameTitle();

    bool RouteCommand(UINT id, Route route, CCmdUI* ui) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSize(UINT type, int cx, int cy) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void PostNcDestroy() override;

    CMDIFrameWnd* frame_ = nullptr;
    CDocument* document_ = nullptr;
    CDocTemplate* template_ = nullptr;
    CView* view_ = nullptr;
};
