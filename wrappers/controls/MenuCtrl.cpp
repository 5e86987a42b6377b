#include "wrappers/controls/MenuCtrl.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(Menu, MenuCtrl);

STDMETHODIMP MenuCtrl::get_count(LONG* pVal) {
    if (pVal) *pVal = 0;
    return ReportError(L"count is not supported by this version of wrappers");
}

STDMETHODIMP MenuCtrl::select(VARIANT) {
    return ReportError(L"select is not supported by this version of wrappers");
}

} // namespace wrappers
