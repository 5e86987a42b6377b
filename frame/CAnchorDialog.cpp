#include "frame/CAnchorDialog.h"
#include <commctrl.h>

RECT CAnchorDialog::AnchoredRect(const RECT& initial, int flags, int dx, int dy) {
    RECT r = initial;
    auto axis = [](LONG& nearEdge, LONG& farEdge, bool anchoredNear, bool anchoredFar, int delta) {
        if (anchoredFar) {
            farEdge += delta;
            if (!anchoredNear) nearEdge += delta;
        }
    };
    axis(r.left, r.right, (flags & ANCHOR_LEFT) != 0, (flags & ANCHOR_RIGHT) != 0, dx);
    axis(r.top, r.bottom, (flags & ANCHOR_TOP) != 0, (flags & ANCHOR_BOTTOM) != 0, dy);
    return r;
}

void CAnchorDialog::Capture() {
    RECT window = WindowRect();
    minimum_ = {window.right - window.left, window.bottom - window.top};
    RECT client = ClientRect();
    initialClient_ = {client.right, client.bottom};
    for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        int id = ::GetDlgCtrlID(child);
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        auto it = anchors_.find(id);
        anchors_[id] = Anchor{it != anchors_.end() ? it->second.flags : ANCHOR_LEFT | ANCHOR_TOP, r};
    }
    captured_ = true;
}

bool CAnchorDialog::OnInitDialog() {
    Capture();
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                 FrameworkInstance(), nullptr);
    return true;
}

void CAnchorDialog::SetAnchor(int controlId, int flags) {
    auto it = anchors_.find(controlId);
    if (it != anchors_.end()) {
        it->second.flags = flags;
    } else {
        anchors_[controlId] = Anchor{flags, RECT{}};
        if (captured_) {
            // A control added after initialisation: its place in the initial layout is
            // where it is now, moved back by the growth so far.
            HWND child = ::GetDlgItem(hwnd_, controlId);
            RECT r{}, c = ClientRect();
            ::GetWindowRect(child, &r);
            ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
            anchors_[controlId].initial =
                AnchoredRect(r, flags, initialClient_.cx - c.right, initialClient_.cy - c.bottom);
        }
    }
    if (captured_) {
        RECT c = ClientRect();
        OnSize(SIZE_RESTORED, c.right, c.bottom);
    }
}

int CAnchorDialog::GetAnchor(int controlId) const {
    auto it = anchors_.find(controlId);
    return it == anchors_.end() ? ANCHOR_LEFT | ANCHOR_TOP : it->second.flags;
}

void CAnchorDialog::AddTooltip(int controlId, const std::wstring& text) {
    HWND control = ::GetDlgItem(hwnd_, controlId);
    if (!tooltip_ || !control) return;
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

bool CAnchorDialog::PreTranslateMessage(MSG* msg) {
    if (tooltip_ && msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST &&
        (msg->hwnd == hwnd_ || ::IsChild(hwnd_, msg->hwnd)))
        ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    return CDialog::PreTranslateMessage(msg);
}

void CAnchorDialog::OnSize(UINT type, int cx, int cy) {
    if (!captured_ || type == SIZE_MINIMIZED) return;
    int dx = cx - initialClient_.cx, dy = cy - initialClient_.cy;
    HDWP dwp = ::BeginDeferWindowPos(static_cast<int>(anchors_.size()));
    for (const auto& entry : anchors_) {
        HWND control = ::GetDlgItem(hwnd_, entry.first);
        if (!control) continue;
        RECT r = AnchoredRect(entry.second.initial, entry.second.flags, dx, dy);
        if (dwp)
            dwp = ::DeferWindowPos(dwp, control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (dwp) ::EndDeferWindowPos(dwp);
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void CAnchorDialog::OnDestroy() {
    if (tooltip_) ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;
}

LRESULT CAnchorDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETMINMAXINFO:
        if (captured_ && !(::GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD)) {
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimum_.cx, minimum_.cy};
            return TRUE;
        }
        return FALSE;
    case WM_ERASEBKGND: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        int saved = ::SaveDC(dc);
        for (HWND child = ::GetWindow(hwnd_, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (!::IsWindowVisible(child)) continue;
            // Group boxes are transparent: the background shows through them.
            wchar_t cls[16] = {};
            ::GetClassNameW(child, cls, 16);
            if (::lstrcmpiW(cls, L"Button") == 0 &&
                (::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
                continue;
            RECT r{};
            ::GetWindowRect(child, &r);
            ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
            ::ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
        }
        RECT client = ClientRect();
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        ::RestoreDC(dc, saved);
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    }
    return CDialog::WindowProc(msg, wParam, lParam);
}
