#pragma once
#include <windows.h>

namespace debugservices {

// The DLL's instance and its count of live objects and server locks.
HINSTANCE ModuleInstance();
void LockModule();
void UnlockModule();
long ModuleLockCount();

} // namespace debugservices
