#include "wrappers/controls/ToolTipCtrl.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(ToolTip, ToolTipCtrl);

} // namespace wrappers
