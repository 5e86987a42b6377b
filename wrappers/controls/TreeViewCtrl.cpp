#include "wrappers/controls/TreeViewCtrl.h"
#include "wrappers/core/MatchText.h"
#include "common/TextConv.h"
#include "ostrel/ostrel.h"
#include "wrappers/hook/RemoteItems.h"
#include "wrappers/hook/RemoteSession.h"
#include "wrappers/hook/SendRemote.h"
#include "ostrel/TreeWalk.h"
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
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

// A walk this short does not ask for the item count that bounds longer ones.
const LONG_PTR kShortWalk = 64;

// Visits the items below `start` (null: the whole tree) depth first, pre-order, until
// `visit` returns true; that item is the result, else null. Bounded by the item count
// so that a control changing under our feet cannot hold the script. Every item visited
// is remembered in `cache`, when given.
HTREEITEM walk(HWND tree, HTREEITEM start, const std::function<bool(HTREEITEM)>& visit, TreeItemCache* cache) {
    const LONG seenAt = cache ? cache->now() : 0;
    LONG_PTR limit = kShortWalk;
    bool counted = false;
    LONG_PTR visited = 0;
    HTREEITEM found = nullptr;
    auto next = [&](UINT relation, HTREEITEM item, HTREEITEM* result) {
        *result = nextItem(tree, relation, item);
        return true;
    };
    ostrel::WalkTreeItems(start ? nextItem(tree, TVGN_CHILD, start) : nextItem(tree, TVGN_ROOT, nullptr), next,
                          [&](HTREEITEM item) {
        if (visited >= limit) {
            if (counted) return true;
            limit = std::max<LONG_PTR>(limit, sendDirect(tree, TVM_GETCOUNT, 0, 0) + 1);
            counted = true;
            if (visited >= limit) return true;
        }
        ++visited;
        if (cache) cache->remember(tree, item, seenAt);
        if (!visit(item)) return false;
        found = item;
        return true;
    });
    return found;
}

// The tree's items for one operation. Reads and synchronous writes go through the
// binding's session block (one hook request each); posted writes are read by the target
// later, so their data goes into blocks of their own.
class TreeItems {
public:
    // `cache` is null when the handles cannot be kept (no hook counts the deletions).
    TreeItems(WindowBinding& binding, TreeItemCache* cache) : binding_(binding), cache_(cache) {}

    TreeItemCache* cache() const { return cache_; }
    WindowBinding& binding() const { return binding_; }

    bool read(HWND tree, TVITEMA* item) {
        RemoteSession::Lease lease(binding_.session(), sizeof(TVITEMA));
        return lease.send(tree, TVM_GETITEMA, 0, item, sizeof *item, item, sizeof *item) != 0;
    }

    // An item change, with a new text when `text` is given.
    void write(HWND tree, TVITEMA item, bool post, const std::wstring* text = nullptr) {
        if (post) {
            std::unique_ptr<RemoteBuffer> remoteText;
            if (text) {
                remoteText = remoteAnsi(posting(), *text);
                item.pszText = reinterpret_cast<LPSTR>(remoteText->address());
            }
            RemoteBuffer block(posting(), sizeof(TVITEMA));
            block.write(item);
            sendRemote(posting(), tree, TVM_SETITEMA, 0, block.lparam(), true);
            return;
        }
        const std::string ansi = text ? ansiText(*text) : std::string();
        RemoteSession::Lease lease(binding_.session(), sizeof(TVITEMA) + ansi.size() + 1);
        if (text) item.pszText = reinterpret_cast<LPSTR>(lease.addressAt(sizeof(TVITEMA)));
        const std::vector<char> data = withText(item, text ? &ansi : nullptr);
        lease.send(tree, TVM_SETITEMA, 0, data.data(), data.size(), nullptr, 0);
    }

    // A new item with its text; its handle (not known when posted).
    LRESULT insert(HWND tree, TVINSERTSTRUCTA insert, const std::wstring& text, bool post) {
        if (post) {
            auto remoteText = remoteAnsi(posting(), text);
            insert.item.pszText = reinterpret_cast<LPSTR>(remoteText->address());
            RemoteBuffer block(posting(), sizeof(TVINSERTSTRUCTA));
            block.write(insert);
            return sendRemote(posting(), tree, TVM_INSERTITEMA, 0, block.lparam(), true);
        }
        const std::string ansi = ansiText(text);
        RemoteSession::Lease lease(binding_.session(), sizeof(TVINSERTSTRUCTA) + ansi.size() + 1);
        insert.item.pszText = reinterpret_cast<LPSTR>(lease.addressAt(sizeof(TVINSERTSTRUCTA)));
        const std::vector<char> data = withText(insert, &ansi);
        return lease.send(tree, TVM_INSERTITEMA, 0, data.data(), data.size(), nullptr, 0);
    }

