#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// Wrapper of a button: check state and a click command delivered to its parent.
class ButtonCtrl final : public WrapperBase<IButtonCtrl> {
public:
    STDMETHODIMP get_check(VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_check(VARIANT_BOOL newVal) override;
    STDMETHODIMP push() override;
};

} // namespace wrappers
