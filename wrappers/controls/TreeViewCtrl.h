#pragma once
#include "wrappers/core/WrapperBase.h"
#include "wrappers/controls/TreeItemCache.h"
#include <commctrl.h>
#include <string>

namespace wrappers {


// Wrapper of a tree view of another process: items by handle or by text searched below
// a parent, their texts, data, check boxes, expanded state and the selection; items
// opened and closed the way the user does it.
class TreeViewCtrl final : public WrapperBase<ITreeViewCtrl, ITreeViewCtrl2> {
public:
    TreeViewCtrl();

    STDMETHODIMP get_item(VARIANT item, LONG parent, BSTR* pVal) override;
    STDMETHODIMP put_item(VARIANT item, LONG parent, BSTR newVal) override;
    STDMETHODIMP get_itemData(VARIANT item, LONG parent, LONG* pVal) override;
    STDMETHODIMP put_itemData(VARIANT item, LONG parent, LONG newVal) override;
    STDMETHODIMP newItem(BSTR strVal, LONG parent, LONG* pVal) override;
    STDMETHODIMP deleteItem(VARIANT item, LONG parent) override;
    STDMETHODIMP get_curSel(LONG parent, VARIANT* pVal) override;
    STDMETHODIMP put_curSel(LONG parent, VARIANT newVal) override;
    STDMETHODIMP ensureVisible(VARIANT item, LONG parent) override;
    STDMETHODIMP get_findItem(BSTR strVal, LONG parent, LONG* pVal) override;
    STDMETHODIMP get_count(LONG* pVal) override;
    STDMETHODIMP resetContent() override;
    STDMETHODIMP get_check(VARIANT item, LONG parent, VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_check(VARIANT item, LONG parent, VARIANT_BOOL newVal) override;
    STDMETHODIMP get_parent(VARIANT item, LONG* pVal) override;
    STDMETHODIMP get_expanded(VARIANT item, LONG parent, VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_expanded(VARIANT item, LONG parent, VARIANT_BOOL newVal) override;
    // ITreeViewCtrl2
    STDMETHODIMP expand(VARIANT item, LONG parent) override;
    STDMETHODIMP collapse(VARIANT item, LONG parent) override;

private:
    // Opens or closes the item as a click on its button does, telling the tree's parent.
    HRESULT expandAsUser(const VARIANT& item, LONG parent, bool open);
    // The item handles seen in the bound tree; null when they cannot be kept.
    TreeItemCache* cache();

    TreeItemCache cache_;
};

} // namespace wrappers