    // Every item handle of the tree, listed by the hook inside the application in one
    // request. False when it cannot: an empty tree, a hook of an older release that does
    // not know the request, or a tree too large for one block.
    bool list(HWND tree, std::vector<HTREEITEM>& handles) {
        size_t room = 0;
        for (int attempt = 0; attempt < 2; ++attempt) {
            RemoteSession::Lease lease(binding_.session(), room * sizeof(ULONG_PTR));
            room = lease.size() / sizeof(ULONG_PTR);
            const size_t count = static_cast<size_t>(lease.send(tree, g_nMsgTreeItems, room, nullptr, 0, nullptr, 0));
            if (count == 0) return false;
            if (count <= room) {
                std::vector<ULONG_PTR> slots(count);
                lease.read(slots.data(), count * sizeof(ULONG_PTR));
                handles.clear();
                for (ULONG_PTR slot : slots) handles.push_back(reinterpret_cast<HTREEITEM>(slot));
                return true;
            }
            // Grown once, with room for a few items added meanwhile.
            room = count + 64;
            if (room > kOstrelMaxBlockSize / sizeof(ULONG_PTR) - 64) return false;
        }
        return false;
    }

    std::wstring text(HWND tree, HTREEITEM handle) {
        if (!handle) return L"";
        TVITEMA item{};
        item.mask = TVIF_TEXT;
        item.hItem = handle;
        item.cchTextMax = kItemTextChars;
        std::wstring result;
        readItemText(binding_.session(), tree, TVM_GETITEMA, item, &TVITEMA::pszText, 2 * kItemTextChars, &result);
        return result;
    }

private:
    static std::string ansiText(const std::wstring& text) {
        std::string ansi = common::WideToAnsi(text);
        if (ansi.size() >= kOstrelMaxBlockSize) throw RemoteError(L"The text is too long for the control");
        return ansi;
    }
    // A record followed by a zero-terminated text, as one block of data.
    template <typename Record>
    static std::vector<char> withText(const Record& record, const std::string* text) {
        std::vector<char> data(sizeof(Record) + (text ? text->size() + 1 : 0), '\0');
        std::memcpy(data.data(), &record, sizeof(Record));
        if (text) std::memcpy(data.data() + sizeof(Record), text->c_str(), text->size() + 1);
        return data;
    }
    RemoteProcess& posting() {
        if (!process_) process_ = std::make_unique<RemoteProcess>(binding_);
        return *process_;
    }

    WindowBinding& binding_;
    TreeItemCache* cache_;
    std::unique_ptr<RemoteProcess> process_;
};

// The item a script's number stands for, if the tree has it. Numbers are checked against
// the tree's own items: the control does not check handles itself, and a wrong number
// must not reach it. Items seen before are known from the cache (which forgets them when
// an item may have been deleted); any other number has the hook list the tree's items,
// which fills the cache, or where it cannot, costs a walk. This also widens a number
// back to a full 64-bit handle.
HTREEITEM itemOfNumber(TreeItems& items, HWND tree, LONG number) {
    if (number == 0) return nullptr;
    TreeItemCache* cache = items.cache();
    if (!cache) return walk(tree, nullptr, [&](HTREEITEM item) { return handleNumber(item) == number; }, nullptr);
    if (HTREEITEM known = cache->find(tree, number)) return known;
    HTREEITEM found = nullptr;
    const LONG seenAt = cache->now();
    std::vector<HTREEITEM> all;
    bool listed = false;
    try {
        listed = items.list(tree, all);
    } catch (const RemoteError&) {
        // The walk below tells a dead window from a hook that could not answer.
    }
    if (listed) {
        for (HTREEITEM item : all) {
            cache->remember(tree, item, seenAt);
            if (handleNumber(item) == number) found = item;
        }
        return found;
    }
    // The walk goes on past the item: a script visiting the items in order would
    // otherwise walk again up to each next one.
    walk(tree, nullptr, [&](HTREEITEM item) {
        if (handleNumber(item) == number) found = item;
        return false;
    }, cache);
    return found;
}

std::wstring itemText(TreeItems& items, HWND tree, HTREEITEM handle) { return items.text(tree, handle); }

HTREEITEM findText(TreeItems& items, HWND tree, const std::wstring& pattern, HTREEITEM start) {
    return walk(tree, start, [&](HTREEITEM item) { return matchText(itemText(items, tree, item), pattern); },
                items.cache());
}

