#include "framework/DockDrag.h"
#include "framework/ControlBar.h"
#include "framework/FrameworkIds.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MiniDockFrame.h"
#include <algorithm>
#include <cstdlib>

namespace {

DWORD MaskOf(UINT side) {
    switch (side) {
    case IDW_DOCKBAR_TOP: return DOCK_TOP;
    case IDW_DOCKBAR_BOTTOM: return DOCK_BOTTOM;
    case IDW_DOCKBAR_LEFT: return DOCK_LEFT;
    case IDW_DOCKBAR_RIGHT: return DOCK_RIGHT;
    default: return 0;
    }
}

RECT ToScreen(HWND window, RECT r) {
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool KeyHeld(int key) { return ::GetKeyState(key) < 0; }

// A frame drawn by combining the screen with a light grey (exclusive or): drawn twice, it
// is gone, and it shows on white, black and the grey of the frame's empty area alike.
void InvertFrame(const RECT& r, int width) {
    HDC dc = ::GetDCEx(nullptr, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (!dc) dc = ::GetDC(nullptr);
    if (!dc) return;
    HBRUSH brush = ::CreateSolidBrush(RGB(192, 192, 192));
    HGDIOBJ old = ::SelectObject(dc, brush ? static_cast<HGDIOBJ>(brush) : ::GetStockObject(LTGRAY_BRUSH));
    const int w = r.right - r.left, h = r.bottom - r.top;
    ::PatBlt(dc, r.left, r.top, w, width, PATINVERT);
    ::PatBlt(dc, r.left, r.bottom - width, w, width, PATINVERT);
    ::PatBlt(dc, r.left, r.top + width, width, h - 2 * width, PATINVERT);
    ::PatBlt(dc, r.right - width, r.top + width, width, h - 2 * width, PATINVERT);
    ::SelectObject(dc, old);
    if (brush) ::DeleteObject(brush);
    ::ReleaseDC(nullptr, dc);
}

} // namespace

CDockDrag::CDockDrag(CMDIFrameWnd* frame, CControlBar* bar) : frame_(frame), bar_(bar) {}

RECT CDockDrag::BarRectOnScreen() const {
    if (bar_->floatFrame() && bar_->floatFrame()->hwnd()) return bar_->floatFrame()->WindowRect();
    return bar_->WindowRect();
}

CDockDrag::Target CDockDrag::TargetAt(POINT pointer, POINT grab, bool keepFloating) const {
    const RECT outer = ToScreen(frame_->hwnd(), frame_->ClientRect());
    RECT inner{};
    ::GetWindowRect(frame_->mdiClient(), &inner);
    if (!keepFloating && ::PtInRect(&outer, pointer)) {
        for (UINT side : {IDW_DOCKBAR_TOP, IDW_DOCKBAR_BOTTOM, IDW_DOCKBAR_LEFT, IDW_DOCKBAR_RIGHT}) {
            if (!(bar_->dockMask() & MaskOf(side))) continue;
            const bool horz = CControlBar::IsHorzSide(side);
            const SIZE size = bar_->CalcFixedLayout(horz);
            // Over one of the side's rows: the bar joins it at the pointer.
            for (const auto& row : frame_->Rows(side)) {
                RECT band{};
                bool any = false;
                for (const CControlBar* other : row) {
                    if (other == bar_ || !other->IsBarVisible()) continue;
                    const RECT r = ToScreen(frame_->hwnd(), other->layoutRect);
                    band = any ? RECT{std::min(band.left, r.left), std::min(band.top, r.top),
                                      std::max(band.right, r.right), std::max(band.bottom, r.bottom)}
                               : r;
                    any = true;
                }
                if (!any) continue;
                // The row spans the frame along its side.
                if (horz) band.left = outer.left, band.right = outer.right;
                else band.top = outer.top, band.bottom = outer.bottom;
                if (!::PtInRect(&band, pointer)) continue;
                RECT r = horz ? RECT{pointer.x - grab.x, band.top, pointer.x - grab.x + size.cx, band.bottom}
                              : RECT{band.left, pointer.y - grab.y, band.right, pointer.y - grab.y + size.cy};
                return Target{side, false, r};
            }
            // Between the frame's edge and just inside the central area: a new, innermost row.
            RECT zone = outer;
            switch (side) {
            case IDW_DOCKBAR_TOP: zone.bottom = inner.top + kSnapDistance; break;
            case IDW_DOCKBAR_BOTTOM: zone.top = inner.bottom - kSnapDistance; break;
            case IDW_DOCKBAR_LEFT: zone.right = inner.left + kSnapDistance; break;
            default: zone.left = inner.right - kSnapDistance; break;
            }
            if (!::PtInRect(&zone, pointer)) continue;
            RECT r{};
            switch (side) {
            case IDW_DOCKBAR_TOP: r = RECT{inner.left, inner.top, inner.right, inner.top + size.cy}; break;
            case IDW_DOCKBAR_BOTTOM: r = RECT{inner.left, inner.bottom - size.cy, inner.right, inner.bottom}; break;
            case IDW_DOCKBAR_LEFT: r = RECT{inner.left, inner.top, inner.left + size.cx, inner.bottom}; break;
            default: r = RECT{inner.right - size.cx, inner.top, inner.right, inner.bottom}; break;
            }
            return Target{side, true, r};
        }
    }
    // Floating: the floating frame's size, held where it was grabbed.
    SIZE size = bar_->FloatSize();
    if (bar_->floatFrame() && bar_->floatFrame()->hwnd()) {
        const RECT r = bar_->floatFrame()->WindowRect();
        size = SIZE{r.right - r.left, r.bottom - r.top};
    }
    grab.x = std::min<LONG>(grab.x, size.cx - 1);
    grab.y = std::min<LONG>(grab.y, size.cy - 1);
    return Target{IDW_DOCKBAR_FLOAT, false,
                  RECT{pointer.x - grab.x, pointer.y - grab.y, pointer.x - grab.x + size.cx, pointer.y - grab.y + size.cy}};
}

void CDockDrag::Drop(const Target& target) const {
    if (target.side == IDW_DOCKBAR_FLOAT) {
        frame_->FloatControlBar(bar_, POINT{target.rect.left, target.rect.top});
        return;
    }
    if (target.newRow) {
        frame_->DockControlBar(bar_, target.side);
        return;
    }
    RECT where = target.rect;
    ::MapWindowPoints(nullptr, frame_->hwnd(), reinterpret_cast<POINT*>(&where), 2);
    frame_->DockControlBar(bar_, target.side, &where);
}

void CDockDrag::Show(const Target& target) {
    Hide();
    drawn_ = target;
    // Thick while floating, thin while docking, as the system's own drags look.
    InvertFrame(drawn_.rect, drawn_.side == IDW_DOCKBAR_FLOAT ? 4 : 2);
    shown_ = true;
}

void CDockDrag::Hide() {
    if (!shown_) return;
    InvertFrame(drawn_.rect, drawn_.side == IDW_DOCKBAR_FLOAT ? 4 : 2);
    shown_ = false;
}

bool CDockDrag::Track(POINT start) {
    // Only a button that is really down starts a drag (not a message sent by a program).
    if (!frame_ || !bar_ || !bar_->hwnd() || !KeyHeld(VK_LBUTTON)) return false;
    const HWND capture = bar_->floatFrame() && bar_->floatFrame()->hwnd() ? bar_->floatFrame()->hwnd() : bar_->hwnd();
    const RECT before = BarRectOnScreen();
    const POINT grab{start.x - before.left, start.y - before.top};
    const int slopX = ::GetSystemMetrics(SM_CXDRAG), slopY = ::GetSystemMetrics(SM_CYDRAG);
    ::SetCapture(capture);
    ::UpdateWindow(frame_->hwnd());
    POINT pointer = start;
    bool moved = false, dropped = false, over = false;
    Target target{};
    while (!over && ::GetCapture() == capture) {
        MSG msg;
        if (!::GetMessageW(&msg, nullptr, 0, 0)) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            POINT p{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
            ::ClientToScreen(msg.hwnd, &p);
            pointer = p;
            if (!moved && (std::abs(p.x - start.x) > slopX || std::abs(p.y - start.y) > slopY)) moved = true;
            if (moved) {
                target = TargetAt(pointer, grab, KeyHeld(VK_CONTROL));
                Show(target);
            }
            if (msg.message == WM_LBUTTONUP) {
                dropped = moved;
                over = true;
            }
            break;
        }
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
                over = true;
            } else if (msg.wParam == VK_CONTROL && moved) {
                target = TargetAt(pointer, grab, msg.message == WM_KEYDOWN);
                Show(target);
            }
            break;
        case WM_RBUTTONDOWN:
            over = true;
            break;
        default:
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
            break;
        }
    }
    Hide();
    if (::GetCapture() == capture) ::ReleaseCapture();
    if (dropped) Drop(target);
    return dropped;
}
