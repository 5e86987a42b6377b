#pragma once
#include <boost/regex.hpp>
#include <array>
#include <map>
#include <string>

namespace editor {

// tomAutoColor: the text object model then uses the system colour.
constexpr long kAutoColor = -9999997;

// Style classes in the order of the main expressions' capture groups (group n is class n-1).
enum StyleClass : int {
    kPreprocessor = 0,
    kComment = 1,
    kNumber = 2,
    kString = 3,
    kKeyword = 4,
    kDefault = 5,
    kStyleClassCount = 6,
};

struct StyleDef {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Subscript = false;
    bool Superscript = false;
    long BackColor = kAutoColor;  // COLORREF 0x00BBGGRR or kAutoColor
    long ForeColor = kAutoColor;
};

struct LanguageDef {
    std::wstring Extensions;
    bool CaseSensitive = true;
    boost::wregex MainExpression;          // empty() when the language has no built-in set
    boost::wregex BlockCommentExpression;  // empty() when there is none
    std::wstring BlockDelimiters;          // its opening and closing characters
};

// Ordered by code unit, case-sensitive: "CPP" sorts before "cpp".
using LanguageTable = std::map<std::wstring, LanguageDef>;

// The language and style tables of one editor component, read from the two ini files
// beside the program.
class LanguageDefinitions {
public:
    // Reads <program folder>\<stylesName>.ini, then <program folder>\<languagesName>.ini.
    // False when either yields no section names.
    bool Load(const std::wstring& languagesName, const std::wstring& stylesName);
    // The same from explicit ANSI paths.
    bool LoadFiles(const std::string& languagesPath, const std::string& stylesPath);

    // The language whose Extensions contain the lower-cased extension (first in key
    // order); "CPP" for an empty extension; "" when no language lists it.
    std::wstring LanguageForExtension(const std::wstring& extension) const;

    // Exact lookup; a missing name is inserted with empty expressions.
    LanguageDef& Lookup(const std::wstring& name) { return languages_[name]; }

    const StyleDef& Style(int styleClass) const { return styles_[styleClass]; }
    const LanguageTable& Languages() const { return languages_; }

    // Full ANSI path of <name>.ini in the program's folder.
    static std::string IniPathBesideProgram(const std::wstring& name);

private:
    bool LoadStyles(const std::string& path);
    bool LoadLanguages(const std::string& path);

    std::array<StyleDef, kStyleClassCount> styles_{};
    LanguageTable languages_;
};

} // namespace editor
