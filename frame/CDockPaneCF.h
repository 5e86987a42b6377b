#pragma once
// CDockPaneCF: the docking pane of the debugger and results panes: a flat caption bar
// with the pane's title (active colours while the pane holds the focus in the active
// frame, a gradient when the system draws gradient captions) and a close button.
#include "frame/CDockPaneG.h"
#include <string>

class CDockPaneCF : public CDockPaneG {
public:
    // "Tahoma" when the family exists, otherwise "Arial".
    static std::wstring CaptionFontFace();
    bool IsCaptionActive() const;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DrawCaption(HDC dc, const RECT& strip, bool horz) override;

private:
    bool active_ = false;
};
