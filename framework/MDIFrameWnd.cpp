#include "framework/MDIFrameWnd.h"
#include "framework/Application.h"
#include "framework/ControlBar.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "framework/MiniDockFrame.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "framework/View.h"
#include <algorithm>

namespace {

DWORD SideMask(UINT side) {
    switch (side) {
    case IDW_DOCKBAR_TOP: return DOCK_TOP;
    case IDW_DOCKBAR_LEFT: return DOCK_LEFT;
    case IDW_DOCKBAR_RIGHT: return DOCK_RIGHT;
    case IDW_DOCKBAR_BOTTOM: return DOCK_BOTTOM;
    default: return 0;
    }
}

bool BarShown(const CControlBar* bar) {
    return bar->hwnd() && (::GetWindowLongW(bar->hwnd(), GWL_STYLE) & WS_VISIBLE);
}

// Applies an update to one toolbar button.
class CToolCmdUI : public CCmdUI {
public:
    CToolCmdUI(HWND toolbar, UINT id) : CCmdUI(id), toolbar_(toolbar) {}
    void Enable(bool on) override {
        CCmdUI::Enable(on);
        if ((::SendMessageW(toolbar_, TB_ISBUTTONENABLED, id(), 0) != 0) != on)
            ::SendMessageW(toolbar_, TB_ENABLEBUTTON, id(), MAKELPARAM(on, 0));
    }
    void SetCheck(int check) override {
        CCmdUI::SetCheck(check);
        if ((::SendMessageW(toolbar_, TB_ISBUTTONCHECKED, id(), 0) != 0) != (check != 0))
            ::SendMessageW(toolbar_, TB_CHECKBUTTON, id(), MAKELPARAM(check != 0, 0));
    }

private:
    HWND toolbar_;
};

// A key an edit control (a pane's in-place edit, a field of a dialog) acts on itself:
// the frame's accelerators must not turn it into a command for the active document.
// The documents' own views are not meant: their editing commands are the accelerators'.
bool IsEditingKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR &&
        msg.message != WM_SYSCHAR)
        return false;
    if (!msg.hwnd || msg.hwnd != ::GetFocus() || dynamic_cast<CView*>(CWindow::FromHandle(msg.hwnd))) return false;
    wchar_t name[32] = {};
    ::GetClassNameW(msg.hwnd, name, 32);
    if (::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, 4, L"Edit", 4) != CSTR_EQUAL &&
        ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, 8, L"RichEdit", 8) != CSTR_EQUAL)
        return false;
    if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) return true;
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    switch (msg.wParam) {
    case VK_ESCAPE: case VK_RETURN: case VK_BACK: case VK_DELETE: case VK_INSERT:
    case VK_HOME: case VK_END: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
        return true;
    case 'A': case 'C': case 'V': case 'X': case 'Y': case 'Z':
        return control;
    default:
        return false;
    }
}

HMENU FindWindowMenu(HMENU menu) {
    if (!menu) return nullptr;
    int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        if (!sub) continue;
        int m = ::GetMenuItemCount(sub);
        for (int j = 0; j < m; ++j) {
            UINT id = ::GetMenuItemID(sub, j);
            if (id == ID_WINDOW_CASCADE || id == ID_WINDOW_NEW || id == ID_WINDOW_TILE_HORZ) return sub;
        }
    }
    return nullptr;
}

} // namespace

