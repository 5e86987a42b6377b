#include "framework/BarPlaces.h"
#include "framework/Application.h"
#include "framework/ControlBar.h"
#include "framework/FrameworkIds.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MiniDockFrame.h"
#include "framework/Profile.h"
#include <algorithm>
#include <climits>
#include <cwchar>
#include <tuple>

namespace {
const CProfile* ProfileOrApplications(const CProfile* profile) {
    if (profile) return profile;
    CApplication* app = CApplication::Get();
    return app ? &app->profile() : nullptr;
}
} // namespace

std::wstring BarSectionName(const wchar_t* name, UINT barId) {
    wchar_t section[256];
    std::swprintf(section, 256, L"%ls-Bar-%u", name, barId);
    return section;
}

void SaveBarPlace(const CControlBar& bar, const std::wstring& section, const CProfile* profile) {
    profile = ProfileOrApplications(profile);
    const UINT side = bar.dockSide();
    if (!profile || !side) return;
    const wchar_t* name = section.c_str();
    profile->WriteInt(name, L"dockSide", static_cast<int>(side));
    CMDIFrameWnd* frame = bar.frame();
    if (bar.IsFloating() && bar.floatFrame() && bar.floatFrame()->hwnd()) {
        const RECT r = bar.floatFrame()->WindowRect();
        profile->WriteInt(name, L"floatX", r.left);
        profile->WriteInt(name, L"floatY", r.top);
    } else if (frame) {
        const auto& rows = frame->Rows(side);
        for (size_t row = 0; row < rows.size(); ++row) {
            const auto at = std::find(rows[row].begin(), rows[row].end(), &bar);
            if (at == rows[row].end()) continue;
            profile->WriteInt(name, L"dockRow", static_cast<int>(row));
            profile->WriteInt(name, L"dockOrder", static_cast<int>(at - rows[row].begin()));
        }
    }
}

void LoadBarPlaces(CMDIFrameWnd* frame, const std::vector<std::pair<CControlBar*, std::wstring>>& bars,
                   const CProfile* profile) {
    profile = ProfileOrApplications(profile);
    if (!frame || !profile) return;
    struct Place {
        CControlBar* bar;
        UINT side;
        int row, order;
    };
    std::vector<Place> docked;
    for (const auto& [bar, section] : bars) {
        const wchar_t* name = section.c_str();
        const UINT side = static_cast<UINT>(profile->GetInt(name, L"dockSide", 0));
        if (side == IDW_DOCKBAR_FLOAT) {
            const int x = profile->GetInt(name, L"floatX", INT_MIN);
            const int y = profile->GetInt(name, L"floatY", INT_MIN);
            // Its caption must be on a screen, or the user could never reach it.
            const RECT caption{x, y, x + std::max<LONG>(bar->FloatSize().cx, 40), y + 20};
            if (x != INT_MIN && y != INT_MIN && ::MonitorFromRect(&caption, MONITOR_DEFAULTTONULL))
                frame->FloatControlBar(bar, POINT{x, y});
            continue;
        }
        const DWORD mask = side == IDW_DOCKBAR_TOP ? DOCK_TOP : side == IDW_DOCKBAR_BOTTOM ? DOCK_BOTTOM
                           : side == IDW_DOCKBAR_LEFT ? DOCK_LEFT : side == IDW_DOCKBAR_RIGHT ? DOCK_RIGHT : 0;
        if (!mask || !(bar->dockMask() & mask)) continue;
        docked.push_back(Place{bar, side, profile->GetInt(name, L"dockRow", 0), profile->GetInt(name, L"dockOrder", 0)});
    }
    std::stable_sort(docked.begin(), docked.end(), [](const Place& a, const Place& b) {
        return std::tie(a.side, a.row, a.order) < std::tie(b.side, b.row, b.order);
    });
    // Rows are built again from the outside in; a row's bars follow each other along it.
    for (size_t i = 0; i < docked.size(); ++i) {
        const Place& place = docked[i];
        const bool sameRow = i > 0 && docked[i - 1].side == place.side && docked[i - 1].row == place.row;
        if (!sameRow) {
            frame->DockControlBar(place.bar, place.side);
            continue;
        }
        frame->RecalcLayout();
        RECT beside = docked[i - 1].bar->layoutRect;
        if (CControlBar::IsHorzSide(place.side))
            ::OffsetRect(&beside, beside.right - beside.left + 1, 0);
        else
            ::OffsetRect(&beside, 0, beside.bottom - beside.top + 1);
        frame->DockControlBar(place.bar, place.side, &beside);
    }
    frame->RecalcLayout();
}
