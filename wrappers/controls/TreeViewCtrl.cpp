#include "wrappers/controls/TreeViewCtrl.h"
#include "wrappers/core/MatchText.h"
#include "wrappers/hook/RemoteItems.h"
#include "wrappers/hook/SendRemote.h"
#include <functional>
#include <vector>

namespace wrappers {

TEVRIN_WRAPPER_CLASS(TreeView, TreeViewCtrl);

namespace {

const int kItemTextChars = 8192;

// Item handles cross the automation surface as 32-bit numbers.
LONG handleNumber(HTREEITEM item) { return static_cast<LONG>(reinterpret_cast<LONG_PTR>(item)); }

HTREEITEM nextItem(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(sendDirect(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// Visits the items below `start` (null: the whole tree) depth first, pre-order, until
// `visit` returns true; that item is the result, else null. Bounded by the item count
// so that a control changing under our feet cannot hold the script.
HTREEITEM walk(HWND tree, HTREEITEM start, const std::function<bool(HTREEITEM)>& visit) {
    const LRESULT total = sendDirect(tree, TVM_GETCOUNT, 0, 0);
    LRESULT budget = total + 1;
    std::vector<HTREEITEM> pending;  // next siblings still to visit, innermost last
    HTREEITEM item = start ? nextItem(tree, TVGN_CHILD, start) : nextItem(tree, TVGN_ROOT, nullptr);
    while (item && budget-- > 0) {
        if (visit(item)) return item;
        HTREEITEM sibling = nextItem(tree, TVGN_NEXT, item);
        HTREEITEM child = nextItem(tree, TVGN_CHILD, item);
        if (child) {
            if (sibling) pending.push_back(sibling);
            item = child;
        } else if (sibling) {
            item = sibling;
        } else if (!pending.empty()) {
            item = pending.back();
            pending.pop_back();
        } else {
            item = nullptr;
        }
    }
    return nullptr;
}

// The item a script's number stands for, if the tree has it. Numbers are checked against
// the tree's own items: the control does not check handles itself, and a wrong number
// must not reach it. This also widens a number back to a full 64-bit handle.
HTREEITEM itemOfNumber(HWND tree, LONG number) {
    if (number == 0) return nullptr;
    return walk(tree, nullptr, [&](HTREEITEM item) { return handleNumber(item) == number; });
}

bool readItem(RemoteProcess& process, HWND tree, TVITEMA* item) {
    RemoteBuffer block(process, sizeof(TVITEMA));
    block.write(*item);
    if (!sendRemote(process, tree, TVM_GETITEMA, 0, block.lparam(), false)) return false;
    block.read(*item);
    return true;
}

void writeItem(RemoteProcess& process, HWND tree, const TVITEMA& item, bool post) {
    RemoteBuffer block(process, sizeof(TVITEMA));
    block.write(item);
    sendRemote(process, tree, TVM_SETITEMA, 0, block.lparam(), post);
}

std::wstring itemText(RemoteProcess& process, HWND tree, HTREEITEM handle) {
    if (!handle) return L"";
    RemoteBuffer text(process, 2 * kItemTextChars);
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = handle;
    item.pszText = reinterpret_cast<LPSTR>(text.address());
    item.cchTextMax = kItemTextChars;
    if (!readItem(process, tree, &item)) return L"";
    return readRemoteAnsi(process, reinterpret_cast<ULONG_PTR>(item.pszText), 2 * kItemTextChars);
}

HTREEITEM findText(RemoteProcess& process, HWND tree, const std::wstring& pattern, HTREEITEM start) {
    return walk(tree, start, [&](HTREEITEM item) { return matchText(itemText(process, tree, item), pattern); });
}

// An item argument: a number is a handle, a string a pattern searched below `parent`.
HTREEITEM resolve(RemoteProcess& process, HWND tree, const VARIANT& item, LONG parent) {
    LONG number = 0;
    if (variantInteger(item, &number)) return itemOfNumber(tree, number);
    std::wstring pattern;
    if (!variantString(item, &pattern)) return nullptr;
    HTREEITEM start = nullptr;
    if (parent != 0) {
        start = itemOfNumber(tree, parent);
        if (!start) return nullptr;  // a parent the tree does not have holds nothing
    }
    return findText(process, tree, pattern, start);
}

UINT itemState(RemoteProcess& process, HWND tree, HTREEITEM handle, UINT mask) {
    TVITEMA item{};
    item.mask = TVIF_STATE;
    item.hItem = handle;
    item.stateMask = mask;
    return readItem(process, tree, &item) ? (item.state & mask) : 0;
}

void setItemState(RemoteProcess& process, HWND tree, HTREEITEM handle, UINT mask, UINT state, bool post) {
    TVITEMA item{};
    item.mask = TVIF_STATE;
    item.hItem = handle;
    item.stateMask = mask;
    item.state = state;
    writeItem(process, tree, item, post);
}

} // namespace

STDMETHODIMP TreeViewCtrl::get_item(VARIANT item, LONG parent, BSTR* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = nullptr;
        HWND tree = window();
        RemoteProcess process(binding());
        *pVal = ::SysAllocString(itemText(process, tree, resolve(process, tree, item, parent)).c_str());
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_item(VARIANT item, LONG parent, BSTR newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, parent);
        if (!handle) return S_OK;
        auto text = remoteAnsi(process, bstrText(newVal));
        TVITEMA changed{};
        changed.mask = TVIF_TEXT;
        changed.hItem = handle;
        changed.pszText = reinterpret_cast<LPSTR>(text->address());
        writeItem(process, tree, changed, post);
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_itemData(VARIANT item, LONG parent, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, parent);
        if (!handle) return S_OK;
        TVITEMA data{};
        data.mask = TVIF_PARAM;
        data.hItem = handle;
        if (readItem(process, tree, &data)) *pVal = static_cast<LONG>(data.lParam);
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_itemData(VARIANT item, LONG parent, LONG newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, parent);
        if (!handle) return S_OK;
        TVITEMA data{};
        data.mask = TVIF_PARAM;
        data.hItem = handle;
        data.lParam = newVal;
        writeItem(process, tree, data, post);
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::newItem(BSTR strVal, LONG parent, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        const bool post = binding().takeAsync();
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM under = TVI_ROOT;
        if (parent != 0) {
            under = itemOfNumber(tree, parent);
            if (!under) return S_OK;  // no such parent: nothing is added
        }
        auto text = remoteAnsi(process, bstrText(strVal));
        TVINSERTSTRUCTA insert{};
        insert.hParent = under;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = reinterpret_cast<LPSTR>(text->address());
        RemoteBuffer block(process, sizeof(TVINSERTSTRUCTA));
        block.write(insert);
        LRESULT handle = sendRemote(process, tree, TVM_INSERTITEMA, 0, block.lparam(), post);
        *pVal = handleNumber(reinterpret_cast<HTREEITEM>(handle));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::deleteItem(VARIANT item, LONG parent) {
    return WrapperCall([&] {
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, parent);
        if (handle) sendDirect(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(handle));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_curSel(LONG, VARIANT* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        ::VariantInit(pVal);
        HWND tree = window();
        HTREEITEM selected = nextItem(tree, TVGN_CARET, nullptr);
        std::wstring text;
        if (selected) {
            RemoteProcess process(binding());
            text = itemText(process, tree, selected);
        }
        pVal->vt = VT_BSTR;
        pVal->bstrVal = ::SysAllocString(text.c_str());
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_curSel(LONG parent, VARIANT newVal) {
    return WrapperCall([&] {
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, newVal, parent);
        sendDirect(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::ensureVisible(VARIANT item, LONG parent) {
    return WrapperCall([&] {
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, parent);
        if (handle) sendDirect(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(handle));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_findItem(BSTR strVal, LONG parent, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM start = nullptr;
        if (parent != 0) {
            start = itemOfNumber(tree, parent);
            if (!start) return S_OK;
        }
        *pVal = handleNumber(findText(process, tree, bstrText(strVal), start));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_count(LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = static_cast<LONG>(sendDirect(window(), TVM_GETCOUNT, 0, 0));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::resetContent() {
    return WrapperCall([&] {
        sendDirect(window(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_check(VARIANT item, LONG parent, VARIANT_BOOL* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = VARIANT_FALSE;
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, parent);
        if (!handle) return S_OK;
        // State image 1 is the unchecked box; 0 (no check boxes) and 2 count as checked.
        UINT state = itemState(process, tree, handle, TVIS_STATEIMAGEMASK);
        *pVal = (state >> 12) == 1 ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_check(VARIANT item, LONG parent, VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, parent);
        if (handle) setItemState(process, tree, handle, TVIS_STATEIMAGEMASK, newVal ? 0x2000 : 0x1000, post);
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_parent(VARIANT item, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, 0);
        if (handle) *pVal = handleNumber(nextItem(tree, TVGN_PARENT, handle));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_expanded(VARIANT item, LONG parent, VARIANT_BOOL* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = VARIANT_FALSE;
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, parent);
        if (handle && itemState(process, tree, handle, TVIS_EXPANDED)) *pVal = VARIANT_TRUE;
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_expanded(VARIANT item, LONG parent, VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND tree = window();
        RemoteProcess process(binding());
        HTREEITEM handle = resolve(process, tree, item, parent);
        if (handle) setItemState(process, tree, handle, TVIS_EXPANDED, newVal ? TVIS_EXPANDED : 0, post);
        return S_OK;
    });
}

} // namespace wrappers
