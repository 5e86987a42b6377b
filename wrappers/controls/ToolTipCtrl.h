#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// Wrapper of a tooltip window: the window text (value, the tip shown last) is its whole
// own surface.
class ToolTipCtrl final : public WrapperBase<IToolTipCtrl> {};

} // namespace wrappers
