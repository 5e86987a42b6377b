#include "framework/StatusBar.h"
#include "framework/FrameworkIds.h"
#include "common/GdiOwners.h"
#include <commctrl.h>

namespace {
const wchar_t* IndicatorText(UINT id) {
    switch (id) {
    case ID_INDICATOR_CAPS: return L"CAP";
    case ID_INDICATOR_NUM: return L"NUM";
    case ID_INDICATOR_SCRL: return L"SCRL";
    default: return L"";
    }
}
int IndicatorKey(UINT id) {
    switch (id) {
    case ID_INDICATOR_CAPS: return VK_CAPITAL;
    case ID_INDICATOR_NUM: return VK_NUMLOCK;
    case ID_INDICATOR_SCRL: return VK_SCROLL;
    default: return 0;
    }
}
} // namespace

bool CStatusBar::Create(CMDIFrameWnd* frame, UINT id) {
    if (!CreateBar(frame, id, L"Status Bar", 0)) return false;
    EnableDocking(DOCK_BOTTOM);
    status_ = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER,
                                0, 0, 100, 20, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                FrameworkInstance(), nullptr);
    return status_ != nullptr;
}

bool CStatusBar::SetIndicators(const std::vector<UINT>& ids) {
    indicators_ = ids;
    widths_.clear();
    {
        common::WindowDc dc(status_);
        common::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(status_, WM_GETFONT, 0, 0)));
        for (UINT id : ids) {
            SIZE text{};
            const wchar_t* t = IndicatorText(id);
            ::GetTextExtentPoint32W(dc.get(), t, lstrlenW(t), &text);
            widths_.push_back(id == ID_SEPARATOR ? 0 : text.cx + 12);
        }
    }
    LayoutParts(ClientRect().right);
    SetPaneText(0, LoadResString(IDS_READY).empty() ? L"Ready" : LoadResString(IDS_READY));
    return true;
}

void CStatusBar::LayoutParts(int width) {
    if (indicators_.empty()) return;
    std::vector<int> right(indicators_.size());
    int x = width - 16; // room for the size grip
    for (size_t i = indicators_.size(); i-- > 1;) {
        right[i] = x;
        x -= widths_[i];
    }
    right[0] = x;
    right.back() = -1;
    ::SendMessageW(status_, SB_SETPARTS, right.size(), reinterpret_cast<LPARAM>(right.data()));
}

void CStatusBar::SetPaneText(int index, const std::wstring& text) {
    ::SendMessageW(status_, SB_SETTEXTW, index, reinterpret_cast<LPARAM>(text.c_str()));
}

std::wstring CStatusBar::GetPaneText(int index) const {
    int n = LOWORD(::SendMessageW(status_, SB_GETTEXTLENGTHW, index, 0));
    std::wstring text(n + 1, L'\0');
    ::SendMessageW(status_, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(n);
    return text;
}

void CStatusBar::UpdateIndicators() {
    for (size_t i = 1; i < indicators_.size(); ++i) {
        int key = IndicatorKey(indicators_[i]);
        if (!key) continue;
        std::wstring want = (::GetKeyState(key) & 1) ? IndicatorText(indicators_[i]) : L"";
        if (GetPaneText(static_cast<int>(i)) != want) SetPaneText(static_cast<int>(i), want);
    }
}

SIZE CStatusBar::CalcFixedLayout(bool) {
    RECT r{};
    ::GetWindowRect(status_, &r);
    common::WindowDc dc(status_);
    TEXTMETRICW tm{};
    common::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(::SendMessageW(status_, WM_GETFONT, 0, 0)));
    ::GetTextMetricsW(dc.get(), &tm);
    return SIZE{32767, tm.tmHeight + 8};
}

void CStatusBar::OnSize(UINT, int cx, int cy) {
    ::MoveWindow(status_, 0, 0, cx, cy, TRUE);
    LayoutParts(cx);
}
