#include "frame/CDockPane.h"
#include "common/GdiOwners.h"
#include "framework/DockDrag.h"
#include "framework/Application.h"
#include "framework/BarPlaces.h"
#include "framework/Dialog.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MiniDockFrame.h"
#include "framework/Profile.h"
#include <algorithm>
#include <cwchar>

namespace {
bool ReadDragFullWindows() {
    BOOL on = TRUE;
    if (!::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &on, 0)) on = TRUE;
    return on != FALSE;
}
} // namespace

bool CDockPane::Create(const wchar_t* title, CMDIFrameWnd* frame, CDialog* content, UINT barId, DWORD style) {
    if (!CreateBar(frame, barId, title, style)) return false;
    dragFullWindows_ = ReadDragFullWindows();
    content_ = content;
    if (!content_) return true;
    if (!content_->Create(barId, hwnd_)) return false;
    HWND dlg = content_->hwnd();
    LONG_PTR dlgStyle = ::GetWindowLongPtrW(dlg, GWL_STYLE);
    if (!(dlgStyle & WS_CHILD)) {
        // A content dialog must live inside the bar whatever its resource says.
        ::SetWindowLongPtrW(dlg, GWL_STYLE, (dlgStyle & ~(WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU)) | WS_CHILD);
        ::SetParent(dlg, hwnd_);
    }
    RECT r{};
    ::GetWindowRect(dlg, &r);
    int w = r.right - r.left + 2 * kEdge, h = r.bottom - r.top + 2 * kEdge;
    sizeHorz_ = minHorz_ = {w + kCaption, h};
    sizeVert_ = minVert_ = {w, h + kCaption};
    sizeFloat_ = minFloat_ = {w, h};
    ::ShowWindow(dlg, SW_SHOWNA);
    return true;
}

void CDockPane::SetSizeHorz(SIZE size) {
    sizeHorz_ = {std::max(size.cx, minHorz_.cx), std::max(size.cy, minHorz_.cy)};
    if (frame_) frame_->RecalcLayout();
}

void CDockPane::SetSizeVert(SIZE size) {
    sizeVert_ = {std::max(size.cx, minVert_.cx), std::max(size.cy, minVert_.cy)};
    if (frame_) frame_->RecalcLayout();
}

void CDockPane::SetSizeFloat(SIZE size) {
    sizeFloat_ = {std::max(size.cx, minFloat_.cx), std::max(size.cy, minFloat_.cy)};
    if (floatFrame_) {
        RECT r = floatFrame_->WindowRect();
        floatFrame_->PlaceClient(POINT{r.left, r.top}, sizeFloat_);
    }
}

std::wstring CDockPane::SectionName(const wchar_t* profileName) const {
    wchar_t section[256];
    std::swprintf(section, 256, L"%ls-Pane-%d", profileName, static_cast<int>(id_));
    return section;
}

void CDockPane::LoadState(const wchar_t* profileName, const CProfile* profile) {
    if (!profile) {
        CApplication* app = CApplication::Get();
        if (!app) return;
        profile = &app->profile();
    }
    std::wstring section = SectionName(profileName);
    // A value below the minimum (edited by hand, say) is ignored.
    auto take = [&](LONG& field, const wchar_t* entry, LONG minimum) {
        int value = profile->GetInt(section.c_str(), entry, field);
        if (value >= minimum) field = value;
    };
    take(sizeHorz_.cx, L"sizeHorzCX", minHorz_.cx);
    take(sizeHorz_.cy, L"sizeHorzCY", minHorz_.cy);
    take(sizeVert_.cx, L"sizeVertCX", minVert_.cx);
    take(sizeVert_.cy, L"sizeVertCY", minVert_.cy);
    take(sizeFloat_.cx, L"sizeFloatCX", minFloat_.cx);
    take(sizeFloat_.cy, L"sizeFloatCY", minFloat_.cy);
    if (floatFrame_) {
        RECT r = floatFrame_->WindowRect();
        floatFrame_->PlaceClient(POINT{r.left, r.top}, sizeFloat_);
    }
    if (frame_) frame_->RecalcLayout();
}

