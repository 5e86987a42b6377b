#include "wrappers/controls/ComboBoxCtrl.h"
#include "wrappers/hook/RemoteItems.h"
#include "wrappers/hook/SendRemote.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(ComboBox, ComboBoxCtrl);

ItemList ComboBoxCtrl::items() { return ItemList(channelOf(binding()), binding().session(), window(), kComboBoxMessages); }

STDMETHODIMP ComboBoxCtrl::get_dropped(VARIANT_BOOL* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = sendDirect(window(), CB_GETDROPPEDSTATE, 0, 0) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::put_dropped(VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        sendDirect(window(), CB_SHOWDROPDOWN, newVal ? 1 : 0, 0);
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::get_count(LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = items().count();
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::get_item(VARIANT item, BSTR* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = nullptr;
        ItemList list = items();
        *pVal = ::SysAllocString(list.text(list.resolve(item)).c_str());
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::newItem(BSTR strVal, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        const bool post = binding().takeAsync();
        *pVal = items().add(bstrText(strVal), post);
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::deleteItem(VARIANT item) {
    return WrapperCall([&] {
        ItemList list = items();
        LONG index = list.resolve(item);
        if (index >= 0) list.send(CB_DELETESTRING, static_cast<WPARAM>(index), 0);
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::get_findItem(BSTR strVal, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = items().find(bstrText(strVal));
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::resetContent() {
    return WrapperCall([&] {
        items().send(CB_RESETCONTENT, 0, 0);
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::get_curSel(VARIANT* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        ::VariantInit(pVal);
        ItemList list = items();
        LONG index = static_cast<LONG>(list.send(CB_GETCURSEL, 0, 0));
        pVal->vt = VT_BSTR;
        pVal->bstrVal = ::SysAllocString(list.text(index).c_str());
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::put_curSel(VARIANT newVal) {
    return WrapperCall([&] {
        ItemList list = items();
        LONG index = list.resolve(newVal);
        if (index >= 0) list.send(CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::get_itemData(VARIANT item, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        ItemList list = items();
        LONG index = list.resolve(item);
        if (index < 0) return S_OK;
        LRESULT data = list.send(CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
        *pVal = static_cast<LONG>(data);
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::put_itemData(VARIANT item, LONG newVal) {
    return WrapperCall([&] {
        ItemList list = items();
        LONG index = list.resolve(item);
        if (index >= 0) list.send(CB_SETITEMDATA, static_cast<WPARAM>(index), newVal);
        return S_OK;
    });
}

STDMETHODIMP ComboBoxCtrl::select(VARIANT item) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        ItemList list = items();
        const LONG index = list.resolve(item);
        if (index < 0 || index >= list.count()) {
            std::wstring name;
            LONG number = 0;
            if (variantInteger(item, &number)) name = std::to_wstring(number);
            else if (variantString(item, &name)) name = L"\"" + name + L"\"";
            else throw WrapperError(L"An item of a combo box is an index or a text");
            throw WrapperError(L"The combo box has no item " + name);
        }
        HWND combo = window();
        list.send(CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        // The parent hears of the choice as of one the user makes in the list: the
        // selection changed, and it was taken.
        HWND parent = ::GetParent(combo);
        if (!parent) return S_OK;
        const WORD id = static_cast<WORD>(::GetDlgCtrlID(combo));
        const LPARAM from = reinterpret_cast<LPARAM>(combo);
        for (WORD code : {static_cast<WORD>(CBN_SELCHANGE), static_cast<WORD>(CBN_SELENDOK)}) {
            if (post) ::PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), from);
            else sendDirect(parent, WM_COMMAND, MAKEWPARAM(id, code), from);
        }
        return S_OK;
    });
}

} // namespace wrappers
