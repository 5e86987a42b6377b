#include "wrappers/core/MatchText.h"
#include <gtest/gtest.h>

using wrappers::matchText;

TEST(MatchText, PlainPatternIsExactAndCaseSensitive) {
    EXPECT_TRUE(matchText(L"Name", L"Name"));
    EXPECT_FALSE(matchText(L"Name", L"name"));
    EXPECT_FALSE(matchText(L"Names", L"Name"));
    // Regular-expression characters are literal without the leading backslash.
    EXPECT_TRUE(matchText(L"a.b", L"a.b"));
    EXPECT_FALSE(matchText(L"axb", L"a.b"));
    EXPECT_TRUE(matchText(L"", L""));
}

TEST(MatchText, BackslashPatternMustMatchTheWholeText) {
    EXPECT_TRUE(matchText(L"Name", L"\\Na.*e"));
    EXPECT_FALSE(matchText(L"Names", L"\\Na.*e"));
    EXPECT_FALSE(matchText(L"name", L"\\Na.*e"));
    EXPECT_FALSE(matchText(L"My Name", L"\\Na.*e"));
    EXPECT_TRUE(matchText(L"Untitled - Notepad", L"\\.* - Notepad"));
    // A lone backslash is the empty expression: only the empty text matches.
    EXPECT_TRUE(matchText(L"", L"\\"));
    EXPECT_FALSE(matchText(L"x", L"\\"));
}

TEST(MatchText, AbsentSideNeverMatches) {
    EXPECT_FALSE(matchText(std::nullopt, L"Name"));
    EXPECT_FALSE(matchText(L"Name", std::nullopt));
    EXPECT_FALSE(matchText(std::nullopt, std::nullopt));
}

TEST(MatchText, InvalidExpressionThrows) {
    EXPECT_ANY_THROW(matchText(L"text", L"\\(unclosed"));
    EXPECT_ANY_THROW(matchText(L"text", L"\\[a-"));
}