CMDIFrameWnd::CMDIFrameWnd() {
    sides_[0].id = IDW_DOCKBAR_TOP;
    sides_[1].id = IDW_DOCKBAR_BOTTOM;
    sides_[2].id = IDW_DOCKBAR_LEFT;
    sides_[3].id = IDW_DOCKBAR_RIGHT;
    AddCommand(ID_VIEW_TOOLBAR, [this] { ToggleBar(IDW_TOOLBAR); });
    AddCommand(ID_VIEW_STATUS_BAR, [this] { ToggleBar(IDW_STATUS_BAR); });
    auto checkBar = [this](CCmdUI& ui) {
        CControlBar* bar = FindBar(ui.id() == ID_VIEW_TOOLBAR ? IDW_TOOLBAR : IDW_STATUS_BAR);
        ui.Enable(bar != nullptr);
        ui.SetCheck(bar && bar->IsBarVisible());
    };
    AddUpdate(ID_VIEW_TOOLBAR, checkBar);
    AddUpdate(ID_VIEW_STATUS_BAR, checkBar);
    AddCommand(ID_WINDOW_CASCADE, [this] { ::SendMessageW(mdiClient_, WM_MDICASCADE, 0, 0); });
    AddCommand(ID_WINDOW_TILE_HORZ, [this] { ::SendMessageW(mdiClient_, WM_MDITILE, MDITILE_HORIZONTAL, 0); });
    AddCommand(ID_WINDOW_ARRANGE, [this] { ::SendMessageW(mdiClient_, WM_MDIICONARRANGE, 0, 0); });
    AddCommand(ID_WINDOW_NEW, [this] {
        CDocument* doc = GetActiveDocument();
        if (doc && doc->docTemplate()) doc->docTemplate()->CreateNewFrame(doc, true);
    });
    auto needChild = [this](CCmdUI& ui) { ui.Enable(MDIGetActive() != nullptr); };
    for (UINT id : {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE, ID_WINDOW_NEW}) AddUpdate(id, needChild);
}

CMDIFrameWnd::~CMDIFrameWnd() {
    for (CControlBar* bar : allBars_) bar->frame_ = nullptr;
}

bool CMDIFrameWnd::LoadFrame(UINT resourceId, const wchar_t* title, DWORD style) {
    HINSTANCE inst = FrameworkInstance();
    defaultMenu_ = ::LoadMenuW(inst, MAKEINTRESOURCEW(resourceId));
    accel_ = ::LoadAcceleratorsW(inst, MAKEINTRESOURCEW(resourceId));
    HICON icon = ::LoadIconW(inst, MAKEINTRESOURCEW(resourceId));
    const wchar_t* cls = RegisterClass(L"TevrinFrame", CS_DBLCLKS, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon);
    activeMenu_ = defaultMenu_;
    if (!CreateEx(0, cls, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                  defaultMenu_)) {
        if (defaultMenu_) ::DestroyMenu(defaultMenu_);
        defaultMenu_ = activeMenu_ = nullptr;
        return false;
    }
    if (icon) ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    // The MDI client may have taken the whole client area while the frame was created.
    RecalcLayout();
    return true;
}

int CMDIFrameWnd::OnCreate(CREATESTRUCTW*) {
    CLIENTCREATESTRUCT ccs{FindWindowMenu(defaultMenu_), IDM_FIRSTCHILD};
    mdiClient_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                   WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL,
                                   0, 0, 100, 100, hwnd_, reinterpret_cast<HMENU>(IDW_PANE_FIRST),
                                   FrameworkInstance(), &ccs);
    return mdiClient_ ? 0 : -1;
}

CMDIFrameWnd::Side* CMDIFrameWnd::SideOf(UINT id) {
    for (Side& s : sides_)
        if (s.id == id) return &s;
    return nullptr;
}

const std::vector<std::vector<CControlBar*>>& CMDIFrameWnd::Rows(UINT side) const {
    static const std::vector<std::vector<CControlBar*>> none;
    for (const Side& s : sides_)
        if (s.id == side) return s.rows;
    return none;
}

const std::vector<CControlBar*>* CMDIFrameWnd::RowOf(const CControlBar* bar) const {
    for (const Side& s : sides_)
        for (const auto& row : s.rows)
            if (std::find(row.begin(), row.end(), bar) != row.end()) return &row;
    return nullptr;
}

CControlBar* CMDIFrameWnd::FindBar(UINT id) const {
    for (CControlBar* bar : allBars_)
        if (bar->id() == id) return bar;
    return nullptr;
}

