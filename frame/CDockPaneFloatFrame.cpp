#include "frame/CDockPaneFloatFrame.h"
#include "framework/FrameworkIds.h"

bool CDockPaneFloatFrame::Create(CMDIFrameWnd* frame, CControlBar* bar) {
    if (!CMiniDockFrame::Create(frame, bar)) return false;
    HMENU system = ::GetSystemMenu(hwnd_, FALSE);
    if (system) {
        std::wstring hide = LoadResString(IDS_HIDE);
        if (hide.empty()) hide = L"&Hide";
        ::ModifyMenuW(system, SC_CLOSE, MF_BYCOMMAND | MF_STRING, SC_CLOSE, hide.c_str());
    }
    return true;
}
