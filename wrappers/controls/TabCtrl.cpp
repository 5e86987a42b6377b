#include "wrappers/controls/TabCtrl.h"
#include "wrappers/core/MatchText.h"
#include "wrappers/hook/RemoteItems.h"
#include "wrappers/hook/RemoteSession.h"
#include "wrappers/hook/SendRemote.h"
#include <commctrl.h>
#include <cstring>

namespace wrappers {

TEVRIN_WRAPPER_CLASS(Tab, TabCtrl);

namespace {

const int kTabTextChars = 1024;
const size_t kTabTextBytes = 2050;

} // namespace

std::wstring TabCtrl::tabText(LONG index) {
    if (index < 0) return L"";
    HWND control = window();
    // The item and its text area in the binding's session block, the text area empty.
    RemoteSession::Lease lease(binding().session(), sizeof(TCITEMA) + kTabTextBytes);
    TCITEMA tab{};
    tab.mask = TCIF_TEXT | TCIF_IMAGE;
    tab.pszText = reinterpret_cast<LPSTR>(lease.addressAt(sizeof(TCITEMA)));
    tab.cchTextMax = kTabTextChars;
    char data[sizeof(TCITEMA) + 1] = {};
    std::memcpy(data, &tab, sizeof tab);
    lease.write(data, sizeof data);
    // Tab messages are not translated between processes: the remote address goes as is.
    if (!sendDirect(control, TCM_GETITEMA, static_cast<WPARAM>(index), static_cast<LPARAM>(lease.address())))
        return L"";
    lease.read(&tab, sizeof tab);
    // The control may point pszText at its own storage.
    return readRemoteAnsi(lease.process(), reinterpret_cast<ULONG_PTR>(tab.pszText), kTabTextBytes);
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
