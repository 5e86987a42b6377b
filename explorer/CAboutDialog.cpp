#include "explorer/CAboutDialog.h"
#include "resources/explorer/explorerids.h"
#include <cstdio>
#include <vector>

namespace explorer {

namespace {

std::wstring QueryString(const std::vector<BYTE>& block, WORD language, WORD codePage, const wchar_t* name) {
    wchar_t key[64];
    std::swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\%ls", language, codePage, name);
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), key, &value, &length) || !value || length == 0) return L"";
    return std::wstring(static_cast<const wchar_t*>(value));
}

} // namespace

std::wstring ProgramVersion(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return L"Tevrin";
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path, 0, size, block.data())) return L"Tevrin";

    std::wstring product, version;
    struct Translation { WORD language, codePage; };
    Translation* translations = nullptr;
    UINT length = 0;
    if (::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                         &length) &&
        translations && length >= sizeof(Translation)) {
        product = QueryString(block, translations[0].language, translations[0].codePage, L"ProductName");
        version = QueryString(block, translations[0].language, translations[0].codePage, L"FileVersion");
    }
    if (version.empty()) {
        VS_FIXEDFILEINFO* fixed = nullptr;
        if (::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
            wchar_t text[64];
            std::swprintf(text, 64, L"%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                          HIWORD(fixed->dwFileVersionLS));
            version = text;
        }
    }
    if (product.empty()) product = L"Tevrin";
    return version.empty() ? product : product + L" version " + version;
}

bool CAboutDialog::OnInitDialog() {
    ::SetDlgItemTextW(hwnd_, IDC_ABOUT_VERSION, ProgramVersion().c_str());
    ::SetDlgItemTextW(hwnd_, IDC_ABOUT_COMPONENTS, components_.c_str());
    return true;
}

} // namespace explorer
