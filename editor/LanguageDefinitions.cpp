#include "editor/LanguageDefinitions.h"
#include "common/TextConv.h"
#include "editor/BuiltinExpressions.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace editor {
namespace {

constexpr DWORD kSectionBufferSize = 0x4000;
constexpr DWORD kValueBufferSize = 260;

const char* const kStyleSectionNames[kStyleClassCount] = {
    "preprocessor", "comment", "number", "string", "keyword", "default"};

// Section names of an ini file in file order; empty when the file has none or is missing.
std::vector<std::string> SectionNames(const std::string& path) {
    std::vector<char> buffer(kSectionBufferSize, '\0');
    DWORD n = ::GetPrivateProfileSectionNamesA(buffer.data(), kSectionBufferSize, path.c_str());
    std::vector<std::string> names;
    if (n == 0) return names;
    // The list ends at the first empty name.
    for (const char* p = buffer.data(); p < buffer.data() + n && *p; p += std::strlen(p) + 1) {
        names.emplace_back(p);
    }
    if (names.empty()) names.emplace_back();  // a list that starts with an empty name
    return names;
}

std::string ReadString(const std::string& path, const std::string& section, const char* key) {
    char value[kValueBufferSize] = {};
    ::GetPrivateProfileStringA(section.c_str(), key, "", value, kValueBufferSize, path.c_str());
    return value;
}

// "%x" semantics: optional 0x, stops at the first non-hex character; kAutoColor when
// nothing parses.
long ParseColor(const std::string& value) {
    if (value.empty()) return kAutoColor;
    unsigned int color = 0;
    if (std::sscanf(value.c_str(), "%x", &color) != 1) return kAutoColor;
    return static_cast<long>(color);
}

} // namespace

std::string LanguageDefinitions::IniPathBesideProgram(const std::wstring& name) {
    char module[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    char drive[_MAX_DRIVE], dir[_MAX_DIR], fname[_MAX_FNAME], ext[_MAX_EXT];
    _splitpath(module, drive, dir, fname, ext);
    std::string path = std::string(drive) + dir + common::WideToAnsi(name) + ".ini";
    return path;
}

bool LanguageDefinitions::Load(const std::wstring& languagesName, const std::wstring& stylesName) {
    return LoadFiles(IniPathBesideProgram(languagesName), IniPathBesideProgram(stylesName));
}

bool LanguageDefinitions::LoadFiles(const std::string& languagesPath, const std::string& stylesPath) {
    // The style file is read first; without it the language file is not touched.
    return LoadStyles(stylesPath) && LoadLanguages(languagesPath);
}

bool LanguageDefinitions::LoadStyles(const std::string& path) {
    const auto sections = SectionNames(path);
    if (sections.empty()) return false;
    for (const auto& section : sections) {
        if (section.empty()) break;
        StyleDef style;
        auto flag = [&](const char* key) {
            return ::GetPrivateProfileIntA(section.c_str(), key, 0, path.c_str()) != 0;
        };
        style.Bold = flag("Bold");
        style.Italic = flag("Italic");
        style.Underline = flag("Underline");
        style.Subscript = flag("Subscript");
        style.Superscript = flag("Superscript");
        style.BackColor = ParseColor(ReadString(path, section, "BackColor"));
        style.ForeColor = ParseColor(ReadString(path, section, "ForeColor"));
        for (int i = 0; i < kStyleClassCount; ++i) {
            if (_stricmp(section.c_str(), kStyleSectionNames[i]) == 0) {
                styles_[i] = style;
                break;
            }
        }
    }
    return true;
}

bool LanguageDefinitions::LoadLanguages(const std::string& path) {
    const auto sections = SectionNames(path);
    if (sections.empty()) return false;
    for (const auto& section : sections) {
        if (section.empty()) break;
        const std::string extensions = ReadString(path, section, "Extensions");
        const bool caseSensitive =
            ::GetPrivateProfileIntA(section.c_str(), "CaseSensitive", 1, path.c_str()) != 0;

        const std::wstring name = common::AnsiToWide(section);
        LanguageDef& language = languages_[name];
        if (!extensions.empty()) language.Extensions = common::AnsiToWide(extensions);
        language.CaseSensitive = caseSensitive;

        boost::regex_constants::syntax_option_type flags = boost::regex_constants::perl;
        if (!caseSensitive) flags |= boost::regex_constants::icase;
        if (const BuiltinExpressionSet* set = FindBuiltinExpressions(name)) {
            language.MainExpression.assign(set->mainExpression, flags);
            if (set->blockCommentExpression && *set->blockCommentExpression) {
                language.BlockCommentExpression.assign(set->blockCommentExpression, flags);
                language.BlockDelimiters = set->blockDelimiters;
            }
        }
    }
    return true;
}

std::wstring LanguageDefinitions::LanguageForExtension(const std::wstring& extension) const {
    // A new, unnamed document: only a section named exactly "CPP" colours it.
    if (extension.empty()) return L"CPP";
    const std::wstring lower = common::ToLower(extension);
    for (const auto& [name, language] : languages_) {
        // Plain substring search: "c" is found in "cpp", "js" in "json".
        if (language.Extensions.find(lower) != std::wstring::npos) return name;
    }
    return L"";
}

} // namespace editor
