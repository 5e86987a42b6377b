#pragma once
#include "common/ModuleLock.h"

namespace host {

// The program's count of live COM objects and server locks. A COM server started by
// the COM runtime ends when it falls back to zero.
common::ModuleLock& ModuleLocks();

} // namespace host
