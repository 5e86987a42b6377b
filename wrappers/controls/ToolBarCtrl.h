#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// Wrapper of a toolbar. Its own members are not part of this version; the shared
// window members work.
class ToolBarCtrl final : public WrapperBase<IToolBarCtrl> {
public:
    STDMETHODIMP get_count(LONG* pVal) override;
    STDMETHODIMP select(VARIANT item) override;
    STDMETHODIMP click(VARIANT item, LONG button) override;
    using WrapperBase<IToolBarCtrl>::click;
};

} // namespace wrappers