// An item argument: a number is a handle, a string a pattern searched below `parent`.
HTREEITEM resolve(TreeItems& items, HWND tree, const VARIANT& item, LONG parent) {
    LONG number = 0;
    if (variantInteger(item, &number)) return itemOfNumber(items, tree, number);
    std::wstring pattern;
    if (!variantString(item, &pattern)) return nullptr;
    HTREEITEM start = nullptr;
    if (parent != 0) {
        start = itemOfNumber(items, tree, parent);
        if (!start) return nullptr;  // a parent the tree does not have holds nothing
    }
    return findText(items, tree, pattern, start);
}

UINT itemState(TreeItems& items, HWND tree, HTREEITEM handle, UINT mask) {
    TVITEMA item{};
    item.mask = TVIF_STATE;
    item.hItem = handle;
    item.stateMask = mask;
    return items.read(tree, &item) ? (item.state & mask) : 0;
}

void setItemState(TreeItems& items, HWND tree, HTREEITEM handle, UINT mask, UINT state, bool post) {
    TVITEMA item{};
    item.mask = TVIF_STATE;
    item.hItem = handle;
    item.stateMask = mask;
    item.state = state;
    items.write(tree, item, post);
}

// Tells the tree's parent that an item is about to expand (or collapse), expands it and
// tells the parent it did, as the control does when the user asks; the notifications
// go in the character set the parent asked the control for. False when the parent
// refused the change.
bool expandWithNotifications(TreeItems& items, HWND tree, HTREEITEM handle, UINT action) {
    TVITEMA item{};
    item.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    item.hItem = handle;
    item.stateMask = static_cast<UINT>(-1);
    if (!items.read(tree, &item)) throw WrapperError(L"Cannot read the tree item");
    HWND parent = ::GetParent(tree);
    const bool unicode = parent && sendDirect(parent, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(tree), NF_QUERY) !=
                                       NFR_ANSI;
    // The two records differ only in the type of the text pointer, which stays null.
    static_assert(sizeof(NMTREEVIEWA) == sizeof(NMTREEVIEWW), "tree notifications of one size");
    NMTREEVIEWW notice{};
    notice.hdr.hwndFrom = tree;
    notice.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(tree));
    notice.action = action;
    notice.itemNew.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    notice.itemNew.hItem = handle;
    notice.itemNew.state = item.state;
    notice.itemNew.stateMask = item.state;
    notice.itemNew.lParam = item.lParam;
    auto tell = [&](UINT unicodeCode, UINT ansiCode) -> LRESULT {
        if (!parent) return 0;
        notice.hdr.code = unicode ? unicodeCode : ansiCode;
        RemoteSession::Lease lease(items.binding().session(), sizeof notice);
        return lease.send(parent, WM_NOTIFY, notice.hdr.idFrom, &notice, sizeof notice, nullptr, 0);
    };
    if (tell(TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDINGA)) return false;
    sendDirect(tree, TVM_EXPAND, action, reinterpret_cast<LPARAM>(handle));
    if (items.read(tree, &item)) {
        notice.itemNew.state = item.state;
        notice.itemNew.stateMask = item.state;
    }
    tell(TVN_ITEMEXPANDEDW, TVN_ITEMEXPANDEDA);
    return true;
}

} // namespace

TreeViewCtrl::TreeViewCtrl() : cache_([] { return OstrelTreeItemDeletions(); }) {}

TreeItemCache* TreeViewCtrl::cache() {
    // Without a hook on the tree's thread no deletion would be counted.
    std::lock_guard<std::recursive_mutex> lock(core().mutex());
    return binding().hook ? &cache_ : nullptr;
}

