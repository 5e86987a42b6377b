#pragma once
#include "wrappers/core/WrapperBase.h"

namespace wrappers {

// Wrapper of a static control (label): the window text (value) is its whole own surface.
class StaticCtrl final : public WrapperBase<IStaticCtrl> {};

} // namespace wrappers
