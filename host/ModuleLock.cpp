#include "host/ModuleLock.h"

namespace host {

common::ModuleLock& ModuleLocks() {
    static common::ModuleLock locks;
    return locks;
}

} // namespace host
