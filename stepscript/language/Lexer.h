#pragma once
#include "stepscript/language/SyntaxError.h"
#include <string>
#include <vector>

namespace stepscript {

enum class TokenKind { Identifier, Integer, Double, String, Date, Operator, EndOfStatement, EndOfText };

struct Token {
    TokenKind kind;
    std::wstring text;   // identifier as written, unescaped string, operator spelling
    std::wstring lower;  // identifiers only: lower-cased, for keyword and name matching
    double number = 0;   // Integer, Double, and Date (an OLE date)
    size_t offset = 0;   // in the block text
    size_t length = 0;
    ULONG line = 0;      // 0-based inside the block
    bool newline = false; // EndOfStatement: a line break rather than ':'
};

// Splits one block of script text into tokens. Comments (', Rem, lines starting with
// '#') vanish; line breaks and ':' become EndOfStatement tokens; " _" at the end of a
// line continues the statement. Throws SyntaxError for text no token can start with.
class Lexer {
public:
    explicit Lexer(const std::wstring& text);
    std::vector<Token> tokenize();

    // Where each line of the text starts (offsets), for positions and line texts.
    static std::vector<size_t> LineStarts(const std::wstring& text);

private:
    [[noreturn]] void fail(int number, const std::wstring& description, size_t offset);
    void skipLine();
    bool atLineStart() const;
    void lexNumber(Token& t);
    void lexString(Token& t);
    void lexDate(Token& t);
    void lexOctal(Token& t);
    void newLine();

    const std::wstring& text_;
    size_t pos_ = 0;
    ULONG line_ = 0;
    size_t lineStart_ = 0;
};

} // namespace stepscript
