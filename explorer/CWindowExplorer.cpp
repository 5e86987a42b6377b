#include "explorer/CWindowExplorer.h"
#include "explorer/AccessibleNames.h"
#include "common/GdiOwners.h"
#include "common/Variant.h"
#include "resources/explorer/explorerids.h"
#include <commctrl.h>
#include <windowsx.h>
#include <algorithm>

using Microsoft::WRL::ComPtr;

namespace explorer {

namespace {

// Guards against accessible trees that lead back into themselves and against absurd
// child counts: building must always end.
const int kMaxDepth = 64;
const long kMaxChildren = 10000;
// A hung application must not freeze the explorer while it reads a window's text.
const UINT kTextTimeoutMs = 1000;
const UINT_PTR kFinderSubclassId = 1;

VARIANT SelfChild() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[260] = {};
    ::GetClassNameW(window, name, 260);
    return name;
}

std::wstring CaptionOf(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

// The window's text as the window itself reports it (WM_GETTEXT), with a time-out.
std::wstring WindowTextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &length))
        return CaptionOf(window);
    length = std::min<DWORD_PTR>(length, 1 << 20);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(&text[0]),
                               SMTO_ABORTIFHUNG, kTextTimeoutMs, &copied))
        return CaptionOf(window);
    text.resize(std::min<size_t>(copied, length));
    return text;
}

bool SameObject(IUnknown* a, IUnknown* b) {
    ComPtr<IUnknown> ua, ub;
    return a && b && SUCCEEDED(a->QueryInterface(IID_PPV_ARGS(&ua))) &&
           SUCCEEDED(b->QueryInterface(IID_PPV_ARGS(&ub))) && ua.Get() == ub.Get();
}

// The VARIANTs AccessibleChildren fills, cleared when done.
struct ChildVariants {
    explicit ChildVariants(size_t n) : items(n) {
        for (VARIANT& v : items) ::VariantInit(&v);
    }
    ~ChildVariants() {
        for (VARIANT& v : items) ::VariantClear(&v);
    }
    std::vector<VARIANT> items;
};

// The top-level windows of one process, in z-order.
struct ProcessWindows {
    DWORD process;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ProcessWindows*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->process) search->windows.push_back(window);
    return TRUE;
}

} // namespace

CWindowExplorer::CWindowExplorer(HWND frame, common::Oleacc oleacc) : frame_(frame), oleacc_(oleacc) {}

CWindowExplorer::~CWindowExplorer() {
    for (HBITMAP bitmap : bitmaps_) ::DeleteObject(bitmap);
    if (finderIcon_) ::DestroyIcon(finderIcon_);
    if (emptyFinderIcon_) ::DestroyIcon(emptyFinderIcon_);
}

bool CWindowExplorer::Create() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    // Not owned by the frame: an owned window does not stay topmost everywhere (Wine
    // drops it), and the frame is hidden whenever the explorer shows anyway. The frame's
    // destruction still takes the explorer with it.
    if (!CDialog::Create(IDD_WINDOW_EXPLORER, nullptr)) return false;
    if (frame_) ::SetWindowSubclass(frame_, FrameProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
    return true;
}

LRESULT CALLBACK CWindowExplorer::FrameProc(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                            DWORD_PTR data) {
    if (msg == WM_DESTROY) {
        ::RemoveWindowSubclass(frame, FrameProc, id);
        auto* self = reinterpret_cast<CWindowExplorer*>(data);
        self->frame_ = nullptr;
        if (self->hwnd()) ::DestroyWindow(self->hwnd());
    }
    return ::DefSubclassProc(frame, msg, wParam, lParam);
}

