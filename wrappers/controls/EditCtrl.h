#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// Wrapper of an edit control: the window text (value) is its whole own surface.
class EditCtrl final : public WrapperBase<IEditCtrl> {};

} // namespace wrappers
