#include "stepscript/language/Lexer.h"
#include <gtest/gtest.h>

using namespace stepscript;

namespace {

std::vector<Token> Lex(const std::wstring& text) { return Lexer(text).tokenize(); }

SyntaxError LexError(const std::wstring& text) {
    try {
        Lex(text);
    } catch (const SyntaxError& e) {
        return e;
    }
    ADD_FAILURE() << "no error";
    return {};
}

} // namespace

TEST(Lexer, TokensCarryKindTextAndPosition) {
    auto t = Lex(L"x = \"a\"\"b\" & 12 + 1.5\n  Foo.Bar(3)");
    ASSERT_GE(t.size(), 15u);
    EXPECT_EQ(t[0].kind, TokenKind::Identifier);
    EXPECT_EQ(t[0].lower, L"x");
    EXPECT_EQ(t[2].kind, TokenKind::String);
    EXPECT_EQ(t[2].text, L"a\"b");  // "" is one quote
    EXPECT_EQ(t[2].offset, 4u);
    EXPECT_EQ(t[2].length, 6u);
    EXPECT_EQ(t[4].kind, TokenKind::Integer);
    EXPECT_EQ(t[4].number, 12);
    EXPECT_EQ(t[6].kind, TokenKind::Double);
    EXPECT_EQ(t[6].number, 1.5);
    EXPECT_EQ(t[7].kind, TokenKind::EndOfStatement);
    EXPECT_TRUE(t[7].newline);
    EXPECT_EQ(t[8].text, L"Foo");
    EXPECT_EQ(t[8].line, 1u);
    EXPECT_EQ(t[8].offset, 24u);
    EXPECT_EQ(t[9].text, L".");
    EXPECT_EQ(t.back().kind, TokenKind::EndOfText);
}

TEST(Lexer, CommentsAndDirectivesVanish) {
    auto t = Lex(L"#language StepScript\n' a comment\nRem another\nx = 1 ' trailing\n  # include \"a.vbs\"\nREM x");
    std::vector<std::wstring> words;
    for (const auto& tok : t)
        if (tok.kind != TokenKind::EndOfStatement && tok.kind != TokenKind::EndOfText) words.push_back(tok.text);
    EXPECT_EQ(words, (std::vector<std::wstring>{L"x", L"=", L"1"}));
    // The statement still sits on its own line.
    EXPECT_EQ(t[0].line, 3u);
}

TEST(Lexer, ColonsAndBlankLinesMakeOneSeparator) {
    auto t = Lex(L"a : b\n\n\n: c");
    std::vector<TokenKind> kinds;
    for (const auto& tok : t) kinds.push_back(tok.kind);
    EXPECT_EQ(kinds, (std::vector<TokenKind>{TokenKind::Identifier, TokenKind::EndOfStatement, TokenKind::Identifier,
                                             TokenKind::EndOfStatement, TokenKind::Identifier,
                                             TokenKind::EndOfStatement, TokenKind::EndOfText}));
}

TEST(Lexer, LineContinuationJoinsLines) {
    auto t = Lex(L"x = 1 + _\r\n    2");
    EXPECT_EQ(t[4].kind, TokenKind::Integer);
    EXPECT_EQ(t[4].line, 1u);
    EXPECT_EQ(t[5].kind, TokenKind::EndOfStatement);
}

TEST(Lexer, NumbersInOtherForms) {
    auto t = Lex(L"&HFF .5 1e3 3000000000 <= <> =>");
    EXPECT_EQ(t[0].number, 255);
    EXPECT_EQ(t[1].number, 0.5);
    EXPECT_EQ(t[2].number, 1000);
    EXPECT_EQ(t[3].kind, TokenKind::Double);  // too large for a Long
    EXPECT_EQ(t[4].text, L"<=");
    EXPECT_EQ(t[5].text, L"<>");
    EXPECT_EQ(t[6].text, L">=");
}

TEST(Lexer, UnterminatedStringIsReportedWhereItStarts) {
    SyntaxError e = LexError(L"x = 1\n  y = \"abc\nz = 2");
    EXPECT_EQ(e.description, L"Unterminated string constant");
    EXPECT_EQ(e.line, 1u);
    EXPECT_EQ(e.column, 6);
    EXPECT_EQ(e.offset, 12u);
}

TEST(Lexer, UnknownCharacterIsReported) {
    SyntaxError e = LexError(L"x = 1 $ 2");
    EXPECT_EQ(e.description, L"Invalid character '$'");
    EXPECT_EQ(e.column, 6);
}

TEST(Lexer, LineStartsCoverEveryLineBreakStyle) {
    EXPECT_EQ(Lexer::LineStarts(L"a\r\nb\nc\rd"), (std::vector<size_t>{0, 3, 5, 7}));
}