bool CWindowExplorer::OnInitDialog() {
    CAnchorDialog::OnInitDialog();
    tree_ = Item(IDC_EXPLORER_TREE);
    tabs_ = Item(IDC_TREE_TABS);

    const int stretch = ANCHOR_ALL;
    const int leftBottom = ANCHOR_LEFT | ANCHOR_BOTTOM;
    const int rightBottom = ANCHOR_RIGHT | ANCHOR_BOTTOM;
    const int rightTop = ANCHOR_RIGHT | ANCHOR_TOP;
    const int wideBottom = ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_BOTTOM;
    for (int id : {IDC_EXPLORER_TREE, IDC_TREE_TABS}) SetAnchor(id, stretch);
    for (int id : {IDC_NAME_LABEL, IDC_ROLE_LABEL, IDC_VALUE_LABEL, IDC_DESCRIPTION_LABEL, IDC_PATH_LABEL})
        SetAnchor(id, leftBottom);
    for (int id : {IDC_HANDLE_LABEL, IDC_CLASS_LABEL, IDOK, IDC_HANDLE, IDC_CLASS}) SetAnchor(id, rightBottom);
    for (int id : {IDC_FINDER, IDC_FINDER_LABEL, IDC_USE_MSAA, IDC_KEEP_ON_TOP, IDC_SHOW_INVISIBLE, IDC_REFRESH})
        SetAnchor(id, rightTop);
    for (int id : {IDC_NAME, IDC_ROLE, IDC_VALUE, IDC_DESCRIPTION, IDC_PATH}) SetAnchor(id, wideBottom);

    // 500 by 400 and on top; placed at the right of the work area, where it covers the
    // applications under test least (they usually open at the top left).
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int x = std::max<int>(work.left, work.right - 500 - 8);
    ::SetWindowPos(hwnd_, HWND_TOPMOST, x, work.top + 8, 500, 400, SWP_NOACTIVATE);

    HINSTANCE instance = FrameworkInstance();
    const struct { int control; int bitmap; } images[] = {
        {IDC_USE_MSAA, IDB_USE_MSAA}, {IDC_KEEP_ON_TOP, IDB_KEEP_ON_TOP},
        {IDC_SHOW_INVISIBLE, IDB_SHOW_INVISIBLE}, {IDC_REFRESH, IDB_REFRESH}};
    for (const auto& image : images) {
        auto bitmap = static_cast<HBITMAP>(
            ::LoadImageW(instance, MAKEINTRESOURCEW(image.bitmap), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
        if (!bitmap) continue;
        bitmaps_.push_back(bitmap);
        ::SendDlgItemMessageW(hwnd_, image.control, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    }
    finderCursor_ = static_cast<HCURSOR>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(IDC_FINDER_CURSOR), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    finderIcon_ = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_FINDER), IMAGE_ICON, 32, 32, 0));
    emptyFinderIcon_ =
        static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_FINDER_EMPTY), IMAGE_ICON, 32, 32, 0));
    if (finderIcon_) ::SendDlgItemMessageW(hwnd_, IDC_FINDER, STM_SETICON, reinterpret_cast<WPARAM>(finderIcon_), 0);
    ::SetWindowSubclass(Item(IDC_FINDER), FinderProc, kFinderSubclassId, reinterpret_cast<DWORD_PTR>(this));

    ::CheckDlgButton(hwnd_, IDC_USE_MSAA, BST_CHECKED);
    ::CheckDlgButton(hwnd_, IDC_SHOW_INVISIBLE, BST_UNCHECKED);
    ::CheckDlgButton(hwnd_, IDC_KEEP_ON_TOP, keepOnTop_ ? BST_CHECKED : BST_UNCHECKED);
    if (oleacc_.accessibleObjectFromPoint) {
        ::CheckDlgButton(hwnd_, IDC_SHOW_INVISIBLE, BST_CHECKED);
        useMsaa_ = true;
    } else {
        // Without the accessibility library there is nothing to inspect but windows;
        // a checked "Use MSAA" would promise what cannot happen.
        ::EnableWindow(Item(IDC_SHOW_INVISIBLE), FALSE);
        ::CheckDlgButton(hwnd_, IDC_USE_MSAA, BST_UNCHECKED);
        ::EnableWindow(Item(IDC_USE_MSAA), FALSE);
    }
    showInvisible_ = ::IsDlgButtonChecked(hwnd_, IDC_SHOW_INVISIBLE) == BST_CHECKED;

    AddTooltip(IDC_EXPLORER_TREE, L"Displays the hierarchy of windows or accessible objects");
    AddTooltip(IDC_TREE_TABS, L"Click to see either windows or accessible objects");
    RegisterFinderTooltip();
    AddTooltip(IDC_NAME, L"Accessible object's name");
    AddTooltip(IDC_ROLE, L"Accessible object's role (window type)");
    AddTooltip(IDC_VALUE, L"Accessible object's value");
    AddTooltip(IDC_DESCRIPTION, L"Accessible object's description");
    AddTooltip(IDC_HANDLE, L"Window handle");
    AddTooltip(IDC_CLASS, L"Window class");
    AddTooltip(IDC_PATH, L"Path of all the parents of an accessible object");
    AddTooltip(IDC_USE_MSAA, L"Enable/disable the use of MS Accessibility when inspecting applications");
    AddTooltip(IDC_KEEP_ON_TOP, L"Keep this window on top of other windows");
    AddTooltip(IDC_SHOW_INVISIBLE, L"Show invisible items (MSAA only)");
    AddTooltip(IDC_REFRESH, L"Click to refresh the window tree");
    AddTooltip(IDOK, L"Close this window");

    const wchar_t* tabNames[] = {L"Acc", L"Wnd"};
    for (int i = 0; i < 2; ++i) {
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<wchar_t*>(tabNames[i]);
        ::SendMessageW(tabs_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&tab));
    }
    ::SendMessageW(tabs_, TCM_SETCURSEL, useMsaa_ ? 0 : 1, 0);
    return true;
}

