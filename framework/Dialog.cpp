#include "framework/Dialog.h"
#include "framework/Application.h"
#include "framework/MDIFrameWnd.h"

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<CDialog*>(CWindow::FromHandle(hwnd));
    if (!self) {
        if (msg == WM_INITDIALOG)
            self = reinterpret_cast<CDialog*>(lParam);
        else
            self = dynamic_cast<CDialog*>(Creating());
        if (!self) return FALSE;
        Creating() = nullptr;
        self->Bind(hwnd);
    }
    LRESULT r = self->Dispatch(msg, wParam, lParam);
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM: case WM_VKEYTOITEM:
    case WM_CHARTOITEM: case WM_QUERYDRAGICON:
        return r;
    case WM_NOTIFY:
        if (r) ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, r);
        return r != 0;
    default:
        return r != 0;
    }
}

bool CDialog::Create(UINT resourceId, HWND parent) {
    modal_ = false;
    CWindow* previous = Creating();
    Creating() = this;
    HWND h = ::CreateDialogParamW(FrameworkInstance(), MAKEINTRESOURCEW(resourceId), parent, DialogProc,
                                  reinterpret_cast<LPARAM>(this));
    Creating() = previous;
    return h != nullptr;
}

INT_PTR CDialog::DoModal(UINT resourceId, HWND parent) {
    modal_ = true;
    CWindow* previous = Creating();
    Creating() = this;
    INT_PTR r = ::DialogBoxParamW(FrameworkInstance(), MAKEINTRESOURCEW(resourceId), parent, DialogProc,
                                  reinterpret_cast<LPARAM>(this));
    Creating() = previous;
    return r;
}

void CDialog::EndDialog(INT_PTR result) {
    if (modal_)
        ::EndDialog(hwnd_, result);
    else
        ::ShowWindow(hwnd_, SW_HIDE);
}

bool CDialog::PreTranslateMessage(MSG* msg) {
    if (modal_ || !hwnd_ || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return false;
    // A dialog inside the main frame (a pane's content) must not swallow the frame's
    // accelerators: they come first, then the dialog's own keyboard navigation.
    CApplication* app = CApplication::Get();
    if ((::GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD) && app && app->mainWnd() && app->mainWnd()->hwnd() &&
        app->mainWnd()->PreTranslateMessage(msg))
        return true;
    return ::IsDialogMessageW(hwnd_, msg) != FALSE;
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) { return 0; }

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) return TRUE;
        if (modal_ && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            EndDialog(LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return FALSE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(reinterpret_cast<NMHDR*>(lParam), &result)) return result ? result : TRUE;
        return FALSE;
    }
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    }
    return FALSE;
}
