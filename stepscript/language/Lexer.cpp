#include "stepscript/language/Lexer.h"
#include <oleauto.h>
#include <cwctype>
#include <cmath>

namespace stepscript {
namespace {

bool IsIdentStart(wchar_t c) { return std::iswalpha(c) || c == L'_'; }
bool IsIdentChar(wchar_t c) { return std::iswalnum(c) || c == L'_'; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0xA0; }
bool IsLineBreak(wchar_t c) { return c == L'\n' || c == L'\r'; }

std::wstring Lower(const std::wstring& s) {
    std::wstring r(s);
    for (auto& c : r) c = static_cast<wchar_t>(std::towlower(c));
    return r;
}

} // namespace

namespace {

// ".5" is a number where an operand may start: first, after an operator or a keyword
// that takes an operand; after a name or ")" the dot reaches a member.
bool StartsAnOperand(const Token& previous) {
    if (previous.kind == TokenKind::Operator) return previous.text != L")";
    if (previous.kind != TokenKind::Identifier) return true;
    static const wchar_t* const kKeywords[] = {L"and", L"or", L"not", L"xor", L"eqv", L"imp", L"mod", L"is",
                                               L"to", L"step", L"then", L"else", L"elseif", L"case", L"in",
                                               L"while", L"until", L"if"};
    for (const wchar_t* k : kKeywords)
        if (previous.lower == k) return true;
    return false;
}

} // namespace

Lexer::Lexer(const std::wstring& text) : text_(text) {}

std::vector<size_t> Lexer::LineStarts(const std::wstring& text) {
    std::vector<size_t> starts{0};
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        if (text[i] == L'\n' || text[i] == L'\r') starts.push_back(i + 1);
    }
    return starts;
}

void Lexer::fail(int number, const std::wstring& description, size_t offset) {
    throw SyntaxError{ScriptHr(number), description, offset, line_, static_cast<LONG>(offset - lineStart_)};
}

bool Lexer::atLineStart() const {
    for (size_t i = lineStart_; i < pos_; ++i)
        if (!IsBlank(text_[i])) return false;
    return true;
}

void Lexer::skipLine() {
    while (pos_ < text_.size() && !IsLineBreak(text_[pos_])) ++pos_;
}

void Lexer::newLine() {
    if (text_[pos_] == L'\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == L'\n') ++pos_;
    ++pos_;
    ++line_;
    lineStart_ = pos_;
}

void Lexer::lexNumber(Token& t) {
    size_t start = pos_;
    if (text_[pos_] == L'&') {  // &H1F hexadecimal
        pos_ += 2;
        size_t digits = pos_;
        unsigned long long v = 0;
        while (pos_ < text_.size() && std::iswxdigit(text_[pos_])) {
            v = v * 16 + (std::iswdigit(text_[pos_]) ? text_[pos_] - L'0' : (std::towlower(text_[pos_]) - L'a' + 10));
            if (v > 0xFFFFFFFFull) fail(errors::kSyntax, L"Hexadecimal number too large", start);
            ++pos_;
        }
        if (pos_ == digits) fail(errors::kSyntax, L"Invalid hexadecimal number", start);
        bool isLong = pos_ < text_.size() && text_[pos_] == L'&';
        if (isLong) ++pos_;
        t.kind = TokenKind::Integer;
        // Up to four digits make an Integer: &HFFFF is -1.
        if (!isLong && v <= 0xFFFF) t.number = static_cast<SHORT>(static_cast<USHORT>(v));
        else t.number = static_cast<double>(static_cast<LONG>(static_cast<unsigned long>(v)));
        return;
    }
    bool isDouble = false;
    while (pos_ < text_.size() && std::iswdigit(text_[pos_])) ++pos_;
    if (pos_ < text_.size() && text_[pos_] == L'.') {
        isDouble = true;
        ++pos_;
        while (pos_ < text_.size() && std::iswdigit(text_[pos_])) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == L'e' || text_[pos_] == L'E')) {
        size_t save = pos_++;
        if (pos_ < text_.size() && (text_[pos_] == L'+' || text_[pos_] == L'-')) ++pos_;
        if (pos_ < text_.size() && std::iswdigit(text_[pos_])) {
            isDouble = true;
            while (pos_ < text_.size() && std::iswdigit(text_[pos_])) ++pos_;
        } else {
            pos_ = save;
        }
    }
    std::wstring digits = text_.substr(start, pos_ - start);
    double v = std::wcstod(digits.c_str(), nullptr);
    if (!std::isfinite(v)) fail(errors::kOverflow, L"Overflow: number too large", start);
    t.number = v;
    t.kind = (!isDouble && v <= 2147483647.0) ? TokenKind::Integer : TokenKind::Double;
    if (pos_ < text_.size() && IsIdentChar(text_[pos_])) fail(errors::kExpectedEndOfStatement, L"Invalid number", start);
}

