#include "wrappers/controls/EditCtrl.h"

namespace wrappers {

TEVRIN_WRAPPER_CLASS(Edit, EditCtrl);

} // namespace wrappers
