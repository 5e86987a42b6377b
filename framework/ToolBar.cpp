#include "framework/ToolBar.h"
#include "framework/DockDrag.h"
#include "framework/FrameworkIds.h"
#include "framework/MDIFrameWnd.h"

CToolBar::~CToolBar() {
    if (toolbar_ && ::IsWindow(toolbar_)) {
        ::SendMessageW(toolbar_, TB_SETIMAGELIST, 0, 0);
        ::SendMessageW(toolbar_, TB_SETHOTIMAGELIST, 0, 0);
    }
    if (normal_) ImageList_Destroy(normal_);
    if (hot_) ImageList_Destroy(hot_);
}

bool CToolBar::Create(CMDIFrameWnd* frame, UINT id, const wchar_t* title) {
    if (!CreateBar(frame, id, title, 0)) return false;
    toolbar_ = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER |
                                     CCS_NORESIZE | CCS_NOPARENTALIGN,
                                 kGripper, 0, 100, 26, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 FrameworkInstance(), nullptr);
    if (!toolbar_) return false;
    ::SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    return true;
}

void CToolBar::SetButtons(const std::vector<UINT>& ids) {
    while (::SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0) > 0) ::SendMessageW(toolbar_, TB_DELETEBUTTON, 0, 0);
    buttons_ = ids;
    std::vector<TBBUTTON> tb;
    int image = 0;
    for (UINT id : ids) {
        TBBUTTON b{};
        if (id == ID_SEPARATOR) {
            b.fsStyle = BTNS_SEP;
            b.iBitmap = 6;
        } else {
            b.iBitmap = image++;
            b.idCommand = static_cast<int>(id);
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
        }
        tb.push_back(b);
    }
    ::SendMessageW(toolbar_, TB_ADDBUTTONSW, tb.size(), reinterpret_cast<LPARAM>(tb.data()));
    ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void CToolBar::SetImageLists(HIMAGELIST normal, HIMAGELIST hot) {
    ::SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
    ::SendMessageW(toolbar_, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot));
    if (normal_ && normal_ != normal) ImageList_Destroy(normal_);
    if (hot_ && hot_ != hot) ImageList_Destroy(hot_);
    normal_ = normal;
    hot_ = hot;
    if (normal) {
        int cx = 16, cy = 16;
        ImageList_GetIconSize(normal, &cx, &cy);
        ::SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(cx, cy));
        ::SendMessageW(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(cx + 7, cy + 6));
    }
    ::SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

HIMAGELIST CToolBar::LoadImageList(UINT bitmapId, int imageSize, COLORREF mask) {
    HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageW(FrameworkInstance(), MAKEINTRESOURCEW(bitmapId),
                                                       IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return nullptr;
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof(info), &info);
    int count = imageSize > 0 ? info.bmWidth / imageSize : 0;
    HIMAGELIST list = ImageList_Create(imageSize, imageSize, ILC_COLORDDB | ILC_MASK, count, 0);
    if (list) ImageList_AddMasked(list, bitmap, mask);
    ::DeleteObject(bitmap);
    return list;
}

bool CToolBar::IsButtonEnabled(UINT id) const {
    return ::SendMessageW(toolbar_, TB_ISBUTTONENABLED, id, 0) != 0;
}

bool CToolBar::IsButtonChecked(UINT id) const {
    return ::SendMessageW(toolbar_, TB_ISBUTTONCHECKED, id, 0) != 0;
}

void CToolBar::ClickButton(UINT id) {
    if (IsButtonEnabled(id)) ::SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(toolbar_));
}

SIZE CToolBar::CalcFixedLayout(bool horz) {
    SIZE size{};
    ::SendMessageW(toolbar_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    if (size.cy <= 0) size.cy = 26;
    SIZE bar{size.cx + kGripper + 4, size.cy + 4};
    if (!horz) {
        // One column of buttons when docked on the left or right.
        DWORD bs = static_cast<DWORD>(::SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0));
        int buttons = 0, separators = 0;
        for (UINT id : buttons_) (id == ID_SEPARATOR ? separators : buttons)++;
        bar = {LOWORD(bs) + 4, HIWORD(bs) * buttons + separators * 8 + kGripper + 4};
    }
    return bar;
}

void CToolBar::OnSize(UINT, int cx, int cy) {
    bool horz = cx >= cy;
    ::SendMessageW(toolbar_, TB_SETSTYLE, 0,
                   (::SendMessageW(toolbar_, TB_GETSTYLE, 0, 0) & ~CCS_VERT) | (horz ? 0 : CCS_VERT | TBSTYLE_WRAPABLE));
    if (horz)
        ::MoveWindow(toolbar_, kGripper, 2, cx - kGripper, cy - 2, TRUE);
    else
        ::MoveWindow(toolbar_, 2, kGripper, cx - 2, cy - kGripper, TRUE);
}

bool CToolBar::OnNotify(NMHDR* hdr, LRESULT* result) {
    if (hdr->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(hdr);
        std::wstring text = LoadResString(static_cast<UINT>(hdr->idFrom));
        size_t nl = text.find(L'\n');
        tip_ = nl == std::wstring::npos ? text : text.substr(nl + 1);
        info->lpszText = const_cast<wchar_t*>(tip_.c_str());
        *result = 0;
        return true;
    }
    if (hdr->code == TBN_HOTITEMCHANGE && frame_) {
        // Fly-by help: the prompt of the button under the mouse.
        auto* hot = reinterpret_cast<NMTBHOTITEM*>(hdr);
        frame_->ShowCommandPrompt((hot->dwFlags & HICF_LEAVING) ? 0 : static_cast<UINT>(hot->idNew));
        *result = 0;
        return true;
    }
    return false;
}

LRESULT CToolBar::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd_, &ps);
        RECT r = ClientRect();
        // Gripper: two raised lines along the leading edge.
        bool horz = r.right - r.left >= r.bottom - r.top;
        for (int i = 0; i < 2; ++i) {
            RECT g = horz ? RECT{2 + i * 3, 3, 5 + i * 3, r.bottom - 3} : RECT{3, 2 + i * 3, r.right - 3, 5 + i * 3};
            ::DrawEdge(dc, &g, BDR_RAISEDINNER, BF_RECT);
        }
        ::EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        // The gripper (the bar around its buttons): the toolbar goes where it is dragged.
        if (frame_) {
            POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ::ClientToScreen(hwnd_, &p);
            CDockDrag(frame_, this).Track(p);
        }
        return 0;
    }
    return CControlBar::WindowProc(msg, wParam, lParam);
}
