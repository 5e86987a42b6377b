#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// Wrapper of a dialog window: the window text (value) is its whole own surface.
class DialogCtrl final : public WrapperBase<IDialogCtrl> {};

} // namespace wrappers
