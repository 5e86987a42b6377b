#include "stepscript/language/Parser.h"
#include "stepscript/runtime/ScriptError.h"
#include <algorithm>
#include <functional>

namespace stepscript {
namespace {

// Deep nesting is refused before it can exhaust the stack.
constexpr int kMaxDepth = 200;

// Words that can never name a variable or procedure.
const wchar_t* const kReserved[] = {
    L"and", L"or", L"not", L"xor", L"eqv", L"imp", L"mod", L"is", L"if", L"then", L"else", L"elseif",
    L"end", L"for", L"to", L"next", L"do", L"loop", L"while", L"until", L"wend", L"exit",
    L"sub", L"function", L"dim", L"set", L"call", L"true", L"false", L"nothing", L"empty", L"null",
    L"byval", L"byref", L"on", L"option", L"rem", L"each", L"in", L"const", L"select", L"case", L"class",
    L"with", L"redim", L"preserve", L"public", L"private", L"erase", L"new", L"me", L"stop",
};

bool InList(const std::wstring& word, const wchar_t* const* begin, const wchar_t* const* end) {
    return std::any_of(begin, end, [&](const wchar_t* w) { return word == w; });
}

std::unique_ptr<Expr> MakeExpr(ExprKind kind, size_t offset) {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->offset = offset;
    return e;
}

struct DepthGuard {
    DepthGuard(int& depth, const std::function<void()>& onTooDeep) : depth_(depth) {
        if (++depth_ > kMaxDepth) onTooDeep();
    }
    ~DepthGuard() { --depth_; }
    int& depth_;
};

} // namespace

std::wstring Block::lineText(ULONG blockLine) const {
    if (blockLine >= lineStarts.size()) return std::wstring();
    size_t start = lineStarts[blockLine];
    size_t end = start;
    while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
    return text.substr(start, end - start);
}

Parser::Parser(Block& block) : block_(block), scope_(&global_) {
    global_.dims = &block_.globals;
    global_.constants = &block_.constants;
    block_.lineStarts = Lexer::LineStarts(block_.text);
    tokens_ = Lexer(block_.text).tokenize();
}

const Token& Parser::peek(size_t ahead) const {
    size_t i = std::min(pos_ + ahead, tokens_.size() - 1);
    return tokens_[i];
}

const Token& Parser::next() {
    const Token& t = tokens_[pos_];
    if (t.kind != TokenKind::EndOfText) ++pos_;
    if (t.kind != TokenKind::EndOfStatement && t.kind != TokenKind::EndOfText) lastEnd_ = t.offset + t.length;
    return t;
}

bool Parser::isWord(const Token& t, const wchar_t* lower) const {
    return t.kind == TokenKind::Identifier && t.lower == lower;
}

bool Parser::isOp(const Token& t, const wchar_t* op) const {
    return t.kind == TokenKind::Operator && t.text == op;
}

bool Parser::atEndOfStatement() const {
    const Token& t = peek();
    return t.kind == TokenKind::EndOfStatement || t.kind == TokenKind::EndOfText;
}

void Parser::fail(int number, const std::wstring& description, const Token& at) const {
    size_t lineStart = at.line < block_.lineStarts.size() ? block_.lineStarts[at.line] : 0;
    throw SyntaxError{ScriptHr(number), description, at.offset, at.line, static_cast<LONG>(at.offset - lineStart)};
}

void Parser::expectWord(const wchar_t* lower, const wchar_t* shown) {
    if (!isWord(peek(), lower)) fail(errors::kExpected, std::wstring(L"Expected '") + shown + L"'");
    next();
}

void Parser::expectOp(const wchar_t* op) {
    if (!isOp(peek(), op)) fail(errors::kExpected, std::wstring(L"Expected '") + op + L"'");
    next();
}

std::wstring Parser::expectIdentifier() {
    const Token& t = peek();
    if (t.kind != TokenKind::Identifier || InList(t.lower, std::begin(kReserved), std::end(kReserved)))
        fail(errors::kExpectedIdentifier, L"Expected identifier");
    return next().text;
}

// Else and End close a statement without a colon: "If c Then a = 1 Else a = 2 End If",
// "Sub Tick() n = n + 1 End Sub". Neither can go on an expression.
bool Parser::atStatementEnd() const {
    return atEndOfStatement() || isWord(peek(), L"else") || isWord(peek(), L"end");
}

void Parser::expectEndOfStatement() {
    if (!atStatementEnd()) fail(errors::kExpectedEndOfStatement, L"Expected end of statement");
}

int Parser::addPoint(size_t start, size_t end, const Token& first) {
    block_.points.emplace_back(start, end - start, block_.startLine + first.line, first.line);
    return static_cast<int>(block_.points.size() - 1);
}

bool Parser::isPropertyKind(const Token& t) const {
    return isWord(t, L"get") || isWord(t, L"let") || isWord(t, L"set");
}

// Property, Default, Step and the like are keywords only where their statement needs
// them: "Public Default" or "Public Property" followed by the end of the declaration,
// a comma or an array's bounds declares a member of that name.
bool Parser::namesAMember(size_t ahead) const {
    const Token& t = peek(ahead);
    return t.kind == TokenKind::EndOfStatement || t.kind == TokenKind::EndOfText || isOp(t, L",") || isOp(t, L"(") ||
           isWord(t, L"end");
}

void Parser::skipSeparators() {
    while (peek().kind == TokenKind::EndOfStatement) next();
}

void Parser::parseProgram() {
    for (;;) {
        skipSeparators();
        if (peek().kind == TokenKind::EndOfText) break;
        parseStatement(block_.code, false);
    }
    block_.globalsLower = global_.lowerDims;
}

void Parser::parseExpression() {
    skipSeparators();
    if (peek().kind == TokenKind::EndOfText) fail(errors::kExpectedExpression, L"Expected expression");
    block_.expression = parseExpr();
    skipSeparators();
    if (peek().kind != TokenKind::EndOfText) fail(errors::kExpectedEndOfStatement, L"Expected end of statement");
}

void Parser::parseStatements(StmtList& out, const std::vector<const wchar_t*>& terminators, const wchar_t* expected) {
    for (;;) {
        skipSeparators();
        const Token& t = peek();
        if (t.kind == TokenKind::EndOfText) fail(errors::kExpected, std::wstring(L"Expected '") + expected + L"'");
        if (t.kind == TokenKind::Identifier) {
            for (const wchar_t* term : terminators) {
                if (t.lower == term) return;
            }
        }
        parseStatement(out, false);
    }
}

void Parser::addDim(const std::wstring& name, const Token& at) {
    std::wstring lower = at.lower;
    if (std::find(scope_->lowerDims.begin(), scope_->lowerDims.end(), lower) != scope_->lowerDims.end()) {
        // A second Dim of the same name in one scope is harmless at global level in
        // VBScript only across blocks; inside one scope it is a redefinition.
        fail(errors::kNameRedefined, L"Name redefined: '" + name + L"'", at);
    }
    if (scope_->procedure) {
        for (const Parameter& p : scope_->procedure->params) {
            if (p.lower == lower) fail(errors::kNameRedefined, L"Name redefined: '" + name + L"'", at);
        }
    }
    scope_->lowerDims.push_back(lower);
    scope_->dims->push_back(name);
}

LONG Parser::parseConstantBound() {
    bool negative = false;
    if (isOp(peek(), L"-")) {
        next();
        negative = true;
    }
    if (peek().kind != TokenKind::Integer) fail(errors::kExpectedIntegerConstant, L"Expected integer constant");
    LONG n = static_cast<LONG>(next().number);
    return negative ? -n : n;
}

VarDecl Parser::parseDeclaredName(bool isPublic) {
    const Token& at = peek();
    VarDecl decl;
    decl.name = expectIdentifier();
    decl.lower = at.lower;
    decl.isPublic = isPublic;
    if (isOp(peek(), L"(")) {
        next();
        decl.isArray = true;
        if (!isOp(peek(), L")")) {
            for (;;) {
                decl.bounds.push_back(parseConstantBound());
                if (!isOp(peek(), L",")) break;
                next();
            }
        }
        expectOp(L")");
        if (decl.bounds.size() > 60) fail(errors::kTooComplex, L"Too many array dimensions", at);
    }
    if (scope_->cls) {
        for (const auto& f : scope_->cls->fields) {
            if (f.lower == decl.lower) fail(errors::kNameRedefined, L"Name redefined: '" + decl.name + L"'", at);
        }
    } else {
        addDim(decl.name, at);
    }
    return decl;
}

void Parser::parseDim(bool isPublic, StmtList* out) {
    const Token& first = tokens_[pos_ == 0 ? 0 : pos_ - 1];
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::Dim;
    for (;;) {
        VarDecl decl = parseDeclaredName(isPublic);
        if (scope_->cls) {
            scope_->cls->fields.push_back(std::move(decl));
        } else if (decl.isArray) {
            DimItem item;
            item.name = decl.name;
            item.lower = decl.lower;
            for (LONG bound : decl.bounds) {
                auto e = MakeExpr(ExprKind::Literal, first.offset);
                e->literal = Value::Long(bound);
                item.bounds.push_back(std::move(e));
            }
            stmt->dims.push_back(std::move(item));
        }
        if (!isOp(peek(), L",")) break;
        next();
    }
    if (out && !stmt->dims.empty()) {
        stmt->point = addPoint(first.offset, lastEnd_, first);
        out->push_back(std::move(stmt));
    }
    expectEndOfStatement();
}

void Parser::parseConst() {
    for (;;) {
        const Token& at = peek();
        ConstDecl c;
        c.name = expectIdentifier();
        c.lower = at.lower;
        expectOp(L"=");
        c.value = parseExpr();
        addDim(c.name, at);
        scope_->constants->push_back(std::move(c));
        if (!isOp(peek(), L",")) break;
        next();
    }
    expectEndOfStatement();
}

void Parser::parseEnd(const wchar_t* lower, const wchar_t* shown) {
    if (!isWord(peek(), L"end") || !isWord(peek(1), lower)) fail(errors::kExpected, std::wstring(L"Expected '") + shown + L"'");
    next();
    next();
}

std::unique_ptr<Stmt> Parser::parseNop() {
    const Token& first = next();
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::Nop;
    stmt->point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    return stmt;
}

std::unique_ptr<Stmt> Parser::parseReDim() {
    const Token& first = next();
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::ReDim;
    if (isWord(peek(), L"preserve")) {
        next();
        stmt->preserve = true;
    }
    for (;;) {
        const Token& at = peek();
        DimItem item;
        item.name = expectIdentifier();
        item.lower = at.lower;
        expectOp(L"(");
        for (;;) {
            item.bounds.push_back(parseExpr());
            if (!isOp(peek(), L",")) break;
            next();
        }
        expectOp(L")");
        // A name that nothing declares becomes a variable of the running scope when the
        // ReDim runs; a global or a member of the class is found first.
        stmt->dims.push_back(std::move(item));
        if (!isOp(peek(), L",")) break;
        next();
    }
    stmt->point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    return stmt;
}

std::unique_ptr<Stmt> Parser::parseErase() {
    const Token& first = next();
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::Erase;
    for (;;) {
        const Token& at = peek();
        DimItem item;
        item.name = expectIdentifier();
        item.lower = at.lower;
        stmt->dims.push_back(std::move(item));
        if (!isOp(peek(), L",")) break;
        next();
    }
    stmt->point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    return stmt;
}

std::unique_ptr<Stmt> Parser::parseSelect() {
    const Token& first = next();
    expectWord(L"case", L"Case");
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::Select;
    stmt->value = parseExpr();
    stmt->point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    skipSeparators();
    bool hadElse = false;
    while (isWord(peek(), L"case")) {
        const Token& caseToken = next();
        CaseClause clause;
        if (isWord(peek(), L"else")) {
            next();
            hadElse = true;
        } else {
            if (hadElse) fail(errors::kExpected, L"Expected 'End Select'", caseToken);
            for (;;) {
                clause.values.push_back(parseExpr());
                if (!isOp(peek(), L",")) break;
                next();
            }
        }
        clause.point = addPoint(caseToken.offset, lastEnd_, caseToken);
        parseStatements(clause.body, {L"case", L"end"}, L"End Select");
        stmt->cases.push_back(std::move(clause));
    }
    parseEnd(L"select", L"End Select");
    expectEndOfStatement();
    return stmt;
}

std::unique_ptr<Stmt> Parser::parseWith() {
    const Token& first = next();
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::With;
    stmt->value = parseExpr();
    stmt->point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    ++withDepth_;
    parseStatements(stmt->body, {L"end"}, L"End With");
    --withDepth_;
    parseEnd(L"with", L"End With");
    expectEndOfStatement();
    return stmt;
}

void Parser::parseClass() {
    next();
    const Token& nameToken = peek();
    auto cls = std::make_unique<ClassDef>();
    cls->name = expectIdentifier();
    cls->lower = nameToken.lower;
    cls->block = &block_;
    for (const auto& other : block_.classes) {
        if (other->lower == cls->lower) fail(errors::kNameRedefined, L"Name redefined: '" + cls->name + L"'", nameToken);
    }
    parseClassMembers(*cls);  // the members may start on the Class line
    parseEnd(L"class", L"End Class");
    expectEndOfStatement();
    block_.classes.push_back(std::move(cls));
}

void Parser::parseClassMembers(ClassDef& cls) {
    Scope scope;
    scope.cls = &cls;
    Scope* outer = scope_;
    scope_ = &scope;
    for (;;) {
        skipSeparators();
        const Token& t = peek();
        if (t.kind == TokenKind::EndOfText) fail(errors::kExpected, L"Expected 'End Class'");
        if (isWord(t, L"end") && isWord(peek(1), L"class")) break;
        bool isPublic = true, isDefault = false, hadAccess = false;
        if (isWord(t, L"public") || isWord(t, L"private")) {
            isPublic = isWord(next(), L"public");
            hadAccess = true;
            if (isWord(peek(), L"default") && !namesAMember(1)) {
                if (!isPublic) fail(errors::kDefaultNeedsPublic, L"'Default' specification must also specify 'Public'");
                next();
                isDefault = true;
            }
        }
        const Token& w = peek();
        if (isWord(w, L"sub")) {
            parseProcedure(ProcKind::Sub, isPublic, isDefault);
        } else if (isWord(w, L"function")) {
            parseProcedure(ProcKind::Function, isPublic, isDefault);
        } else if (isWord(w, L"property") && !(hadAccess && namesAMember(1))) {
            next();
            ProcKind kind;
            if (isWord(peek(), L"get")) kind = ProcKind::PropertyGet;
            else if (isWord(peek(), L"let")) kind = ProcKind::PropertyLet;
            else if (isWord(peek(), L"set")) kind = ProcKind::PropertySet;
            else fail(errors::kExpectedLetSetGet, L"Expected 'Let' or 'Set' or 'Get' in property declaration");
            if (isDefault && kind != ProcKind::PropertyGet)
                fail(errors::kDefaultOnLetSet, L"Cannot specify 'Default' on a Property Let or Set");
            parseProcedure(kind, isPublic, isDefault);
        } else if (isDefault) {
            fail(errors::kSyntax, L"Syntax error: 'Default' applies to a Sub, Function or Property Get");
        } else if (isWord(w, L"dim") || hadAccess) {
            if (isWord(w, L"dim")) next();
            parseDim(isPublic, nullptr);
        } else if (isWord(w, L"const")) {
            fail(errors::kSyntax, L"Syntax error: a Const cannot be declared in a Class");
        } else {
            fail(errors::kExpected, L"Expected 'End Class'");
        }
        if (isDefault) {
            int defaults = 0;
            for (const auto& m : cls.methods) defaults += m->isDefault ? 1 : 0;
            if (defaults > 1) fail(errors::kMultipleDefaults, L"Cannot have multiple default property/method in a Class", w);
        }
    }
    scope_ = outer;
}

void Parser::parseStatement(StmtList& out, bool singleLine) {
    DepthGuard guard(depth_, [&] { fail(errors::kTooComplex, L"Statements nested too deeply"); });
    const Token& t = peek();
    if (isOp(t, L".") && withDepth_ > 0) {
        out.push_back(parseSimple());
        return;
    }
    if (t.kind != TokenKind::Identifier) fail(errors::kSyntax, L"Syntax error: expected a statement");
    const std::wstring& w = t.lower;
    // Procedures and classes belong to the script wherever its global code declares them,
    // inside If or loop blocks too: they exist before any of it runs.
    auto declarationHere = [&] {
        if (singleLine || scope_ != &global_)
            fail(errors::kSyntax, L"Syntax error: '" + t.text + L"' cannot be declared here");
    };
    if (w == L"dim") {
        next();
        parseDim(true, &out);
        return;
    }
    if (w == L"const") {
        next();
        parseConst();
        return;
    }
    if (w == L"public" || w == L"private") {
        declarationHere();
        bool isPublic = isWord(next(), L"public");
        if (isWord(peek(), L"sub")) parseProcedure(ProcKind::Sub, isPublic, false);
        else if (isWord(peek(), L"function")) parseProcedure(ProcKind::Function, isPublic, false);
        else if (isWord(peek(), L"const")) { next(); parseConst(); }
        else if ((isWord(peek(), L"default") || isWord(peek(), L"property")) && !namesAMember(1))
            fail(errors::kMustBeInClass, L"Must be defined inside a Class");
        else parseDim(isPublic, &out);
        return;
    }
    if (w == L"option") {
        next();
        expectWord(L"explicit", L"Explicit");
        expectEndOfStatement();
        block_.optionExplicit = true;
        return;
    }
    if (w == L"sub" || w == L"function") {
        declarationHere();
        parseProcedure(w == L"function" ? ProcKind::Function : ProcKind::Sub, true, false);
        return;
    }
    if (w == L"class") {
        declarationHere();
        parseClass();
        return;
    }
    if (w == L"property" && isPropertyKind(peek(1))) fail(errors::kMustBeInClass, L"Must be defined inside a Class");
    if (w == L"if") { out.push_back(parseIf()); return; }
    if (!singleLine) {
        if (w == L"for") { out.push_back(parseFor()); return; }
        if (w == L"do") { out.push_back(parseDo()); return; }
        if (w == L"while") { out.push_back(parseWhile()); return; }
        if (w == L"select") { out.push_back(parseSelect()); return; }
        if (w == L"with") { out.push_back(parseWith()); return; }
    }
    if (w == L"exit") { out.push_back(parseExit()); return; }
    if (w == L"on") { out.push_back(parseOnError()); return; }
    if (w == L"redim") { out.push_back(parseReDim()); return; }
    if (w == L"erase") { out.push_back(parseErase()); return; }
    if (w == L"stop") { out.push_back(parseNop()); return; }
    if (w == L"next") fail(errors::kSyntax, L"'Next' without 'For'");
    if (w == L"loop") fail(errors::kSyntax, L"'Loop' without 'Do'");
    if (w == L"wend") fail(errors::kSyntax, L"'Wend' without 'While'");
    if (w == L"case") fail(errors::kSyntax, L"'Case' without 'Select Case'");
    if (w == L"else" || w == L"elseif") fail(errors::kSyntax, L"'" + t.text + L"' without 'If'");
    if (w == L"end") {
        std::wstring what = peek(1).kind == TokenKind::Identifier ? L" " + peek(1).text : L"";
        fail(errors::kSyntax, L"'End" + what + L"' without a matching block");
    }
    if (singleLine && (w == L"for" || w == L"do" || w == L"while" || w == L"select" || w == L"with"))
        fail(errors::kSyntax, L"'" + t.text + L"' must start its own line");
    if (w == L"goto") fail(errors::kSyntax, L"Syntax error: GoTo exists only as 'On Error GoTo 0'");
    if (InList(w, std::begin(kReserved), std::end(kReserved)) && w != L"set" && w != L"call" && w != L"me")
        fail(errors::kSyntax, L"Syntax error: unexpected '" + t.text + L"'");
    out.push_back(parseSimple());
}

std::unique_ptr<Stmt> Parser::parseSimple() {
    const Token& first = peek();
    size_t start = first.offset;
    auto stmt = std::make_unique<Stmt>();
    bool isSet = isWord(first, L"set");
    bool isCall = isWord(first, L"call");
    if (isSet || isCall) next();
    // Call may go through a parenthesised expression: Call (New Counter).Reset().
    if (peek().kind != TokenKind::Identifier && !(isOp(peek(), L".") && withDepth_ > 0) && !(isCall && isOp(peek(), L"(")))
        fail(errors::kExpectedIdentifier, L"Expected identifier");
    std::unique_ptr<Expr> target = parsePostfix(!isCall && !isSet);
    if (isCall) {
        if (target->kind != ExprKind::Call) {
            auto call = MakeExpr(ExprKind::Call, target->offset);
            call->left = std::move(target);
            target = std::move(call);
        }
        stmt->kind = StmtKind::Call;
    } else if (isOp(peek(), L"=")) {
        next();
        stmt->kind = isSet ? StmtKind::Set : StmtKind::Let;
        bool assignable = target->kind == ExprKind::Name || target->kind == ExprKind::Member ||
                          (target->kind == ExprKind::Call &&
                           (target->left->kind == ExprKind::Name || target->left->kind == ExprKind::Member ||
                            target->left->kind == ExprKind::Call));
        if (!assignable) fail(errors::kIllegalAssignment, L"Illegal assignment", first);
        stmt->value = parseExpr();
    } else {
        if (isSet) fail(errors::kExpected, L"Expected '='");
        stmt->kind = StmtKind::Call;
        if (target->kind == ExprKind::Name || target->kind == ExprKind::Member) {
            auto call = MakeExpr(ExprKind::Call, target->offset);
            call->left = std::move(target);
            if (!atStatementEnd()) parseArguments(call->args, false);
            target = std::move(call);
        } else if (target->kind != ExprKind::Call) {
            fail(errors::kSyntax, L"Syntax error: expected a statement", first);
        }
    }
    stmt->target = std::move(target);
    expectEndOfStatement();
    stmt->point = addPoint(start, lastEnd_, first);
    return stmt;
}

void Parser::parseSingleLineBody(StmtList& out) {
    for (;;) {
        parseStatement(out, true);
        const Token& t = peek();
        if (t.kind != TokenKind::EndOfStatement || t.newline) break;
        next();  // ':' joins another statement of the same line
        if (atStatementEnd()) return;
    }
    expectEndOfStatement();
}

std::unique_ptr<Stmt> Parser::parseIf() {
    const Token& first = next();
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::If;
    IfClause clause;
    clause.condition = parseExpr();
    expectWord(L"then", L"Then");
    clause.point = addPoint(first.offset, lastEnd_, first);
    stmt->point = clause.point;
    if (!atEndOfStatement()) {
        // One-line form: If c Then a : b Else c : d
        parseSingleLineBody(clause.body);
        stmt->clauses.push_back(std::move(clause));
        if (isWord(peek(), L"else")) {
            next();
            stmt->hasElse = true;
            if (!atStatementEnd()) parseSingleLineBody(stmt->elseBody);
        }
        // An End If on the same line closes the one-line form.
        if (isWord(peek(), L"end") && isWord(peek(1), L"if")) {
            next();
            next();
        }
        expectEndOfStatement();
        return stmt;
    }
    parseStatements(clause.body, {L"elseif", L"else", L"end"}, L"End If");
    stmt->clauses.push_back(std::move(clause));
    for (;;) {
        const Token& t = peek();
        if (isWord(t, L"elseif")) {
            next();
            IfClause c;
            c.condition = parseExpr();
            expectWord(L"then", L"Then");
            c.point = addPoint(t.offset, lastEnd_, t);
            parseStatements(c.body, {L"elseif", L"else", L"end"}, L"End If");
            stmt->clauses.push_back(std::move(c));
        } else if (isWord(t, L"else")) {
            if (stmt->hasElse) fail(errors::kExpected, L"Expected 'End If'");
            next();
            stmt->hasElse = true;
            parseStatements(stmt->elseBody, {L"elseif", L"else", L"end"}, L"End If");
        } else {
            if (!isWord(peek(1), L"if")) fail(errors::kExpected, L"Expected 'End If'");
            next();
            next();
            expectEndOfStatement();
            return stmt;
        }
    }
}

std::unique_ptr<Stmt> Parser::parseFor() {
    const Token& first = next();
    if (isWord(peek(), L"each")) return parseForEach(first);
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::For;
    const Token& varToken = peek();
    stmt->variable = expectIdentifier();
    stmt->variableLower = varToken.lower;
    expectOp(L"=");
    stmt->from = parseExpr();
    expectWord(L"to", L"To");
    stmt->to = parseExpr();
    if (isWord(peek(), L"step")) {
        next();
        stmt->step = parseExpr();
    }
    parseForBody(*stmt, first, L"For ");
    return stmt;
}

// The head's step point, the body and the Next (with its optional variable) of a For or
// For Each loop.
void Parser::parseForBody(Stmt& stmt, const Token& first, const std::wstring& head) {
    stmt.point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    ++scope_->forDepth;
    parseStatements(stmt.body, {L"next"}, L"Next");
    --scope_->forDepth;
    const Token& tail = next();
    if (peek().kind == TokenKind::Identifier) {
        if (peek().lower != stmt.variableLower)
            fail(errors::kSyntax, L"'Next " + peek().text + L"' does not match '" + head + stmt.variable + L"'");
        next();
    }
    stmt.tailPoint = addPoint(tail.offset, lastEnd_, tail);
    expectEndOfStatement();
}

std::unique_ptr<Stmt> Parser::parseForEach(const Token& first) {
    next();  // Each
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::ForEach;
    const Token& varToken = peek();
    stmt->variable = expectIdentifier();
    stmt->variableLower = varToken.lower;
    expectWord(L"in", L"In");
    stmt->from = parseExpr();
    parseForBody(*stmt, first, L"For Each ");
    return stmt;
}

std::unique_ptr<Stmt> Parser::parseDo() {
    const Token& first = next();
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::Do;
    if (isWord(peek(), L"while") || isWord(peek(), L"until")) {
        stmt->topTest = isWord(next(), L"while") ? LoopTest::While : LoopTest::Until;
        stmt->topCondition = parseExpr();
    }
    stmt->point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    ++scope_->doDepth;
    parseStatements(stmt->body, {L"loop"}, L"Loop");
    --scope_->doDepth;
    const Token& tail = next();
    if (isWord(peek(), L"while") || isWord(peek(), L"until")) {
        if (stmt->topTest != LoopTest::None) fail(errors::kExpectedEndOfStatement, L"Expected end of statement: a 'Do' loop tests at the top or the bottom, not both");
        stmt->bottomTest = isWord(next(), L"while") ? LoopTest::While : LoopTest::Until;
        stmt->bottomCondition = parseExpr();
    }
    stmt->tailPoint = addPoint(tail.offset, lastEnd_, tail);
    expectEndOfStatement();
    return stmt;
}

std::unique_ptr<Stmt> Parser::parseWhile() {
    const Token& first = next();
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::While;
    stmt->topTest = LoopTest::While;
    stmt->topCondition = parseExpr();
    stmt->point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    parseStatements(stmt->body, {L"wend"}, L"Wend");
    const Token& tail = next();
    stmt->tailPoint = addPoint(tail.offset, lastEnd_, tail);
    expectEndOfStatement();
    return stmt;
}

std::unique_ptr<Stmt> Parser::parseExit() {
    const Token& first = next();
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::Exit;
    const Token& what = peek();
    Procedure* proc = scope_->procedure;
    if (isWord(what, L"for") && scope_->forDepth > 0) {
        stmt->exitKind = ExitKind::For;
    } else if (isWord(what, L"do") && scope_->doDepth > 0) {
        stmt->exitKind = ExitKind::Do;
    } else if (isWord(what, L"sub") && proc && proc->kind == ProcKind::Sub) {
        stmt->exitKind = ExitKind::Sub;
    } else if (isWord(what, L"function") && proc && proc->kind == ProcKind::Function) {
        stmt->exitKind = ExitKind::Function;
    } else if (isWord(what, L"property") && proc && proc->kind != ProcKind::Sub && proc->kind != ProcKind::Function) {
        stmt->exitKind = ExitKind::Property;
    } else {
        fail(errors::kInvalidExit, L"Invalid 'Exit' statement", first);
    }
    next();
    stmt->point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    return stmt;
}

std::unique_ptr<Stmt> Parser::parseOnError() {
    const Token& first = next();
    auto stmt = std::make_unique<Stmt>();
    stmt->kind = StmtKind::OnError;
    expectWord(L"error", L"Error");
    if (isWord(peek(), L"resume")) {
        next();
        expectWord(L"next", L"Next");
        stmt->resumeNext = true;
    } else if (isWord(peek(), L"goto")) {
        next();
        if (peek().kind != TokenKind::Integer || peek().number != 0) fail(errors::kExpected, L"Expected '0'");
        next();
        stmt->resumeNext = false;
    } else {
        fail(errors::kExpected, L"Expected 'Resume Next' or 'GoTo 0'");
    }
    stmt->point = addPoint(first.offset, lastEnd_, first);
    expectEndOfStatement();
    return stmt;
}

void Parser::parseProcedure(ProcKind kind, bool isPublic, bool isDefault) {
    next();  // Sub, Function, or Get/Let/Set after Property
    auto proc = std::make_unique<Procedure>();
    proc->kind = kind;
    proc->isFunction = kind == ProcKind::Function || kind == ProcKind::PropertyGet;
    proc->isPublic = isPublic;
    proc->isDefault = isDefault;
    proc->block = &block_;
    proc->owner = scope_->cls;
    const Token& nameToken = peek();
    proc->name = expectIdentifier();
    proc->lower = nameToken.lower;
    if (ClassDef* cls = scope_->cls) {
        bool isProperty = kind != ProcKind::Sub && kind != ProcKind::Function;
        for (const auto& other : cls->methods) {
            bool otherProperty = other->kind != ProcKind::Sub && other->kind != ProcKind::Function;
            if (other->lower == proc->lower && (!isProperty || !otherProperty || other->kind == kind))
                fail(errors::kNameRedefined, L"Name redefined: '" + proc->name + L"'", nameToken);
        }
        for (const auto& f : cls->fields) {
            if (f.lower == proc->lower) fail(errors::kNameRedefined, L"Name redefined: '" + proc->name + L"'", nameToken);
        }
    }
    // A second global procedure of the same name replaces the first: the last one wins.
    if (isOp(peek(), L"(")) {
        next();
        if (!isOp(peek(), L")")) {
            for (;;) {
                Parameter p;
                if (isWord(peek(), L"byval")) { next(); p.byVal = true; }
                else if (isWord(peek(), L"byref")) { next(); }
                const Token& at = peek();
                p.name = expectIdentifier();
                p.lower = at.lower;
                // "a()" marks an array parameter; it changes nothing in how it is passed.
                if (isOp(peek(), L"(") && isOp(peek(1), L")")) { next(); next(); }
                for (const Parameter& q : proc->params) {
                    if (q.lower == p.lower) fail(errors::kNameRedefined, L"Name redefined: '" + p.name + L"'", at);
                }
                proc->params.push_back(std::move(p));
                if (!isOp(peek(), L",")) break;
                next();
            }
        }
        expectOp(L")");
    }
    if ((kind == ProcKind::PropertyLet || kind == ProcKind::PropertySet) && proc->params.empty())
        fail(errors::kPropertyNeedsArgument, L"Property Let or Set must have at least one argument", nameToken);
    if (proc->owner && (proc->lower == L"class_initialize" || proc->lower == L"class_terminate") &&
        !proc->params.empty())
        fail(errors::kInitializeArguments, L"Class initialize or terminate do not have arguments", nameToken);
    // The body may start on the header's line: Sub Tick() n = n + 1 End Sub.
    Scope scope;
    scope.dims = &proc->locals;
    scope.constants = &proc->constants;
    scope.procedure = proc.get();
    Scope* outer = scope_;
    scope_ = &scope;
    int savedWith = withDepth_;
    withDepth_ = 0;
    const wchar_t* endWord = kind == ProcKind::Sub ? L"sub" : kind == ProcKind::Function ? L"function" : L"property";
    const wchar_t* shown = kind == ProcKind::Sub ? L"End Sub" : kind == ProcKind::Function ? L"End Function" : L"End Property";
    parseStatements(proc->body, {L"end"}, shown);
    withDepth_ = savedWith;
    scope_ = outer;
    proc->localsLower = scope.lowerDims;
    parseEnd(endWord, shown);
    expectEndOfStatement();
    if (proc->owner) proc->owner->methods.push_back(std::move(proc));
    else block_.procedures.push_back(std::move(proc));
}

// Expression levels from the loosest: Imp, Eqv, Xor, Or, And, (Not), comparisons,
// &, + -, Mod, \, * /, (unary -), ^.
std::unique_ptr<Expr> Parser::parseExpr() {
    DepthGuard guard(depth_, [&] { fail(errors::kTooComplex, L"Expression too complex"); });
    return parseBinary(0);
}

std::unique_ptr<Expr> Parser::parseBinary(int level) {
    struct Level {
        std::vector<std::pair<const wchar_t*, Op>> ops;
        bool words;
    };
    static const Level kLevels[] = {
        {{{L"imp", Op::Imp}}, true},
        {{{L"eqv", Op::Eqv}}, true},
        {{{L"xor", Op::Xor}}, true},
        {{{L"or", Op::Or}}, true},
        {{{L"and", Op::And}}, true},
        {{}, false},  // Not
        {{{L"=", Op::Eq}, {L"<>", Op::Ne}, {L"<", Op::Lt}, {L">", Op::Gt}, {L"<=", Op::Le}, {L">=", Op::Ge}, {L"is", Op::Is}}, false},
        {{{L"&", Op::Cat}}, false},
        {{{L"+", Op::Add}, {L"-", Op::Sub}}, false},
        {{{L"mod", Op::Mod}}, true},
        {{{L"\\", Op::IntDiv}}, false},
        {{{L"*", Op::Mul}, {L"/", Op::Div}}, false},
    };
    constexpr int kLevelCount = sizeof(kLevels) / sizeof(kLevels[0]);
    if (level >= kLevelCount) return parsePower();
    if (kLevels[level].ops.empty()) return parseNot();
    auto left = parseBinary(level + 1);
    for (;;) {
        const Token& t = peek();
        const Op* found = nullptr;
        for (const auto& [spelling, op] : kLevels[level].ops) {
            bool match = (t.kind == TokenKind::Operator && t.text == spelling) ||
                         (t.kind == TokenKind::Identifier && t.lower == spelling);
            if (match) { found = &op; break; }
        }
        if (!found) return left;
        Op op = *found;
        next();
        auto node = MakeExpr(ExprKind::Binary, t.offset);
        node->op = op;
        node->left = std::move(left);
        node->right = parseBinary(level + 1);
        left = std::move(node);
    }
}

std::unique_ptr<Expr> Parser::parseNot() {
    if (isWord(peek(), L"not")) {
        DepthGuard guard(depth_, [&] { fail(errors::kTooComplex, L"Expression too complex"); });
        const Token& t = next();
        auto node = MakeExpr(ExprKind::Unary, t.offset);
        node->op = Op::Not;
        node->left = parseNot();
        return node;
    }
    return parseBinary(6);
}

// A sign binds tighter than ^: -3 ^ 2 is 9, 2 ^ -1 is 0.5.
std::unique_ptr<Expr> Parser::parseUnary() {
    if (isOp(peek(), L"-") || isOp(peek(), L"+")) {
        DepthGuard guard(depth_, [&] { fail(errors::kTooComplex, L"Expression too complex"); });
        const Token& t = next();
        auto node = MakeExpr(ExprKind::Unary, t.offset);
        node->op = t.text == L"-" ? Op::Neg : Op::Plus;
        node->left = parseUnary();
        return node;
    }
    return parsePostfix();
}

std::unique_ptr<Expr> Parser::parsePower() {
    auto left = parseUnary();
    while (isOp(peek(), L"^")) {
        const Token& t = next();
        auto node = MakeExpr(ExprKind::Binary, t.offset);
        node->op = Op::Pow;
        node->left = std::move(left);
        node->right = parseUnary();
        left = std::move(node);
    }
    return left;
}

// In "Out.Log (a + b) * 2" and "Show (x)" the blank before '(' makes the parentheses
// part of the first argument (so a lone variable goes by value); "Greet (a, b)" stays an
// argument list.
bool Parser::parenthesesStartAnArgument() const {
    const Token& open = peek();
    if (open.offset == lastEnd_) return false;
    int depth = 0;
    bool comma = false;
    for (size_t i = pos_; i < tokens_.size(); ++i) {
        const Token& t = tokens_[i];
        if (t.kind == TokenKind::EndOfStatement || t.kind == TokenKind::EndOfText) return true;
        if (t.kind != TokenKind::Operator) continue;
        if (t.text == L"(") ++depth;
        if (t.text == L"," && depth == 1) comma = true;
        if (t.text == L")" && --depth == 0) {
            const Token& after = tokens_[i + 1];
            // "arr (0) = 5" assigns to an element: the blank changes nothing there. With a
            // comma after it, as in "Check (a) = 5, text", it is a call's first argument.
            if (isOp(after, L"=")) return commaFollows(i + 1);
            bool ends = after.kind == TokenKind::EndOfStatement || after.kind == TokenKind::EndOfText ||
                        (after.kind == TokenKind::Identifier && after.lower == L"else");
            return !(ends && comma);
        }
    }
    return true;
}

// A comma outside parentheses between token i and the end of the statement.
bool Parser::commaFollows(size_t i) const {
    int depth = 0;
    for (; i < tokens_.size(); ++i) {
        const Token& t = tokens_[i];
        if (t.kind == TokenKind::EndOfStatement || t.kind == TokenKind::EndOfText) return false;
        if (t.kind != TokenKind::Operator) continue;
        if (t.text == L"(") ++depth;
        if (t.text == L")") --depth;
        if (t.text == L"," && depth == 0) return true;
    }
    return false;
}

std::unique_ptr<Expr> Parser::parsePostfix(bool statementHead) {
    auto e = parsePrimary();
    for (;;) {
        if (statementHead && isOp(peek(), L"(") && parenthesesStartAnArgument()) return e;
        // Inside With, " .name" after a blank starts an argument, not a member access.
        if (isOp(peek(), L".") && !(withDepth_ > 0 && peek().offset != lastEnd_)) {
            const Token& dot = next();
            const Token& name = peek();
            // Member names may be words the language reserves (obj.End, obj.Next).
            if (name.kind != TokenKind::Identifier) fail(errors::kExpectedIdentifier, L"Expected identifier");
            next();
            auto m = MakeExpr(ExprKind::Member, dot.offset);
            m->name = name.text;
            m->lower = name.lower;
            m->left = std::move(e);
            e = std::move(m);
        } else if (isOp(peek(), L"(") && e->kind != ExprKind::Literal) {
            const Token& open = next();
            auto call = MakeExpr(ExprKind::Call, open.offset);
            // "(f)(x)" and "Call (((f))) (x)" call f itself, not the value f answers
            // without arguments.
            while (e->kind == ExprKind::Unary && e->op == Op::Plus && e->left->kind == ExprKind::Name)
                e = std::move(e->left);
            call->left = std::move(e);
            parseArguments(call->args, true);
            expectOp(L")");
            e = std::move(call);
        } else {
            return e;
        }
    }
}

void Parser::parseArguments(std::vector<std::unique_ptr<Expr>>& args, bool parenthesized) {
    auto atArgsEnd = [&] {
        return parenthesized ? isOp(peek(), L")") : atStatementEnd();
    };
    if (atArgsEnd()) return;
    for (;;) {
        if (isOp(peek(), L",")) {
            args.push_back(nullptr);  // left out
        } else if (atArgsEnd()) {
            args.push_back(nullptr);  // a trailing comma leaves out the last one
            return;
        } else {
            args.push_back(parseExpr());
        }
        if (!isOp(peek(), L",")) return;
        next();
    }
}

std::unique_ptr<Expr> Parser::parsePrimary() {
    const Token& t = peek();
    switch (t.kind) {
    case TokenKind::Integer: {
        next();
        auto e = MakeExpr(ExprKind::Literal, t.offset);
        // Integer when it fits, as the language types its literals.
        LONG n = static_cast<LONG>(t.number);
        if (n >= -32768 && n <= 32767) {
            e->literal.variant().vt = VT_I2;
            e->literal.variant().iVal = static_cast<SHORT>(n);
        } else {
            e->literal = Value::Long(n);
        }
        return e;
    }
    case TokenKind::Double: {
        next();
        auto e = MakeExpr(ExprKind::Literal, t.offset);
        e->literal = Value::Double(t.number);
        return e;
    }
    case TokenKind::Date: {
        next();
        auto e = MakeExpr(ExprKind::Literal, t.offset);
        e->literal.variant().vt = VT_DATE;
        e->literal.variant().date = t.number;
        return e;
    }
    case TokenKind::String: {
        next();
        auto e = MakeExpr(ExprKind::Literal, t.offset);
        e->literal = Value::String(t.text);
        return e;
    }
    case TokenKind::Operator:
        if (t.text == L"." && withDepth_ > 0) {
            // ".name" inside With: a member of the With object.
            next();
            const Token& name = peek();
            if (name.kind != TokenKind::Identifier) fail(errors::kExpectedIdentifier, L"Expected identifier");
            next();
            auto m = MakeExpr(ExprKind::Member, t.offset);
            m->name = name.text;
            m->lower = name.lower;
            return m;
        }
        if (t.text == L"(") {
            next();
            auto inner = parseExpr();
            expectOp(L")");
            if (inner->kind == ExprKind::Name) {
                // "(x)" is the value of x: never passed by reference.
                auto value = MakeExpr(ExprKind::Unary, t.offset);
                value->op = Op::Plus;
                value->left = std::move(inner);
                return value;
            }
            return inner;
        }
        fail(errors::kExpectedExpression, L"Expected expression");
    case TokenKind::Identifier: {
        const std::wstring& w = t.lower;
        auto literal = [&](Value v) {
            next();
            auto e = MakeExpr(ExprKind::Literal, t.offset);
            e->literal = std::move(v);
            return e;
        };
        if (w == L"true") return literal(Value::Bool(true));
        if (w == L"false") return literal(Value::Bool(false));
        if (w == L"nothing") return literal(Value::Nothing());
        if (w == L"empty") return literal(Value());
        if (w == L"null") {
            Value v;
            v.variant().vt = VT_NULL;
            return literal(std::move(v));
        }
        if (w == L"me") {
            next();
            return MakeExpr(ExprKind::Me, t.offset);
        }
        if (w == L"new") {
            next();
            const Token& cls = peek();
            if (cls.kind != TokenKind::Identifier) fail(errors::kExpectedIdentifier, L"Expected identifier");
            next();
            auto e = MakeExpr(ExprKind::New, t.offset);
            e->name = cls.text;
            e->lower = cls.lower;
            return e;
        }
        if (InList(w, std::begin(kReserved), std::end(kReserved)))
            fail(errors::kExpectedExpression, L"Expected expression");
        next();
        auto e = MakeExpr(ExprKind::Name, t.offset);
        e->name = t.text;
        e->lower = t.lower;
        return e;
    }
    default:
        fail(errors::kExpectedExpression, L"Expected expression");
    }
}

} // namespace stepscript
