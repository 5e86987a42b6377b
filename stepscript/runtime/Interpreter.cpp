#include "stepscript/runtime/Interpreter.h"
#include "common/ComObject.h"
#include "stepscript/runtime/ArrayValue.h"
#include "stepscript/library/Builtins.h"
#include "stepscript/runtime/ClassInstance.h"
#include "stepscript/runtime/ProcedureRef.h"
#include "stepscript/library/RegExpObject.h"
#include "stepscript/library/ErrObject.h"
#include "stepscript/runtime/Operators.h"
#include "stepscript/language/SyntaxError.h"
#include "common/ComError.h"
#include "common/ExcepInfo.h"
#include <cwctype>
#include <optional>

namespace stepscript {

using Microsoft::WRL::ComPtr;

namespace {

thread_local std::optional<ScriptAbort> t_notedAbort;

[[noreturn]] void RaiseFromInvoke(HRESULT hr, common::ExcepInfo& ei, const std::wstring& name) {
    if (t_notedAbort) {
        ScriptAbort abort = *t_notedAbort;
        t_notedAbort.reset();
        ei.clear();
        throw abort;
    }
    std::wstring source, description, detail, helpFile;
    DWORD helpContext = 0;
    HRESULT code = hr;
    if (hr == DISP_E_EXCEPTION) {
        ei.fillIn();
        code = ei->scode ? ei->scode : (ei->wCode ? ScriptHr(ei->wCode) : E_FAIL);
        source = ei.source();
        description = ei.description();
        helpFile = ei.helpFile();
        helpContext = ei->dwHelpContext;
    }
    ei.clear();
    if (description.empty()) {
        // Components such as wrappers report through the error object.
        ComPtr<IErrorInfo> info;
        if (::GetErrorInfo(0, info.GetAddressOf()) == S_OK && info) {
            common::Bstr text;
            if (SUCCEEDED(info->GetDescription(text.put()))) description = text.str();
            if (source.empty() && SUCCEEDED(info->GetSource(text.put()))) source = text.str();
        }
    }
    if (description.empty()) {
        // Failures the language reads as its own errors take its number and text.
        int number = code == DISP_E_PARAMNOTOPTIONAL ? errors::kWrongArgumentCount : LanguageErrorOf(code);
        if (number) {
            code = ScriptHr(number);
            description = ErrorMessage(number);
            detail = name;
        } else {
            description = common::SystemMessage(static_cast<DWORD>(code));
            if (description.empty()) {
                description = ErrorMessage(errors::kUnknownRuntime);
                detail = name;
            }
        }
    }
    if (source.empty()) source = kRuntimeSource;
    throw ScriptError{code, source, description, detail, helpFile, helpContext};
}

IUnknown* Identity(const Value& v, ComPtr<IUnknown>& holder) {
    IUnknown* unk = v.unknown();
    if (!unk) return nullptr;
    unk->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(holder.GetAddressOf()));
    return holder.Get();
}

bool IsDiscardedConversion(const std::wstring& lower) {
    if (lower.size() < 4 || lower.size() > 5 || lower[0] != L'c') return false;
    return lower == L"cbyte" || lower == L"ccur" || lower == L"cdate" || lower == L"cdbl" || lower == L"cint" ||
           lower == L"clng" || lower == L"csng";
}

} // namespace

void NoteAbort(const ScriptAbort& abort) { t_notedAbort = abort; }

Value MissingArgument() {
    Value v;
    v.variant().vt = VT_ERROR;
    v.variant().scode = DISP_E_PARAMNOTFOUND;
    return v;
}

bool IsMissing(const Value& v) { return v.type() == VT_ERROR && v.variant().scode == DISP_E_PARAMNOTFOUND; }

Value InvokeId(IDispatch* object, DISPID id, const std::wstring& name, WORD flags, std::vector<Value>& args,
               const Value* assigned) {
    // DISPPARAMS take the arguments last first; the assigned value comes first of all.
    std::vector<VARIANT> list;
    list.reserve(args.size() + 1);
    if (assigned) list.push_back(assigned->variant());
    for (auto it = args.rbegin(); it != args.rend(); ++it) list.push_back(it->variant());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{list.empty() ? nullptr : list.data(), assigned ? &putId : nullptr,
                      static_cast<UINT>(list.size()), assigned ? 1u : 0u};
    VARIANT result;
    ::VariantInit(&result);
    common::ExcepInfo ei;
    UINT argError = 0;
    ::SetErrorInfo(0, nullptr);
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, assigned ? nullptr : &result,
                                ei.put(), &argError);
    if (FAILED(hr)) {
        ::VariantClear(&result);
        RaiseFromInvoke(hr, ei, name);
    }
    return Value::Take(result);
}

