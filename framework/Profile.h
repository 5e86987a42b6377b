#pragma once
// CProfile: the per-user settings of a program, under
// HKEY_CURRENT_USER\Software\<company>\<application>\<section>.
// Missing keys and values read as the default; writes create the keys.
#include <windows.h>
#include <string>

class CProfile {
public:
    CProfile() = default;
    CProfile(std::wstring company, std::wstring application);

    void SetKeys(std::wstring company, std::wstring application);
    // "Software\<company>\<application>", or empty before SetKeys.
    std::wstring RootKey() const;

    int GetInt(const wchar_t* section, const wchar_t* entry, int defaultValue) const;
    std::wstring GetString(const wchar_t* section, const wchar_t* entry,
                           const wchar_t* defaultValue = L"") const;
    bool WriteInt(const wchar_t* section, const wchar_t* entry, int value) const;
    // A null value deletes the entry.
    bool WriteString(const wchar_t* section, const wchar_t* entry, const wchar_t* value) const;
    bool DeleteSection(const wchar_t* section) const;

private:
    std::wstring company_;
    std::wstring application_;
};
