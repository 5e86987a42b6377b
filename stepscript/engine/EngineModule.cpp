// The COM server around the engine: class factory, unloading and self-registration.
#include "stepscript/engine/ScriptEngine.h"
#include "common/ComError.h"
#include "common/ClassFactoryBase.h"
#include "common/Registry.h"
#include <comcat.h>
#include <olectl.h>
#include <string>

namespace {

HINSTANCE g_instance = nullptr;
common::ModuleLock g_serverLocks;

const wchar_t* const kProgId = L"StepScript";
const wchar_t* const kDescription = L"StepScript Language";
// CATID_ActiveScript and CATID_ActiveScriptParse: what hosts look for in a script engine.
const wchar_t* const kCategoryScript = L"{F0B7A1A1-9847-11CF-8F20-00805F2CD064}";
const wchar_t* const kCategoryParse = L"{F0B7A1A2-9847-11CF-8F20-00805F2CD064}";

class ClassFactory : public common::ClassFactoryBase {
public:
    ClassFactory() : ClassFactoryBase(g_serverLocks) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return stepscript::CreateEngine(riid, ppv);
    }
};

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameW(g_instance, path, MAX_PATH * 2);
    return std::wstring(path, n);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        ::DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (clsid != stepscript::CLSID_StepScript) return CLASS_E_CLASSNOTAVAILABLE;
    return common::ComBoundary([&]() -> HRESULT {
        Microsoft::WRL::ComPtr<ClassFactory> factory;
        factory = common::Adopt(new ClassFactory());
        return factory->QueryInterface(riid, ppv);
    });
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return stepscript::LiveEngines() == 0 && g_serverLocks.count() == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    using common::SetRegString;
    using common::CreateRegKey;
    const std::wstring clsid = common::GuidToString(stepscript::CLSID_StepScript);
    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring progId = kProgId;
    bool ok = SetRegString(HKEY_CLASSES_ROOT, progId, nullptr, kDescription) &&
              SetRegString(HKEY_CLASSES_ROOT, progId + L"\\CLSID", nullptr, clsid) &&
              CreateRegKey(HKEY_CLASSES_ROOT, progId + L"\\OLEScript") &&
              SetRegString(HKEY_CLASSES_ROOT, classKey, nullptr, kDescription) &&
              SetRegString(HKEY_CLASSES_ROOT, classKey + L"\\ProgID", nullptr, progId) &&
              CreateRegKey(HKEY_CLASSES_ROOT, classKey + L"\\OLEScript") &&
              SetRegString(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr, ModulePath()) &&
              SetRegString(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel", L"Both") &&
              CreateRegKey(HKEY_CLASSES_ROOT, classKey + L"\\Implemented Categories\\" + kCategoryScript) &&
              CreateRegKey(HKEY_CLASSES_ROOT, classKey + L"\\Implemented Categories\\" + kCategoryParse);
    return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    const std::wstring clsid = common::GuidToString(stepscript::CLSID_StepScript);
    bool ok = common::DeleteRegTree(HKEY_CLASSES_ROOT, L"CLSID\\" + clsid);
    ok = common::DeleteRegTree(HKEY_CLASSES_ROOT, kProgId) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}
