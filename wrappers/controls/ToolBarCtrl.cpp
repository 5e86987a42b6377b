#include "wrappers/controls/ToolBarCtrl.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(ToolBar, ToolBarCtrl);

STDMETHODIMP ToolBarCtrl::get_count(LONG* pVal) {
    if (pVal) *pVal = 0;
    return ReportError(L"count is not supported by this version of wrappers");
}

STDMETHODIMP ToolBarCtrl::select(VARIANT) {
    return ReportError(L"select is not supported by this version of wrappers");
}

STDMETHODIMP ToolBarCtrl::click(VARIANT, LONG) {
    return ReportError(L"click is not supported by this version of wrappers");
}

} // namespace wrappers
