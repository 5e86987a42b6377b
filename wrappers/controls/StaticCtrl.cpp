#include "wrappers/controls/StaticCtrl.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(Static, StaticCtrl);

} // namespace wrappers
