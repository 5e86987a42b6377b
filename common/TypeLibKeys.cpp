#include "common/TypeLibKeys.h"
#include "common/Bstr.h"
#include "common/Registry.h"
#include "common/UniqueHandle.h"
#include <oleauto.h>
#include <wrl/client.h>
#include <cwchar>

namespace common {
namespace {

// The type-library marshaller: PSOAInterface.
const wchar_t kOleAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";

std::wstring VersionText(const TLIBATTR& attributes) {
    return std::to_wstring(attributes.wMajorVerNum) + L"." + std::to_wstring(attributes.wMinorVerNum);
}

std::wstring HexLocale(LCID locale) {
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%lx", static_cast<unsigned long>(locale));
    return text;
}

// Calls visit(iid, name) for every interface of the library that crosses apartments
// through the type-library marshaller (dual or automation-compatible).
template <typename Visit>
bool ForEachAutomationInterface(ITypeLib* library, const IID* skip, Visit visit) {
    bool ok = true;
    const UINT count = library->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        if (FAILED(library->GetTypeInfo(i, info.GetAddressOf()))) continue;
        TYPEATTR* attributes = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
            const bool automation = attributes->typekind == TKIND_DISPATCH ||
                                    (attributes->typekind == TKIND_INTERFACE &&
                                     (attributes->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)));
            if (automation && !(skip && ::IsEqualIID(attributes->guid, *skip))) {
                Bstr name;
                info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
                ok = visit(attributes->guid, name.str()) && ok;
            }
            info->ReleaseTypeAttr(attributes);
        }
    }
    return ok;
}

} // namespace

ClassesRoot::ClassesRoot(Scope scope, Access access) {
    if (scope == Machine) {
        key_ = HKEY_CLASSES_ROOT;
        return;
    }
    if (access == OpenExisting)
        owned_ = ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_ALL_ACCESS, &key_) == ERROR_SUCCESS;
    else
        owned_ = ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                   &key_, nullptr) == ERROR_SUCCESS;
    if (!owned_) key_ = nullptr;
}

namespace {

bool DeleteIfEmpty(HKEY parent, const std::wstring& name) {
    DWORD subkeys = 0, values = 0;
    {
        UniqueRegKey key;
        if (::RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
        if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return false;
    }
    return subkeys == 0 && values == 0 && ::RegDeleteKeyW(parent, name.c_str()) == ERROR_SUCCESS;
}

} // namespace

void RemoveEmptyClasses(HKEY parent, const std::wstring& path) {
    {
        UniqueRegKey classes;
        if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_ALL_ACCESS, classes.put()) != ERROR_SUCCESS) return;
        for (const wchar_t* container : {L"CLSID", L"Interface", L"TypeLib", L"AppID"})
            DeleteIfEmpty(classes.get(), container);
    }
    DeleteIfEmpty(parent, path);
}

ClassesRoot::~ClassesRoot() {
    if (owned_) ::RegCloseKey(key_);
}

bool WriteTypeLibKeys(HKEY root, ITypeLib* library, const std::wstring& file, const IID* skipInterface) {
    TLIBATTR* attributes = nullptr;
    if (!library || FAILED(library->GetLibAttr(&attributes))) return false;
    const std::wstring libId = GuidToString(attributes->guid);
    const std::wstring version = VersionText(*attributes);
    const std::wstring key = L"TypeLib\\" + libId + L"\\" + version;
    const wchar_t* platform = attributes->syskind == SYS_WIN64 ? L"win64" : L"win32";
    const LCID locale = attributes->lcid;
    library->ReleaseTLibAttr(attributes);

    Bstr help;
    library->GetDocumentation(MEMBERID_NIL, nullptr, help.put(), nullptr, nullptr);
    const std::wstring helpText = help.str();
    const size_t slash = file.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : file.substr(0, slash);

    bool ok = SetRegString(root, key, nullptr, helpText) && SetRegString(root, key + L"\\FLAGS", nullptr, L"0") &&
              SetRegString(root, key + L"\\HELPDIR", nullptr, folder) &&
              SetRegString(root, key + L"\\0\\" + platform, nullptr, file);
    if (locale != 0) ok = SetRegString(root, key + L"\\" + HexLocale(locale) + L"\\" + platform, nullptr, file) && ok;
    return ForEachAutomationInterface(library, skipInterface, [&](REFIID iid, const std::wstring& name) {
               const std::wstring interfaceKey = L"Interface\\" + GuidToString(iid);
               return SetRegString(root, interfaceKey, nullptr, name) &&
                      SetRegString(root, interfaceKey + L"\\ProxyStubClsid", nullptr, kOleAutomationProxy) &&
                      SetRegString(root, interfaceKey + L"\\ProxyStubClsid32", nullptr, kOleAutomationProxy) &&
                      SetRegString(root, interfaceKey + L"\\TypeLib", nullptr, libId) &&
                      SetRegString(root, interfaceKey + L"\\TypeLib", L"Version", version);
           }) && ok;
}

bool DeleteTypeLibKeys(HKEY root, ITypeLib* library, const IID* skipInterface) {
    TLIBATTR* attributes = nullptr;
    if (!library || FAILED(library->GetLibAttr(&attributes))) return false;
    const std::wstring libId = GuidToString(attributes->guid);
    library->ReleaseTLibAttr(attributes);
    bool ok = ForEachAutomationInterface(library, skipInterface, [&](REFIID iid, const std::wstring&) {
        const std::wstring interfaceKey = L"Interface\\" + GuidToString(iid);
        // Only keys that name this library: another library's interface is not ours.
        if (GetRegString(root, interfaceKey + L"\\TypeLib", nullptr) != libId) return true;
        return DeleteRegTree(root, interfaceKey);
    });
    return DeleteRegTree(root, L"TypeLib\\" + libId) && ok;
}

std::wstring InprocServerOf(HKEY root, REFCLSID clsid) {
    return GetRegString(root, L"CLSID\\" + GuidToString(clsid) + L"\\InprocServer32", nullptr);
}

} // namespace common
