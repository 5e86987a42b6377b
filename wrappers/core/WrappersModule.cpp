#include "wrappers/core/WrappersModule.h"
#include "wrappers.h"
#include "wrappers/core/WNDWrapper.h"
#include "wrappers/sync/Synchronizer.h"
#include <objbase.h>
#include <atomic>

namespace wrappers {
namespace {

HINSTANCE g_instance = nullptr;
common::ModuleLock g_locks;

} // namespace

HINSTANCE WrappersModule::instance() { return g_instance; }
void WrappersModule::setInstance(HINSTANCE instance) { g_instance = instance; }
common::ModuleLock& WrappersModule::locks() { return g_locks; }

} // namespace wrappers

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wrappers::WrappersModule::setInstance(instance);
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid == CLSID_WNDWrapper) return wrappers::getWNDWrapperClassObject(riid, ppv);
    if (clsid == CLSID_Synchronizer) return wrappers::getSynchronizerClassObject(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return wrappers::WrappersModule::locks().count() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return wrappers::RegisterServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return wrappers::UnregisterServer(); }

// regsvr32 /i:user (with /n: DllInstall only) registers for the current user alone, in
// HKEY_CURRENT_USER\Software\Classes; Tevrin does the same for a copy nobody installed.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
    if (!commandLine || ::lstrcmpiW(commandLine, L"user") != 0) return E_INVALIDARG;
    return install ? wrappers::RegisterServerForUser() : wrappers::UnregisterServerForUser();
}
