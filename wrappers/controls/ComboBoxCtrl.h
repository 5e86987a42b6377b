#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

class ItemList;

// Wrapper of a combo box of another process: its list, its selection and its drop-down,
// and a choice made the way the user makes it.
class ComboBoxCtrl final : public WrapperBase<IComboBoxCtrl, IComboBoxCtrl2> {
public:
    STDMETHODIMP get_dropped(VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_dropped(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_count(LONG* pVal) override;
    STDMETHODIMP get_item(VARIANT item, BSTR* pVal) override;
    STDMETHODIMP newItem(BSTR strVal, LONG* pVal) override;
    STDMETHODIMP deleteItem(VARIANT item) override;
    STDMETHODIMP get_findItem(BSTR strVal, LONG* pVal) override;
    STDMETHODIMP resetContent() override;
    STDMETHODIMP get_curSel(VARIANT* pVal) override;
    STDMETHODIMP put_curSel(VARIANT newVal) override;
    STDMETHODIMP get_itemData(VARIANT item, LONG* pVal) override;
    STDMETHODIMP put_itemData(VARIANT item, LONG newVal) override;
    // IComboBoxCtrl2
    STDMETHODIMP select(VARIANT item) override;

private:
    ItemList items();
};

} // namespace wrappers
