#pragma once
#include "wrappers/core/WrapperBase.h"
#include <optional>

namespace wrappers {

// Wrapper of a toolbar: its buttons' commands go to the toolbar's owner, the window
// that TB_SETPARENT names.
class ToolBarCtrl final : public WrapperBase<IToolBarCtrl> {
public:
    STDMETHODIMP get_count(LONG* pVal) override;
    STDMETHODIMP select(VARIANT item) override;
    STDMETHODIMP click(VARIANT item, LONG button) override;
    using WrapperBase<IToolBarCtrl>::click;

private:
    // The index chosen by `item` (an index, or the first button whose text matches);
    // none for other types and texts that match no button.
    std::optional<LONG> chooseButton(const VARIANT& item);
};

} // namespace wrappers
