#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// Wrapper of a menu (made only by the menu property). Its own members are not part of
// this version.
class MenuCtrl final : public WrapperBase<IMenuCtrl> {
public:
    STDMETHODIMP get_count(LONG* pVal) override;
    STDMETHODIMP select(VARIANT item) override;
};

} // namespace wrappers
