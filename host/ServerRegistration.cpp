#include "host/ServerRegistration.h"
#include "host/Components.h"
#include "common/ComError.h"
#include "common/Registry.h"
#include "common/TextConv.h"
#include "common/TypeLibKeys.h"
#include "common/UniqueHandle.h"
#include "mardel.h"
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>
#include <vector>

namespace host {
namespace {

using common::ClassesRoot;
using Microsoft::WRL::ComPtr;

// The application id is fixed like the class, library and interface ids.
const GUID kAppId = {0xD7C38F8B, 0xA504, 0x49CA, {0x83, 0x72, 0xAD, 0xC7, 0x3B, 0x14, 0xA7, 0x0A}};
// Wrappers.WNDWrapper's class: the wrappers library's registration is read, never linked.
const CLSID kWndWrapperClass = {0xD1C8345B, 0xBAE2, 0x4ACD, {0xA4, 0xC1, 0xAB, 0xEB, 0x0B, 0xB9, 0x53, 0xB1}};
const wchar_t kWrappersDll[] = L"wrappers.dll";

std::wstring ProgramPath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return std::wstring(path.data(), n);
        path.resize(path.size() * 2);
    }
}

std::wstring ShortPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD n = ::GetShortPathNameW(path.c_str(), buffer, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : path;
}

std::wstring LongPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD n = ::GetLongPathNameW(path.c_str(), buffer, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buffer, n) : path;
}

