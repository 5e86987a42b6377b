#include "wrappers/controls/ButtonCtrl.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(Button, ButtonCtrl);

namespace {

// A click handler may run for a while (or show a modal dialog); past this the script
// gets an error instead of waiting for ever.
const DWORD kButtonTimeout = 60000;

} // namespace

STDMETHODIMP ButtonCtrl::get_check(VARIANT_BOOL* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        DWORD_PTR state = 0;
        if (!::SendMessageTimeoutA(window(), BM_GETCHECK, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kButtonTimeout, &state))
            state = 0;
        // Indeterminate counts as checked.
        *pVal = (state & 0xFFFF) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP ButtonCtrl::put_check(VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(window(), BM_SETCHECK, newVal ? BST_CHECKED : BST_UNCHECKED, 0,
                              SMTO_NORMAL | SMTO_ABORTIFHUNG, kButtonTimeout, &ignored);
        return S_OK;
    });
}

STDMETHODIMP ButtonCtrl::push() {
    return WrapperCall([&] {
        HWND button = window();
        HWND parent = ::GetParent(button);
        const WPARAM command = MAKEWPARAM(::GetDlgCtrlID(button) & 0xFFFF, BN_CLICKED);
        const LPARAM source = reinterpret_cast<LPARAM>(button);
        if (binding().takeAsync()) {
            ::PostMessageA(parent, WM_COMMAND, command, source);
            return S_OK;
        }
        DWORD_PTR ignored = 0;
        if (!::SendMessageTimeoutA(parent, WM_COMMAND, command, source, SMTO_NORMAL, kButtonTimeout, &ignored) &&
            ::IsWindow(parent))
            throw WrapperError(L"The application did not finish handling the click within 60 seconds; "
                               L"set async of the Synchronizer before a push that opens a modal dialog");
        return S_OK;
    });
}

} // namespace wrappers
