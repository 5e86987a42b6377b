#include "framework/ControlBar.h"
#include "framework/FrameworkIds.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MiniDockFrame.h"

CControlBar::~CControlBar() {
    if (frame_) frame_->ForgetBar(this);
    if (floatFrame_) {
        floatFrame_->bar_ = nullptr;
        floatFrame_->DestroyWindow();
    }
}

bool CControlBar::IsHorzSide(UINT side) { return side == IDW_DOCKBAR_TOP || side == IDW_DOCKBAR_BOTTOM; }

bool CControlBar::IsBarVisible() const {
    if (IsFloating()) return floatFrame_ && floatFrame_->IsVisible();
    return hwnd_ && (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE);
}

bool CControlBar::CreateBar(CMDIFrameWnd* frame, UINT id, const wchar_t* title, DWORD style) {
    frame_ = frame;
    id_ = id;
    title_ = title ? title : L"";
    const wchar_t* cls = RegisterClass(L"TevrinControlBar", CS_DBLCLKS, nullptr,
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    return CreateEx(0, cls, title_.c_str(), (style & ~WS_VISIBLE) | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                    0, 0, 0, 0, frame->hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT CControlBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        // Buttons and menu commands belong to the frame; notifications of our own
        // child controls stay with the bar.
        if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) {
            if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return 0;
            if (frame_ && frame_->hwnd()) return ::SendMessageW(frame_->hwnd(), WM_COMMAND, LOWORD(wParam), 0);
        }
        break;
    }
    return CWindow::WindowProc(msg, wParam, lParam);
}
