#pragma once
// CMiniDockFrame: the small captioned tool window that holds one floating control bar.
// Closing it hides the bar; a double click on its caption docks the bar again on the
// side it last had. Programs install their own derived class with
// CMDIFrameWnd::SetFloatingFrameFactory.
#include "framework/Window.h"

class CControlBar;
class CMDIFrameWnd;

class CMiniDockFrame : public CWindow {
public:
    virtual bool Create(CMDIFrameWnd* frame, CControlBar* bar);
    CControlBar* bar() const { return bar_; }
    // Sizes the frame so that its client area is `client` and moves it to `topLeft`.
    void PlaceClient(POINT topLeft, SIZE client);
    void PostNcDestroy() override;

protected:
    friend class CControlBar;
    friend class CMDIFrameWnd;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual DWORD FrameStyle() const;
    CMDIFrameWnd* frame_ = nullptr;
    CControlBar* bar_ = nullptr;
};
