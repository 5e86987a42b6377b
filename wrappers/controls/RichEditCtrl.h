#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// Wrapper of a rich edit control: its text object model document (tom) is fetched
// inside the application through the hook library and used here through marshalling.
class RichEditCtrl final : public WrapperBase<IRichEditCtrl> {
public:
    STDMETHODIMP get_tom(IDispatch** pVal) override;
};

} // namespace wrappers
