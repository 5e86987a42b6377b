#pragma once
#include "wrappers/core/WrapperBase.h"
#include <string>

namespace wrappers {

// Wrapper of a tab control of another process: its tabs' texts and the selected tab.
class TabCtrl final : public WrapperBase<ITabCtrl> {
public:
    STDMETHODIMP get_curSel(VARIANT* pVal) override;
    STDMETHODIMP put_curSel(VARIANT newVal) override;
    STDMETHODIMP get_item(LONG nItem, BSTR* pVal) override;
    STDMETHODIMP get_count(LONG* pVal) override;

private:
    std::wstring tabText(LONG index);
    void select(LONG index);
};

} // namespace wrappers
