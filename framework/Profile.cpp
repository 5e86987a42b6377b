#include "framework/Profile.h"
#include "common/UniqueHandle.h"

using common::UniqueRegKey;

namespace {
UniqueRegKey OpenSection(const std::wstring& path, bool create) {
    UniqueRegKey key;
    if (create) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                          nullptr, key.put(), nullptr);
    } else {
        ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put());
    }
    return key;
}
} // namespace

CProfile::CProfile(std::wstring company, std::wstring application) {
    SetKeys(std::move(company), std::move(application));
}

void CProfile::SetKeys(std::wstring company, std::wstring application) {
    company_ = std::move(company);
    application_ = std::move(application);
}

std::wstring CProfile::RootKey() const {
    if (company_.empty() || application_.empty()) return std::wstring();
    return L"Software\\" + company_ + L"\\" + application_;
}

int CProfile::GetInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const {
    if (RootKey().empty()) return defaultValue;
    UniqueRegKey key = OpenSection(RootKey() + L"\\" + section, false);
    if (!key) return defaultValue;
    DWORD value = 0, type = 0, size = sizeof(value);
    if (::RegQueryValueExW(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return defaultValue;
    return static_cast<int>(value);
}

std::wstring CProfile::GetString(const wchar_t* section, const wchar_t* entry, const wchar_t* defaultValue) const {
    std::wstring fallback = defaultValue ? defaultValue : L"";
    if (RootKey().empty()) return fallback;
    UniqueRegKey key = OpenSection(RootKey() + L"\\" + section, false);
    if (!key) return fallback;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), entry, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return fallback;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size) != ERROR_SUCCESS)
        return fallback;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

bool CProfile::WriteInt(const wchar_t* section, const wchar_t* entry, int value) const {
    if (RootKey().empty()) return false;
    UniqueRegKey key = OpenSection(RootKey() + L"\\" + section, true);
    DWORD v = static_cast<DWORD>(value);
    return key && ::RegSetValueExW(key.get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v)) == ERROR_SUCCESS;
}

bool CProfile::WriteString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const {
    if (RootKey().empty()) return false;
    UniqueRegKey key = OpenSection(RootKey() + L"\\" + section, true);
    if (!key) return false;
    if (!value) {
        LONG rc = ::RegDeleteValueW(key.get(), entry);
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    DWORD bytes = static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.get(), entry, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes) == ERROR_SUCCESS;
}

bool CProfile::DeleteSection(const wchar_t* section) const {
    if (RootKey().empty()) return false;
    UniqueRegKey key = OpenSection(RootKey(), false);
    if (!key) return true;
    LONG rc = ::RegDeleteTreeW(key.get(), section);
    if (rc == ERROR_SUCCESS) rc = ::RegDeleteKeyW(key.get(), section);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}
