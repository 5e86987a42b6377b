#pragma once
// CDockPaneG: a docking pane with a gripper and a close button in its non-client area:
// the strip lies along the left edge when docked at the top or bottom, along the top
// when docked at the left or right; a floating pane shows neither (its floating frame
// has a caption). The close button hides the pane; a double click on the strip floats it.
#include "frame/CDockPane.h"

class CDockPaneG : public CDockPane {
public:
    // Screen rectangles, empty while floating.
    RECT CaptionRect() const;
    RECT CloseButtonRect() const;
    bool closeHot() const { return closeHot_; }
    bool closePressed() const { return closePressed_; }
    static bool HasMarlett();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    RECT NcInsets() const override;
    void NcPaint(HDC dc, const RECT& window) override;
    UINT NcHitTest(POINT screen) override;
    // The strip in window coordinates; horz: docked at the top or bottom.
    virtual void DrawCaption(HDC dc, const RECT& strip, bool horz);
    void DrawCloseButton(HDC dc, const RECT& button);
    // Window-relative strip and button.
    RECT StripRect(const RECT& window) const;
    RECT ButtonRect(const RECT& window) const;
    void RedrawFrame();

private:
    bool closeHot_ = false;
    bool closePressed_ = false;
    bool closeTracking_ = false;
};
