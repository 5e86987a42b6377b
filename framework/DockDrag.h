#pragma once
// CDockDrag: a control bar moved with the mouse, from a pane's caption, a toolbar's
// gripper or a floating frame's caption. While the button is held, a rectangle on the
// screen shows where the bar will land:
//   - docked, when the pointer is over a row of bars of a side the bar may dock on (it
//     joins that row at the pointer), or near the inner edge of such a side (a new row);
//   - floating anywhere else, and always while Ctrl is held.
// Releasing the button places the bar there; Escape, or losing the mouse, cancels.
//     CDockDrag drag(frame, bar);
//     drag.Track(pointerOnScreen);   // returns when the drag is over
#include <windows.h>

class CControlBar;
class CMDIFrameWnd;

class CDockDrag {
public:
    // How far inside the frame's central area the pointer still opens a new row.
    static const int kSnapDistance = 24;

    struct Target {
        UINT side;  // IDW_DOCKBAR_TOP/BOTTOM/LEFT/RIGHT, or IDW_DOCKBAR_FLOAT
        bool newRow;
        RECT rect;  // screen coordinates
    };

    CDockDrag(CMDIFrameWnd* frame, CControlBar* bar);
    // Where the bar would land with the pointer at `pointer`, grabbed `grab` pixels from
    // its top-left corner.
    Target TargetAt(POINT pointer, POINT grab, bool keepFloating) const;
    // Places the bar at a target.
    void Drop(const Target& target) const;
    // Follows the mouse from `start` (screen) until the button is released or the drag
    // is cancelled; the bar's window holds the capture meanwhile. True when the bar was
    // placed anew.
    bool Track(POINT start);

private:
    void Show(const Target& target);
    void Hide();
    RECT BarRectOnScreen() const;

    CMDIFrameWnd* frame_;
    CControlBar* bar_;
    bool shown_ = false;
    Target drawn_{};
};
