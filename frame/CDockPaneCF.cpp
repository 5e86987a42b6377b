#include "frame/CDockPaneCF.h"
#include "common/GdiOwners.h"
#include "framework/Dialog.h"
#include "framework/MDIFrameWnd.h"

namespace {
int CALLBACK FoundFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}
} // namespace

std::wstring CDockPaneCF::CaptionFontFace() {
    static const std::wstring face = [] {
        LOGFONTW lf{};
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpyW(lf.lfFaceName, L"Tahoma");
        bool found = false;
        common::WindowDc screen(nullptr);
        ::EnumFontFamiliesExW(screen.get(), &lf, FoundFamily, reinterpret_cast<LPARAM>(&found), 0);
        return std::wstring(found ? L"Tahoma" : L"Arial");
    }();
    return face;
}

bool CDockPaneCF::IsCaptionActive() const {
    HWND focus = ::GetFocus();
    HWND frame = frame_ ? frame_->hwnd() : nullptr;
    return focus && (focus == hwnd_ || ::IsChild(hwnd_, focus)) && frame && ::GetActiveWindow() == frame;
}

void CDockPaneCF::DrawCaption(HDC dc, const RECT& strip, bool horz) {
    bool active = IsCaptionActive();
    COLORREF from = ::GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    BOOL gradient = FALSE;
    ::SystemParametersInfoW(SPI_GETGRADIENTCAPTIONS, 0, &gradient, 0);
    if (gradient) {
        COLORREF to = ::GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
        const int steps = 64;
        int length = horz ? strip.bottom - strip.top : strip.right - strip.left;
        for (int i = 0; i < steps; ++i) {
            COLORREF c = RGB(GetRValue(from) + (GetRValue(to) - GetRValue(from)) * i / steps,
                             GetGValue(from) + (GetGValue(to) - GetGValue(from)) * i / steps,
                             GetBValue(from) + (GetBValue(to) - GetBValue(from)) * i / steps);
            int a = length * i / steps, b = length * (i + 1) / steps;
            // Along the caption away from the title's start (bottom-up when vertical).
            RECT part = horz ? RECT{strip.left, strip.bottom - b, strip.right, strip.bottom - a}
                             : RECT{strip.left + a, strip.top, strip.left + b, strip.bottom};
            common::UniqueGdiObject brush(::CreateSolidBrush(c));
            ::FillRect(dc, &part, static_cast<HBRUSH>(brush.get()));
        }
    } else {
        common::UniqueGdiObject brush(::CreateSolidBrush(from));
        ::FillRect(dc, &strip, static_cast<HBRUSH>(brush.get()));
    }
    int dpi = ::GetDeviceCaps(common::WindowDc(nullptr).get(), LOGPIXELSX);
    // 8.5 points at 96 dpi is 11 pixels; scaled with the screen.
    int height = -::MulDiv(11, dpi, 96);
    common::UniqueGdiObject font(::CreateFontW(height, 0, horz ? 900 : 0, horz ? 900 : 0, FW_NORMAL, 0, 0, 0,
                                               DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, CaptionFontFace().c_str()));
    common::SelectedObject selected(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    RECT clip = strip;
    const std::wstring& title = title_;
    if (horz) {
        clip.top += kCaption + 1; // below the close button
        ::ExtTextOutW(dc, strip.left, strip.bottom - 3, ETO_CLIPPED, &clip, title.c_str(),
                      static_cast<UINT>(title.size()), nullptr);
    } else {
        clip.right -= kCaption + 1;
        ::ExtTextOutW(dc, strip.left + 3, strip.top, ETO_CLIPPED, &clip, title.c_str(),
                      static_cast<UINT>(title.size()), nullptr);
    }
}

LRESULT CDockPaneCF::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PARENTNOTIFY || msg == WM_MOUSEACTIVATE || msg == WM_SETFOCUS) {
        LRESULT r = CDockPaneG::WindowProc(msg, wParam, lParam);
        if (msg == WM_MOUSEACTIVATE && content_ && content_->hwnd() && !::IsChild(hwnd_, ::GetFocus()))
            ::SetFocus(content_->hwnd());
        bool active = IsCaptionActive();
        if (active != active_) {
            active_ = active;
            RedrawFrame();
        }
        return r;
    }
    return CDockPaneG::WindowProc(msg, wParam, lParam);
}
