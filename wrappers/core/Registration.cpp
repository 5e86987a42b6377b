#include "wrappers/core/WrappersModule.h"
#include <wrl/client.h>
#include "common/Registry.h"
#include "common/TypeLibKeys.h"
#include "wrappers/core/RegistrySnapshot.h"
#include "wrappers.h"
#include <oleauto.h>
#include <oleacc.h>
#include <olectl.h>
#include <string>

namespace wrappers {
namespace {

struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* description;
    const wchar_t* progId;
    const wchar_t* independentProgId;
    const wchar_t* threadingModel;
};

const ClassEntry kClasses[] = {
    {&CLSID_WNDWrapper, L"WNDWrapper Class", L"Wrappers.WNDWrapper.1", L"Wrappers.WNDWrapper", L"Free"},
    {&CLSID_Synchronizer, L"Synchronizer Class", L"Wrappers.Synchronizer.1", L"Wrappers.Synchronizer", L"Apartment"},
};

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameW(WrappersModule::instance(), path, MAX_PATH * 2);
    return std::wstring(path, n);
}

bool RegisterClassEntry(HKEY root, const ClassEntry& entry, const std::wstring& modulePath) {
    using namespace common;
    const std::wstring clsid = GuidToString(*entry.clsid);
    const std::wstring libid = GuidToString(LIBID_WRAPPERSLib);
    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring progId = entry.progId;
    const std::wstring independent = entry.independentProgId;
    return SetRegString(root, progId, nullptr, entry.description) &&
           SetRegString(root, progId + L"\\CLSID", nullptr, clsid) &&
           SetRegString(root, independent, nullptr, entry.description) &&
           SetRegString(root, independent + L"\\CLSID", nullptr, clsid) &&
           SetRegString(root, independent + L"\\CurVer", nullptr, progId) &&
           SetRegString(root, classKey, nullptr, entry.description) &&
           SetRegString(root, classKey + L"\\ProgID", nullptr, progId) &&
           SetRegString(root, classKey + L"\\VersionIndependentProgID", nullptr, independent) &&
           CreateRegKey(root, classKey + L"\\Programmable") &&
           SetRegString(root, classKey + L"\\InprocServer32", nullptr, modulePath) &&
           SetRegString(root, classKey + L"\\InprocServer32", L"ThreadingModel", entry.threadingModel) &&
           SetRegString(root, classKey + L"\\TypeLib", nullptr, libid);
}

// ITevrinAcc shares the IID of IAccessible (taken with __uuidof: the IID_IAccessible of
// MinGW's import library is the address of an import thunk, not the GUID). Registering or unregistering the type
// library would rewrite (or delete) that interface's key, which names the accessibility
// library's own proxy that every program's cross-process accessibility depends on; the
// key is therefore put back exactly as it was, in every place it can live: machine and
// user, and in both registry views, because a 64-bit process registers a type library's
// interfaces for 32-bit processes too.
class AccessibleKeyGuard {
public:
    AccessibleKeyGuard() {
        for (Place& place : places_) place.before = RegistrySnapshot::capture(place.root, path(), place.view);
    }
    bool restore() const {
        bool ok = true;
        for (const Place& place : places_) {
            if (place.before == RegistrySnapshot::capture(place.root, path(), place.view)) continue;
            ok = place.before.restore(place.root, path(), place.view) && ok;
        }
        return ok;
    }

private:
    static std::wstring path() {
        return L"Software\\Classes\\Interface\\" + common::GuidToString(__uuidof(IAccessible));
    }

    struct Place {
        HKEY root;
        REGSAM view;
        RegistrySnapshot before;
    };
    // On a 32-bit system both views are the one registry; restoring it twice is harmless.
    Place places_[4] = {{HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, {}},
                        {HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, {}},
                        {HKEY_CURRENT_USER, KEY_WOW64_64KEY, {}},
                        {HKEY_CURRENT_USER, KEY_WOW64_32KEY, {}}};
};