void CWindowExplorer::RegisterFinderTooltip() {
    AddTooltip(IDC_FINDER, L"Drag this cursor over other applications to see their window structure");
}

bool CWindowExplorer::Toggle() {
    if (::IsWindowVisible(hwnd_)) {
        if (frame_) ::ShowWindow(frame_, SW_SHOW);
        ::ShowWindow(hwnd_, SW_HIDE);
        return false;
    }
    if (frame_) ::ShowWindow(frame_, SW_HIDE);
    ::ShowWindow(hwnd_, SW_SHOW);
    ApplyKeepOnTop();
    ::SetForegroundWindow(hwnd_);
    return true;
}

void CWindowExplorer::Close() {
    if (dragging_) EndDrag();
    DeleteAllItems();
    // The next drag starts afresh, even over the application shown last.
    target_ = nullptr;
    ::ShowWindow(hwnd_, SW_HIDE);
    if (frame_ && ::IsWindow(frame_)) ::ShowWindow(frame_, SW_SHOW);
}

void CWindowExplorer::OnDestroy() {
    if (frame_) ::RemoveWindowSubclass(frame_, FrameProc, reinterpret_cast<UINT_PTR>(this));
    if (dragging_) EndDrag();
    bool wasOpen = ::IsWindowVisible(hwnd_) != FALSE;
    DeleteAllItems();
    // The frame was hidden for the explorer: it must not stay hidden without it.
    if (wasOpen && frame_ && ::IsWindow(frame_)) ::ShowWindow(frame_, SW_SHOW);
    CAnchorDialog::OnDestroy();
}

bool CWindowExplorer::accessibleMode() const {
    return oleacc_.accessibleObjectFromWindow && ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) == 0;
}

const ItemKey* CWindowExplorer::KeyOf(HTREEITEM item) const {
    auto it = keys_.find(item);
    return it == keys_.end() ? nullptr : &it->second;
}

bool CWindowExplorer::OnCommand(UINT id, UINT code, HWND) {
    switch (id) {
    case IDOK:
    case IDCANCEL:
        Close();
        return true;
    case IDC_USE_MSAA:
        if (code != BN_CLICKED) return false;
        ReadCheckBoxes();
        ::SendMessageW(tabs_, TCM_SETCURSEL, useMsaa_ ? 0 : 1, 0);
        BuildTree();
        return true;
    case IDC_SHOW_INVISIBLE:
    case IDC_REFRESH:
        if (code != BN_CLICKED) return false;
        BuildTree();
        return true;
    case IDC_KEEP_ON_TOP:
        if (code != BN_CLICKED) return false;
        ReadCheckBoxes();
        ApplyKeepOnTop();
        return true;
    }
    return false;
}

bool CWindowExplorer::OnNotify(NMHDR* hdr, LRESULT* result) {
    if (hdr->hwndFrom == tabs_) {
        if (hdr->code == TCN_SELCHANGING) {
            const bool toAcc = ::SendMessageW(tabs_, TCM_GETCURSEL, 0, 0) == 1;
            if (toAcc && ::IsDlgButtonChecked(hwnd_, IDC_USE_MSAA) != BST_CHECKED) {
                ::MessageBoxW(hwnd_, L"Please check the 'Use Accessibility' box first.", L"Window Explorer",
                              MB_OK | MB_ICONINFORMATION);
                *result = TRUE;
                return true;
            }
            return false;
        }
        if (hdr->code == TCN_SELCHANGE) {
            BuildTree();
            return true;
        }
    }
    if (hdr->hwndFrom == tree_ && hdr->code == TVN_SELCHANGEDW) {
        UpdatePath();
        return true;
    }
    return false;
}

