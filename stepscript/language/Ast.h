#pragma once
#include "stepscript/runtime/Value.h"
#include <activdbg.h>
#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace stepscript {

enum class Op { Neg, Plus, Not, Pow, Mul, Div, IntDiv, Mod, Add, Sub, Cat, Eq, Ne, Lt, Gt, Le, Ge, Is, And, Or, Xor, Eqv, Imp };

// Member with no object is ".name" inside a With block; New names a class; Me is the
// object whose method runs.
enum class ExprKind { Literal, Name, Call, Member, Unary, Binary, New, Me };

struct Expr {
    ExprKind kind;
    size_t offset = 0;
    Value literal;                           // Literal
    std::wstring name, lower;                // Name, Member, New
    std::unique_ptr<Expr> left;              // Call target, Member object, operand, left side
    std::unique_ptr<Expr> right;             // Binary right side
    std::vector<std::unique_ptr<Expr>> args; // Call; null for an argument left out
    Op op = Op::Add;
};

// One place where execution can stop: a statement, or the head or tail of a compound
// statement (If ... Then, ElseIf, For, Next, Do, Loop, While, Wend, Select Case, Case,
// With). Positions are in characters inside the block; line is 0-based with the block's
// starting line added.
struct StepPoint {
    size_t offset;
    size_t length;
    ULONG line;
    ULONG blockLine;  // 0-based inside the block text
    std::atomic<int> breakpoint{BREAKPOINT_DELETED};

    StepPoint(size_t o, size_t len, ULONG l, ULONG bl) : offset(o), length(len), line(l), blockLine(bl) {}
};

struct Stmt;
using StmtList = std::vector<std::unique_ptr<Stmt>>;

enum class StmtKind { Let, Set, Call, If, For, ForEach, Do, While, Exit, OnError, Dim, ReDim, Erase, Select, With, Nop };
enum class ExitKind { For, Do, Sub, Function, Property };
enum class LoopTest { None, While, Until };

struct IfClause {
    int point;
    std::unique_ptr<Expr> condition;
    StmtList body;
};

struct CaseClause {
    int point;
    std::vector<std::unique_ptr<Expr>> values;  // empty for Case Else
    StmtList body;
};

// One name of a ReDim (ReDim a(n), b(2, m)) or an array of a Dim (Dim a(3), b()).
struct DimItem {
    std::wstring name, lower;
    std::vector<std::unique_ptr<Expr>> bounds;  // upper bounds
};

// A declared variable (Dim, Public, Private); the arrays of a class's fields are made
// with each object.
struct VarDecl {
    std::wstring name, lower;
    bool isPublic = true;
    bool isArray = false;
    std::vector<LONG> bounds;  // fixed upper bounds; none for a dynamic array "()"
};

// Const name = expression: evaluated in declaration order when its scope starts.
struct ConstDecl {
    std::wstring name, lower;
    std::unique_ptr<Expr> value;
};

struct Stmt {
    StmtKind kind;
    int point = -1;  // head step point
    // Let, Set: target and value. Call: the call expression in target. With: object in value.
    std::unique_ptr<Expr> target, value;
    // If
    std::vector<IfClause> clauses;
    StmtList elseBody;
    bool hasElse = false;
    // Select: the tested value in value.
    std::vector<CaseClause> cases;
    // For, For Each: variable, bounds (For Each: collection in from); Do: tests at the
    // top and the bottom; While: topCondition.
    std::wstring variable, variableLower;
    std::unique_ptr<Expr> from, to, step;
    LoopTest topTest = LoopTest::None, bottomTest = LoopTest::None;
    std::unique_ptr<Expr> topCondition, bottomCondition;
    StmtList body;
    int tailPoint = -1;
    // Exit, OnError
    ExitKind exitKind = ExitKind::For;
    bool resumeNext = false;
    // Dim of arrays (made when it runs), ReDim (Preserve), Erase (names only)
    std::vector<DimItem> dims;
    bool preserve = false;
};

struct Parameter {
    std::wstring name, lower;
    bool byVal = false;
};

struct Block;
struct ClassDef;

enum class ProcKind { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct Procedure {
    std::wstring name, lower;
    ProcKind kind = ProcKind::Sub;
    bool isFunction = false;  // returns a value: Function or Property Get
    bool isPublic = true;
    bool isDefault = false;
    std::vector<Parameter> params;
    std::vector<std::wstring> locals;  // Dim names, as written
    std::vector<std::wstring> localsLower;
    std::vector<ConstDecl> constants;   // evaluated at entry
    StmtList body;
    Block* block = nullptr;
    ClassDef* owner = nullptr;  // the class of a method
};

struct ClassDef {
    std::wstring name, lower;
    std::vector<VarDecl> fields;
    std::vector<std::unique_ptr<Procedure>> methods;  // several per name for Property Get/Let/Set
    Block* block = nullptr;

    // The method of that name and kind (Sub and Function match ProcKind::Sub and Function).
    const Procedure* find(const std::wstring& lower, ProcKind kind) const;
    const Procedure* findAny(const std::wstring& lower) const;
    const Procedure* defaultMember() const;
};

// One parsed piece of script text (a ParseScriptText call, code run by Execute, or a
// text the debugger evaluates).
struct Block {
    DWORD_PTR cookie = 0;
    ULONG startLine = 0;
    bool dynamic = false;  // run by Execute or ExecuteGlobal: it has no document to show
    bool optionExplicit = false;
    std::wstring text;
    std::vector<size_t> lineStarts;
    std::deque<StepPoint> points;  // text order; a deque keeps the atomics in place
    StmtList code;
    std::vector<std::unique_ptr<Procedure>> procedures;
    std::vector<std::unique_ptr<ClassDef>> classes;
    std::vector<ConstDecl> constants;
    std::vector<std::wstring> globals;  // Dim names of the global code
    std::vector<std::wstring> globalsLower;
    std::unique_ptr<Expr> expression;   // set when the text was parsed as one expression

    std::wstring lineText(ULONG blockLine) const;
};

} // namespace stepscript
