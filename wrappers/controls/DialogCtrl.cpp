#include "wrappers/controls/DialogCtrl.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(Dialog, DialogCtrl);

} // namespace wrappers