void CMDIFrameWnd::ForgetBar(CControlBar* bar) {
    RemoveFromRows(bar);
    allBars_.erase(std::remove(allBars_.begin(), allBars_.end(), bar), allBars_.end());
    if (statusBar_ == bar) statusBar_ = nullptr;
}

void CMDIFrameWnd::RemoveFromRows(CControlBar* bar) {
    for (Side& s : sides_) {
        for (auto& row : s.rows) row.erase(std::remove(row.begin(), row.end(), bar), row.end());
        s.rows.erase(std::remove_if(s.rows.begin(), s.rows.end(), [](const auto& r) { return r.empty(); }), s.rows.end());
    }
}

void CMDIFrameWnd::DestroyFloatFrame(CControlBar* bar) {
    CMiniDockFrame* f = bar->floatFrame_;
    if (!f) return;
    ::ShowWindow(bar->hwnd(), SW_HIDE);
    ::SetParent(bar->hwnd(), hwnd_);
    f->bar_ = nullptr;
    bar->floatFrame_ = nullptr;
    f->DestroyWindow();
}

void CMDIFrameWnd::SetStatusBar(CStatusBar* bar) {
    statusBar_ = bar;
    if (std::find(allBars_.begin(), allBars_.end(), bar) == allBars_.end()) allBars_.push_back(bar);
    bar->dockSide_ = IDW_DOCKBAR_BOTTOM;
    ::ShowWindow(bar->hwnd(), SW_SHOWNA);
    RecalcLayout();
}

bool CMDIFrameWnd::DockControlBar(CControlBar* bar, UINT side, const RECT* where) {
    Side* s = SideOf(side);
    if (!s || !(bar->dockMask() & SideMask(side)) || !bar->hwnd()) return false;
    bool show = bar->dockSide() == 0 || bar->IsBarVisible();
    if (std::find(allBars_.begin(), allBars_.end(), bar) == allBars_.end()) allBars_.push_back(bar);
    if (bar->IsFloating()) DestroyFloatFrame(bar);
    RemoveFromRows(bar);

    bool placed = false;
    if (where) {
        bool horz = CControlBar::IsHorzSide(side);
        int across = horz ? where->top + 1 : where->left + 1;
        int along = horz ? where->left : where->top;
        for (auto& row : s->rows) {
            bool inRow = false;
            for (CControlBar* other : row) {
                const RECT& r = other->layoutRect;
                if (horz ? (across >= r.top && across < r.bottom) : (across >= r.left && across < r.right)) inRow = true;
            }
            if (!inRow) continue;
            size_t at = 0;
            while (at < row.size() && (horz ? row[at]->layoutRect.left : row[at]->layoutRect.top) <= along) ++at;
            row.insert(row.begin() + at, bar);
            placed = true;
            break;
        }
    }
    if (!placed) s->rows.push_back({bar});
    bar->dockSide_ = side;
    bar->lastDockSide = side;
    bar->OnDockSideChanged();
    ::ShowWindow(bar->hwnd(), show ? SW_SHOWNA : SW_HIDE);
    RecalcLayout();
    return true;
}