// #1/31/2024#, #2024-01-31 10:00#, #10:30 PM#: read in the US form whatever the locale.
void Lexer::lexDate(Token& t) {
    size_t start = pos_++;
    size_t close = pos_;
    while (close < text_.size() && text_[close] != L'#' && !IsLineBreak(text_[close])) ++close;
    if (close >= text_.size() || text_[close] != L'#') fail(errors::kSyntax, L"Syntax error: unterminated date literal", start);
    std::wstring inner = text_.substr(pos_, close - pos_);
    DATE date = 0;
    if (FAILED(::VarDateFromStr(const_cast<OLECHAR*>(inner.c_str()), MAKELCID(0x0409, SORT_DEFAULT), 0, &date)))
        fail(errors::kSyntax, L"Syntax error: invalid date literal", start);
    pos_ = close + 1;
    t.kind = TokenKind::Date;
    t.number = date;
}

void Lexer::lexOctal(Token& t) {
    size_t start = pos_;
    pos_ += 2;
    unsigned long long v = 0;
    while (pos_ < text_.size() && text_[pos_] >= L'0' && text_[pos_] <= L'7') {
        v = v * 8 + (text_[pos_] - L'0');
        if (v > 0xFFFFFFFFull) fail(errors::kSyntax, L"Octal number too large", start);
        ++pos_;
    }
    bool isLong = pos_ < text_.size() && text_[pos_] == L'&';
    if (isLong) ++pos_;
    t.kind = TokenKind::Integer;
    // Like &H: what fits sixteen bits is an Integer.
    if (!isLong && v <= 0xFFFF) t.number = static_cast<SHORT>(static_cast<USHORT>(v));
    else t.number = static_cast<double>(static_cast<LONG>(static_cast<unsigned long>(v)));
}

void Lexer::lexString(Token& t) {
    size_t start = pos_++;
    std::wstring value;
    for (;;) {
        if (pos_ >= text_.size() || IsLineBreak(text_[pos_]))
            fail(errors::kUnterminatedString, L"Unterminated string constant", start);
        wchar_t c = text_[pos_++];
        if (c == L'"') {
            if (pos_ < text_.size() && text_[pos_] == L'"') {
                value += L'"';
                ++pos_;
                continue;
            }
            break;
        }
        value += c;
    }
    t.kind = TokenKind::String;
    t.text = std::move(value);
}

