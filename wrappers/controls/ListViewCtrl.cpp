#include "wrappers/controls/ListViewCtrl.h"
#include "wrappers/core/Collection.h"
#include "wrappers/core/MatchText.h"
#include "common/TextConv.h"
#include "ostrel/ostrel.h"
#include "wrappers/hook/RemoteItems.h"
#include "wrappers/hook/RemoteSession.h"
#include "wrappers/hook/SendRemote.h"
#include <commctrl.h>
#include <cstring>
#include <memory>
#include <vector>

namespace wrappers {

TEVRIN_WRAPPER_CLASS(ListView, ListViewCtrl);

namespace {

const int kItemTextChars = 8192;
// No real list view has more; stops a control that answers every index.
const int kMaxColumns = 1024;

LONG itemCount(HWND control) { return static_cast<LONG>(sendDirect(control, LVM_GETITEMCOUNT, 0, 0)); }

// Item messages of one operation. Synchronous ones go through the binding's session
// block: one write, one hook request, one read. Posted ones are read by the target after
// the call returns, so their data goes into blocks of their own.
class ItemSender {
public:
    ItemSender(WindowBinding& binding, HWND control) : binding_(binding), control_(control) {}

    LRESULT send(UINT message, WPARAM wParam, const LVITEMA& item, bool post, LVITEMA* back = nullptr) {
        if (!post) {
            RemoteSession::Lease lease(binding_.session(), sizeof(LVITEMA));
            return lease.send(control_, message, wParam, &item, sizeof item, back, back ? sizeof(LVITEMA) : 0);
        }
        RemoteBuffer block(posting(), sizeof(LVITEMA));
        block.write(item);
        return sendRemote(posting(), control_, message, wParam, block.lparam(), true);
    }

    void setText(LONG row, LONG col, const std::wstring& text, bool post) {
        LVITEMA item{};
        item.iSubItem = col;
        if (post) {
            auto buffer = remoteAnsi(posting(), text);
            item.pszText = reinterpret_cast<LPSTR>(buffer->address());
            RemoteBuffer block(posting(), sizeof(LVITEMA));
            block.write(item);
            sendRemote(posting(), control_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), block.lparam(), true);
            return;
        }
        const std::string ansi = common::WideToAnsi(text);
        if (ansi.size() >= kOstrelMaxBlockSize) throw RemoteError(L"The text is too long for the control");
        // The item and its text travel together.
        std::vector<char> data(sizeof(LVITEMA) + ansi.size() + 1, '\0');
        RemoteSession::Lease lease(binding_.session(), data.size());
        item.pszText = reinterpret_cast<LPSTR>(lease.addressAt(sizeof(LVITEMA)));
        std::memcpy(data.data(), &item, sizeof item);
        std::memcpy(data.data() + sizeof(LVITEMA), ansi.c_str(), ansi.size() + 1);
        lease.send(control_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), data.data(), data.size(), nullptr, 0);
    }

private:
    RemoteProcess& posting() {
        if (!process_) process_ = std::make_unique<RemoteProcess>(binding_);
        return *process_;
    }

    WindowBinding& binding_;
    HWND control_;
    std::unique_ptr<RemoteProcess> process_;
};

// Text of one cell; false when the control has no such cell.
bool cellText(WindowBinding& binding, HWND control, LONG row, LONG col, std::wstring* text) {
    text->clear();
    if (row < 0 || col < 0) return false;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = col;
    item.cchTextMax = kItemTextChars;
    return readItemText(binding.session(), control, LVM_GETITEMA, item, &LVITEMA::pszText, 2 * kItemTextChars, text);
}

LONG columnCount(WindowBinding& binding, HWND control) {
    RemoteSession::Lease lease(binding.session(), sizeof(LVCOLUMNA));
    LVCOLUMNA column{};
    column.mask = LVCF_SUBITEM;
    LONG n = 0;
    while (n < kMaxColumns &&
           lease.send(control, LVM_GETCOLUMNA, static_cast<WPARAM>(n), &column, sizeof column, nullptr, 0))
        ++n;
    return n;
}

void setState(ItemSender& sender, LONG row, UINT mask, UINT state, bool post) {
    LVITEMA item{};
    item.mask = LVIF_STATE;
    item.iItem = row;
    item.stateMask = mask;
    item.state = state;
    sender.send(LVM_SETITEMA, 0, item, post);
}

std::wstring separatorsOf(BSTR strSeparator) { return bstrText(strSeparator); }

} // namespace

LONG ListViewCtrl::findRow(const std::wstring& pattern, const std::wstring& separators) {
    HWND control = window();
    const std::vector<std::wstring> wanted = splitFields(pattern, separators);
    const LONG rows = itemCount(control);
    const LONG columns = columnCount(binding(), control);
    for (LONG row = 0; row < rows; ++row) {
        std::wstring rowText;
        bool first = true;
        for (LONG col = 0; col < columns; ++col) {
            std::wstring cell;
            if (!cellText(binding(), control, row, col, &cell)) continue;
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
        ItemSender sender(binding(), control);
        // A posted insert gives no index; the row is appended, so it will be the
        // current count (unless the view sorts), and the texts follow it in order.
        const LONG appendedAt = post ? itemCount(control) : -1;
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = 2147483647;
        item.lParam = 0;
        LONG row = static_cast<LONG>(sender.send(LVM_INSERTITEMA, 0, item, post));
        if (post) row = appendedAt;
        if (row >= 0) {
            const std::vector<std::wstring> fields = splitFields(bstrText(strText), separatorsOf(strSeparator));
            for (size_t k = 0; k < fields.size(); ++k) sender.setText(row, static_cast<LONG>(k), fields[k], post);
        }
        *pVal = row;
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::get_item(LONG row, LONG col, BSTR* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = nullptr;
        std::wstring text;
        cellText(binding(), window(), row, col, &text);
        *pVal = ::SysAllocString(text.c_str());
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::put_item(LONG row, LONG col, BSTR newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        ItemSender(binding(), window()).setText(row, col, bstrText(newVal), post);
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::get_itemData(LONG row, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (ItemSender(binding(), window()).send(LVM_GETITEMA, 0, item, false, &item))
            *pVal = static_cast<LONG>(item.lParam);
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::put_itemData(LONG row, LONG newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = newVal;
        ItemSender(binding(), window()).send(LVM_SETITEMA, 0, item, post);
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
        ItemSender sender(binding(), window());
        setState(sender, row, LVIS_STATEIMAGEMASK, newVal ? 0x2000 : 0x1000, post);
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
        LONG row = findRow(bstrText(strItem), separatorsOf(strSeparator));
        if (row >= 0 && sendDirect(window(), LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED))
            *pVal = VARIANT_TRUE;
        return S_OK;
    });
}

STDMETHODIMP ListViewCtrl::put_selected(BSTR strItem, BSTR strSeparator, VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND control = window();
        ItemSender sender(binding(), control);
        const UINT state = newVal ? LVIS_SELECTED : 0;
        LONG row = findRow(bstrText(strItem), separatorsOf(strSeparator));
        if (row >= 0) {
            setState(sender, row, LVIS_SELECTED, state, post);
        } else {
            const LONG rows = itemCount(control);
            for (LONG r = 0; r < rows; ++r) setState(sender, r, LVIS_SELECTED, state, post);
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
        *pVal = findRow(bstrText(strVal), separatorsOf(strSeparator));
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
