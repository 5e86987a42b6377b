#pragma once
// CControlBar: a bar that the MDI frame docks in rows on its four sides or floats in a
// small tool window (CMiniDockFrame). The frame owns the layout (CMDIFrameWnd::
// DockControlBar, FloatControlBar, ShowControlBar, RecalcLayout); a bar only tells it
// the size it wants. Toolbars, the status bar and the docking panes derive from it.
//
// Commands from the bar's buttons and controls go to the frame that owns the bar.
#include "framework/Window.h"

class CMDIFrameWnd;
class CMiniDockFrame;

class CControlBar : public CWindow {
public:
    ~CControlBar() override;
    UINT id() const { return id_; }
    CMDIFrameWnd* frame() const { return frame_; }
    // IDW_DOCKBAR_TOP/LEFT/RIGHT/BOTTOM while docked, IDW_DOCKBAR_FLOAT while floating,
    // 0 before the bar is placed.
    UINT dockSide() const { return dockSide_; }
    bool IsFloating() const { return dockSide_ == IDW_DOCKBAR_FLOAT_ID; }
    static bool IsHorzSide(UINT side);
    // DOCK_* mask of the sides the bar may dock on; 0 floats only.
    void EnableDocking(DWORD sides) { dockMask_ = sides; }
    DWORD dockMask() const { return dockMask_; }
    CMiniDockFrame* floatFrame() const { return floatFrame_; }
    // Visible in its place (docked, or its floating frame shown).
    bool IsBarVisible() const;

    // Size wanted when docked in a horizontal (top/bottom) or vertical row:
    // cx along the row for horizontal rows, cy along it for vertical ones.
    virtual SIZE CalcFixedLayout(bool horz) = 0;
    virtual SIZE MinimumSize(bool horz) { return CalcFixedLayout(horz); }
    virtual SIZE FloatSize() { return CalcFixedLayout(true); }
    virtual SIZE MinimumFloatSize() { return FloatSize(); }
    // The size the layout gave the bar (docked) or its floating client size; bars that
    // remember their sizes store it.
    virtual void OnLayoutSize(SIZE, bool /*floating*/) {}
    // A stretchable bar takes what is left of its row when it is the last one in it.
    virtual bool IsStretchable() const { return false; }
    // Called after the dock side changed (the non-client area may depend on it).
    virtual void OnDockSideChanged() {}
    virtual const wchar_t* Title() const { return title_.c_str(); }

    // The rectangle the last layout gave the bar, in frame client coordinates.
    RECT layoutRect{};
    // The side a floating bar returns to.
    UINT lastDockSide = 0;

protected:
    friend class CMDIFrameWnd;
    friend class CMiniDockFrame;
    // Creates the bar window as a child of the frame (hidden until docked or floated).
    bool CreateBar(CMDIFrameWnd* frame, UINT id, const wchar_t* title, DWORD style);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    static const UINT IDW_DOCKBAR_FLOAT_ID = 0xE81F;
    CMDIFrameWnd* frame_ = nullptr;
    CMiniDockFrame* floatFrame_ = nullptr;
    UINT id_ = 0;
    UINT dockSide_ = 0;
    DWORD dockMask_ = 0xF;
    std::wstring title_;
};