std::vector<Token> Lexer::tokenize() {
    std::vector<Token> tokens;
    auto endStatement = [&](size_t offset, bool newline) {
        // Runs of separators collapse into one.
        if (!tokens.empty() && tokens.back().kind != TokenKind::EndOfStatement) {
            Token t;
            t.kind = TokenKind::EndOfStatement;
            t.offset = offset;
            t.line = line_;
            t.newline = newline;
            tokens.push_back(t);
        } else if (!tokens.empty() && newline) {
            tokens.back().newline = true;
        }
    };
    while (pos_ < text_.size()) {
        wchar_t c = text_[pos_];
        if (IsBlank(c)) { ++pos_; continue; }
        if (IsLineBreak(c)) {
            endStatement(pos_, true);
            newLine();
            continue;
        }
        if (c == L'\'') { skipLine(); continue; }
        if (c == L'#' && atLineStart()) { skipLine(); continue; }
        if (c == L':') { endStatement(pos_, false); ++pos_; continue; }
        if (c == L'_' && (pos_ + 1 >= text_.size() || IsBlank(text_[pos_ + 1]) || IsLineBreak(text_[pos_ + 1]))) {
            // Line continuation: only blanks may follow before the line break.
            size_t p = pos_ + 1;
            while (p < text_.size() && IsBlank(text_[p])) ++p;
            if (p < text_.size() && IsLineBreak(text_[p])) {
                pos_ = p;
                newLine();
                continue;
            }
        }
        Token t;
        t.offset = pos_;
        t.line = line_;
        if (IsIdentStart(c)) {
            size_t start = pos_;
            while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
            t.kind = TokenKind::Identifier;
            t.text = text_.substr(start, pos_ - start);
            t.lower = Lower(t.text);
            if (t.lower == L"rem") { skipLine(); continue; }
        } else if (std::iswdigit(c) || (c == L'.' && pos_ + 1 < text_.size() && std::iswdigit(text_[pos_ + 1]) &&
                                        (tokens.empty() || StartsAnOperand(tokens.back())))) {
            lexNumber(t);
        } else if (c == L'&' && pos_ + 1 < text_.size() && (text_[pos_ + 1] == L'o' || text_[pos_ + 1] == L'O') &&
                   pos_ + 2 < text_.size() && text_[pos_ + 2] >= L'0' && text_[pos_ + 2] <= L'7') {
            lexOctal(t);
        } else if (c == L'&' && pos_ + 1 < text_.size() && (text_[pos_ + 1] == L'h' || text_[pos_ + 1] == L'H') &&
                   pos_ + 2 < text_.size() && std::iswxdigit(text_[pos_ + 2])) {
            lexNumber(t);
        } else if (c == L'"') {
            lexString(t);
        } else if (c == L'#') {
            lexDate(t);
        } else if (c == L'[') {
            // [any name]: an identifier that may hold blanks or reserved words.
            size_t close = text_.find(L']', pos_);
            size_t eol = pos_;
            while (eol < text_.size() && !IsLineBreak(text_[eol])) ++eol;
            if (close == std::wstring::npos || close > eol) fail(errors::kExpected, L"Expected ']'", pos_);
            t.kind = TokenKind::Identifier;
            t.text = text_.substr(pos_ + 1, close - pos_ - 1);
            t.lower = Lower(t.text);
            pos_ = close + 1;
        } else {
            static const wchar_t* const kTwo[] = {L"<>", L"<=", L">=", L"=<", L"=>", L"><"};
            t.kind = TokenKind::Operator;
            for (const wchar_t* op : kTwo) {
                if (text_.compare(pos_, 2, op) == 0) {
                    t.text = op;
                    if (t.text == L"=<") t.text = L"<=";
                    if (t.text == L"=>") t.text = L">=";
                    if (t.text == L"><") t.text = L"<>";
                    pos_ += 2;
                    break;
                }
            }
            if (t.text.empty()) {
                if (std::wstring(L"&+-*/\\^=<>(),.").find(c) == std::wstring::npos) {
                    wchar_t shown[2] = {c, 0};
                    fail(errors::kInvalidCharacter, std::wstring(L"Invalid character '") + shown + L"'", pos_);
                }
                t.text.assign(1, c);
                ++pos_;
            }
        }
        t.length = pos_ - t.offset;
        if (t.kind == TokenKind::Integer || t.kind == TokenKind::Double) t.text = text_.substr(t.offset, t.length);
        tokens.push_back(std::move(t));
    }
    endStatement(pos_, true);
    Token end;
    end.kind = TokenKind::EndOfText;
    end.offset = pos_;
    end.line = line_;
    tokens.push_back(end);
    return tokens;
}

} // namespace stepscript