std::wstring Unquoted(const std::wstring& path) {
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') return path.substr(1, path.size() - 2);
    return path;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    if (a.empty() || b.empty()) return false;
    return ::lstrcmpiW(LongPath(Unquoted(a)).c_str(), LongPath(Unquoted(b)).c_str()) == 0;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(Unquoted(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ClassKey() { return L"CLSID\\" + common::GuidToString(CLSID_Env); }

bool WriteEnvServer(HKEY root, ClassesRoot::Scope scope) {
    using common::SetRegString;
    const std::wstring module = ShortPath(ProgramPath());
    const std::wstring appId = common::GuidToString(kAppId);
    const std::wstring clsid = common::GuidToString(CLSID_Env);
    const std::wstring libId = common::GuidToString(LIBID_MardelLib);

    bool ok = SetRegString(root, L"AppID\\" + appId, nullptr, L"Mardel") &&
              SetRegString(root, L"AppID\\Mardel.EXE", L"AppID", appId) &&
              SetRegString(root, L"Mardel.Env.1", nullptr, L"Env Class") &&
              SetRegString(root, L"Mardel.Env.1\\CLSID", nullptr, clsid) &&
              SetRegString(root, L"Mardel.Env", nullptr, L"Env Class") &&
              SetRegString(root, L"Mardel.Env\\CLSID", nullptr, clsid) &&
              SetRegString(root, L"Mardel.Env\\CurVer", nullptr, L"Mardel.Env.1");
    if (!ok) return false;
    // The class key is replaced whole.
    const std::wstring classKey = ClassKey();
    common::DeleteRegTree(root, classKey);
    ok = SetRegString(root, classKey, nullptr, L"Env Class") && SetRegString(root, classKey, L"AppID", appId) &&
         SetRegString(root, classKey + L"\\ProgID", nullptr, L"Mardel.Env.1") &&
         SetRegString(root, classKey + L"\\VersionIndependentProgID", nullptr, L"Mardel.Env") &&
         common::CreateRegKey(root, classKey + L"\\Programmable") &&
         SetRegString(root, classKey + L"\\LocalServer32", nullptr, module) &&
         SetRegString(root, classKey + L"\\TypeLib", nullptr, libId);
    if (!ok) return false;

    ComPtr<ITypeLib> library;
    if (scope == ClassesRoot::User) {
        return SUCCEEDED(::LoadTypeLibEx(ProgramPath().c_str(), REGKIND_NONE, library.GetAddressOf())) &&
               common::WriteTypeLibKeys(root, library.Get(), ProgramPath(), nullptr);
    }
    if (FAILED(::LoadTypeLibEx(ProgramPath().c_str(), REGKIND_REGISTER, library.GetAddressOf()))) return false;
    // Wine's interface marshaller looks the library up under the neutral locale only,
    // whatever locale the library declares; without this key Env cannot cross processes.
    const wchar_t* platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    return SetRegString(root, L"TypeLib\\" + libId + L"\\1.0\\0\\" + platform, nullptr, ProgramPath());
}

// A 64-bit registration of the type library writes its interface keys for 32-bit
// processes too (Wine's RegisterTypeLib does). They go with it, unless a 32-bit Tevrin
// still serves Env there and marshals through them.
bool DeleteInterfaceKeysOf32BitView(ITypeLib* library) {
    if (sizeof(void*) != 8) return true;
    common::UniqueRegKey classes;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, classes.put()) !=
        ERROR_SUCCESS)
        return true;
    if (!common::GetRegString(classes.get(), ClassKey() + L"\\LocalServer32", nullptr).empty()) return true;
    return common::DeleteTypeLibKeys(classes.get(), library, nullptr);
}

bool DeleteEnvServer(HKEY root) {
    if (!SameFile(common::GetRegString(root, ClassKey() + L"\\LocalServer32", nullptr), ProgramPath())) return true;
    bool ok = common::DeleteRegTree(root, ClassKey());
    for (const wchar_t* key : {L"Mardel.Env.1", L"Mardel.Env", L"AppID\\Mardel.EXE"})
        ok = common::DeleteRegTree(root, key) && ok;
    ok = common::DeleteRegTree(root, L"AppID\\" + common::GuidToString(kAppId)) && ok;
    ComPtr<ITypeLib> library;
    if (SUCCEEDED(::LoadTypeLibEx(ProgramPath().c_str(), REGKIND_NONE, library.GetAddressOf()))) {
        ok = common::DeleteTypeLibKeys(root, library.Get(), nullptr) && ok;
        if (root == HKEY_CLASSES_ROOT) ok = DeleteInterfaceKeysOf32BitView(library.Get()) && ok;
    }
    return ok;
}

std::wstring OwnWrappers() { return Components::ProgramFolder() + kWrappersDll; }

// The wrappers library beside the program, loaded for one registration call.
template <typename Call>
HRESULT WithOwnWrappers(Call call) {
    HMODULE module = ::LoadLibraryExW(OwnWrappers().c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return HRESULT_FROM_WIN32(::GetLastError());
    const HRESULT hr = call(module);
    ::FreeLibrary(module);
    return hr;
}

HRESULT CallInstall(HMODULE module, BOOL install) {
    using Install = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
    auto function = reinterpret_cast<Install>(::GetProcAddress(module, "DllInstall"));
    return function ? function(install, L"user") : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

HRESULT CallExport(HMODULE module, const char* name) {
    using Register = HRESULT(STDAPICALLTYPE*)();
    auto function = reinterpret_cast<Register>(::GetProcAddress(module, name));
    return function ? function() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

// The file that COM would load for Wrappers.WNDWrapper, as every program sees it.
std::wstring RegisteredWrappers() { return common::InprocServerOf(HKEY_CLASSES_ROOT, kWndWrapperClass); }

std::wstring FailureText(HRESULT hr) { return common::SystemMessage(static_cast<DWORD>(hr)); }

} // namespace

void RegisterServer() {
    if (WriteEnvServer(HKEY_CLASSES_ROOT, ClassesRoot::Machine)) return;
    const ClassesRoot user(ClassesRoot::User);
    if (user.valid()) WriteEnvServer(user.key(), ClassesRoot::User);
}

std::wstring EnsureWrappersRegistered() {
    const std::wstring registered = RegisteredWrappers();
    if (!registered.empty() && FileExists(registered)) return {};
    if (!FileExists(OwnWrappers()))
        return L"wrappers.dll is missing beside Tevrin.exe (" + OwnWrappers() + L"): scripts cannot create "
               L"Wrappers.WNDWrapper. Reinstall Tevrin.";
    HRESULT hr = WithOwnWrappers([](HMODULE module) { return CallInstall(module, TRUE); });
    if (SUCCEEDED(hr) && FileExists(RegisteredWrappers())) return {};
    // The platform does not merge the user's classes into its own (Wine): take back the
    // per-user keys and register machine-wide.
    WithOwnWrappers([](HMODULE module) { return CallInstall(module, FALSE); });
    hr = WithOwnWrappers([](HMODULE module) { return CallExport(module, "DllRegisterServer"); });
    if (SUCCEEDED(hr) && FileExists(RegisteredWrappers())) return {};
    std::wstring problem = L"Cannot register " + OwnWrappers() + L" for scripts";
    if (!registered.empty()) problem += L" (the registration names " + registered + L", which does not exist)";
    return problem + L": " + FailureText(FAILED(hr) ? hr : E_FAIL) + L" Run \"regsvr32 wrappers.dll\" as administrator.";
}

std::wstring DescribeWrappersRegistration() {
    const std::wstring registered = RegisteredWrappers();
    if (registered.empty()) return L"Wrappers: not registered";
    std::wstring line = L"Wrappers: " + registered;
    if (!FileExists(registered)) return line + L" (missing file)";
    const ClassesRoot user(ClassesRoot::User, ClassesRoot::OpenExisting);
    const bool perUser = user.valid() && !common::InprocServerOf(user.key(), kWndWrapperClass).empty();
    return line + (perUser ? L" (registered for this user)" : L" (registered for all users)");
}

bool UnregisterServers() {
    bool ok = true;
    {
        const ClassesRoot user(ClassesRoot::User, ClassesRoot::OpenExisting);
        if (user.valid()) {
            ok = DeleteEnvServer(user.key()) && ok;
            if (SameFile(common::InprocServerOf(user.key(), kWndWrapperClass), OwnWrappers()))
                ok = SUCCEEDED(WithOwnWrappers([](HMODULE module) { return CallInstall(module, FALSE); })) && ok;
        }
    }
    common::RemoveEmptyClasses(HKEY_CURRENT_USER, L"Software\\Classes");
    ok = DeleteEnvServer(HKEY_CLASSES_ROOT) && ok;
    if (SameFile(common::InprocServerOf(HKEY_CLASSES_ROOT, kWndWrapperClass), OwnWrappers()))
        ok = SUCCEEDED(WithOwnWrappers([](HMODULE module) { return CallExport(module, "DllUnregisterServer"); })) && ok;
    return ok;
}

} // namespace host