LRESULT CWindowExplorer::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE:
        if (dragging_) {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ::ClientToScreen(hwnd_, &p);
            DragTo(p);
            return TRUE;
        }
        break;
    case WM_LBUTTONUP:
        if (dragging_) {
            EndDrag();
            return TRUE;
        }
        break;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a message box, a task switch): the drag is over.
        if (dragging_ && reinterpret_cast<HWND>(lParam) != hwnd_) EndDrag();
        break;
    case WM_CLOSE:
        Close();
        return TRUE;
    }
    return CAnchorDialog::WindowProc(msg, wParam, lParam);
}

LRESULT CALLBACK CWindowExplorer::FinderProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) {
    auto* self = reinterpret_cast<CWindowExplorer*>(data);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        self->BeginDrag();
        return 0;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, FinderProc, kFinderSubclassId);
        break;
    }
    return ::DefSubclassProc(window, msg, wParam, lParam);
}

void CWindowExplorer::BeginDrag() {
    if (dragging_) return;
    dragging_ = true;
    // The tip would follow the finder around; it comes back when the drag ends.
    if (HWND tip = tooltip()) {
        TOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        ti.hwnd = hwnd_;
        ti.uId = reinterpret_cast<UINT_PTR>(Item(IDC_FINDER));
        ::SendMessageW(tip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    if (emptyFinderIcon_)
        ::SendDlgItemMessageW(hwnd_, IDC_FINDER, STM_SETICON, reinterpret_cast<WPARAM>(emptyFinderIcon_), 0);
    ::SetCursor(finderCursor_ ? finderCursor_ : ::LoadCursorW(nullptr, IDC_CROSS));
    ::SetCapture(hwnd_);
}

void CWindowExplorer::EndDrag() {
    if (!dragging_) return;
    dragging_ = false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    EraseHighlight();
    if (finderIcon_) ::SendDlgItemMessageW(hwnd_, IDC_FINDER, STM_SETICON, reinterpret_cast<WPARAM>(finderIcon_), 0);
    RegisterFinderTooltip();
}

void CWindowExplorer::DragTo(POINT screen) {
    HWND window = ::WindowFromPoint(screen);
    if (!window) return;
    // The top-level ancestor; anything of the explorer itself (its controls, its
    // tooltips) is not inspected.
    HWND top = window;
    for (HWND h = window; h; h = ::GetParent(h)) {
        if (h == hwnd_) return;
        top = h;
    }
    if (top != target_) {
        target_ = top;
        BuildTree();
    }
    Inspect(window, screen, true);
}

void CWindowExplorer::Inspect(HWND window, POINT screen, bool select) {
    // Accessible objects in the accessible tree, windows in the window tree: the fields
    // and the selection always describe what the tree shows.
    if (useMsaa_ && accessibleMode() && oleacc_.accessibleObjectFromPoint && InspectAccessible(window, screen, select)) return;
    RECT rect{};
    if (!::GetWindowRect(window, &rect) || ::EqualRect(&rect, &highlight_)) return;
    EraseHighlight();
    FillFromWindow(window);
    if (select) SelectKey(ItemKey{window, 0, 0, 0, 0});
    DrawHighlight(rect);
}

bool CWindowExplorer::InspectAccessible(HWND window, POINT screen, bool select) {
    ComPtr<IAccessible> object;
    common::Variant child;
    if ((FAILED(oleacc_.accessibleObjectFromPoint(screen, &object, child.put())) || !object) &&
        !HitTest(window, screen, object, child))
        return false;
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(object->accLocation(&left, &top, &width, &height, *child.get()))) return false;
    RECT rect{left, top, left + width, top + height};
    if (!::EqualRect(&rect, &highlight_)) {
        EraseHighlight();
        HWND objectWindow = nullptr;
        if (oleacc_.windowFromAccessibleObject) oleacc_.windowFromAccessibleObject(object.Get(), &objectWindow);
        if (!objectWindow) objectWindow = window;
        FillFromAccessible(object.Get(), *child.get(), objectWindow);
        if (select) SelectKey(ItemKey{objectWindow, rect.left, rect.top, rect.right, rect.bottom});
        DrawHighlight(rect);
    }
    return true;
}

namespace {

bool HasState(IAccessible* object, const VARIANT& child, long bits) {
    common::Variant state;
    return SUCCEEDED(object->get_accState(child, state.put())) && state.type() == VT_I4 &&
           (state.get()->lVal & bits) != 0;
}

bool LocationHolds(IAccessible* object, const VARIANT& child, POINT p) {
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(object->accLocation(&left, &top, &width, &height, child))) return false;
    return p.x >= left && p.x < left + width && p.y >= top && p.y < top + height;
}

} // namespace

