#include "common/Registry.h"
#include "common/UniqueHandle.h"
#include <objbase.h>
#include <vector>

namespace common {

bool SetRegString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    UniqueRegKey handle;
    if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, handle.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(handle.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CreateRegKey(HKEY root, const std::wstring& key) {
    UniqueRegKey handle;
    return ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, handle.put(), nullptr) ==
           ERROR_SUCCESS;
}

bool DeleteRegTree(HKEY root, const std::wstring& key) {
    LONG rc = ::RegDeleteTreeW(root, key.c_str());
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
        rc = ::RegDeleteKeyW(root, key.c_str());
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    return false;
}

bool RegKeyExists(HKEY root, const std::wstring& key) {
    UniqueRegKey handle;
    return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.put()) == ERROR_SUCCESS;
}

std::wstring GetRegString(HKEY root, const std::wstring& key, const wchar_t* name) {
    DWORD size = 0;
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return {};
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1);
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer.data(), &size) != ERROR_SUCCESS)
        return {};
    return buffer.data();
}

std::wstring GuidToString(REFGUID guid) {
    wchar_t buffer[40] = {};
    ::StringFromGUID2(guid, buffer, 40);
    return buffer;
}

} // namespace common
