#include "wrappers/controls/RichEditCtrl.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(RichEdit, RichEditCtrl);

STDMETHODIMP RichEditCtrl::get_tom(IDispatch** pVal) {
    if (pVal) *pVal = nullptr;
    return ReportError(L"tom is not supported by this version of wrappers");
}

} // namespace wrappers
