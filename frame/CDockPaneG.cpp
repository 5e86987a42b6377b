#include "frame/CDockPaneG.h"
#include "common/GdiOwners.h"
#include "framework/MDIFrameWnd.h"

namespace {
int CALLBACK FoundFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}
} // namespace

bool CDockPaneG::HasMarlett() {
    static const bool found = [] {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpyW(lf.lfFaceName, L"Marlett");
        bool exists = false;
        common::WindowDc screen(nullptr);
        ::EnumFontFamiliesExW(screen.get(), &lf, FoundFamily, reinterpret_cast<LPARAM>(&exists), 0);
        return exists;
    }();
    return found;
}

RECT CDockPaneG::NcInsets() const {
    RECT in = CDockPane::NcInsets();
    if (!IsFloating() && dockSide_) {
        if (IsHorzDocked()) in.left += kCaption; else in.top += kCaption;
    }
    return in;
}

RECT CDockPaneG::StripRect(const RECT& w) const {
    if (IsFloating() || !dockSide_) return RECT{};
    RECT base = CDockPane::NcInsets();
    if (IsHorzDocked()) return RECT{w.left + base.left, w.top + base.top, w.left + base.left + kCaption, w.bottom - base.bottom};
    return RECT{w.left + base.left, w.top + base.top, w.right - base.right, w.top + base.top + kCaption};
}

RECT CDockPaneG::ButtonRect(const RECT& w) const {
    RECT s = StripRect(w);
    if (::IsRectEmpty(&s)) return s;
    if (IsHorzDocked()) return RECT{s.left, s.top, s.left + kCaption, s.top + kCaption};
    return RECT{s.right - kCaption, s.top, s.right, s.top + kCaption};
}

RECT CDockPaneG::CaptionRect() const { return StripRect(WindowRect()); }
RECT CDockPaneG::CloseButtonRect() const { return ButtonRect(WindowRect()); }

UINT CDockPaneG::NcHitTest(POINT screen) {
    if (UINT edge = SizingEdgeAt(screen)) return edge;
    RECT button = CloseButtonRect();
    if (::PtInRect(&button, screen)) return HTCLOSE;
    RECT strip = CaptionRect();
    if (::PtInRect(&strip, screen)) return HTCAPTION;
    return CDockPane::NcHitTest(screen);
}

void CDockPaneG::DrawCaption(HDC dc, const RECT& strip, bool horz) {
    // Two raised 3-pixel lines.
    for (int i = 0; i < 2; ++i) {
        RECT line = horz ? RECT{strip.left + 2 + i * 4, strip.top + kCaption + 2, strip.left + 5 + i * 4, strip.bottom - 2}
                         : RECT{strip.left + 2, strip.top + 2 + i * 4, strip.right - kCaption - 2, strip.top + 5 + i * 4};
        ::DrawEdge(dc, &line, BDR_RAISEDINNER, BF_RECT);
    }
}

void CDockPaneG::DrawCloseButton(HDC dc, const RECT& button) {
    RECT b = button;
    if (closePressed_ && closeHot_)
        ::DrawEdge(dc, &b, BDR_SUNKENOUTER, BF_RECT);
    else if (closeHot_)
        ::DrawEdge(dc, &b, BDR_RAISEDINNER, BF_RECT);
    if (!HasMarlett()) {
        // No symbol font (a bare Wine prefix): draw the cross with lines.
        int inset = 3 + ((closePressed_ && closeHot_) ? 1 : 0);
        common::UniqueGdiObject pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNTEXT)));
        common::SelectedObject selected(dc, pen.get());
        // Two pixels wide: each diagonal drawn twice, one pixel apart.
        for (int i = 0; i < 2; ++i) {
            ::MoveToEx(dc, b.left + inset + i, b.top + inset, nullptr);
            ::LineTo(dc, b.right - inset + i, b.bottom - inset);
            ::MoveToEx(dc, b.right - inset - 1 - i, b.top + inset, nullptr);
            ::LineTo(dc, b.left + inset - 1 - i, b.bottom - inset);
        }
        return;
    }
    int height = -::MulDiv(6, ::GetDeviceCaps(common::WindowDc(nullptr).get(), LOGPIXELSY), 72);
    common::UniqueGdiObject font(::CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET, 0, 0, 0, 0, L"Marlett"));
    common::SelectedObject selected(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    if (closePressed_ && closeHot_) ::OffsetRect(&b, 1, 1);
    ::DrawTextW(dc, L"r", 1, &b, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
}

void CDockPaneG::NcPaint(HDC dc, const RECT& window) {
    CDockPane::NcPaint(dc, window);
    RECT strip = StripRect(window);
    if (::IsRectEmpty(&strip)) return;
    DrawCaption(dc, strip, IsHorzDocked());
    DrawCloseButton(dc, ButtonRect(window));
}

void CDockPaneG::RedrawFrame() { ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW); }

LRESULT CDockPaneG::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCMOUSEMOVE: {
        bool hot = wParam == HTCLOSE;
        if (hot != closeHot_) {
            closeHot_ = hot;
            RedrawFrame();
        }
        if (hot) {
            TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE | TME_NONCLIENT, hwnd_, 0};
            ::TrackMouseEvent(&tme);
        }
        break;
    }
    case WM_NCMOUSELEAVE:
        if (closeHot_ && !closeTracking_) {
            closeHot_ = false;
            RedrawFrame();
        }
        break;
    case WM_NCLBUTTONDOWN:
        if (wParam == HTCLOSE) {
            closeTracking_ = closePressed_ = closeHot_ = true;
            ::SetCapture(hwnd_);
            RedrawFrame();
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (closeTracking_) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(hwnd_, &p);
            RECT b = CloseButtonRect();
            bool over = ::PtInRect(&b, p) != FALSE;
            if (over != closeHot_) {
                closeHot_ = over;
                RedrawFrame();
            }
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (closeTracking_) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(hwnd_, &p);
            RECT b = CloseButtonRect();
            closeTracking_ = closePressed_ = closeHot_ = false;
            if (::GetCapture() == hwnd_) ::ReleaseCapture();
            RedrawFrame();
            if (::PtInRect(&b, p) && frame_) frame_->ShowControlBar(this, false);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (closeTracking_ && reinterpret_cast<HWND>(lParam) != hwnd_) {
            closeTracking_ = closePressed_ = closeHot_ = false;
            RedrawFrame();
        }
        break;
    }
    return CDockPane::WindowProc(msg, wParam, lParam);
}
