#pragma once
#include <string>

namespace common {

// Conversions between UTF-16 and the ANSI code page (or UTF-8), and the lower-cased
// full-path form that script files are known by.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

std::wstring ToLower(const std::wstring& text);
std::string ToLower(const std::string& text);

// Full path of a file, lower-cased; empty when the path cannot be resolved.
std::wstring LowerFullPath(const std::wstring& path);

// Directory part of a path including its trailing backslash ("" when there is none).
std::wstring DirectoryOf(const std::wstring& path);

// Folder of the module that holds this code (with trailing backslash).
std::wstring ModuleDirectory(void* addressInModule);

} // namespace common
