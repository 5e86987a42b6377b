#pragma once
#include <windows.h>
#include "common/ModuleLock.h"

namespace wrappers {

// Module-wide state of the in-process server: its instance handle and the lock count
// that every live object and every LockServer(TRUE) adds to.
class WrappersModule {
public:
    static HINSTANCE instance();
    static void setInstance(HINSTANCE instance);
    static common::ModuleLock& locks();
};

// Self-registration of the classes and the type library (Registration.cpp).
HRESULT RegisterServer();
// The same registration for the current user only (HKEY_CURRENT_USER\Software\Classes).
HRESULT RegisterServerForUser();
HRESULT UnregisterServerForUser();
HRESULT UnregisterServer();

} // namespace wrappers
