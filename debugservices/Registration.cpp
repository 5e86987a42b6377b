#include "debugservices/Registration.h"
#include "common/Registry.h"
#include "common/ScriptingGuids.h"
#include "common/UniqueHandle.h"
#include "debugservices/Module.h"
#include <olectl.h>
#include <vector>

namespace debugservices {
namespace {

std::wstring ModulePath() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(ModuleInstance(), path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return std::wstring(path.data(), n);
        path.resize(path.size() * 2);
    }
}

std::wstring ClassKey() { return L"CLSID\\" + common::GuidToString(CLSID_ProcessDebugManager); }

std::wstring Canonical(const std::wstring& path) {
    std::wstring full(32768, L'\0');
    DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    full.resize(n > 0 && n < full.size() ? n : 0);
    if (full.empty()) full = path;
    std::wstring longer(32768, L'\0');
    n = ::GetLongPathNameW(full.c_str(), &longer[0], static_cast<DWORD>(longer.size()));
    if (n > 0 && n < longer.size()) {
        longer.resize(n);
        return longer;
    }
    return full;
}

} // namespace

std::wstring RegisteredServer(HKEY root, const std::wstring& clsidKey) {
    common::UniqueRegKey key;
    if (::RegOpenKeyExW(root, (clsidKey + L"\\InprocServer32").c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return {};
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    std::wstring value = buffer.data();
    if (type == REG_EXPAND_SZ) {
        std::vector<wchar_t> expanded(32768);
        DWORD n = ::ExpandEnvironmentStringsW(value.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (n > 0 && n <= expanded.size()) value = expanded.data();
    }
    // A registered path may be quoted.
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') value = value.substr(1, value.size() - 2);
    return value;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    if (a.empty() || b.empty()) return false;
    return ::lstrcmpiW(Canonical(a).c_str(), Canonical(b).c_str()) == 0;
}

HRESULT RegisterServer() {
    const std::wstring path = ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    const std::wstring key = ClassKey();
    const std::wstring current = RegisteredServer(HKEY_CLASSES_ROOT, key);
    if (!current.empty() && !SameFile(current, path)) return S_OK;  // another server's: left alone
    bool ok = common::SetRegString(HKEY_CLASSES_ROOT, key, nullptr, L"Process Debug Manager") &&
              common::SetRegString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path) &&
              common::SetRegString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Both");
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServer() {
    const std::wstring key = ClassKey();
    const std::wstring current = RegisteredServer(HKEY_CLASSES_ROOT, key);
    if (!SameFile(current, ModulePath())) return S_OK;  // not ours
    return common::DeleteRegTree(HKEY_CLASSES_ROOT, key) ? S_OK : SELFREG_E_CLASS;
}

} // namespace debugservices
