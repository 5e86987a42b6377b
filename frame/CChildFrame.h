#pragma once
// CChildFrame: the frame of one script view inside the main window's MDI client. The
// framework gives it the script document's menu and accelerators. The first script
// fills the MDI client (not maximised: a maximised child would rewrite the main
// window's caption, which shows the run state); later ones cascade as usual.
#include "framework/MDIChildWnd.h"

class CChildFrame : public CMDIChildWnd {
public:
    bool Create(CMDIFrameWnd* frame, CDocument* document, CDocTemplate* docTemplate, CView* view) override;
};
