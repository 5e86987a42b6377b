#pragma once
#include "stepscript/language/Ast.h"
#include "stepscript/runtime/ScriptError.h"
#include <wrl/client.h>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace stepscript {

class ErrObject;
class ClassInstance;

struct Variable {
    std::wstring name;  // as declared, for the debugger
    Value value;
    Value* alias = nullptr;  // a ByRef parameter: the caller's variable
    bool isConst = false;
    bool fixedArray = false;  // Dim a(3): its size never changes

    Value& get() { return alias ? *alias : value; }
    const Value& get() const { return alias ? *alias : value; }
};
using VariableMap = std::unordered_map<std::wstring, Variable>;

// One activation: the global code of a block, a procedure call, or code run by Execute.
struct Frame {
    const Procedure* procedure = nullptr;  // null for global code
    const Block* block = nullptr;
    VariableMap locals;
    int current = -1;  // step point of the statement being executed
    bool resumeNext = false;
    // The object of a method (Me): held for as long as the call runs.
    Microsoft::WRL::ComPtr<IDispatch> me;
    ClassInstance* instance = nullptr;
    // Code run by Execute sees the variables of the frame that ran it.
    Frame* scope = nullptr;
    std::vector<Value> withObjects;  // innermost last

    Frame& variables() { return scope ? *scope : *this; }
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
    // Parses text for Execute, ExecuteGlobal (statements) or Eval (an expression); the
    // block lives as long as the engine's code. Throws ScriptError for a syntax error.
    virtual const Block& compile(const std::wstring& text, bool expression) = 0;

protected:
    ~RuntimeHost() = default;
};

// Executes parsed blocks: variables, arrays, procedures, classes, expressions, COM calls.
class Interpreter {
public:
    explicit Interpreter(RuntimeHost& host);
    ~Interpreter();

    // Makes the block's procedures, classes and global variables known (at parse time,
    // so that code parsed earlier can call them).
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

    // Calls into script code from outside the interpreter: a method or property of an
    // object of a script class, or a procedure through GetRef. Arguments that are
    // VT_BYREF variants are passed by reference.
    Value callMethod(ClassInstance& instance, const Procedure& method, std::vector<Value>& args, const Value* assigned);
    Value callProcedureRef(const Procedure& procedure, std::vector<Value>& args);
    // Class_Terminate of an object whose last reference went away.
    void terminate(ClassInstance& instance);

private:
    enum class Flow { Normal, ExitFor, ExitDo, ExitProcedure };
    class FrameGuard;
    struct ArrayUnlock {
        void operator()(SAFEARRAY* array) const { ::SafeArrayUnlock(array); }
    };
    struct Argument {
        Value value;
        Value* ref = nullptr;  // the caller's storage, for a ByRef parameter
        std::unique_ptr<SAFEARRAY, ArrayUnlock> locked;  // the array ref points into
    };

    Flow execList(const StmtList& list, Frame& f);
    Flow execStmt(const Stmt& s, Frame& f);
    Flow execInner(const Stmt& s, Frame& f);
    Flow execFor(const Stmt& s, Frame& f);
    Flow execForEach(const Stmt& s, Frame& f);
    // The enumerator of a collection object; Object not a collection for anything else.
    static Microsoft::WRL::ComPtr<IEnumVARIANT> enumeratorOf(const Value& group);
    Flow execDo(const Stmt& s, Frame& f);
    Flow execSelect(const Stmt& s, Frame& f);
    Flow execWith(const Stmt& s, Frame& f);
    void execDim(const Stmt& s, Frame& f);
    Variable& variableFor(const DimItem& item, Frame& f);
    void execReDim(const Stmt& s, Frame& f);
    void execErase(const Stmt& s, Frame& f);
    void enter(Frame& f, int point);
    bool outerResumeNext(const Frame& f) const;
    void defineConstants(const std::vector<ConstDecl>& constants, VariableMap& scope, Frame& f);

    Value eval(const Expr& e, Frame& f);
    Value evalBinary(const Expr& e, Frame& f);
    Value readName(const Expr& e, Frame& f);
    Value withObject(const Expr& e, Frame& f);
    Value call(const Expr& call, Frame& f);
    Value callName(const Expr& call, Frame& f);
    Value callSpecial(const std::wstring& lower, const Expr& call, Frame& f, bool& handled);
    Value memberCall(const Value& object, const std::wstring& name, WORD flags, std::vector<Value>& args,
                     const Value* assigned, Frame& f);
    Value invokeProcedure(const Procedure& p, std::vector<Argument>& args, Frame* scope, ClassInstance* instance,
                          const Value* assigned);
    std::vector<Argument> bindArguments(const std::vector<std::unique_ptr<Expr>>& args, Frame& f);
    std::vector<Value> evalArgs(const std::vector<std::unique_ptr<Expr>>& args, Frame& f);
    void assign(const Expr& target, Value value, bool isSet, Frame& f);
    Value* storageOf(const Expr& e, Frame& f);
    Value* elementStorage(const Expr& e, Frame& f, SAFEARRAY** array);
    Value letValue(Value v);
    Variable* findVariable(const std::wstring& lower, Frame& f);
    Variable& implicitVariable(const Expr& name, Frame& f);
    bool explicitIn(const Frame& f) const;
    const Procedure* findProcedure(const std::wstring& lower) const;
    const ClassDef* findClass(const std::wstring& lower) const;
    Value newObject(const Expr& e, Frame& f);
    const Procedure* methodOf(Frame& f, const std::wstring& lower, ProcKind kind) const;
    bool condition(const Expr& e, Frame& f, bool onResumedError);
    bool resumeAfter(const ScriptError& error, Frame& f);
    void execute(const std::wstring& text, bool global, Frame& f);
    void checkStack(const std::wstring& name);

    RuntimeHost& host_;
    VariableMap globals_;
    std::unordered_map<std::wstring, const Procedure*> procedures_;
    std::unordered_map<std::wstring, const ClassDef*> classes_;
    std::vector<std::shared_ptr<Frame>> frames_;
    Microsoft::WRL::ComPtr<ErrObject> err_;
    std::shared_ptr<Interpreter*> self_;  // objects of script classes reach the interpreter through it
    int evalDepth_ = 0;
    bool clearing_ = false;
    char* stackLimit_ = nullptr;
    DWORD thread_ = 0;  // the thread that runs the script  // calls deeper than this raise Out of stack space
};

// An abort that had to stop at a COM boundary (a script object's Invoke): noted for
// the thread, and raised again where the failed call returns into the interpreter.
void NoteAbort(const ScriptAbort& abort);

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
