#include "debugservices/Module.h"
#include "common/ComError.h"
#include "common/ScriptingGuids.h"
#include "debugservices/FreeThreadedObject.h"
#include "debugservices/ProcessDebugManager.h"
#include "debugservices/Registration.h"
#include <atomic>

namespace debugservices {
namespace {

HINSTANCE g_instance = nullptr;
common::ModuleLock g_locks;

class ClassFactory : public FreeThreadedObject<IClassFactory> {
public:
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        return common::ComBoundary([&]() -> HRESULT {
            if (!object) return E_POINTER;
            *object = nullptr;
            if (outer) return CLASS_E_NOAGGREGATION;
            auto manager = Adopt(new ProcessDebugManager());
            return manager->QueryInterface(iid, object);
        });
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            g_locks.lock();
        else
            g_locks.unlock();
        return S_OK;
    }
};

} // namespace

HINSTANCE ModuleInstance() { return g_instance; }
common::ModuleLock& ModuleLocks() { return g_locks; }

} // namespace debugservices

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        debugservices::g_instance = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (clsid != CLSID_ProcessDebugManager) return CLASS_E_CLASSNOTAVAILABLE;
        auto factory = debugservices::Adopt(new debugservices::ClassFactory());
        return factory->QueryInterface(iid, object);
    });
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return debugservices::ModuleLocks().count() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() { return debugservices::RegisterServer(); }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() { return debugservices::UnregisterServer(); }
