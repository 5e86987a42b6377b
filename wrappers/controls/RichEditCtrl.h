#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// Wrapper of a rich edit control. Its text object model (tom) needs the hook library's
// interface request and is not part of this version.
class RichEditCtrl final : public WrapperBase<IRichEditCtrl> {
public:
    STDMETHODIMP get_tom(IDispatch** pVal) override;
};

} // namespace wrappers
