#include "wrappers/controls/TabCtrl.h"
#include "wrappers/core/MatchText.h"
#include "wrappers/hook/RemoteItems.h"
#include "wrappers/hook/SendRemote.h"
#include <commctrl.h>

namespace wrappers {

TEVRIN_WRAPPER_CLASS(Tab, TabCtrl);

namespace {

const int kTabTextChars = 1024;
const size_t kTabTextBytes = 2050;

} // namespace

std::wstring TabCtrl::tabText(LONG index) {
    if (index < 0) return L"";
    HWND control = window();
    RemoteProcess process(binding());
    RemoteBuffer item(process, sizeof(TCITEMA));
    RemoteBuffer text(process, kTabTextBytes);
    TCITEMA tab{};
    tab.mask = TCIF_TEXT | TCIF_IMAGE;
    tab.pszText = reinterpret_cast<LPSTR>(text.address());
    tab.cchTextMax = kTabTextChars;
    item.write(tab);
    // Tab messages are not translated between processes: the remote address goes as is.
    if (!sendDirect(control, TCM_GETITEMA, static_cast<WPARAM>(index), item.lparam())) return L"";
    item.read(tab);
    // The control may point pszText at its own storage.
    return readRemoteAnsi(process, reinterpret_cast<ULONG_PTR>(tab.pszText), kTabTextBytes);
}

void TabCtrl::select(LONG index) {
    HWND control = window();
    sendDirect(control, TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    sendDirect(control, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
}

STDMETHODIMP TabCtrl::get_curSel(VARIANT* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        ::VariantInit(pVal);
        LONG index = static_cast<LONG>(sendDirect(window(), TCM_GETCURSEL, 0, 0));
        if (index == -1) return S_OK;
        pVal->vt = VT_BSTR;
        pVal->bstrVal = ::SysAllocString(tabText(index).c_str());
        return S_OK;
    });
}

STDMETHODIMP TabCtrl::put_curSel(VARIANT newVal) {
    return WrapperCall([&] {
        LONG index = -1;
        std::wstring pattern;
        if (variantInteger(newVal, &index)) {
            select(index);
        } else if (variantString(newVal, &pattern)) {
            const LONG n = static_cast<LONG>(sendDirect(window(), TCM_GETITEMCOUNT, 0, 0));
            for (LONG i = 0; i < n; ++i) {
                if (matchText(tabText(i), pattern)) {
                    select(i);
                    break;
                }
            }
        }
        return S_OK;
    });
}

STDMETHODIMP TabCtrl::get_item(LONG nItem, BSTR* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = ::SysAllocString(tabText(nItem).c_str());
        return S_OK;
    });
}

STDMETHODIMP TabCtrl::get_count(LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = static_cast<LONG>(sendDirect(window(), TCM_GETITEMCOUNT, 0, 0));
        return S_OK;
    });
}

} // namespace wrappers
