#pragma once
#include "standins/stepscript/Ast.h"
#include "standins/stepscript/ScriptError.h"
#include <wrl/client.h>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace stepscript {

class ErrObject;

struct Variable {
    std::wstring name;  // as declared, for the debugger
    Value value;
    Value* alias = nullptr;  // a ByRef parameter: the caller's variable

    Value& get() { return alias ? *alias : value; }
    const Value& get() const { return alias ? *alias : value; }
};
using VariableMap = std::unordered_map<std::wstring, Variable>;

// One activation: the global code of a block, or a procedure call.
struct Frame {
    const Procedure* procedure = nullptr;  // null for global code
    const Block* block = nullptr;
    VariableMap locals;
    int current = -1;  // step point of the statement being executed
    bool resumeNext = false;
};

// What the interpreter needs from the engine around it.
class RuntimeHost {
public:
    enum class ErrorAction { Skip, Retry, End };
    // Before every step point; may throw ScriptAbort.
    virtual void beforeStatement(Frame& frame) = 0;
    // A named item of the site, as an object; false when there is none of that name.
    virtual bool namedItem(const std::wstring& lower, Value& object) = 0;
    // A member of an item added with global members; false when none has it.
    virtual bool globalMember(const std::wstring& name, Value& object, DISPID& id) = 0;
    // An error that no On Error Resume Next catches: report it, and say how to go on.
    virtual ErrorAction runtimeError(const ScriptError& error, Frame& frame) = 0;

protected:
    ~RuntimeHost() = default;
};

// Executes parsed blocks: variables, procedures, expressions, COM calls.
class Interpreter {
public:
    explicit Interpreter(RuntimeHost& host);
    ~Interpreter();

    // Makes the block's procedures and global variables known (at parse time, so that
    // code parsed earlier can call them).
    void addBlock(const Block& block);
    // Runs the block's global code. Throws ScriptAbort when the run ends early.
    void run(const Block& block);
    // Evaluates a block parsed for the debugger inside frame: its expression, or its
    // statements (the result is then the value last assigned). Never stops at a step
    // point; errors are thrown as ScriptError.
    Value evaluate(const Block& text, Frame& frame);
    // The same in a frame of the block's own global code.
    Value evaluateGlobal(const Block& text);
    bool evaluating() const { return evalDepth_ > 0; }

    // The call stack, outermost first.
    const std::vector<std::shared_ptr<Frame>>& frames() const { return frames_; }
    const VariableMap& globals() const { return globals_; }
    // Drops every value (objects included) and procedure.
    void clear();

    static constexpr size_t kMaxCallDepth = 200;

private:
    enum class Flow { Normal, ExitFor, ExitDo, ExitProcedure };
    class FrameGuard;

    Flow execList(const StmtList& list, Frame& f);
    Flow execStmt(const Stmt& s, Frame& f);
    Flow execInner(const Stmt& s, Frame& f);
    Flow execFor(const Stmt& s, Frame& f);
    Flow execDo(const Stmt& s, Frame& f);
    void enter(Frame& f, int point);
    bool outerResumeNext(const Frame& f) const;

    Value eval(const Expr& e, Frame& f);
    Value evalBinary(const Expr& e, Frame& f);
    Value readName(const Expr& e, Frame& f);
    Value call(const Expr& call, Frame& f);
    Value callName(const Expr& call, Frame& f);
    Value callProcedure(const Procedure& p, const std::vector<std::unique_ptr<Expr>>& args, Frame& caller);
    std::vector<Value> evalArgs(const std::vector<std::unique_ptr<Expr>>& args, Frame& f);
    void assign(const Expr& target, Value value, bool isSet, Frame& f);
    Value letValue(Value v);
    Variable* findVariable(const std::wstring& lower, Frame& f);
    const Procedure* findProcedure(const std::wstring& lower) const;
    bool condition(const Expr& e, Frame& f);

    RuntimeHost& host_;
    VariableMap globals_;
    std::unordered_map<std::wstring, const Procedure*> procedures_;
    std::vector<std::shared_ptr<Frame>> frames_;
    Microsoft::WRL::ComPtr<ErrObject> err_;
    int evalDepth_ = 0;
};

// IDispatch calls as scripts make them; failures raise ScriptError with the callee's
// source and description.
Value InvokeMember(const Value& object, const std::wstring& name, WORD flags, std::vector<Value>& args,
                   const Value* assigned = nullptr);
Value InvokeId(IDispatch* object, DISPID id, const std::wstring& name, WORD flags, std::vector<Value>& args,
               const Value* assigned = nullptr);
// The value of an object's default property (plain values pass through).
Value DefaultValue(const Value& v);
// A left-out argument, as COM methods receive it.
Value MissingArgument();
bool IsMissing(const Value& v);

} // namespace stepscript