bool CWindowExplorer::HitTest(HWND window, POINT screen, ComPtr<IAccessible>& object, common::Variant& child) const {
    // What AccessibleObjectFromPoint does, for systems where it is a stub (Wine): from
    // the window's accessible object down to the deepest visible object at the point,
    // by hit-testing where objects answer it and by their rectangles where not.
    if (!oleacc_.accessibleObjectFromWindow) return false;
    const VARIANT self = SelfChild();
    ComPtr<IAccessible> current;
    common::Variant role;
    if (FAILED(oleacc_.accessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(current.GetAddressOf()))) ||
        !current || FAILED(current->get_accRole(self, role.put()))) {
        current.Reset();
        if (FAILED(oleacc_.accessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(current.GetAddressOf()))) ||
            !current)
            return false;
    }
    if (!LocationHolds(current.Get(), self, screen)) return false;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        common::Variant hit;
        if (SUCCEEDED(current->accHitTest(screen.x, screen.y, hit.put()))) {
            if (hit.type() == VT_I4) {
                object = current;
                child = hit;
                return true;
            }
            ComPtr<IAccessible> next;
            if (hit.type() == VT_DISPATCH && hit.get()->pdispVal &&
                SUCCEEDED(hit.get()->pdispVal->QueryInterface(__uuidof(IAccessible),
                                                              reinterpret_cast<void**>(next.GetAddressOf()))) &&
                !SameObject(next.Get(), current.Get())) {
                current = next;
                continue;
            }
        }
        ComPtr<IAccessible> next;
        long count = 0;
        if (oleacc_.accessibleChildren && SUCCEEDED(current->get_accChildCount(&count)) && count > 0) {
            count = std::min(count, kMaxChildren);
            ChildVariants children(static_cast<size_t>(count));
            LONG obtained = 0;
            if (SUCCEEDED(oleacc_.accessibleChildren(current.Get(), 0, count, children.items.data(), &obtained))) {
                for (LONG i = 0; i < std::min<LONG>(obtained, count) && !next; ++i) {
                    const VARIANT& c = children.items[static_cast<size_t>(i)];
                    if (c.vt == VT_I4) {
                        if (HasState(current.Get(), c, STATE_SYSTEM_INVISIBLE) ||
                            !LocationHolds(current.Get(), c, screen))
                            continue;
                        object = current;
                        ::VariantCopy(child.put(), const_cast<VARIANT*>(&c));
                        return true;
                    }
                    ComPtr<IAccessible> candidate;
                    if (c.vt == VT_DISPATCH && c.pdispVal &&
                        SUCCEEDED(c.pdispVal->QueryInterface(__uuidof(IAccessible),
                                                             reinterpret_cast<void**>(candidate.GetAddressOf()))) &&
                        !HasState(candidate.Get(), self, STATE_SYSTEM_INVISIBLE) &&
                        LocationHolds(candidate.Get(), self, screen) && !SameObject(candidate.Get(), current.Get()))
                        next = candidate;
                }
            }
        }
        if (!next) break;
        current = next;
    }
    object = current;
    ::VariantCopy(child.put(), const_cast<VARIANT*>(&self));
    return true;
}

void CWindowExplorer::FillFromAccessible(IAccessible* object, const VARIANT& child, HWND window) {
    std::wstring name, value, description, role;
    ReadText(object, child, AccText::Name, name);
    ReadText(object, child, AccText::Value, value);
    ReadText(object, child, AccText::Description, description);
    common::Variant roleValue;
    if (SUCCEEDED(object->get_accRole(child, roleValue.put()))) role = RoleName(*roleValue.get());
    SetFields(name, role, value, description, window);
}

