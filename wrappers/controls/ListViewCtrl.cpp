#include "wrappers/controls/ListViewCtrl.h"
#include "wrappers/core/Collection.h"
#include "wrappers/core/MatchText.h"
#include "wrappers/hook/RemoteItems.h"
#include "wrappers/hook/SendRemote.h"
#include <commctrl.h>
#include <vector>

namespace wrappers {

TEVRIN_WRAPPER_CLASS(ListView, ListViewCtrl);

namespace {

const int kItemTextChars = 8192;
// No real list view has more; stops a control that answers every index.
const int kMaxColumns = 1024;

LONG itemCount(HWND control) { return static_cast<LONG>(sendDirect(control, LVM_GETITEMCOUNT, 0, 0)); }

// Sends an item message with `item` in a block of its own; the result of the message.
LRESULT sendItem(RemoteProcess& process, HWND control, UINT message, WPARAM wParam, const LVITEMA& item,
                 bool post, LVITEMA* back = nullptr) {
    RemoteBuffer block(process, sizeof(LVITEMA));
    block.write(item);
    LRESULT result = sendRemote(process, control, message, wParam, block.lparam(), post);
    if (back) block.read(*back);
    return result;
}

// Text of one cell; false when the control has no such cell.
bool cellText(RemoteProcess& process, HWND control, LONG row, LONG col, std::wstring* text) {
    text->clear();
    if (row < 0 || col < 0) return false;
    RemoteBuffer buffer(process, 2 * kItemTextChars);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = col;
    item.pszText = reinterpret_cast<LPSTR>(buffer.address());
    item.cchTextMax = kItemTextChars;
    if (!sendItem(process, control, LVM_GETITEMA, 0, item, false, &item)) return false;
    // The control may point pszText at its own storage.
    *text = readRemoteAnsi(process, reinterpret_cast<ULONG_PTR>(item.pszText), 2 * kItemTextChars);
    return true;
}

void setCellText(RemoteProcess& process, HWND control, LONG row, LONG col, const std::wstring& text, bool post) {
    auto buffer = remoteAnsi(process, text);
    LVITEMA item{};
    item.iSubItem = col;
    item.pszText = reinterpret_cast<LPSTR>(buffer->address());
    sendItem(process, control, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), item, post);
}

LONG columnCount(RemoteProcess& process, HWND control) {
    RemoteBuffer block(process, sizeof(LVCOLUMNA));
    LVCOLUMNA column{};
    column.mask = LVCF_SUBITEM;
    block.write(column);
    LONG n = 0;
    while (n < kMaxColumns && sendRemote(process, control, LVM_GETCOLUMNA, static_cast<WPARAM>(n), block.lparam(), false))
        ++n;
    return n;
}

void setState(RemoteProcess& process, HWND control, LONG row, UINT mask, UINT state, bool post) {
    LVITEMA item{};
    item.mask = LVIF_STATE;
    item.iItem = row;
    item.stateMask = mask;
    item.state = state;
    sendItem(process, control, LVM_SETITEMA, 0, item, post);
}

std::wstring separatorsOf(BSTR strSeparator) { return bstrText(strSeparator); }

} // namespace

LONG ListViewCtrl::findRow(RemoteProcess& process, const std::wstring& pattern, const std::wstring& separators) {
    HWND control = window();
    const std::vector<std::wstring> wanted = splitFields(pattern, separators);
    const LONG rows = itemCount(control);
    const LONG columns = columnCount(process, control);
    for (LONG row = 0; row < rows; ++row) {
        std::wstring rowText;
        bool first = true;
        for (LONG col = 0; col < columns; ++col) {
            std::wstring cell;
            if (!cellText(process, control, row, col, &cell)) continue;
            if (!first) rowText += separators;
            rowText += cell;
            first = false;
        }
        const std::vector<std::wstring> fields = splitFields(rowText, separators);
        bool matches = true;
        for (size_t i = 0; i < fields.size() && i < wanted.size() && matches; ++i)
            matches = matchText(fields[i], wanted[i]);
        if (matches) return row;
    }
    return -1;
}

