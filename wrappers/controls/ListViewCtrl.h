#pragma once
#include "wrappers/core/WrapperBase.h"
#include <string>

namespace wrappers {

// Wrapper of a list view of another process: rows and columns, row search by fields,
// check boxes, item data and selection.
class ListViewCtrl final : public WrapperBase<IListViewCtrl> {
public:
    STDMETHODIMP get_count(LONG* pVal) override;
    STDMETHODIMP newItem(BSTR strText, BSTR strSeparator, LONG* pVal) override;
    STDMETHODIMP get_item(LONG row, LONG col, BSTR* pVal) override;
    STDMETHODIMP put_item(LONG row, LONG col, BSTR newVal) override;
    STDMETHODIMP get_itemData(LONG row, LONG* pVal) override;
    STDMETHODIMP put_itemData(LONG row, LONG newVal) override;
    STDMETHODIMP get_check(LONG row, VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_check(LONG row, VARIANT_BOOL newVal) override;
    STDMETHODIMP deleteItem(LONG row) override;
    STDMETHODIMP resetContent() override;
    STDMETHODIMP get_selected(BSTR strItem, BSTR strSeparator, VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_selected(BSTR strItem, BSTR strSeparator, VARIANT_BOOL newVal) override;
    STDMETHODIMP ensureVisible(LONG row) override;
    STDMETHODIMP get_findItem(BSTR strVal, BSTR strSeparator, LONG* pVal) override;
    STDMETHODIMP get_selectedItems(VARIANT* pVal) override;

private:
    LONG findRow(const std::wstring& pattern, const std::wstring& separators);
};

} // namespace wrappers