STDMETHODIMP TreeViewCtrl::get_item(VARIANT item, LONG parent, BSTR* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = nullptr;
        HWND tree = window();
        TreeItems items(binding(), cache());
        *pVal = ::SysAllocString(itemText(items, tree, resolve(items, tree, item, parent)).c_str());
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_item(VARIANT item, LONG parent, BSTR newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (!handle) return S_OK;
        TVITEMA changed{};
        changed.mask = TVIF_TEXT;
        changed.hItem = handle;
        const std::wstring text = bstrText(newVal);
        items.write(tree, changed, post, &text);
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_itemData(VARIANT item, LONG parent, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (!handle) return S_OK;
        TVITEMA data{};
        data.mask = TVIF_PARAM;
        data.hItem = handle;
        if (items.read(tree, &data)) *pVal = static_cast<LONG>(data.lParam);
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_itemData(VARIANT item, LONG parent, LONG newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (!handle) return S_OK;
        TVITEMA data{};
        data.mask = TVIF_PARAM;
        data.hItem = handle;
        data.lParam = newVal;
        items.write(tree, data, post);
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::newItem(BSTR strVal, LONG parent, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        const bool post = binding().takeAsync();
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM under = TVI_ROOT;
        if (parent != 0) {
            under = itemOfNumber(items, tree, parent);
            if (!under) return S_OK;  // no such parent: nothing is added
        }
        TVINSERTSTRUCTA insert{};
        insert.hParent = under;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        const LONG seenAt = items.cache() ? items.cache()->now() : 0;
        LRESULT handle = items.insert(tree, insert, bstrText(strVal), post);
        if (items.cache() && !post) items.cache()->remember(tree, reinterpret_cast<HTREEITEM>(handle), seenAt);
        *pVal = handleNumber(reinterpret_cast<HTREEITEM>(handle));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::deleteItem(VARIANT item, LONG parent) {
    return WrapperCall([&] {
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (handle) sendDirect(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(handle));
        cache_.forget();
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
            TreeItems items(binding(), cache());
            text = itemText(items, tree, selected);
        }
        pVal->vt = VT_BSTR;
        pVal->bstrVal = ::SysAllocString(text.c_str());
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_curSel(LONG parent, VARIANT newVal) {
    return WrapperCall([&] {
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, newVal, parent);
        sendDirect(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::ensureVisible(VARIANT item, LONG parent) {
    return WrapperCall([&] {
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (handle) sendDirect(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(handle));
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_findItem(BSTR strVal, LONG parent, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM start = nullptr;
        if (parent != 0) {
            start = itemOfNumber(items, tree, parent);
            if (!start) return S_OK;
        }
        *pVal = handleNumber(findText(items, tree, bstrText(strVal), start));
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
        cache_.forget();
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_check(VARIANT item, LONG parent, VARIANT_BOOL* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = VARIANT_FALSE;
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (!handle) return S_OK;
        // State image 1 is the unchecked box; 0 (no check boxes) and 2 count as checked.
        UINT state = itemState(items, tree, handle, TVIS_STATEIMAGEMASK);
        *pVal = (state >> 12) == 1 ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_check(VARIANT item, LONG parent, VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (handle) setItemState(items, tree, handle, TVIS_STATEIMAGEMASK, newVal ? 0x2000 : 0x1000, post);
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_parent(VARIANT item, LONG* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = 0;
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, 0);
        if (handle) {
            const LONG seenAt = items.cache() ? items.cache()->now() : 0;
            HTREEITEM above = nextItem(tree, TVGN_PARENT, handle);
            if (items.cache()) items.cache()->remember(tree, above, seenAt);
            *pVal = handleNumber(above);
        }
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::get_expanded(VARIANT item, LONG parent, VARIANT_BOOL* pVal) {
    return WrapperCall([&] {
        if (!pVal) return E_POINTER;
        *pVal = VARIANT_FALSE;
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (handle && itemState(items, tree, handle, TVIS_EXPANDED)) *pVal = VARIANT_TRUE;
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::put_expanded(VARIANT item, LONG parent, VARIANT_BOOL newVal) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (handle) setItemState(items, tree, handle, TVIS_EXPANDED, newVal ? TVIS_EXPANDED : 0, post);
        return S_OK;
    });
}

HRESULT TreeViewCtrl::expandAsUser(const VARIANT& item, LONG parent, bool open) {
    return WrapperCall([&] {
        const bool post = binding().takeAsync();
        HWND tree = window();
        TreeItems items(binding(), cache());
        HTREEITEM handle = resolve(items, tree, item, parent);
        if (!handle) {
            std::wstring name;
            LONG number = 0;
            if (variantInteger(item, &number)) name = std::to_wstring(number);
            else if (variantString(item, &name)) name = L"\"" + name + L"\"";
            throw WrapperError(L"The tree has no item " + name);
        }
        const UINT wanted = open ? TVIS_EXPANDED : 0;
        if (post) {
            setItemState(items, tree, handle, TVIS_EXPANDED, wanted, true);
            return S_OK;
        }
        if (itemState(items, tree, handle, TVIS_EXPANDED) == wanted) return S_OK;
        // The way a click on the button does it: many applications fill an item's
        // children only when the control tells them it is about to expand.
        if (!expandWithNotifications(items, tree, handle, open ? TVE_EXPAND : TVE_COLLAPSE)) return S_OK;
        // An item without children that the control will not expand still reads as asked.
        if (itemState(items, tree, handle, TVIS_EXPANDED) != wanted)
            setItemState(items, tree, handle, TVIS_EXPANDED, wanted, false);
        return S_OK;
    });
}

STDMETHODIMP TreeViewCtrl::expand(VARIANT item, LONG parent) { return expandAsUser(item, parent, true); }

STDMETHODIMP TreeViewCtrl::collapse(VARIANT item, LONG parent) { return expandAsUser(item, parent, false); }

} // namespace wrappers