void CDockPane::SaveState(const wchar_t* profileName, const CProfile* profile) const {
    if (!profile) {
        CApplication* app = CApplication::Get();
        if (!app) return;
        profile = &app->profile();
    }
    std::wstring section = SectionName(profileName);
    profile->WriteInt(section.c_str(), L"sizeHorzCX", sizeHorz_.cx);
    profile->WriteInt(section.c_str(), L"sizeHorzCY", sizeHorz_.cy);
    profile->WriteInt(section.c_str(), L"sizeVertCX", sizeVert_.cx);
    profile->WriteInt(section.c_str(), L"sizeVertCY", sizeVert_.cy);
    profile->WriteInt(section.c_str(), L"sizeFloatCX", sizeFloat_.cx);
    profile->WriteInt(section.c_str(), L"sizeFloatCY", sizeFloat_.cy);
    SaveBarPlace(*this, section, profile);
}

void CDockPane::OnLayoutSize(SIZE size, bool floating) {
    if (floating) sizeFloat_ = {std::max(size.cx, minFloat_.cx), std::max(size.cy, minFloat_.cy)};
}

void CDockPane::OnDockSideChanged() {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDockPane::OnSize(UINT, int cx, int cy) {
    if (content_ && content_->hwnd()) ::MoveWindow(content_->hwnd(), 0, 0, cx, cy, TRUE);
}

RECT CDockPane::NcInsets() const {
    if (IsFloating()) return RECT{3, 5, 3, 3};
    return RECT{3 + 2, 5, 3 + 2, 3 + 2};
}

bool CDockPane::IsLastInRow() const {
    const auto* row = frame_ ? frame_->RowOf(this) : nullptr;
    if (!row) return true;
    for (auto it = row->rbegin(); it != row->rend(); ++it) {
        if (!(*it)->hwnd() || !(::GetWindowLongW((*it)->hwnd(), GWL_STYLE) & WS_VISIBLE)) continue;
        return *it == this;
    }
    return true;
}

UINT CDockPane::SizingEdgeAt(POINT screen) const {
    if (IsFloating() || !dockSide_) return 0;
    RECT w = WindowRect();
    if (!::PtInRect(&w, screen)) return 0;
    switch (dockSide_) {
    case IDW_DOCKBAR_BOTTOM: if (screen.y < w.top + kEdge) return HTTOP; break;
    case IDW_DOCKBAR_TOP: if (screen.y >= w.bottom - kEdge) return HTBOTTOM; break;
    case IDW_DOCKBAR_LEFT: if (screen.x >= w.right - kEdge) return HTRIGHT; break;
    case IDW_DOCKBAR_RIGHT: if (screen.x < w.left + kEdge) return HTLEFT; break;
    }
    if (!IsLastInRow()) {
        if (IsHorzDocked() && screen.x >= w.right - kEdge) return HTRIGHT;
        if (!IsHorzDocked() && screen.y >= w.bottom - kEdge) return HTBOTTOM;
    }
    return 0;
}

UINT CDockPane::NcHitTest(POINT screen) {
    if (UINT edge = SizingEdgeAt(screen)) return edge;
    RECT client = ClientRect();
    ::MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return ::PtInRect(&client, screen) ? HTCLIENT : HTNOWHERE;
}

void CDockPane::NcPaint(HDC dc, const RECT& window) {
    ::FillRect(dc, &window, ::GetSysColorBrush(COLOR_BTNFACE));
    if (IsFloating() || !dockSide_) return;
    // The sizing edge stands out as a raised strip.
    RECT e = window;
    switch (dockSide_) {
    case IDW_DOCKBAR_BOTTOM: e.bottom = e.top + 4; break;
    case IDW_DOCKBAR_TOP: e.top = e.bottom - 4; break;
    case IDW_DOCKBAR_LEFT: e.left = e.right - 4; break;
    case IDW_DOCKBAR_RIGHT: e.right = e.left + 4; break;
    }
    ::DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
    if (!IsLastInRow()) {
        RECT s = window;
        if (IsHorzDocked()) s.left = s.right - 4; else s.top = s.bottom - 4;
        ::DrawEdge(dc, &s, EDGE_RAISED, BF_RECT);
    }
}

namespace {
// Inner edges change the bar's thickness; the other sizing edge is the splitter
// between bars of one row and changes the bar's length.
bool IsInnerEdge(UINT side, UINT edge) {
    switch (side) {
    case IDW_DOCKBAR_BOTTOM: return edge == HTTOP;
    case IDW_DOCKBAR_TOP: return edge == HTBOTTOM;
    case IDW_DOCKBAR_LEFT: return edge == HTRIGHT;
    case IDW_DOCKBAR_RIGHT: return edge == HTLEFT;
    }
    return false;
}
} // namespace

int CDockPane::MaxSplitterLength() const {
    const auto* row = frame_ ? frame_->RowOf(this) : nullptr;
    if (!row) return 32767;
    bool horz = IsHorzDocked();
    int others = 0, farEnd = horz ? layoutRect.right : layoutRect.bottom;
    bool after = false;
    for (CControlBar* bar : *row) {
        if (bar == this) { after = true; continue; }
        if (!after || !(::GetWindowLongW(bar->hwnd(), GWL_STYLE) & WS_VISIBLE)) continue;
        SIZE min = bar->MinimumSize(horz);
        others += horz ? min.cx : min.cy;
        farEnd = horz ? bar->layoutRect.right : bar->layoutRect.bottom;
    }
    int start = horz ? layoutRect.left : layoutRect.top;
    return std::max<int>(farEnd - start - others, horz ? minHorz_.cx : minVert_.cy);
}

void CDockPane::StartTracking(UINT edge, POINT screen) {
    tracking_ = true;
    trackEdge_ = edge;
    trackStart_ = screen;
    trackDelta_ = 0;
    bool horz = IsHorzDocked();
    bool inner = IsInnerEdge(dockSide_, edge);
    // Start from what is on screen (a stretched last bar is longer than it asked).
    SIZE shown{layoutRect.right - layoutRect.left, layoutRect.bottom - layoutRect.top};
    trackStartSize_ = inner ? (horz ? SIZE{0, shown.cy} : SIZE{shown.cx, 0})
                            : (horz ? SIZE{shown.cx, 0} : SIZE{0, shown.cy});
    ::SetCapture(hwnd_);
    if (!dragFullWindows_) {
        trackerShown_ = TrackerRect(0);
        DrawTracker(trackerShown_);
        trackerVisible_ = true;
    }
}

RECT CDockPane::TrackerRect(int delta) const {
    RECT w = WindowRect();
    RECT r = w;
    bool inner = IsInnerEdge(dockSide_, trackEdge_);
    int value = (inner ? (IsHorzDocked() ? trackStartSize_.cy : trackStartSize_.cx)
                       : (IsHorzDocked() ? trackStartSize_.cx : trackStartSize_.cy)) + delta;
    if (inner) {
        switch (dockSide_) {
        case IDW_DOCKBAR_BOTTOM: r.top = w.bottom - value; r.bottom = r.top + kEdge; break;
        case IDW_DOCKBAR_TOP: r.bottom = w.top + value; r.top = r.bottom - kEdge; break;
        case IDW_DOCKBAR_LEFT: r.right = w.left + value; r.left = r.right - kEdge; break;
        case IDW_DOCKBAR_RIGHT: r.left = w.right - value; r.right = r.left + kEdge; break;
        }
    } else if (IsHorzDocked()) {
        r.right = w.left + value;
        r.left = r.right - kEdge;
    } else {
        r.bottom = w.top + value;
        r.top = r.bottom - kEdge;
    }
    return r;
}

void CDockPane::DrawTracker(const RECT& screenRect) {
    if (!frame_ || !frame_->hwnd()) return;
    // Through the frame's window DC with no clipping, so the bar shows over the panes.
    common::WindowDc dc(frame_->hwnd(), ::GetDCEx(frame_->hwnd(), nullptr, DCX_WINDOW | DCX_CACHE));
    if (!dc) return;
    ::SelectClipRgn(dc.get(), nullptr);
    RECT frame = frame_->WindowRect();
    static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    common::UniqueGdiObject bitmap(::CreateBitmap(8, 8, 1, 1, pattern));
    common::UniqueGdiObject brush(::CreatePatternBrush(static_cast<HBITMAP>(bitmap.get())));
    common::SelectedObject selected(dc.get(), brush.get());
    ::PatBlt(dc.get(), screenRect.left - frame.left, screenRect.top - frame.top, screenRect.right - screenRect.left,
             screenRect.bottom - screenRect.top, PATINVERT);
}

void CDockPane::TrackTo(POINT screen) {
    bool inner = IsInnerEdge(dockSide_, trackEdge_);
    int dx = screen.x - trackStart_.x, dy = screen.y - trackStart_.y;
    int delta = 0;
    switch (trackEdge_) {
    case HTTOP: delta = -dy; break;
    case HTBOTTOM: delta = dy; break;
    case HTLEFT: delta = -dx; break;
    case HTRIGHT: delta = dx; break;
    }
    bool horz = IsHorzDocked();
    int start = inner ? (horz ? trackStartSize_.cy : trackStartSize_.cx) : (horz ? trackStartSize_.cx : trackStartSize_.cy);
    int minimum = inner ? (horz ? minHorz_.cy : minVert_.cx) : (horz ? minHorz_.cx : minVert_.cy);
    int maximum = 32767;
    if (inner && frame_) {
        // Never more than the frame can give: the MDI client keeps a sliver.
        RECT c = frame_->ClientRect();
        maximum = std::max<int>(minimum, (horz ? c.bottom : c.right) - 40);
    } else if (!inner) {
        maximum = MaxSplitterLength();
    }
    int value = std::min(std::max(start + delta, minimum), std::max(maximum, minimum));
    delta = value - start;
    if (delta == trackDelta_) return;
    trackDelta_ = delta;
    if (dragFullWindows_) {
        ApplyTrack(delta);
    } else {
        if (trackerVisible_) DrawTracker(trackerShown_);
        trackerShown_ = TrackerRect(delta);
        DrawTracker(trackerShown_);
        trackerVisible_ = true;
    }
}

void CDockPane::ApplyTrack(int delta) {
    bool horz = IsHorzDocked();
    if (IsInnerEdge(dockSide_, trackEdge_)) {
        int value = (horz ? trackStartSize_.cy : trackStartSize_.cx) + delta;
        // The bars of one row share its thickness.
        const auto* row = frame_ ? frame_->RowOf(this) : nullptr;
        std::vector<CControlBar*> bars = row ? *row : std::vector<CControlBar*>{this};
        for (CControlBar* bar : bars) {
            auto* pane = dynamic_cast<CDockPane*>(bar);
            if (!pane) continue;
            if (horz)
                pane->sizeHorz_.cy = std::max<LONG>(value, pane->minHorz_.cy);
            else
                pane->sizeVert_.cx = std::max<LONG>(value, pane->minVert_.cx);
        }
    } else {
        int value = (horz ? trackStartSize_.cx : trackStartSize_.cy) + delta;
        if (horz)
            sizeHorz_.cx = std::max<LONG>(value, minHorz_.cx);
        else
            sizeVert_.cy = std::max<LONG>(value, minVert_.cy);
    }
    if (frame_) frame_->RecalcLayout();
}

void CDockPane::StopTracking(bool apply) {
    if (!tracking_) return;
    tracking_ = false;
    if (trackerVisible_) {
        DrawTracker(trackerShown_);
        trackerVisible_ = false;
    }
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    if (apply && !dragFullWindows_) ApplyTrack(trackDelta_);
    if (!apply) ApplyTrack(0);
}

LRESULT CDockPane::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCALCSIZE: {
        RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
        RECT in = NcInsets();
        r->left += in.left;
        r->top += in.top;
        r->right -= in.right;
        r->bottom -= in.bottom;
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
        return 0;
    }
    case WM_NCPAINT: {
        common::WindowDc dc(hwnd_, ::GetWindowDC(hwnd_));
        RECT w = WindowRect();
        ::OffsetRect(&w, -w.left, -w.top);
        RECT in = NcInsets();
        ::ExcludeClipRect(dc.get(), in.left, in.top, w.right - in.right, w.bottom - in.bottom);
        NcPaint(dc.get(), w);
        return 0;
    }
    case WM_NCHITTEST:
        return NcHitTest(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    case WM_NCLBUTTONDOWN:
        if (wParam == HTTOP || wParam == HTBOTTOM || wParam == HTLEFT || wParam == HTRIGHT) {
            StartTracking(static_cast<UINT>(wParam),
                          POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return 0;
        }
        if (wParam == HTCAPTION) {
            if (content_ && content_->hwnd()) ::SetFocus(content_->hwnd());
            // Dragged by its caption, the pane docks elsewhere or floats; the system
            // never moves a child window itself.
            if (frame_)
                CDockDrag(frame_, this).Track(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return 0;
        }
        break;
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTCAPTION && frame_) {
            RECT w = WindowRect();
            frame_->FloatControlBar(this, POINT{w.left, w.top});
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        if (tracking_) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(hwnd_, &p);
            TrackTo(p);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (tracking_) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(hwnd_, &p);
            TrackTo(p);
            StopTracking(true);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (tracking_ && wParam == VK_ESCAPE) {
            StopTracking(false);
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (tracking_ && reinterpret_cast<HWND>(lParam) != hwnd_) StopTracking(true);
        break;
    case WM_SETTINGCHANGE:
        dragFullWindows_ = ReadDragFullWindows();
        break;
    }
    return CControlBar::WindowProc(msg, wParam, lParam);
}
