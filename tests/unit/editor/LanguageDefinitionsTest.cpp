#include "editor/LanguageDefinitions.h"
#include "EditorWindow.h"
#include "common/TextConv.h"
#include <gtest/gtest.h>
#include <vector>

using editor::LanguageDefinitions;
using editor::kAutoColor;
using editortest::WriteIni;

namespace {

// Group (1-5) that the main expression gives the first match in text, 0 for none.
int FirstGroup(const boost::wregex& expression, const std::wstring& text, std::wstring* matched = nullptr) {
    boost::wsmatch match;
    if (!boost::regex_search(text, match, expression)) return 0;
    for (int group = 1; group <= 5; ++group) {
        if (match[group].matched) {
            if (matched) *matched = match[group].str();
            return group;
        }
    }
    return 0;
}

class LanguageDefinitionsTest : public ::testing::Test {
protected:
    bool Load(const std::string& languages, const std::string& styles) {
        WriteIni(L"edtest_ld_languages", languages);
        WriteIni(L"edtest_ld_tagclass", styles);
        return defs_.Load(L"edtest_ld_languages", L"edtest_ld_tagclass");
    }
    LanguageDefinitions defs_;
};

TEST_F(LanguageDefinitionsTest, StyleSectionsMatchIgnoringCaseAndParseHexColours) {
    ASSERT_TRUE(Load("[vbs]\nExtensions=vbs\n",
                     "[COMMENT]\nForeColor=0x00ff00\nItalic=1\n"
                     "[comments]\nForeColor=123456\n"
                     "[Keyword]\nForeColor=FF\nBold=7\nBackColor=\n"
                     "[string]\nForeColor=zz\nUnderline=abc\n"
                     "[number]\nForeColor=80zz\n"));
    EXPECT_EQ(0x00FF00, defs_.Style(editor::kComment).ForeColor);
    EXPECT_TRUE(defs_.Style(editor::kComment).Italic);
    EXPECT_EQ(0x0000FF, defs_.Style(editor::kKeyword).ForeColor);  // red
    EXPECT_TRUE(defs_.Style(editor::kKeyword).Bold);
    EXPECT_EQ(kAutoColor, defs_.Style(editor::kKeyword).BackColor);
    EXPECT_EQ(kAutoColor, defs_.Style(editor::kString).ForeColor);
    EXPECT_FALSE(defs_.Style(editor::kString).Underline);
    EXPECT_EQ(0x80, defs_.Style(editor::kNumber).ForeColor);  // parsing stops at the first non-hex
    // Missing sections keep the initial record.
    EXPECT_EQ(kAutoColor, defs_.Style(editor::kDefault).ForeColor);
    EXPECT_FALSE(defs_.Style(editor::kPreprocessor).Bold);
}

TEST_F(LanguageDefinitionsTest, FailsWithoutSections) {
    EXPECT_FALSE(defs_.Load(L"edtest_no_such_languages", L"edtest_no_such_tagclass"));
    LanguageDefinitions emptyStyles;
    WriteIni(L"edtest_ld_empty", "; nothing here\n");
    WriteIni(L"edtest_ld_languages", "[vbs]\nExtensions=vbs\n");
    EXPECT_FALSE(emptyStyles.Load(L"edtest_ld_languages", L"edtest_ld_empty"));
    // The language file is not read when the style file fails.
    EXPECT_TRUE(emptyStyles.Languages().empty());
    LanguageDefinitions noLanguages;
    WriteIni(L"edtest_ld_tagclass", "[keyword]\nBold=1\n");
    EXPECT_FALSE(noLanguages.Load(L"edtest_ld_empty", L"edtest_ld_tagclass"));
}

TEST_F(LanguageDefinitionsTest, VbsKeywordCaseFollowsCaseSensitive) {
    ASSERT_TRUE(Load("[vbs]\nExtensions=vbs\nCaseSensitive=0\n[VB]\nExtensions=bas\n", "[keyword]\nBold=1\n"));
    const auto& insensitive = defs_.Lookup(L"vbs");
    EXPECT_FALSE(insensitive.CaseSensitive);
    EXPECT_EQ(5, FirstGroup(insensitive.MainExpression, L"Dim x"));
    EXPECT_EQ(5, FirstGroup(insensitive.MainExpression, L"DIM x"));
    const auto& sensitive = defs_.Lookup(L"VB");  // CaseSensitive defaults to 1
    EXPECT_TRUE(sensitive.CaseSensitive);
    EXPECT_EQ(0, FirstGroup(sensitive.MainExpression, L"Dim x"));
    EXPECT_EQ(5, FirstGroup(sensitive.MainExpression, L"dim x"));
}

TEST_F(LanguageDefinitionsTest, ExtensionSearchLowerCasesAndTakesFirstNameInCodeUnitOrder) {
    ASSERT_TRUE(Load("[vbs]\nExtensions=vbs;vbe\n[VBX]\nExtensions=vbs\n[cpp]\nExtensions=cpp;h\n[js]\nExtensions=json\n",
                     "[default]\nForeColor=0\n"));
    EXPECT_EQ(L"VBX", defs_.LanguageForExtension(L"vbs"));  // upper case sorts first
    EXPECT_EQ(L"VBX", defs_.LanguageForExtension(L"VBS"));
    EXPECT_EQ(L"vbs", defs_.LanguageForExtension(L"vbe"));
    EXPECT_EQ(L"cpp", defs_.LanguageForExtension(L"c"));  // substring of "cpp"
    EXPECT_EQ(L"js", defs_.LanguageForExtension(L"js"));  // substring of "json"
    EXPECT_EQ(L"", defs_.LanguageForExtension(L"txt"));
    EXPECT_EQ(L"CPP", defs_.LanguageForExtension(L""));
}

TEST_F(LanguageDefinitionsTest, BuiltInSetsOnlyForKnownNames) {
    ASSERT_TRUE(Load("[CPP]\nExtensions=cpp\n[plain]\nExtensions=txt\n[pas]\nExtensions=pas\n[vbs]\n",
                     "[default]\nForeColor=0\n"));
    const auto& cpp = defs_.Lookup(L"CPP");
    EXPECT_FALSE(cpp.MainExpression.empty());
    EXPECT_FALSE(cpp.BlockCommentExpression.empty());
    const auto& plain = defs_.Lookup(L"plain");
    EXPECT_TRUE(plain.MainExpression.empty());
    EXPECT_TRUE(plain.BlockCommentExpression.empty());
    EXPECT_TRUE(defs_.Lookup(L"vbs").BlockCommentExpression.empty());
    EXPECT_EQ(L"", defs_.Lookup(L"vbs").Extensions);
    // The lookup is exact: another spelling is a new, empty entry.
    EXPECT_TRUE(defs_.Lookup(L"Cpp").MainExpression.empty());
    EXPECT_EQ(1u, defs_.Languages().count(L"Cpp"));
}

TEST_F(LanguageDefinitionsTest, MainExpressionsSortTokensIntoClasses) {
    ASSERT_TRUE(Load("[vbs]\nCaseSensitive=0\n[cpp]\n[js]\n[pas]\n", "[default]\nForeColor=0\n"));
    const auto& vbs = defs_.Lookup(L"vbs").MainExpression;
    std::wstring m;
    EXPECT_EQ(1, FirstGroup(vbs, L"  #include \"x.vbs\"", &m));
    EXPECT_EQ(2, FirstGroup(vbs, L"' a comment", &m));
    EXPECT_EQ(L"' a comment", m);
    EXPECT_EQ(2, FirstGroup(vbs, L"Rem old", &m));
    EXPECT_EQ(3, FirstGroup(vbs, L"x &H1F", &m));
    EXPECT_EQ(L"&H1F", m);
    EXPECT_EQ(4, FirstGroup(vbs, L"s = \"text\"", &m));
    EXPECT_EQ(L"\"text\"", m);
    const auto& cpp = defs_.Lookup(L"cpp").MainExpression;
    EXPECT_EQ(1, FirstGroup(cpp, L"# pragma once", &m));
    EXPECT_EQ(2, FirstGroup(cpp, L"/* a\nb */", &m));
    EXPECT_EQ(L"/* a\nb */", m);
    EXPECT_EQ(5, FirstGroup(cpp, L"while", &m));
    EXPECT_EQ(0, FirstGroup(cpp, L"whilst", &m));
    EXPECT_EQ(3, FirstGroup(defs_.Lookup(L"js").MainExpression, L"0x1F", &m));
    // Pascal's empty first group matches everywhere with nothing; the search goes on past it.
    std::vector<int> groups;
    const std::wstring pas = L"x // c";
    boost::regex_grep(
        [&](const boost::wsmatch& match) {
            for (int g = 1; g <= 5; ++g)
                if (match[g].matched) {
                    if (match.length(g) > 0) groups.push_back(g);
                    break;
                }
            return true;
        },
        pas, defs_.Lookup(L"pas").MainExpression);
    EXPECT_EQ(std::vector<int>{2}, groups);
    boost::wsmatch block;
    const std::wstring text = L"x/* open";
    ASSERT_TRUE(boost::regex_search(text, block, defs_.Lookup(L"cpp").BlockCommentExpression));
    EXPECT_EQ(L"x/* open", block.str());  // takes in the character before and runs to the end
}

TEST_F(LanguageDefinitionsTest, ShippedFilesLoadAndNameEveryLanguage) {
    const std::string folder = common::WideToAnsi(TEVRIN_SOURCE_DIR) + "\\resources\\";
    ASSERT_TRUE(defs_.LoadFiles(folder + "languages.ini", folder + "tagclass.ini"));
    EXPECT_EQ(L"vbs", common::ToLower(defs_.LanguageForExtension(L"vbs")));
    EXPECT_EQ(L"js", common::ToLower(defs_.LanguageForExtension(L"js")));
    EXPECT_EQ(L"cpp", common::ToLower(defs_.LanguageForExtension(L"cpp")));
    EXPECT_EQ(L"vb", common::ToLower(defs_.LanguageForExtension(L"bas")));
    EXPECT_EQ(L"pas", common::ToLower(defs_.LanguageForExtension(L"pas")));
    EXPECT_EQ(L"CPP", defs_.LanguageForExtension(L""));
    EXPECT_FALSE(defs_.Lookup(L"CPP").MainExpression.empty());
    for (const auto& [name, language] : defs_.Languages()) EXPECT_FALSE(language.MainExpression.empty()) << name.c_str();
    for (int i = 0; i < editor::kStyleClassCount; ++i) EXPECT_NE(kAutoColor, defs_.Style(i).ForeColor) << i;
}

} // namespace
