#pragma once
#include <windows.h>
#include "common/ModuleLock.h"

namespace debugservices {

// The DLL's instance and its count of live objects and server locks.
HINSTANCE ModuleInstance();
common::ModuleLock& ModuleLocks();

} // namespace debugservices