void CWindowExplorer::FillFromWindow(HWND window) {
    SetFields(L"N/A", L"N/A", WindowTextOf(window), L"N/A", window);
}

void CWindowExplorer::SetFields(const std::wstring& name, const std::wstring& role, const std::wstring& value,
                                const std::wstring& description, HWND window) {
    ::SetDlgItemTextW(hwnd_, IDC_NAME, name.c_str());
    ::SetDlgItemTextW(hwnd_, IDC_ROLE, role.c_str());
    ::SetDlgItemTextW(hwnd_, IDC_VALUE, value.c_str());
    ::SetDlgItemTextW(hwnd_, IDC_DESCRIPTION, description.c_str());
    ::SetDlgItemTextW(hwnd_, IDC_HANDLE, FormatHandle(window).c_str());
    ::SetDlgItemTextW(hwnd_, IDC_CLASS, ClassOf(window).c_str());
}

namespace {
// A two-pixel outline drawn with XOR on the screen: drawing it again restores the screen.
void XorOutline(const RECT& rect) {
    common::WindowDc screen(nullptr);
    RECT inner = rect;
    ::InflateRect(&inner, -1, -1);
    ::DrawFocusRect(screen.get(), &rect);
    ::DrawFocusRect(screen.get(), &inner);
}
} // namespace

void CWindowExplorer::DrawHighlight(const RECT& rect) {
    highlight_ = rect;
    if (!::IsRectEmpty(&highlight_)) XorOutline(highlight_);
}

void CWindowExplorer::EraseHighlight() {
    if (!::IsRectEmpty(&highlight_)) XorOutline(highlight_);
    ::SetRectEmpty(&highlight_);
}

void CWindowExplorer::ReadCheckBoxes() {
    useMsaa_ = ::IsDlgButtonChecked(hwnd_, IDC_USE_MSAA) == BST_CHECKED;
    keepOnTop_ = ::IsDlgButtonChecked(hwnd_, IDC_KEEP_ON_TOP) == BST_CHECKED;
    showInvisible_ = ::IsDlgButtonChecked(hwnd_, IDC_SHOW_INVISIBLE) == BST_CHECKED;
}

void CWindowExplorer::ApplyKeepOnTop() {
    ::SetWindowPos(hwnd_, keepOnTop_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void CWindowExplorer::DeleteAllItems() {
    if (tree_) ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    keys_.clear();
    ::SetDlgItemTextW(hwnd_, IDC_PATH, L"");
}

HTREEITEM CWindowExplorer::Insert(HTREEITEM parent, const std::wstring& text, const ItemKey& key) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item) keys_[item] = key;
    return item;
}

void CWindowExplorer::BuildTree() {
    ReadCheckBoxes();
    HCURSOR previous = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    if (target_ && ::IsWindow(target_)) {
        ItemKey remembered;
        bool haveSelection = false;
        if (const ItemKey* key = KeyOf(TreeView_GetSelection(tree_))) {
            remembered = *key;
            haveSelection = true;
        }
        ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
        DeleteAllItems();

        DWORD process = 0;
        ::GetWindowThreadProcessId(target_, &process);
        ProcessWindows search{process, {}};
        ::EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
        const bool accessible = accessibleMode();
        for (HWND window : search.windows) {
            if (accessible)
                AddAccessibleRoot(window);
            else
                AddWindow(TVI_ROOT, window, 0);
        }

        ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(tree_, nullptr, TRUE);
        ++builds_;
        if (haveSelection) SelectKey(remembered);
    }
    ::SetCursor(dragging_ && finderCursor_ ? finderCursor_ : previous);
}

void CWindowExplorer::AddWindow(HTREEITEM parent, HWND window, int depth) {
    std::wstring text = L"(" + FormatHandle(window) + L") " + ClassOf(window) + L" \"" + CaptionOf(window) + L"\"";
    HTREEITEM item = Insert(parent, text, ItemKey{window, 0, 0, 0, 0});
    if (!item || depth >= kMaxDepth) return;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        AddWindow(item, child, depth + 1);
}

ItemKey CWindowExplorer::KeyOfAccessible(IAccessible* object, const VARIANT& child) const {
    ItemKey key;
    if (oleacc_.windowFromAccessibleObject) oleacc_.windowFromAccessibleObject(object, &key.window);
    long left = 0, top = 0, width = 0, height = 0;
    if (SUCCEEDED(object->accLocation(&left, &top, &width, &height, child))) {
        key.left = left;
        key.top = top;
        key.right = left + width;
        key.bottom = top + height;
    }
    return key;
}

