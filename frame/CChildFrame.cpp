#include "frame/CChildFrame.h"
#include "framework/MDIFrameWnd.h"

bool CChildFrame::Create(CMDIFrameWnd* frame, CDocument* document, CDocTemplate* docTemplate, CView* view) {
    const bool first = frame && frame->MDIGetActive() == nullptr;
    if (!CMDIChildWnd::Create(frame, document, docTemplate, view)) return false;
    if (first) {
        RECT client{};
        ::GetClientRect(frame->mdiClient(), &client);
        ::SetWindowPos(hwnd_, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}
