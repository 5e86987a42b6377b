#include "wrappers/controls/ListBoxCtrl.h"
#include "wrappers/core/Collection.h"
#include "wrappers/hook/RemoteItems.h"
#include "wrappers/hook/SendRemote.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(ListBox, ListBoxCtrl);

ItemList ListBoxCtrl::items() { return ItemList(channelOf(binding()), binding().session(), window(), kListBoxMessages); }

bool ListBoxCtrl::multipleSelection() {
    // Extended selection is a multiple selection too: LB_SETCURSEL does not apply to it.
    return (::GetWindowLongPtrW(window(), GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}

STDMETHODIMP ListBoxCtrl::get_count(LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = items().count();
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::newItem(BSTR strText, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        const bool post = binding().takeAsync();
        *pVal = items().add(bstrText(strText), post);
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::get_item(VARIANT item, BSTR* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = nullptr;
        ItemList list = items();
        *pVal = ::SysAllocString(list.text(list.resolve(item)).c_str());
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::get_itemData(VARIANT item, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        ItemList list = items();
        LONG index = list.resolve(item);
        if (index < 0) return S_OK;
        LRESULT data = list.send(LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
        *pVal = static_cast<LONG>(data);
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::put_itemData(VARIANT item, LONG newVal) {
    return WrapperCall([&] {
        ItemList list = items();
        LONG index = list.resolve(item);
        if (index >= 0) list.send(LB_SETITEMDATA, static_cast<WPARAM>(index), newVal);
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::deleteItem(VARIANT item) {
    return WrapperCall([&] {
        ItemList list = items();
        LONG index = list.resolve(item);
        if (index >= 0) list.send(LB_DELETESTRING, static_cast<WPARAM>(index), 0);
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::get_findItem(BSTR strText, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = items().find(bstrText(strText));
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::resetContent() {
    return WrapperCall([&] {
        items().send(LB_RESETCONTENT, 0, 0);
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::get_selected(VARIANT item, VARIANT_BOOL* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = VARIANT_FALSE;
        ItemList list = items();
        LONG index = list.resolve(item);
        // LB_ERR (an index the list does not have) is no selection.
        if (index >= 0 && list.send(LB_GETSEL, static_cast<WPARAM>(index), 0) > 0) *pVal = VARIANT_TRUE;
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::put_selected(VARIANT item, VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        ItemList list = items();
        LONG index = list.resolve(item);
        if (multipleSelection())
            list.send(LB_SETSEL, newVal ? 1 : 0, index);  // -1: every item
        else
            list.send(LB_SETCURSEL, static_cast<WPARAM>(index), 0);  // the value does not matter here
        return S_OK;
    });
}

STDMETHODIMP ListBoxCtrl::get_selectedItems(VARIANT* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        ::VariantInit(pVal);
        ItemList list = items();
        if (!multipleSelection()) {
            pVal->vt = VT_I4;
            pVal->lVal = static_cast<LONG>(list.send(LB_GETCURSEL, 0, 0));
            return S_OK;
        }
        auto selection = Collection::create();
        const LONG n = list.count();
        for (LONG i = 0; i < n; ++i) {
            if (list.send(LB_GETSEL, static_cast<WPARAM>(i), 0) > 0) selection->append(i);
        }
        selection->toVariant(pVal);
        return S_OK;
    });
}

} // namespace wrappers
