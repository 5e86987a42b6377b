#pragma once
// CDockPaneFloatFrame: the floating frame of the docking panes: a captioned tool window
// with a sizing border whose system menu offers "&Hide" instead of Close. Install with
//     frame->SetFloatingFrameFactory([] { return new CDockPaneFloatFrame; });
#include "framework/MiniDockFrame.h"

class CDockPaneFloatFrame : public CMiniDockFrame {
public:
    bool Create(CMDIFrameWnd* frame, CControlBar* bar) override;
};