void CWindowExplorer::AddAccessibleRoot(HWND window) {
    ComPtr<IAccessible> object;
    if (FAILED(oleacc_.accessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IAccessible),
                                        reinterpret_cast<void**>(object.GetAddressOf()))) ||
        !object)
        return;
    VARIANT self = SelfChild();
    HTREEITEM item = Insert(TVI_ROOT, NodeText(object.Get(), self), KeyOfAccessible(object.Get(), self));
    if (item) AddAccessibleChildren(item, object.Get(), 1);
}

void CWindowExplorer::AddAccessibleChildren(HTREEITEM parent, IAccessible* object, int depth) {
    if (!oleacc_.accessibleChildren || depth > kMaxDepth) return;
    long count = 0;
    if (FAILED(object->get_accChildCount(&count)) || count <= 0) return;
    count = std::min(count, kMaxChildren);
    ChildVariants children(static_cast<size_t>(count));
    LONG obtained = 0;
    if (FAILED(oleacc_.accessibleChildren(object, 0, count, children.items.data(), &obtained))) return;
    obtained = std::min<LONG>(obtained, count);
    const VARIANT self = SelfChild();
    for (LONG i = 0; i < obtained; ++i) {
        const VARIANT& child = children.items[static_cast<size_t>(i)];
        if (child.vt == VT_I4) {
            if (!showInvisible_ && IsHiddenFramePart(object, child)) continue;
            HTREEITEM item = Insert(parent, L"[ " + NodeText(object, child) + L" ]", KeyOfAccessible(object, child));
            ComPtr<IDispatch> inner;
            ComPtr<IAccessible> innerAccessible;
            if (item && SUCCEEDED(object->get_accChild(child, &inner)) && inner &&
                SUCCEEDED(inner.As(&innerAccessible)))
                AddAccessibleChildren(item, innerAccessible.Get(), depth + 1);
        } else if (child.vt == VT_DISPATCH && child.pdispVal) {
            ComPtr<IAccessible> accessible;
            if (FAILED(child.pdispVal->QueryInterface(__uuidof(IAccessible),
                                                      reinterpret_cast<void**>(accessible.GetAddressOf()))))
                continue;
            if (!showInvisible_ && IsHiddenFramePart(accessible.Get(), self)) continue;
            if (SameObject(accessible.Get(), object)) continue;
            HTREEITEM item =
                Insert(parent, NodeText(accessible.Get(), self), KeyOfAccessible(accessible.Get(), self));
            if (item) AddAccessibleChildren(item, accessible.Get(), depth + 1);
        }
    }
}

HTREEITEM CWindowExplorer::FindKey(HTREEITEM first, const ItemKey& key) const {
    for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree_, item)) {
        const ItemKey* k = KeyOf(item);
        if (k && *k == key) return item;
        if (HTREEITEM found = FindKey(TreeView_GetChild(tree_, item), key)) return found;
    }
    return nullptr;
}

void CWindowExplorer::SelectKey(const ItemKey& key) {
    HTREEITEM item = FindKey(TreeView_GetRoot(tree_), key);
    // Nothing selected rather than a stale item whose path would mislead.
    TreeView_SelectItem(tree_, item);
    if (item) TreeView_EnsureVisible(tree_, item);
    UpdatePath();
}

void CWindowExplorer::UpdatePath() {
    std::wstring path;
    HTREEITEM selected = TreeView_GetSelection(tree_);
    if (selected && accessibleMode()) {
        std::vector<std::wstring> texts;
        for (HTREEITEM item = selected; item; item = TreeView_GetParent(tree_, item)) {
            wchar_t text[1024] = {};
            TVITEMW tv{};
            tv.mask = TVIF_TEXT;
            tv.hItem = item;
            tv.pszText = text;
            tv.cchTextMax = 1024;
            TreeView_GetItem(tree_, &tv);
            texts.push_back(text);
        }
        std::reverse(texts.begin(), texts.end());
        path = JoinPath(texts);
    }
    ::SetDlgItemTextW(hwnd_, IDC_PATH, path.c_str());
}

} // namespace explorer