STDMETHODIMP ListViewCtrl::get_count(LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = itemCount(window());
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::newItem(BSTR strText, BSTR strSeparator, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        const bool post = binding().takeAsync();
        HWND control = window();
        RemoteProcess process(binding());
        // A posted insert gives no index; the row is appended, so it will be the
        // current count (unless the view sorts), and the texts follow it in order.
        const LONG appendedAt = post ? itemCount(control) : -1;
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = 2147483647;
        item.lParam = 0;
        LONG row = static_cast<LONG>(sendItem(process, control, LVM_INSERTITEMA, 0, item, post));
        if (post) row = appendedAt;
        if (row >= 0) {
            const std::vector<std::wstring> fields = splitFields(bstrText(strText), separatorsOf(strSeparator));
            for (size_t k = 0; k < fields.size(); ++k)
                setCellText(process, control, row, static_cast<LONG>(k), fields[k], post);
        }
        *pVal = row;
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::get_item(LONG row, LONG col, BSTR* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = nullptr;
        RemoteProcess process(binding());
        std::wstring text;
        cellText(process, window(), row, col, &text);
        *pVal = ::SysAllocString(text.c_str());
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::put_item(LONG row, LONG col, BSTR newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        RemoteProcess process(binding());
        setCellText(process, window(), row, col, bstrText(newVal), post);
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::get_itemData(LONG row, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        RemoteProcess process(binding());
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (sendItem(process, window(), LVM_GETITEMA, 0, item, false, &item)) *pVal = static_cast<LONG>(item.lParam);
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::put_itemData(LONG row, LONG newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        RemoteProcess process(binding());
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = newVal;
        sendItem(process, window(), LVM_SETITEMA, 0, item, post);
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::get_check(LONG row, VARIANT_BOOL* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        LRESULT state = sendDirect(window(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
        // State image 1 is the unchecked box; 0 (no check boxes) and 2 count as checked.
        *pVal = ((state & LVIS_STATEIMAGEMASK) >> 12) == 1 ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::put_check(LONG row, VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        RemoteProcess process(binding());
        setState(process, window(), row, LVIS_STATEIMAGEMASK, newVal ? 0x2000 : 0x1000, post);
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::deleteItem(LONG row) {
    return WrapperCall([&] {
        sendDirect(window(), LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::resetContent() {
    return WrapperCall([&] {
        sendDirect(window(), LVM_DELETEALLITEMS, 0, 0);
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::get_selected(BSTR strItem, BSTR strSeparator, VARIANT_BOOL* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = VARIANT_FALSE;
        RemoteProcess process(binding());
        LONG row = findRow(process, bstrText(strItem), separatorsOf(strSeparator));
        if (row >= 0 && sendDirect(window(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED))
            *pVal = VARIANT_TRUE;
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::put_selected(BSTR strItem, BSTR strSeparator, VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND control = window();
        RemoteProcess process(binding());
        const UINT state = newVal ? LVIS_SELECTED : 0;
        LONG row = findRow(process, bstrText(strItem), separatorsOf(strSeparator));
        if (row >= 0) {
            setState(process, control, row, LVIS_SELECTED, state, post);
        } else {
            const LONG rows = itemCount(control);
            for (LONG r = 0; r < rows; ++r) setState(process, control, r, LVIS_SELECTED, state, post);
        }
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::ensureVisible(LONG row) {
    return WrapperCall([&] {
        sendDirect(window(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), 0);
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::get_findItem(BSTR strVal, BSTR strSeparator, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        RemoteProcess process(binding());
        *pVal = findRow(process, bstrText(strVal), separatorsOf(strSeparator));
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::get_selectedItems(VARIANT* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        ::VariantInit(pVal);
        HWND control = window();
        if (::GetWindowLongPtrW(control, GWL_STYLE) & LVS_SINGLESEL) {
            pVal->vt = VT_I4;
            pVal->lVal = static_cast<LONG>(sendDirect(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
            return S_OK;
        }
        auto selection = Collection::create();
        // Bounded by the row count: a control that kept answering would not hold the script.
        const LONG rows = itemCount(control);
        LONG row = -1;
        for (LONG i = 0; i <= rows; ++i) {
            row = static_cast<LONG>(sendDirect(control, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
            if (row < 0) break;
            selection->append(row);
        }
        selection->toVariant(pVal);
        return S_OK;
    });
}

} // namespace wrappers
