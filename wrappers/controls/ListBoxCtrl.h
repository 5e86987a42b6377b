#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

class ItemList;

// Wrapper of a list box of another process: items by index or text pattern, item data
// and selection (single or multiple).
class ListBoxCtrl final : public WrapperBase<IListBoxCtrl> {
public:
    STDMETHODIMP get_count(LONG* pVal) override;
    STDMETHODIMP newItem(BSTR strText, LONG* pVal) override;
    STDMETHODIMP get_item(VARIANT item, BSTR* pVal) override;
    STDMETHODIMP get_itemData(VARIANT item, LONG* pVal) override;
    STDMETHODIMP put_itemData(VARIANT item, LONG newVal) override;
    STDMETHODIMP deleteItem(VARIANT item) override;
    STDMETHODIMP get_findItem(BSTR strText, LONG* pVal) override;
    STDMETHODIMP resetContent() override;
    STDMETHODIMP get_selected(VARIANT item, VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_selected(VARIANT item, VARIANT_BOOL newVal) override;
    STDMETHODIMP get_selectedItems(VARIANT* pVal) override;

private:
    ItemList items();
    bool multipleSelection();
};

} // namespace wrappers
