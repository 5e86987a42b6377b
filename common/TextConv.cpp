#include "common/TextConv.h"
#include <windows.h>
#include <vector>

namespace common {
namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                  nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                          nullptr);
    return out;
}

} // namespace

std::wstring AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }
std::string WideToAnsi(const std::wstring& text) { return FromWide(CP_ACP, text); }
std::wstring Utf8ToWide(const std::string& text) { return ToWide(CP_UTF8, text); }
std::string WideToUtf8(const std::wstring& text) { return FromWide(CP_UTF8, text); }

std::wstring ToLower(const std::wstring& text) {
    std::wstring out = text;
    if (!out.empty()) ::CharLowerBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::string ToLower(const std::string& text) {
    std::string out = text;
    if (!out.empty()) ::CharLowerBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::wstring LowerFullPath(const std::wstring& path) {
    if (path.empty()) return {};
    DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return {};
    std::vector<wchar_t> buffer(n + 1);
    n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0 || n >= buffer.size()) return {};
    return ToLower(std::wstring(buffer.data(), n));
}

std::wstring DirectoryOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring ModuleDirectory(void* addressInModule) {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(addressInModule), &module);
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD n = ::GetModuleFileNameW(module, buffer, MAX_PATH * 2);
    return DirectoryOf(std::wstring(buffer, n));
}

} // namespace common