// The type library is registered for locale 1033; Wine's type-library marshaller only
// looks for the language-neutral entry (locale 0), without which no wrapper interface
// can cross an apartment. The neutral entry names the same file.
bool RegisterNeutralTypeLibKey() {
    const std::wstring version = L"TypeLib\\" + common::GuidToString(LIBID_WRAPPERSLib) + L"\\1.0\\";
    const wchar_t* platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    const std::wstring file = common::GetRegString(HKEY_CLASSES_ROOT, version + L"409\\" + platform, nullptr);
    if (file.empty()) return false;
    return common::SetRegString(HKEY_CLASSES_ROOT, version + L"0\\" + platform, nullptr, file);
}

bool DeleteClassEntries(HKEY root) {
    bool ok = true;
    for (const ClassEntry& entry : kClasses) {
        ok = common::DeleteRegTree(root, L"CLSID\\" + common::GuidToString(*entry.clsid)) && ok;
        ok = common::DeleteRegTree(root, entry.progId) && ok;
        ok = common::DeleteRegTree(root, entry.independentProgId) && ok;
    }
    return ok;
}

// ITevrinAcc's IID is IAccessible's: its key belongs to the accessibility library.
const IID kAccessibleIid = __uuidof(IAccessible);

} // namespace

HRESULT RegisterServerForUser() {
    const common::ClassesRoot root(common::ClassesRoot::User);
    if (!root.valid()) return SELFREG_E_CLASS;
    const std::wstring path = ModulePath();
    Microsoft::WRL::ComPtr<ITypeLib> typeLib;
    HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, typeLib.GetAddressOf());
    if (FAILED(hr)) return hr;
    if (!common::WriteTypeLibKeys(root.key(), typeLib.Get(), path, &kAccessibleIid)) return SELFREG_E_TYPELIB;
    for (const ClassEntry& entry : kClasses) {
        if (!RegisterClassEntry(root.key(), entry, path)) return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterServerForUser() {
    bool ok = true;
    {
        const common::ClassesRoot root(common::ClassesRoot::User, common::ClassesRoot::OpenExisting);
        if (!root.valid()) return S_OK;
        ok = DeleteClassEntries(root.key());
        Microsoft::WRL::ComPtr<ITypeLib> typeLib;
        if (SUCCEEDED(::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, typeLib.GetAddressOf())))
            ok = common::DeleteTypeLibKeys(root.key(), typeLib.Get(), &kAccessibleIid) && ok;
    }
    common::RemoveEmptyClasses(HKEY_CURRENT_USER, L"Software\\Classes");
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT RegisterServer() {
    const std::wstring path = ModulePath();
    AccessibleKeyGuard accessibleKey;
    Microsoft::WRL::ComPtr<ITypeLib> typeLib;
    HRESULT hr = ::LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, typeLib.GetAddressOf());
    if (!accessibleKey.restore() && SUCCEEDED(hr)) hr = SELFREG_E_TYPELIB;
    if (FAILED(hr)) return hr;
    if (!RegisterNeutralTypeLibKey()) return SELFREG_E_TYPELIB;
    for (const ClassEntry& entry : kClasses) {
        if (!RegisterClassEntry(HKEY_CLASSES_ROOT, entry, path)) return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterServer() {
    bool ok = DeleteClassEntries(HKEY_CLASSES_ROOT);
    AccessibleKeyGuard accessibleKey;
    HRESULT hr = ::UnRegisterTypeLib(LIBID_WRAPPERSLib, 1, 0, 1033, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    if (!accessibleKey.restore()) ok = false;
    // Also the language-neutral entry written at registration.
    ok = common::DeleteRegTree(HKEY_CLASSES_ROOT, L"TypeLib\\" + common::GuidToString(LIBID_WRAPPERSLib)) && ok;
    if (FAILED(hr) && hr != TYPE_E_REGISTRYACCESS && hr != TYPE_E_LIBNOTREGISTERED) return hr;
    return ok ? S_OK : SELFREG_E_CLASS;
}

} // namespace wrappers
