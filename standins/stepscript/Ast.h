#pragma once
#include "standins/stepscript/Value.h"
#include <activdbg.h>
#include <atomic>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace stepscript {

enum class Op { Neg, Plus, Not, Pow, Mul, Div, IntDiv, Mod, Add, Sub, Cat, Eq, Ne, Lt, Gt, Le, Ge, Is, And, Or, Xor, Eqv, Imp };

enum class ExprKind { Literal, Name, Call, Member, Unary, Binary };

struct Expr {
    ExprKind kind;
    size_t offset = 0;
    Value literal;                           // Literal
    std::wstring name, lower;                // Name, Member
    std::unique_ptr<Expr> left;              // Call target, Member object, operand, left side
    std::unique_ptr<Expr> right;             // Binary right side
    std::vector<std::unique_ptr<Expr>> args; // Call; null for an argument left out
    Op op = Op::Add;
};

// One place where execution can stop: a statement, or the head or tail of a compound
// statement (If ... Then, ElseIf, For, Next, Do, Loop, While, Wend). Positions are in
// characters inside the block; line is 0-based with the block's starting line added.
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

enum class StmtKind { Let, Set, Call, If, For, Do, While, Exit, OnError };
enum class ExitKind { For, Do, Sub, Function };
enum class LoopTest { None, While, Until };

struct IfClause {
    int point;
    std::unique_ptr<Expr> condition;
    StmtList body;
};

struct Stmt {
    StmtKind kind;
    int point = -1;  // head step point
    // Let, Set: target and value. Call: the call expression in target.
    std::unique_ptr<Expr> target, value;
    // If
    std::vector<IfClause> clauses;
    StmtList elseBody;
    bool hasElse = false;
    // For: variable, bounds; Do: tests at the top and the bottom; While: topCondition.
    std::wstring variable, variableLower;
    std::unique_ptr<Expr> from, to, step;
    LoopTest topTest = LoopTest::None, bottomTest = LoopTest::None;
    std::unique_ptr<Expr> topCondition, bottomCondition;
    StmtList body;
    int tailPoint = -1;
    // Exit, OnError
    ExitKind exitKind = ExitKind::For;
    bool resumeNext = false;
};

struct Parameter {
    std::wstring name, lower;
    bool byVal = false;
};

struct Block;

struct Procedure {
    std::wstring name, lower;
    bool isFunction = false;
    std::vector<Parameter> params;
    std::vector<std::wstring> locals;  // Dim names, as written
    std::vector<std::wstring> localsLower;
    StmtList body;
    Block* block = nullptr;
};

// One parsed piece of script text (a ParseScriptText call, or a text the debugger
// evaluates).
struct Block {
    DWORD_PTR cookie = 0;
    ULONG startLine = 0;
    std::wstring text;
    std::vector<size_t> lineStarts;
    std::deque<StepPoint> points;  // text order; a deque keeps the atomics in place
    StmtList code;
    std::vector<std::unique_ptr<Procedure>> procedures;
    std::vector<std::wstring> globals;  // Dim names of the global code
    std::vector<std::wstring> globalsLower;
    std::unique_ptr<Expr> expression;   // set when the text was parsed as one expression

    std::wstring lineText(ULONG blockLine) const;
};

} // namespace stepscript
