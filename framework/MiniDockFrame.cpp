#include "framework/MiniDockFrame.h"
#include "framework/DockDrag.h"
#include "framework/ControlBar.h"
#include "framework/MDIFrameWnd.h"

DWORD CMiniDockFrame::FrameStyle() const {
    return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
}

bool CMiniDockFrame::Create(CMDIFrameWnd* frame, CControlBar* bar) {
    frame_ = frame;
    bar_ = bar;
    const wchar_t* cls = RegisterClass(L"TevrinMiniFrame", CS_DBLCLKS, nullptr,
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return CreateEx(WS_EX_TOOLWINDOW, cls, bar->Title(), FrameStyle(), 0, 0, 100, 100, frame->hwnd(), nullptr);
}

void CMiniDockFrame::PlaceClient(POINT topLeft, SIZE client) {
    RECT r{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_EXSTYLE)));
    ::SetWindowPos(hwnd_, nullptr, topLeft.x, topLeft.y, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CMiniDockFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (bar_ && bar_->hwnd() && wParam != SIZE_MINIMIZED) {
            int cx = LOWORD(lParam), cy = HIWORD(lParam);
            ::MoveWindow(bar_->hwnd(), 0, 0, cx, cy, TRUE);
            bar_->OnLayoutSize(SIZE{cx, cy}, true);
        }
        return 0;
    case WM_GETMINMAXINFO:
        if (bar_) {
            SIZE min = bar_->MinimumFloatSize();
            RECT r{0, 0, min.cx, min.cy};
            ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                                 static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_EXSTYLE)));
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
            return 0;
        }
        break;
    case WM_CLOSE:
        if (bar_ && frame_) frame_->ShowControlBar(bar_, false);
        return 0;
    case WM_NCLBUTTONDOWN:
        // Dragged by its caption, the floating bar moves or docks onto a side of the frame.
        if (wParam == HTCAPTION && bar_ && frame_ && ::GetKeyState(VK_LBUTTON) < 0) {
            ::SetActiveWindow(hwnd_);
            CDockDrag(frame_, bar_).Track(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return 0;
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION && bar_ && frame_ && bar_->lastDockSide) {
            frame_->DockControlBar(bar_, bar_->lastDockSide);
            return 0;
        }
        break;
    case WM_COMMAND:
        // Commands of the floating bar's content go to the main frame.
        if (frame_ && lParam == 0) return ::SendMessageW(frame_->hwnd(), msg, wParam, lParam);
        break;
    }
    return CWindow::WindowProc(msg, wParam, lParam);
}

void CMiniDockFrame::PostNcDestroy() {
    // The bar may outlive its floating frame (frame closing first).
    if (bar_ && bar_->floatFrame_ == this) bar_->floatFrame_ = nullptr;
    bar_ = nullptr;
    CWindow::PostNcDestroy();
}