Value InvokeMember(const Value& object, const std::wstring& name, WORD flags, std::vector<Value>& args,
                   const Value* assigned) {
    IDispatch* d = object.dispatch();
    if (!d) RaiseError(object.isNothing() ? errors::kObjectVariableNotSet : errors::kObjectRequired, name);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
    if (FAILED(d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        RaiseError(errors::kNoSuchMember, name);
    return InvokeId(d, id, name, flags, args, assigned);
}

Value DefaultValue(const Value& v) {
    if (!v.isObject()) return v;
    if (v.isNothing()) RaiseError(errors::kObjectVariableNotSet);
    IDispatch* d = v.dispatch();
    if (!d) RaiseError(errors::kNoSuchMember);
    std::vector<Value> none;
    Value r = InvokeId(d, DISPID_VALUE, L"default value", DISPATCH_PROPERTYGET | DISPATCH_METHOD, none);
    if (r.isObject()) RaiseError(errors::kTypeMismatch);
    return r;
}

class Interpreter::FrameGuard {
public:
    FrameGuard(Interpreter& in, std::shared_ptr<Frame> frame) : in_(in) { in_.frames_.push_back(std::move(frame)); }
    ~FrameGuard() { in_.frames_.pop_back(); }

private:
    Interpreter& in_;
};

namespace {

// Room left on the thread's stack below which a call raises Out of stack space instead
// of running on into a crash.
constexpr size_t kStackReserve = 256 * 1024;

char* StackLimitOfThisThread() {
    MEMORY_BASIC_INFORMATION info{};
    char here = 0;
    if (!::VirtualQuery(&here, &info, sizeof(info))) return nullptr;
    return static_cast<char*>(info.AllocationBase) + kStackReserve;
}

const std::vector<std::unique_ptr<Expr>> kNoArgs;

} // namespace

Interpreter::Interpreter(RuntimeHost& host) : host_(host), self_(std::make_shared<Interpreter*>(this)) {
    err_ = common::Adopt(new ErrObject());
}

Interpreter::~Interpreter() {
    clear();
    self_.reset();
}

void Interpreter::clear() {
    // Objects released now are not terminated: their code may already be gone.
    clearing_ = true;
    frames_.clear();
    VariableMap old;
    old.swap(globals_);
    for (auto& [lower, v] : old) {
        if (ClassInstance* instance = AsClassInstance(v.value)) instance->terminated = true;
    }
    old.clear();
    procedures_.clear();
    classes_.clear();
    if (err_) err_->clear();
    clearing_ = false;
}

void Interpreter::defineConstants(const std::vector<ConstDecl>& constants, VariableMap& scope, Frame& f) {
    for (const ConstDecl& c : constants) {
        Value value = letValue(eval(*c.value, f));
        Variable& v = scope[c.lower];
        v.name = c.name;
        v.value = std::move(value);
        v.isConst = true;
    }
}

void Interpreter::addBlock(const Block& block) {
    for (size_t i = 0; i < block.globals.size(); ++i) {
        // A name declared again by a later block keeps its value.
        globals_.emplace(block.globalsLower[i], Variable{block.globals[i], Value()});
    }
    for (const auto& p : block.procedures) procedures_[p->lower] = p.get();
    for (const auto& c : block.classes) classes_[c->lower] = c.get();
}

void Interpreter::checkStack(const std::wstring& name) {
    char here = 0;
    if (stackLimit_ && &here < stackLimit_) RaiseError(errors::kOutOfStack, name);
}

void Interpreter::run(const Block& block) {
    if (!stackLimit_) stackLimit_ = StackLimitOfThisThread();
    thread_ = ::GetCurrentThreadId();
    auto frame = std::make_shared<Frame>();
    frame->block = &block;
    FrameGuard guard(*this, frame);
    if (!block.constants.empty()) defineConstants(block.constants, globals_, *frame);
    execList(block.code, *frame);
}

Value Interpreter::evaluate(const Block& text, Frame& frame) {
    struct EvalScope {
        Interpreter& in;
        Frame& f;
        int saved;
        EvalScope(Interpreter& i, Frame& fr) : in(i), f(fr), saved(fr.current) { ++in.evalDepth_; }
        ~EvalScope() {
            --in.evalDepth_;
            f.current = saved;
        }
    } scope(*this, frame);
    if (text.expression) return eval(*text.expression, frame);
    Value last;
    for (const auto& s : text.code) {
        Flow flow = execInner(*s, frame);
        if ((s->kind == StmtKind::Let || s->kind == StmtKind::Set) && s->target->kind == ExprKind::Name) {
            if (Variable* v = findVariable(s->target->lower, frame)) last = v->get();
        }
        if (flow != Flow::Normal) break;
    }
    return last;
}

Value Interpreter::evaluateGlobal(const Block& text) {
    auto frame = std::make_shared<Frame>();
    frame->block = &text;
    FrameGuard guard(*this, frame);
    return evaluate(text, *frame);
}

void Interpreter::enter(Frame& f, int point) {
    f.current = point;
    host_.beforeStatement(f);
}

bool Interpreter::outerResumeNext(const Frame& f) const {
    for (const auto& frame : frames_) {
        if (frame.get() == &f) break;
        if (frame->resumeNext) return true;
    }
    return false;
}

Interpreter::Flow Interpreter::execList(const StmtList& list, Frame& f) {
    for (const auto& s : list) {
        Flow flow = execStmt(*s, f);
        if (flow != Flow::Normal) return flow;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execStmt(const Stmt& s, Frame& f) {
    for (;;) {
        try {
            if (s.point >= 0) enter(f, s.point);
            return execInner(s, f);
        } catch (const ScriptError& e) {
            if (f.resumeNext) {
                err_->set(e);
                return Flow::Normal;
            }
            if (evalDepth_ > 0 || outerResumeNext(f)) throw;
            switch (host_.runtimeError(e, f)) {
            case RuntimeHost::ErrorAction::Skip: return Flow::Normal;
            case RuntimeHost::ErrorAction::Retry: continue;
            case RuntimeHost::ErrorAction::End: throw ScriptAbort{true};
            }
        } catch (const std::bad_alloc&) {
            // Out of memory is the script's error, like any other it can catch.
            ScriptError e{ScriptHr(errors::kOutOfMemory), kRuntimeSource, ErrorMessage(errors::kOutOfMemory)};
            if (f.resumeNext) {
                err_->set(e);
                return Flow::Normal;
            }
            if (evalDepth_ > 0 || outerResumeNext(f)) throw e;
            switch (host_.runtimeError(e, f)) {
            case RuntimeHost::ErrorAction::Skip: return Flow::Normal;
            case RuntimeHost::ErrorAction::Retry: continue;
            case RuntimeHost::ErrorAction::End: throw ScriptAbort{true};
            }
        }
    }
}

bool Interpreter::condition(const Expr& e, Frame& f, bool onResumedError) {
    try {
        Value v = DefaultValue(eval(e, f));
        // A Null condition is false, as in If Null Then.
        if (v.type() == VT_NULL) return false;
        return ToBool(v);
    } catch (const ScriptError& error) {
        if (!resumeAfter(error, f)) throw;
        return onResumedError;
    }
}

// Under On Error Resume Next an error in the head of a block goes on with the statement
// after that head, which is the first of the block's body.
bool Interpreter::resumeAfter(const ScriptError& error, Frame& f) {
    if (!f.resumeNext) return false;
    err_->set(error);
    return true;
}

Interpreter::Flow Interpreter::execInner(const Stmt& s, Frame& f) {
    switch (s.kind) {
    case StmtKind::Let: assign(*s.target, letValue(eval(*s.value, f)), false, f); return Flow::Normal;
    case StmtKind::Set: assign(*s.target, eval(*s.value, f), true, f); return Flow::Normal;
    case StmtKind::Call:
        call(*s.target, f);
        // The numeric conversions give a value of their own subtype that a statement
        // cannot drop: the language raises "Variable uses an Automation type not
        // supported" for CInt 1 or Call CDbl(x). CBool and CStr are exempt.
        if (s.target->kind == ExprKind::Call && s.target->left->kind == ExprKind::Name &&
            IsDiscardedConversion(s.target->left->lower) && !findVariable(s.target->left->lower, f) &&
            !findProcedure(s.target->left->lower))
            RaiseError(errors::kUnsupportedType, s.target->left->name);
        return Flow::Normal;
    case StmtKind::If:
        for (size_t i = 0; i < s.clauses.size(); ++i) {
            const IfClause& c = s.clauses[i];
            if (i > 0) enter(f, c.point);
            if (condition(*c.condition, f, true)) return execList(c.body, f);
        }
        return execList(s.elseBody, f);
    case StmtKind::For: return execFor(s, f);
    case StmtKind::ForEach: return execForEach(s, f);
    case StmtKind::Do:
    case StmtKind::While: return execDo(s, f);
    case StmtKind::Select: return execSelect(s, f);
    case StmtKind::With: return execWith(s, f);
    case StmtKind::Dim: execDim(s, f); return Flow::Normal;
    case StmtKind::ReDim: execReDim(s, f); return Flow::Normal;
    case StmtKind::Erase: execErase(s, f); return Flow::Normal;
    case StmtKind::Nop: return Flow::Normal;
    case StmtKind::Exit:
        switch (s.exitKind) {
        case ExitKind::For: return Flow::ExitFor;
        case ExitKind::Do: return Flow::ExitDo;
        default: return Flow::ExitProcedure;
        }
    case StmtKind::OnError:
        f.resumeNext = s.resumeNext;
        err_->clear();
        return Flow::Normal;
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execFor(const Stmt& s, Frame& f) {
    // Start, end and step are taken once, as numbers: a string that holds a number counts
    // as that number, so that the counter is never compared with text.
    auto number = [](Value v) {
        if (v.isNull()) RaiseError(errors::kInvalidUseOfNull);
        double d = ToDouble(v);
        return v.type() == VT_BSTR ? Value::Double(d) : v;
    };
    Value from = number(letValue(eval(*s.from, f)));
    Value to = number(letValue(eval(*s.to, f)));
    Value step = s.step ? number(letValue(eval(*s.step, f))) : Value::Int(1);
    const double end = ToDouble(to);
    // A step of 0 counts up: the loop runs while the counter has not passed the end.
    const bool down = ToDouble(step) < 0;
    Expr name;
    name.kind = ExprKind::Name;
    name.name = s.variable;
    name.lower = s.variableLower;
    Variable* var = findVariable(s.variableLower, f);
    if (!var) var = &implicitVariable(name, f);
    if (var->isConst) RaiseError(errors::kIllegalAssignment, s.variable);
    var->get() = from;
    for (;;) {
        var = findVariable(s.variableLower, f);
        if (!var) RaiseError(errors::kVariableUndefined, s.variable);
        // The body may have stored anything in the counter: it is compared as a number.
        const double counter = ToDouble(DefaultValue(var->get()));
        if (down ? counter < end : counter > end) return Flow::Normal;
        Flow flow = execList(s.body, f);
        if (flow == Flow::ExitFor) return Flow::Normal;
        if (flow != Flow::Normal) return flow;
        enter(f, s.tailPoint);
        var = findVariable(s.variableLower, f);
        if (!var) RaiseError(errors::kVariableUndefined, s.variable);
        var->get() = BinaryOp(Op::Add, DefaultValue(var->get()), step);
    }
}

Interpreter::Flow Interpreter::execForEach(const Stmt& s, Frame& f) {
    Expr name;
    name.kind = ExprKind::Name;
    name.name = s.variable;
    name.lower = s.variableLower;
    auto setVariable = [&](const Value& element) {
        Variable* var = findVariable(s.variableLower, f);
        if (!var) var = &implicitVariable(name, f);
        if (var->isConst) RaiseError(errors::kIllegalAssignment, s.variable);
        var->get() = element;
    };
    auto body = [&]() -> std::optional<Flow> {
        Flow flow = execList(s.body, f);
        if (flow == Flow::ExitFor) return Flow::Normal;
        if (flow != Flow::Normal) return flow;
        enter(f, s.tailPoint);
        return std::nullopt;
    };
    Value group;
    ComPtr<IEnumVARIANT> items;
    try {
        group = eval(*s.from, f);
        if (!IsArray(group)) items = enumeratorOf(group);
    } catch (const ScriptError& error) {
        if (!resumeAfter(error, f)) throw;
        // On into the body once, with nothing to go through after it.
        auto flow = body();
        return flow ? *flow : Flow::Normal;
    }
    if (!items) {
        // The elements as they were when the loop started: the body may change the array.
        for (const Value& element : ArrayElements(group)) {
            setVariable(element);
            if (auto flow = body()) return *flow;
        }
        return Flow::Normal;
    }
    for (;;) {
        VARIANT item;
        ::VariantInit(&item);
        ULONG fetched = 0;
        if (items->Next(1, &item, &fetched) != S_OK || fetched != 1) {
            ::VariantClear(&item);
            return Flow::Normal;
        }
        setVariable(Value::Take(item));
        if (auto flow = body()) return *flow;
    }
}

ComPtr<IEnumVARIANT> Interpreter::enumeratorOf(const Value& group) {
    if (!group.isObject()) RaiseError(errors::kNotACollection);
    if (group.isNothing()) RaiseError(errors::kObjectVariableNotSet);
    std::vector<Value> none;
    Value enumerator;
    try {
        enumerator = InvokeId(group.dispatch(), DISPID_NEWENUM, L"_NewEnum", DISPATCH_METHOD | DISPATCH_PROPERTYGET, none);
    } catch (const ScriptError&) {
        RaiseError(errors::kNotACollection);
    }
    ComPtr<IEnumVARIANT> items;
    IUnknown* unk = enumerator.unknown();
    if (!unk || FAILED(unk->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(items.GetAddressOf()))))
        RaiseError(errors::kNotACollection);
    return items;
}

Interpreter::Flow Interpreter::execDo(const Stmt& s, Frame& f) {
    // A resumed error in the test at the top goes into the body; at the bottom, past the
    // loop: each time on to the statement that follows the test.
    auto test = [&](LoopTest kind, const std::unique_ptr<Expr>& cond, bool goOnAfterError) {
        if (kind == LoopTest::None) return true;
        bool c = condition(*cond, f, kind == LoopTest::While ? goOnAfterError : !goOnAfterError);
        return kind == LoopTest::While ? c : !c;
    };
    if (!test(s.topTest, s.topCondition, true)) return Flow::Normal;
    for (;;) {
        Flow flow = execList(s.body, f);
        if (flow == Flow::ExitDo && s.kind == StmtKind::Do) return Flow::Normal;
        if (flow != Flow::Normal) return flow;
        enter(f, s.tailPoint);
        if (!test(s.bottomTest, s.bottomCondition, false)) return Flow::Normal;
        if (!test(s.topTest, s.topCondition, true)) return Flow::Normal;
    }
}

Interpreter::Flow Interpreter::execSelect(const Stmt& s, Frame& f) {
    Value tested;
    bool failed = false;
    try {
        tested = letValue(eval(*s.value, f));
    } catch (const ScriptError& error) {
        if (!resumeAfter(error, f)) throw;
        failed = true;  // on into the first Case
    }
    for (const CaseClause& c : s.cases) {
        bool match = c.values.empty() || failed;
        for (size_t i = 0; i < c.values.size() && !match; ++i) {
            try {
                Value equal = BinaryOp(Op::Eq, tested, letValue(eval(*c.values[i], f)));
                match = equal.type() == VT_BOOL && equal.variant().boolVal;
            } catch (const ScriptError& error) {
                if (!resumeAfter(error, f)) throw;
                match = true;
            }
        }
        if (!match) continue;
        enter(f, c.point);
        return execList(c.body, f);
    }
    return Flow::Normal;
}

Interpreter::Flow Interpreter::execWith(const Stmt& s, Frame& f) {
    Value object = eval(*s.value, f);
    if (!object.isObject()) RaiseError(errors::kObjectRequired);
    f.withObjects.push_back(std::move(object));
    struct Pop {
        Frame& f;
        ~Pop() { f.withObjects.pop_back(); }
    } pop{f};
    return execList(s.body, f);
}

// Dim a(3), b(): the arrays come into being when the Dim runs (the names are Empty
// before); a Dim that runs again keeps the array it made.
void Interpreter::execDim(const Stmt& s, Frame& f) {
    for (const DimItem& item : s.dims) {
        Variable& v = variableFor(item, f);
        if (IsArray(v.get())) continue;
        std::vector<LONG> bounds;
        for (const auto& b : item.bounds) bounds.push_back(ToLong(eval(*b, f)));
        v.get() = bounds.empty() ? UnsizedArray() : MakeArray(bounds);
        v.fixedArray = !bounds.empty();
    }
}

// The variable a Dim or ReDim names: a global or a member of the class is found first;
// a name nothing declares becomes a variable of the running scope.
Variable& Interpreter::variableFor(const DimItem& item, Frame& f) {
    if (Variable* v = findVariable(item.lower, f)) return *v;
    VariableMap& scope = f.variables().procedure ? f.variables().locals : globals_;
    Variable& v = scope[item.lower];
    v.name = item.name;
    return v;
}

void Interpreter::execReDim(const Stmt& s, Frame& f) {
    for (const DimItem& item : s.dims) {
        std::vector<LONG> bounds;
        for (const auto& b : item.bounds) bounds.push_back(ToLong(DefaultValue(eval(*b, f))));
        Variable* v = &variableFor(item, f);
        if (v->fixedArray || v->isConst) RaiseError(errors::kArrayLocked, item.name);
        ReDimArray(v->get(), bounds, s.preserve);
    }
}

void Interpreter::execErase(const Stmt& s, Frame& f) {
    for (const DimItem& item : s.dims) {
        Variable* v = findVariable(item.lower, f);
        if (!v) RaiseError(errors::kVariableUndefined, item.name);
        if (!IsArray(v->get())) RaiseError(errors::kTypeMismatch, item.name);
        EraseArray(v->get(), v->fixedArray);
    }
}

Variable* Interpreter::findVariable(const std::wstring& lower, Frame& f) {
    Frame& s = f.variables();
    if (s.procedure) {
        auto it = s.locals.find(lower);
        if (it != s.locals.end()) return &it->second;
    }
    if (s.instance) {
        if (Variable* v = s.instance->field(lower, true)) return v;
    }
    auto it = globals_.find(lower);
    return it == globals_.end() ? nullptr : &it->second;
}

// Option Explicit holds for the text that declares it, and for code that text runs by Execute.
bool Interpreter::explicitIn(const Frame& f) const {
    if (f.block && f.block->optionExplicit) return true;
    return f.scope && f.scope->block && f.scope->block->optionExplicit;
}

Variable& Interpreter::implicitVariable(const Expr& name, Frame& f) {
    // A watch never declares anything: an unknown name there is an error.
    if (explicitIn(f) || evalDepth_ > 0) RaiseError(errors::kVariableUndefined, name.name);
    Frame& s = f.variables();
    VariableMap& scope = s.procedure ? s.locals : globals_;
    Variable& v = scope[name.lower];
    v.name = name.name;
    return v;
}

const Procedure* Interpreter::findProcedure(const std::wstring& lower) const {
    auto it = procedures_.find(lower);
    return it == procedures_.end() ? nullptr : it->second;
}

const ClassDef* Interpreter::findClass(const std::wstring& lower) const {
    auto it = classes_.find(lower);
    return it == classes_.end() ? nullptr : it->second;
}

const Procedure* Interpreter::methodOf(Frame& f, const std::wstring& lower, ProcKind kind) const {
    Frame& s = f.variables();
    if (!s.instance) return nullptr;
    const ClassDef& def = s.instance->definition();
    if (kind == ProcKind::PropertyLet) {
        if (const Procedure* p = def.find(lower, ProcKind::PropertyLet)) return p;
        return def.find(lower, ProcKind::PropertySet);
    }
    if (const Procedure* p = def.find(lower, ProcKind::PropertyGet)) return p;
    if (const Procedure* p = def.find(lower, ProcKind::Function)) return p;
    return def.find(lower, ProcKind::Sub);
}

Value Interpreter::letValue(Value v) {
    if (!v.isObject()) return v;
    return DefaultValue(v);
}

Value Interpreter::eval(const Expr& e, Frame& f) {
    switch (e.kind) {
    case ExprKind::Literal: return e.literal;
    case ExprKind::Name: return readName(e, f);
    case ExprKind::Call: return call(e, f);
    case ExprKind::Member: {
        Value object = e.left ? eval(*e.left, f) : withObject(e, f);
        std::vector<Value> none;
        return memberCall(object, e.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none, nullptr, f);
    }
    case ExprKind::Unary: {
        Value v = eval(*e.left, f);
        if (e.op == Op::Plus) return v;
        return UnaryOp(e.op, DefaultValue(v));
    }
    case ExprKind::Binary: return evalBinary(e, f);
    case ExprKind::New: return newObject(e, f);
    case ExprKind::Me:
        if (!f.variables().me) RaiseError(errors::kInvalidUseOfMe);
        return Value::Object(f.variables().me.Get());
    }
    return Value();
}

Value Interpreter::withObject(const Expr&, Frame& f) {
    // Inside Execute the With blocks of the running frame count too.
    for (Frame* frame = &f; frame; frame = frame->scope) {
        if (!frame->withObjects.empty()) return frame->withObjects.back();
    }
    RaiseError(errors::kObjectRequired);
}

Value Interpreter::evalBinary(const Expr& e, Frame& f) {
    Value l = eval(*e.left, f);
    Value r = eval(*e.right, f);
    if (e.op == Op::Is) {
        if (!l.isObject() || !r.isObject()) RaiseError(errors::kObjectRequired);
        ComPtr<IUnknown> a, b;
        return Value::Bool(Identity(l, a) == Identity(r, b));
    }
    return BinaryOp(e.op, DefaultValue(l), DefaultValue(r));
}

Value Interpreter::newObject(const Expr& e, Frame& f) {
    const ClassDef* def = findClass(e.lower);
    if (!def) {
        if (e.lower == L"regexp") return NewRegExp();
        RaiseError(errors::kClassNotDefined, e.name);
    }
    ComPtr<ClassInstance> instance;
    instance = common::Adopt(new ClassInstance(*def, self_));
    if (const Procedure* init = def->find(L"class_initialize", ProcKind::Sub)) {
        std::vector<Argument> none;
        invokeProcedure(*init, none, nullptr, instance.Get(), nullptr);
    }
    instance->initialized = true;
    (void)f;
    return Value::Object(instance.Get());
}

void Interpreter::terminate(ClassInstance& instance) {
    if (clearing_) return;
    const Procedure* done = instance.definition().find(L"class_terminate", ProcKind::Sub);
    // Script code runs on the script thread only: an object a debugger's copy kept alive
    // and let go of elsewhere ends without it.
    if (!done || frames_.empty() || ::GetCurrentThreadId() != thread_) return;
    // Errors of Class_Terminate end nowhere: the statement that dropped the object goes on.
    try {
        std::vector<Argument> none;
        invokeProcedure(*done, none, nullptr, &instance, nullptr);
    } catch (const ScriptError&) {
    }
}

Value Interpreter::readName(const Expr& e, Frame& f) {
    if (Variable* v = findVariable(e.lower, f)) return v->get();
    if (const Procedure* m = methodOf(f, e.lower, ProcKind::PropertyGet)) {
        std::vector<Argument> none;
        return invokeProcedure(*m, none, nullptr, f.variables().instance, nullptr);
    }
    Value object;
    if (host_.namedItem(e.lower, object)) return object;
    if (const Procedure* p = findProcedure(e.lower)) {
        std::vector<Argument> none;
        return invokeProcedure(*p, none, nullptr, nullptr, nullptr);
    }
    if (BuiltinConstant(e.lower, object)) return object;
    bool handled = false;
    Value special = callSpecial(e.lower, e, f, handled);
    if (handled) return special;
    if (IsBuiltin(e.lower)) {
        std::vector<Value> none;
        return CallBuiltin(e.lower, e.name, none, err_.Get());
    }
    DISPID id;
    if (host_.globalMember(e.name, object, id)) {
        std::vector<Value> none;
        return InvokeId(object.dispatch(), id, e.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none);
    }
    return implicitVariable(e, f).get();
}

std::vector<Value> Interpreter::evalArgs(const std::vector<std::unique_ptr<Expr>>& args, Frame& f) {
    std::vector<Value> values;
    values.reserve(args.size());
    for (const auto& a : args) values.push_back(a ? eval(*a, f) : MissingArgument());
    return values;
}

std::vector<Interpreter::Argument> Interpreter::bindArguments(const std::vector<std::unique_ptr<Expr>>& args,
                                                              Frame& f) {
    std::vector<Argument> out;
    out.reserve(args.size());
    for (const auto& a : args) {
        Argument arg;
        if (!a) {
            arg.value = MissingArgument();
        } else if (a->kind == ExprKind::Name) {
            // A variable goes by reference (the callee decides whether it uses it so).
            if (Variable* v = findVariable(a->lower, f)) {
                if (v->isConst) arg.value = v->get();
                else arg.ref = &v->get();
            } else {
                arg.value = eval(*a, f);
            }
        } else if (a->kind == ExprKind::Call && !a->args.empty()) {
            // So does an element of an array; the array stays locked for the call.
            SAFEARRAY* array = nullptr;
            if (Value* element = elementStorage(*a, f, &array)) {
                ::SafeArrayLock(array);
                arg.locked.reset(array);
                arg.ref = element;
            } else {
                arg.value = eval(*a, f);
            }
        } else {
            arg.value = eval(*a, f);
        }
        out.push_back(std::move(arg));
    }
    return out;
}

Value Interpreter::call(const Expr& e, Frame& f) {
    if (e.kind != ExprKind::Call) return eval(e, f);
    const Expr& target = *e.left;
    if (target.kind == ExprKind::Name) return callName(e, f);
    if (target.kind == ExprKind::Member) {
        Value object = target.left ? eval(*target.left, f) : withObject(target, f);
        if (ClassInstance* instance = AsClassInstance(object); instance && instance->madeBy(*this)) {
            bool inside = instance == f.variables().instance;
            if (!instance->field(target.lower, inside)) {
                const Procedure* p = instance->resolve(target.lower, DISPATCH_METHOD | DISPATCH_PROPERTYGET, false, inside);
                if (!p) RaiseError(errors::kNoSuchMember, target.name);
                std::vector<Argument> args = bindArguments(e.args, f);
                return invokeProcedure(*p, args, nullptr, instance, nullptr);
            }
        }
        std::vector<Value> args = evalArgs(e.args, f);
        return memberCall(object, target.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, nullptr, f);
    }
    // (expression)(args) or a call result called again: its default member or element.
    Value object = eval(target, f);
    std::vector<Value> args = evalArgs(e.args, f);
    if (IsArray(object)) return ArrayElement(object, args);
    if (!object.dispatch()) RaiseError(object.isNothing() ? errors::kObjectVariableNotSet : errors::kTypeMismatch);
    return InvokeId(object.dispatch(), DISPID_VALUE, L"default value", DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

Value Interpreter::callName(const Expr& e, Frame& f) {
    const Expr& t = *e.left;
    // Inside a function its own name is the return value, unless it is called again.
    const Procedure* current = f.variables().procedure;
    bool recursive = current && current->isFunction && current->lower == t.lower && !e.args.empty();
    if (!recursive) {
        if (Variable* v = findVariable(t.lower, f)) {
            if (e.args.empty()) return v->get();
            Value& held = v->get();
            std::vector<Value> args = evalArgs(e.args, f);
            if (IsArray(held)) return ArrayElement(held, args);
            Value object = held;
            if (!object.isObject()) RaiseError(errors::kTypeMismatch, t.name);
            if (!object.dispatch()) RaiseError(errors::kObjectVariableNotSet, t.name);
            return InvokeId(object.dispatch(), DISPID_VALUE, t.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
        }
    }
    if (const Procedure* m = methodOf(f, t.lower, ProcKind::PropertyGet)) {
        std::vector<Argument> args = bindArguments(e.args, f);
        return invokeProcedure(*m, args, nullptr, f.variables().instance, nullptr);
    }
    if (const Procedure* proc = findProcedure(t.lower)) {
        std::vector<Argument> args = bindArguments(e.args, f);
        return invokeProcedure(*proc, args, nullptr, nullptr, nullptr);
    }
    bool handled = false;
    Value special = callSpecial(t.lower, e, f, handled);
    if (handled) return special;
    if (IsBuiltin(t.lower)) {
        std::vector<Value> args = evalArgs(e.args, f);
        return CallBuiltin(t.lower, t.name, args, err_.Get());
    }
    Value object;
    if (host_.namedItem(t.lower, object)) {
        if (e.args.empty()) return object;
        std::vector<Value> args = evalArgs(e.args, f);
        return InvokeId(object.dispatch(), DISPID_VALUE, t.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }
    if (BuiltinConstant(t.lower, object)) {
        if (e.args.empty()) return object;
        RaiseError(errors::kTypeMismatch, t.name);
    }
    DISPID id;
    if (host_.globalMember(t.name, object, id)) {
        std::vector<Value> args = evalArgs(e.args, f);
        return InvokeId(object.dispatch(), id, t.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }
    if (e.args.empty()) return implicitVariable(t, f).get();
    // Calling a name nothing defines: an undefined procedure, as the language reports it.
    RaiseError(explicitIn(f) ? errors::kVariableUndefined : errors::kTypeMismatch, t.name);
}

// Eval, Execute, ExecuteGlobal and GetRef work on the running script itself.
Value Interpreter::callSpecial(const std::wstring& lower, const Expr& e, Frame& f, bool& handled) {
    handled = false;
    bool isEval = lower == L"eval", isExecute = lower == L"execute", isGlobal = lower == L"executeglobal",
         isGetRef = lower == L"getref";
    if (!isEval && !isExecute && !isGlobal && !isGetRef) return Value();
    handled = true;
    const auto& argExprs = e.kind == ExprKind::Call ? e.args : kNoArgs;
    std::wstring name = e.kind == ExprKind::Call ? e.left->name : e.name;
    if (argExprs.size() != 1 || !argExprs[0]) RaiseError(errors::kWrongArgumentCount, name);
    Value arg = letValue(eval(*argExprs[0], f));
    if (arg.type() == VT_NULL) RaiseError(errors::kTypeMismatch, name);
    std::wstring text = ToText(arg);
    if (isGetRef) {
        std::wstring wanted = text;
        for (auto& c : wanted) c = static_cast<wchar_t>(std::towlower(c));
        const Procedure* p = findProcedure(wanted);
        if (!p) RaiseError(errors::kInvalidCall, name);
        ComPtr<ProcedureRef> ref;
        ref = common::Adopt(new ProcedureRef(*p, self_));
        return Value::Object(ref.Get());
    }
    if (isEval) {
        const Block& block = host_.compile(text, true);
        Frame inner;
        inner.block = &block;
        inner.scope = &f.variables();
        inner.procedure = f.variables().procedure;
        return eval(*block.expression, inner);
    }
    execute(text, isGlobal, f);
    return Value();
}

void Interpreter::execute(const std::wstring& text, bool global, Frame& f) {
    const Block& block = host_.compile(text, false);
    Frame& caller = f.variables();
    auto frame = std::make_shared<Frame>();
    frame->block = &block;
    if (global || !caller.procedure) {
        addBlock(block);
    } else {
        // Execute inside a procedure: its Dims are the procedure's locals.
        for (const auto& p : block.procedures) procedures_[p->lower] = p.get();
        for (const auto& c : block.classes) classes_[c->lower] = c.get();
        for (size_t i = 0; i < block.globals.size(); ++i)
            caller.locals.emplace(block.globalsLower[i], Variable{block.globals[i], Value()});
        frame->scope = &caller;
        frame->procedure = caller.procedure;
        frame->instance = caller.instance;
        frame->me = caller.me;
    }
    checkStack(L"Execute");
    FrameGuard guard(*this, frame);
    if (!block.constants.empty())
        defineConstants(block.constants, frame->scope ? caller.locals : globals_, *frame);
    execList(block.code, *frame);
}

Value Interpreter::memberCall(const Value& object, const std::wstring& name, WORD flags, std::vector<Value>& args,
                              const Value* assigned, Frame& f) {
    ClassInstance* instance = AsClassInstance(object);
    if (instance && instance->madeBy(*this)) {
        std::wstring lower = name;
        for (auto& c : lower) c = static_cast<wchar_t>(std::towlower(c));
        bool inside = instance == f.variables().instance;
        bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        if (Variable* v = instance->field(lower, inside)) {
            if (put) {
                if ((flags & DISPATCH_PROPERTYPUTREF) && !assigned->isObject()) RaiseError(errors::kObjectRequired, name);
                if (args.empty()) v->get() = *assigned;
                else SetArrayElement(v->get(), args, *assigned);
                return Value();
            }
            if (args.empty()) return v->get();
            if (IsArray(v->get())) return ArrayElement(v->get(), args);
            Value held = v->get();
            if (!held.dispatch()) RaiseError(errors::kTypeMismatch, name);
            return InvokeId(held.dispatch(), DISPID_VALUE, name, flags, args);
        }
        const Procedure* p = instance->resolve(lower, flags, assigned && assigned->isObject(), inside);
        if (!p) RaiseError(errors::kNoSuchMember, name);
        std::vector<Argument> bound;
        for (auto& a : args) {
            Argument arg;
            arg.value = a;
            bound.push_back(std::move(arg));
        }
        return invokeProcedure(*p, bound, nullptr, instance, assigned);
    }
    return InvokeMember(object, name, flags, args, assigned);
}

Value Interpreter::callMethod(ClassInstance& instance, const Procedure& method, std::vector<Value>& args,
                              const Value* assigned) {
    std::vector<Argument> bound;
    for (auto& a : args) {
        Argument arg;
        if (a.type() == (VT_BYREF | VT_VARIANT)) arg.ref = reinterpret_cast<Value*>(a.variant().pvarVal);
        else arg.value = a;
        bound.push_back(std::move(arg));
    }
    return invokeProcedure(method, bound, nullptr, &instance, assigned);
}

Value Interpreter::callProcedureRef(const Procedure& procedure, std::vector<Value>& args) {
    std::vector<Argument> bound;
    for (auto& a : args) {
        Argument arg;
        if (a.type() == (VT_BYREF | VT_VARIANT)) arg.ref = reinterpret_cast<Value*>(a.variant().pvarVal);
        else arg.value = a;
        bound.push_back(std::move(arg));
    }
    return invokeProcedure(procedure, bound, nullptr, nullptr, nullptr);
}

Value Interpreter::invokeProcedure(const Procedure& p, std::vector<Argument>& args, Frame*, ClassInstance* instance,
                                   const Value* assigned) {
    size_t expected = p.params.size() - (assigned ? 1 : 0);
    if (assigned && p.params.empty()) RaiseError(errors::kWrongArgumentCount, p.name);
    if (args.size() != expected) RaiseError(errors::kWrongArgumentCount, p.name);
    if (!stackLimit_) stackLimit_ = StackLimitOfThisThread();
    checkStack(p.name);
    auto frame = std::make_shared<Frame>();
    frame->procedure = &p;
    frame->block = p.block;
    if (instance) {
        frame->instance = instance;
        frame->me = instance;
    }
    for (size_t i = 0; i < args.size(); ++i) {
        const Parameter& param = p.params[i];
        Variable v{param.name, Value()};
        Argument& a = args[i];
        if (a.ref && !param.byVal) v.alias = a.ref;
        else v.value = a.ref ? *a.ref : std::move(a.value);
        frame->locals[param.lower] = std::move(v);
    }
    if (assigned) frame->locals[p.params.back().lower] = Variable{p.params.back().name, *assigned};
    for (size_t i = 0; i < p.locals.size(); ++i) frame->locals.emplace(p.localsLower[i], Variable{p.locals[i], Value()});
    if (p.isFunction) frame->locals.emplace(p.lower, Variable{p.name, Value()});
    {
        FrameGuard guard(*this, frame);
        if (!p.constants.empty()) defineConstants(p.constants, frame->locals, *frame);
        execList(p.body, *frame);
    }
    if (!p.isFunction) return Value();
    return std::move(frame->locals[p.lower].value);
}

Value* Interpreter::storageOf(const Expr& e, Frame& f) {
    if (e.kind != ExprKind::Name) return nullptr;
    Variable* v = findVariable(e.lower, f);
    return v && !v->isConst ? &v->get() : nullptr;
}

// The storage of a(i) or a(i)(j) when a is an array variable (elements of arrays of
// VARIANTs only); null for anything else. array tells which array holds it.
Value* Interpreter::elementStorage(const Expr& e, Frame& f, SAFEARRAY** array) {
    if (e.kind == ExprKind::Name) return storageOf(e, f);
    if (e.kind != ExprKind::Call || e.args.empty() || !e.left) return nullptr;
    const Expr& base = *e.left;
    if (base.kind != ExprKind::Name && base.kind != ExprKind::Call) return nullptr;
    SAFEARRAY* unused = nullptr;
    Value* held = elementStorage(base, f, &unused);
    if (!held || !IsArray(*held) || (held->type() & VT_BYREF)) return nullptr;
    std::vector<Value> indices = evalArgs(e.args, f);
    VARIANT* element = ArrayElementPointer(*held, indices);
    if (!element) return nullptr;
    if (array) *array = held->variant().parray;
    return reinterpret_cast<Value*>(element);
}

void Interpreter::assign(const Expr& target, Value value, bool isSet, Frame& f) {
    if (isSet && !value.isObject()) RaiseError(errors::kObjectRequired, target.kind == ExprKind::Name ? target.name : L"");
    WORD putFlag = isSet ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    switch (target.kind) {
    case ExprKind::Name: {
        Variable* v = findVariable(target.lower, f);
        if (!v) {
            if (const Procedure* m = methodOf(f, target.lower, ProcKind::PropertyLet)) {
                std::vector<Argument> none;
                invokeProcedure(*m, none, nullptr, f.variables().instance, &value);
                return;
            }
            Value unused;
            if (findProcedure(target.lower) || IsBuiltin(target.lower) || BuiltinConstant(target.lower, unused) ||
                host_.namedItem(target.lower, unused))
                RaiseError(errors::kIllegalAssignment, target.name);
            v = &implicitVariable(target, f);
        }
        if (v->isConst) RaiseError(errors::kIllegalAssignment, target.name);
        v->get() = std::move(value);
        return;
    }
    case ExprKind::Member: {
        Value object = target.left ? eval(*target.left, f) : withObject(target, f);
        std::vector<Value> none;
        memberCall(object, target.name, putFlag, none, &value, f);
        return;
    }
    case ExprKind::Call: {
        const Expr& callee = *target.left;
        if (callee.kind == ExprKind::Member) {
            Value object = callee.left ? eval(*callee.left, f) : withObject(callee, f);
            std::vector<Value> args = evalArgs(target.args, f);
            memberCall(object, callee.name, putFlag, args, &value, f);
            return;
        }
        if (callee.kind == ExprKind::Call) {
            // a(i)(j) = value: into the inner array, where it is stored.
            Value* inner = elementStorage(callee, f, nullptr);
            std::vector<Value> args = evalArgs(target.args, f);
            if (inner && IsArray(*inner)) {
                SetArrayElement(*inner, args, value);
                return;
            }
            Value object = inner ? *inner : eval(callee, f);
            if (!object.dispatch()) RaiseError(errors::kTypeMismatch);
            InvokeId(object.dispatch(), DISPID_VALUE, L"default value", putFlag, args, &value);
            return;
        }
        if (callee.kind != ExprKind::Name) RaiseError(errors::kIllegalAssignment);
        Variable* v = findVariable(callee.lower, f);
        if (!v) {
            if (const Procedure* m = methodOf(f, callee.lower, ProcKind::PropertyLet)) {
                std::vector<Argument> args = bindArguments(target.args, f);
                invokeProcedure(*m, args, nullptr, f.variables().instance, &value);
                return;
            }
            RaiseError(explicitIn(f) ? errors::kVariableUndefined : errors::kTypeMismatch, callee.name);
        }
        std::vector<Value> args = evalArgs(target.args, f);
        Value& held = v->get();
        if (IsArray(held)) {
            if (v->isConst) RaiseError(errors::kIllegalAssignment, callee.name);
            SetArrayElement(held, args, value);
            return;
        }
        if (!held.dispatch()) RaiseError(errors::kTypeMismatch, callee.name);
        Value object = held;
        InvokeId(object.dispatch(), DISPID_VALUE, callee.name, putFlag, args, &value);
        return;
    }
    default: RaiseError(errors::kIllegalAssignment);
    }
}

} // namespace stepscript