bool CMDIFrameWnd::FloatControlBar(CControlBar* bar, POINT screenTopLeft) {
    if (!bar->hwnd()) return false;
    bool show = bar->dockSide() == 0 || bar->IsBarVisible();
    if (std::find(allBars_.begin(), allBars_.end(), bar) == allBars_.end()) allBars_.push_back(bar);
    if (bar->IsFloating() && bar->floatFrame_) {
        RECT r = bar->floatFrame_->WindowRect();
        ::SetWindowPos(bar->floatFrame_->hwnd(), nullptr, screenTopLeft.x, screenTopLeft.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        (void)r;
        return true;
    }
    RemoveFromRows(bar);
    CMiniDockFrame* f = floatFactory_ ? floatFactory_() : new CMiniDockFrame;
    f->deleteOnDestroy = true;
    if (!f->Create(this, bar)) {
        delete f;
        RecalcLayout();
        return false;
    }
    bar->floatFrame_ = f;
    bar->dockSide_ = CControlBar::IDW_DOCKBAR_FLOAT_ID;
    ::SetParent(bar->hwnd(), f->hwnd());
    bar->OnDockSideChanged();
    ::ShowWindow(bar->hwnd(), SW_SHOWNA);
    f->PlaceClient(screenTopLeft, bar->FloatSize());
    if (show) ::ShowWindow(f->hwnd(), SW_SHOWNA);
    RecalcLayout();
    return true;
}

void CMDIFrameWnd::ShowControlBar(CControlBar* bar, bool show) {
    if (bar->IsFloating()) {
        if (bar->floatFrame_) ::ShowWindow(bar->floatFrame_->hwnd(), show ? SW_SHOWNA : SW_HIDE);
        return;
    }
    ::ShowWindow(bar->hwnd(), show ? SW_SHOWNA : SW_HIDE);
    RecalcLayout();
}

void CMDIFrameWnd::ToggleBar(UINT id) {
    if (CControlBar* bar = FindBar(id)) ShowControlBar(bar, !bar->IsBarVisible());
}

void CMDIFrameWnd::RecalcLayout() {
    if (inLayout_ || !hwnd_ || !mdiClient_) return;
    inLayout_ = true;
    RECT rc = ClientRect();
    HDWP dwp = ::BeginDeferWindowPos(static_cast<int>(allBars_.size()) + 1);
    auto place = [&](CControlBar* bar, RECT r) {
        bar->layoutRect = r;
        if (dwp)
            dwp = ::DeferWindowPos(dwp, bar->hwnd(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        bar->OnLayoutSize(SIZE{r.right - r.left, r.bottom - r.top}, false);
    };
    if (statusBar_ && BarShown(static_cast<CControlBar*>(statusBar_))) {
        CControlBar* sb = static_cast<CControlBar*>(statusBar_);
        int h = sb->CalcFixedLayout(true).cy;
        place(sb, RECT{rc.left, rc.bottom - h, rc.right, rc.bottom});
        rc.bottom -= h;
    }
    for (Side& s : sides_) {
        bool horz = CControlBar::IsHorzSide(s.id);
        for (auto& row : s.rows) {
            std::vector<CControlBar*> shown;
            for (CControlBar* bar : row)
                if (BarShown(bar)) shown.push_back(bar);
            if (shown.empty()) continue;
            int thickness = 0, total = 0;
            int lastStretch = -1;
            std::vector<int> lengths;
            for (size_t i = 0; i < shown.size(); ++i) {
                SIZE want = shown[i]->CalcFixedLayout(horz);
                thickness = std::max<int>(thickness, horz ? want.cy : want.cx);
                lengths.push_back(horz ? want.cx : want.cy);
                total += lengths.back();
                if (shown[i]->IsStretchable()) lastStretch = static_cast<int>(i);
            }
            int available = horz ? rc.right - rc.left : rc.bottom - rc.top;
            if (lastStretch >= 0) {
                SIZE min = shown[lastStretch]->MinimumSize(horz);
                int rest = available - (total - lengths[lastStretch]);
                lengths[lastStretch] = std::max<int>(rest, horz ? min.cx : min.cy);
            }
            int pos = horz ? rc.left : rc.top;
            for (size_t i = 0; i < shown.size(); ++i) {
                RECT r{};
                int len = lengths[i];
                if (horz) {
                    int y = s.id == IDW_DOCKBAR_TOP ? rc.top : rc.bottom - thickness;
                    r = RECT{pos, y, pos + len, y + thickness};
                } else {
                    int x = s.id == IDW_DOCKBAR_LEFT ? rc.left : rc.right - thickness;
                    r = RECT{x, pos, x + thickness, pos + len};
                }
                pos += len;
                place(shown[i], r);
            }
            switch (s.id) {
            case IDW_DOCKBAR_TOP: rc.top += thickness; break;
            case IDW_DOCKBAR_BOTTOM: rc.bottom -= thickness; break;
            case IDW_DOCKBAR_LEFT: rc.left += thickness; break;
            default: rc.right -= thickness; break;
            }
        }
    }
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    if (dwp)
        dwp = ::DeferWindowPos(dwp, mdiClient_, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    if (dwp)
        ::EndDeferWindowPos(dwp);
    else
        ::MoveWindow(mdiClient_, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    inLayout_ = false;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
    if (!mdiClient_) return nullptr;
    HWND active = reinterpret_cast<HWND>(::SendMessageW(mdiClient_, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<CMDIChildWnd*>(CWindow::FromHandle(active));
}

CDocument* CMDIFrameWnd::GetActiveDocument() const {
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->document() : nullptr;
}

void CMDIFrameWnd::UpdateMenu() {
    CMDIChildWnd* child = MDIGetActive();
    HMENU menu = child && child->menu() ? child->menu() : defaultMenu_;
    if (!menu || menu == activeMenu_ || !mdiClient_) return;
    ::SendMessageW(mdiClient_, WM_MDISETMENU, reinterpret_cast<WPARAM>(menu),
                   reinterpret_cast<LPARAM>(FindWindowMenu(menu)));
    ::DrawMenuBar(hwnd_);
    activeMenu_ = menu;
}

void CMDIFrameWnd::OnChildActivated() {
    UpdateMenu();
    OnUpdateFrameTitle();
}

void CMDIFrameWnd::SetMessageText(const std::wstring& text) {
    if (statusBar_) statusBar_->SetPaneText(0, text);
}

void CMDIFrameWnd::ShowCommandPrompt(UINT id) {
    std::wstring text;
    if (id != 0) {
        text = LoadResString(id);
        size_t nl = text.find(L'\n');
        if (nl != std::wstring::npos) text.resize(nl);
    } else {
        text = LoadResString(IDS_READY);
        if (text.empty()) text = L"Ready";
    }
    SetMessageText(text);
}

void CMDIFrameWnd::UpdateBarsCmdUI() {
    for (CControlBar* bar : allBars_) {
        if (auto* tb = dynamic_cast<CToolBar*>(bar)) {
            for (UINT id : tb->buttons()) {
                if (id == ID_SEPARATOR) continue;
                CToolCmdUI ui(tb->toolbar(), id);
                UpdateCommandUI(ui);
            }
        }
    }
    if (statusBar_) statusBar_->UpdateIndicators();
}

void CMDIFrameWnd::UpdateMenuCmdUI(HMENU popup) {
    int n = ::GetMenuItemCount(popup);
    for (int i = 0; i < n; ++i) {
        UINT id = ::GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1) || id >= IDM_FIRSTCHILD) continue;
        CMenuCmdUI ui(popup, static_cast<UINT>(i), id);
        UpdateCommandUI(ui);
    }
}

void CMDIFrameWnd::OnUpdateFrameTitle() {
    CApplication* app = CApplication::Get();
    std::wstring title = app ? app->appTitle() : GetText();
    if (CDocument* doc = GetActiveDocument()) title += L" - " + doc->GetTitle();
    if (GetText() != title) SetText(title);
}

bool CMDIFrameWnd::RouteCommand(UINT id, Route route, CCmdUI* ui) {
    if (CMDIChildWnd* child = MDIGetActive())
        if (child->RouteCommand(id, route, ui)) return true;
    if (RouteOwn(id, route, ui)) return true;
    CApplication* app = CApplication::Get();
    return app && app->RouteCommand(id, route, ui);
}

bool CMDIFrameWnd::PreTranslateMessage(MSG* msg) {
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
    if (IsEditingKey(*msg)) return false;
    if (mdiClient_ && ::TranslateMDISysAccel(mdiClient_, msg)) return true;
    HACCEL accel = accel_;
    if (CMDIChildWnd* child = MDIGetActive())
        if (child->accelerators()) accel = child->accelerators();
    return accel && ::TranslateAcceleratorW(hwnd_, accel, msg);
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefFrameProcW(hwnd_, mdiClient_, msg, wParam, lParam);
}

void CMDIFrameWnd::OnClose() {
    CApplication* app = CApplication::Get();
    if (app && app->mainWnd() == this) {
        if (!app->SaveAllModified()) return;
        if (!app->CanExitApp()) {
            // COM clients still hold the program: keep serving them without a window.
            app->SetUserControl(false);
            ::ShowWindow(hwnd_, SW_HIDE);
            return;
        }
    }
    DestroyWindow();
}

void CMDIFrameWnd::OnDestroy() {
    // The client and the child frames go after this. A child frame going asks the frame
    // to update its menu and title, which would reach a client already destroying
    // (its state freed): from here on the frame acts as if it had no client.
    mdiClient_ = nullptr;
    for (CControlBar* bar : allBars_)
        if (bar->floatFrame_) DestroyFloatFrame(bar);
    ::SetMenu(hwnd_, nullptr);
    if (defaultMenu_) ::DestroyMenu(defaultMenu_);
    defaultMenu_ = activeMenu_ = nullptr;
    CApplication* app = CApplication::Get();
    if (app && app->mainWnd() == this) ::PostQuitMessage(0);
}

void CMDIFrameWnd::PostNcDestroy() {
    mdiClient_ = nullptr;
    CApplication* app = CApplication::Get();
    if (app && app->mainWnd() == this) app->SetMainWnd(nullptr);
    CWindow::PostNcDestroy();
}

bool CMDIFrameWnd::IsCommandSource(HWND frame, HWND source) {
    return !source || source == frame || !::IsChild(frame, source);
}

LRESULT CMDIFrameWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        // Not DefFrameProc: it would give the MDI client the whole client area.
        if (wParam != SIZE_MINIMIZED) RecalcLayout();
        return 0;
    case WM_COMMAND:
        if (IsCommandSource(hwnd_, reinterpret_cast<HWND>(lParam)) && LOWORD(wParam) < IDM_FIRSTCHILD) {
            UINT id = LOWORD(wParam);
            // A disabled command does nothing, also when it comes from an accelerator.
            CCmdUI state(id);
            if (RouteCommand(id, Route::Update, &state) && !state.enabled()) return 0;
            if (RouteCommand(id, Route::Execute, nullptr)) return 0;
        }
        return Default();
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        // Only top-level windows hear of a changed system setting: the bars, docked or
        // floating, follow the frame.
        for (CControlBar* bar : std::vector<CControlBar*>(allBars_))
            if (bar->hwnd()) ::SendMessageW(bar->hwnd(), msg, wParam, lParam);
        return Default();
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam)) {
            HMENU popup = reinterpret_cast<HMENU>(wParam);
            if (CApplication* app = CApplication::Get()) app->recentFiles().UpdateMenu(popup);
            UpdateMenuCmdUI(popup);
        }
        return Default();
    case WM_MENUSELECT: {
        UINT flags = HIWORD(wParam);
        if (flags == 0xFFFF && lParam == 0)
            ShowCommandPrompt(0);
        else if (!(flags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU)))
            ShowCommandPrompt(LOWORD(wParam));
        return Default();
    }
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_SHOWWINDOW:
        if (wParam) ::PostMessageW(hwnd_, WM_SIZE, SIZE_RESTORED, 0);
        return Default();
    case WM_NCACTIVATE: {
        LRESULT r = Default();
        // Pane captions follow the frame's active state.
        for (CControlBar* bar : allBars_)
            if (!bar->IsFloating() && bar->hwnd())
                ::RedrawWindow(bar->hwnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
        return r;
    }
    }
    return CWindow::WindowProc(msg, wParam, lParam);
}
