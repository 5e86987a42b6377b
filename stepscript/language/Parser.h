#pragma once
#include "stepscript/language/Ast.h"
#include "stepscript/language/Lexer.h"

namespace stepscript {

// Builds statements, procedures and step points of a block from its tokens. Throws
// SyntaxError with the position of the first fault.
class Parser {
public:
    explicit Parser(Block& block);
    // The whole text as statements and procedures.
    void parseProgram();
    // The whole text as one expression (block.expression).
    void parseExpression();

private:
    struct Scope {
        std::vector<std::wstring>* dims = nullptr;
        std::vector<std::wstring> lowerDims;
        std::vector<ConstDecl>* constants = nullptr;
        Procedure* procedure = nullptr;
        ClassDef* cls = nullptr;  // set while the members of a class are parsed
        int forDepth = 0;
        int doDepth = 0;
    };

    const Token& peek(size_t ahead = 0) const;
    const Token& next();
    bool isWord(const Token& t, const wchar_t* lower) const;
    bool isOp(const Token& t, const wchar_t* op) const;
    bool atEndOfStatement() const;
    bool atStatementEnd() const;
    void expectWord(const wchar_t* lower, const wchar_t* shown);
    void expectOp(const wchar_t* op);
    std::wstring expectIdentifier();
    void expectEndOfStatement();
    [[noreturn]] void fail(int number, const std::wstring& description, const Token& at) const;
    [[noreturn]] void fail(int number, const std::wstring& description) const { fail(number, description, peek()); }
    int addPoint(size_t start, size_t end, const Token& first);
    void skipSeparators();
    bool isPropertyKind(const Token& t) const;
    bool namesAMember(size_t ahead) const;
    bool isBlockEnd(const Token& t) const;

    void parseStatements(StmtList& out, const std::vector<const wchar_t*>& terminators, const wchar_t* expected);
    void parseStatement(StmtList& out, bool singleLine);
    // Dim, Public, Private: the names of the scope or the fields of a class; arrays of
    // code outside classes are made by a statement added to out.
    void parseDim(bool isPublic, StmtList* out);
    void parseConst();
    VarDecl parseDeclaredName(bool isPublic);
    void parseProcedure(ProcKind kind, bool isPublic, bool isDefault);
    void parseClass();
    void parseClassMembers(ClassDef& cls);
    std::unique_ptr<Stmt> parseReDim();
    std::unique_ptr<Stmt> parseErase();
    std::unique_ptr<Stmt> parseSelect();
    std::unique_ptr<Stmt> parseWith();
    std::unique_ptr<Stmt> parseForEach(const Token& first);
    void parseForBody(Stmt& stmt, const Token& first, const std::wstring& head);
    std::unique_ptr<Stmt> parseNop();
    void parseEnd(const wchar_t* lower, const wchar_t* shown);
    std::unique_ptr<Stmt> parseIf();
    std::unique_ptr<Stmt> parseFor();
    std::unique_ptr<Stmt> parseDo();
    std::unique_ptr<Stmt> parseWhile();
    std::unique_ptr<Stmt> parseExit();
    std::unique_ptr<Stmt> parseOnError();
    std::unique_ptr<Stmt> parseSimple();
    void parseSingleLineBody(StmtList& out);
    void addDim(const std::wstring& name, const Token& at);
    LONG parseConstantBound();

    std::unique_ptr<Expr> parseExpr();
    std::unique_ptr<Expr> parseBinary(int level);
    std::unique_ptr<Expr> parseNot();
    std::unique_ptr<Expr> parseUnary();
    std::unique_ptr<Expr> parsePower();
    std::unique_ptr<Expr> parsePostfix(bool statementHead = false);
    bool parenthesesStartAnArgument() const;
    bool commaFollows(size_t i) const;
    std::unique_ptr<Expr> parsePrimary();
    void parseArguments(std::vector<std::unique_ptr<Expr>>& args, bool parenthesized);

    Block& block_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    size_t lastEnd_ = 0;  // end offset of the last consumed token
    Scope global_;
    Scope* scope_;
    int depth_ = 0;
    int withDepth_ = 0;
};

} // namespace stepscript
