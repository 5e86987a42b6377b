#pragma once
#include <windows.h>
#include <string>

namespace common {

// Small registry writers used by self-registration. They return false on failure
// instead of throwing: a failed registry write is reported by the caller's HRESULT.
bool SetRegString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);
bool CreateRegKey(HKEY root, const std::wstring& key);
bool DeleteRegTree(HKEY root, const std::wstring& key);
bool RegKeyExists(HKEY root, const std::wstring& key);
// Value of a string entry, or empty when the key or value is missing.
std::wstring GetRegString(HKEY root, const std::wstring& key, const wchar_t* name);

std::wstring GuidToString(REFGUID guid);

} // namespace common
