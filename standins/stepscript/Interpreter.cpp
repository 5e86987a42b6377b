#include "standins/stepscript/Interpreter.h"
#include "standins/stepscript/Builtins.h"
#include "standins/stepscript/ErrObject.h"
#include "standins/stepscript/Operators.h"
#include "standins/stepscript/SyntaxError.h"
#include "common/ComError.h"
#include <cwctype>

namespace stepscript {

using Microsoft::WRL::ComPtr;

namespace {

std::wstring BstrText(BSTR b) { return std::wstring(b ? b : L"", ::SysStringLen(b)); }

[[noreturn]] void RaiseFromInvoke(HRESULT hr, EXCEPINFO& ei, const std::wstring& name) {
    std::wstring source, description;
    HRESULT code = hr;
    if (hr == DISP_E_EXCEPTION) {
        if (ei.pfnDeferredFillIn) ei.pfnDeferredFillIn(&ei);
        code = ei.scode ? ei.scode : (ei.wCode ? ScriptHr(ei.wCode) : E_FAIL);
        source = BstrText(ei.bstrSource);
        description = BstrText(ei.bstrDescription);
    }
    ::SysFreeString(ei.bstrSource);
    ::SysFreeString(ei.bstrDescription);
    ::SysFreeString(ei.bstrHelpFile);
    ei = EXCEPINFO{};
    if (description.empty()) {
        // Components such as wrappers report through the error object.
        ComPtr<IErrorInfo> info;
        if (::GetErrorInfo(0, info.GetAddressOf()) == S_OK && info) {
            BSTR b = nullptr;
            if (SUCCEEDED(info->GetDescription(&b))) description = BstrText(b);
            ::SysFreeString(b);
            b = nullptr;
            if (source.empty() && SUCCEEDED(info->GetSource(&b))) source = BstrText(b);
            ::SysFreeString(b);
        }
    }
    if (description.empty()) {
        int number = 0;
        switch (code) {
        case DISP_E_MEMBERNOTFOUND:
        case DISP_E_UNKNOWNNAME: number = errors::kNoSuchMember; break;
        case DISP_E_BADPARAMCOUNT:
        case DISP_E_PARAMNOTOPTIONAL: number = errors::kWrongArgumentCount; break;
        case DISP_E_TYPEMISMATCH:
        case DISP_E_BADVARTYPE: number = errors::kTypeMismatch; break;
        case DISP_E_OVERFLOW: number = errors::kOverflow; break;
        case DISP_E_DIVBYZERO: number = errors::kDivisionByZero; break;
        default: break;
        }
        if (number) {
            code = ScriptHr(number);
            description = ErrorMessage(number) + L": '" + name + L"'";
        } else {
            description = common::SystemMessage(static_cast<DWORD>(code));
            if (description.empty()) description = ErrorMessage(errors::kUnknownRuntime) + L": '" + name + L"'";
        }
    }
    if (source.empty()) source = kRuntimeSource;
    throw ScriptError{code, source, description};
}

IUnknown* Identity(const Value& v, ComPtr<IUnknown>& holder) {
    IUnknown* unk = v.unknown();
    if (!unk) return nullptr;
    unk->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(holder.GetAddressOf()));
    return holder.Get();
}

} // namespace

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
    EXCEPINFO ei{};
    UINT argError = 0;
    ::SetErrorInfo(0, nullptr);
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, assigned ? nullptr : &result,
                                &ei, &argError);
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

Interpreter::Interpreter(RuntimeHost& host) : host_(host) { err_.Attach(new ErrObject()); }

Interpreter::~Interpreter() = default;

void Interpreter::clear() {
    frames_.clear();
    globals_.clear();
    procedures_.clear();
    if (err_) err_->clear();
}

void Interpreter::addBlock(const Block& block) {
    for (size_t i = 0; i < block.globals.size(); ++i) {
        // A name declared again by a later block keeps its value.
        globals_.emplace(block.globalsLower[i], Variable{block.globals[i], Value()});
    }
    for (const auto& p : block.procedures) procedures_[p->lower] = p.get();
}

void Interpreter::run(const Block& block) {
    auto frame = std::make_shared<Frame>();
    frame->block = &block;
    FrameGuard guard(*this, frame);
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
        }
    }
}

bool Interpreter::condition(const Expr& e, Frame& f) { return ToBool(DefaultValue(eval(e, f))); }

Interpreter::Flow Interpreter::execInner(const Stmt& s, Frame& f) {
    switch (s.kind) {
    case StmtKind::Let: assign(*s.target, letValue(eval(*s.value, f)), false, f); return Flow::Normal;
    case StmtKind::Set: assign(*s.target, eval(*s.value, f), true, f); return Flow::Normal;
    case StmtKind::Call: call(*s.target, f); return Flow::Normal;
    case StmtKind::If:
        for (size_t i = 0; i < s.clauses.size(); ++i) {
            const IfClause& c = s.clauses[i];
            if (i > 0) enter(f, c.point);
            if (condition(*c.condition, f)) return execList(c.body, f);
        }
        return execList(s.elseBody, f);
    case StmtKind::For: return execFor(s, f);
    case StmtKind::Do:
    case StmtKind::While: return execDo(s, f);
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
    Value from = letValue(eval(*s.from, f));
    Value to = letValue(eval(*s.to, f));
    Value step = s.step ? letValue(eval(*s.step, f)) : Value::Long(1);
    // Counting is numeric: strings that hold numbers convert, anything else mismatches.
    double stepNumber = ToDouble(step);
    ToDouble(to);
    Variable* var = findVariable(s.variableLower, f);
    if (!var) RaiseError(errors::kVariableUndefined, s.variable);
    var->get() = from;
    VARIANT cmp;
    for (;;) {
        var = findVariable(s.variableLower, f);
        if (!var) RaiseError(errors::kVariableUndefined, s.variable);
        HRESULT c = ::VarCmp(&var->get().variant(), &to.variant(), LOCALE_USER_DEFAULT, 0);
        if (c == VARCMP_NULL || FAILED(c)) RaiseError(errors::kTypeMismatch);
        if (stepNumber >= 0 ? c == VARCMP_GT : c == VARCMP_LT) return Flow::Normal;
        Flow flow = execList(s.body, f);
        if (flow == Flow::ExitFor) return Flow::Normal;
        if (flow != Flow::Normal) return flow;
        enter(f, s.tailPoint);
        var = findVariable(s.variableLower, f);
        if (!var) RaiseError(errors::kVariableUndefined, s.variable);
        ::VariantInit(&cmp);
        HRESULT hr = ::VarAdd(&var->get().variant(), &step.variant(), &cmp);
        if (FAILED(hr)) RaiseArithmetic(hr);
        var->get() = Value::Take(cmp);
    }
}

Interpreter::Flow Interpreter::execDo(const Stmt& s, Frame& f) {
    auto test = [&](LoopTest kind, const std::unique_ptr<Expr>& cond) {
        if (kind == LoopTest::None) return true;
        bool c = condition(*cond, f);
        return kind == LoopTest::While ? c : !c;
    };
    if (!test(s.topTest, s.topCondition)) return Flow::Normal;
    for (;;) {
        Flow flow = execList(s.body, f);
        if (flow == Flow::ExitDo && s.kind == StmtKind::Do) return Flow::Normal;
        if (flow != Flow::Normal) return flow;
        enter(f, s.tailPoint);
        if (!test(s.bottomTest, s.bottomCondition)) return Flow::Normal;
        if (!test(s.topTest, s.topCondition)) return Flow::Normal;
    }
}

Variable* Interpreter::findVariable(const std::wstring& lower, Frame& f) {
    if (f.procedure) {
        auto it = f.locals.find(lower);
        if (it != f.locals.end()) return &it->second;
    }
    auto it = globals_.find(lower);
    return it == globals_.end() ? nullptr : &it->second;
}

const Procedure* Interpreter::findProcedure(const std::wstring& lower) const {
    auto it = procedures_.find(lower);
    return it == procedures_.end() ? nullptr : it->second;
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
        Value object = eval(*e.left, f);
        std::vector<Value> none;
        return InvokeMember(object, e.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none);
    }
    case ExprKind::Unary: {
        Value v = eval(*e.left, f);
        if (e.op == Op::Plus) return v;
        return UnaryOp(e.op, DefaultValue(v));
    }
    case ExprKind::Binary: return evalBinary(e, f);
    }
    return Value();
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

Value Interpreter::readName(const Expr& e, Frame& f) {
    if (Variable* v = findVariable(e.lower, f)) return v->get();
    Value object;
    if (host_.namedItem(e.lower, object)) return object;
    if (const Procedure* p = findProcedure(e.lower)) {
        static const std::vector<std::unique_ptr<Expr>> kNoArgs;
        return callProcedure(*p, kNoArgs, f);
    }
    if (IsBuiltin(e.lower)) {
        std::vector<Value> none;
        return CallBuiltin(e.lower, e.name, none, err_.Get());
    }
    DISPID id;
    if (host_.globalMember(e.name, object, id)) {
        std::vector<Value> none;
        return InvokeId(object.dispatch(), id, e.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none);
    }
    RaiseError(errors::kVariableUndefined, e.name);
}

std::vector<Value> Interpreter::evalArgs(const std::vector<std::unique_ptr<Expr>>& args, Frame& f) {
    std::vector<Value> values;
    values.reserve(args.size());
    for (const auto& a : args) values.push_back(a ? eval(*a, f) : MissingArgument());
    return values;
}

Value Interpreter::call(const Expr& e, Frame& f) {
    if (e.kind != ExprKind::Call) return eval(e, f);
    const Expr& target = *e.left;
    if (target.kind == ExprKind::Name) return callName(e, f);
    if (target.kind == ExprKind::Member) {
        Value object = eval(*target.left, f);
        std::vector<Value> args = evalArgs(e.args, f);
        return InvokeMember(object, target.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }
    // (expression)(args) or a call result called again: its default member.
    Value object = eval(target, f);
    std::vector<Value> args = evalArgs(e.args, f);
    if (!object.dispatch()) RaiseError(object.isNothing() ? errors::kObjectVariableNotSet : errors::kTypeMismatch);
    return InvokeId(object.dispatch(), DISPID_VALUE, L"default value", DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

Value Interpreter::callName(const Expr& e, Frame& f) {
    const Expr& t = *e.left;
    const Procedure* proc = findProcedure(t.lower);
    // Inside a function its own name is the return value, unless it is called again.
    bool recursive = f.procedure && f.procedure->isFunction && f.procedure->lower == t.lower && !e.args.empty();
    if (!recursive) {
        if (Variable* v = findVariable(t.lower, f)) {
            if (e.args.empty()) return v->get();
            Value object = v->get();
            if (!object.isObject()) RaiseError(errors::kTypeMismatch, t.name);
            if (!object.dispatch()) RaiseError(errors::kObjectVariableNotSet, t.name);
            std::vector<Value> args = evalArgs(e.args, f);
            return InvokeId(object.dispatch(), DISPID_VALUE, t.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
        }
    }
    if (proc) return callProcedure(*proc, e.args, f);
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
    DISPID id;
    if (host_.globalMember(t.name, object, id)) {
        std::vector<Value> args = evalArgs(e.args, f);
        return InvokeId(object.dispatch(), id, t.name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }
    RaiseError(errors::kVariableUndefined, t.name);
}

Value Interpreter::callProcedure(const Procedure& p, const std::vector<std::unique_ptr<Expr>>& args, Frame& caller) {
    if (args.size() != p.params.size()) RaiseError(errors::kWrongArgumentCount, p.name);
    if (frames_.size() >= kMaxCallDepth) RaiseError(errors::kOutOfStack, p.name);
    auto frame = std::make_shared<Frame>();
    frame->procedure = &p;
    frame->block = p.block;
    for (size_t i = 0; i < args.size(); ++i) {
        Variable param{p.params[i].name, Value()};
        // An argument that names a variable is passed by reference unless ByVal: the
        // parameter is that variable.
        Variable* target = nullptr;
        if (args[i] && args[i]->kind == ExprKind::Name && !p.params[i].byVal) target = findVariable(args[i]->lower, caller);
        if (target) param.alias = &target->get();
        else if (args[i]) param.value = eval(*args[i], caller);
        frame->locals[p.params[i].lower] = std::move(param);
    }
    for (size_t i = 0; i < p.locals.size(); ++i) frame->locals.emplace(p.localsLower[i], Variable{p.locals[i], Value()});
    if (p.isFunction) frame->locals.emplace(p.lower, Variable{p.name, Value()});
    {
        FrameGuard guard(*this, frame);
        execList(p.body, *frame);
    }
    return p.isFunction ? frame->locals[p.lower].value : Value();
}

void Interpreter::assign(const Expr& target, Value value, bool isSet, Frame& f) {
    if (isSet && !value.isObject()) RaiseError(errors::kObjectRequired, target.kind == ExprKind::Name ? target.name : L"");
    WORD putFlag = isSet ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
    switch (target.kind) {
    case ExprKind::Name: {
        Variable* v = findVariable(target.lower, f);
        if (!v) {
            Value unused;
            if (findProcedure(target.lower) || IsBuiltin(target.lower) || host_.namedItem(target.lower, unused))
                RaiseError(errors::kIllegalAssignment, target.name);
            RaiseError(errors::kVariableUndefined, target.name);
        }
        v->get() = std::move(value);
        return;
    }
    case ExprKind::Member: {
        Value object = eval(*target.left, f);
        std::vector<Value> none;
        InvokeMember(object, target.name, putFlag, none, &value);
        return;
    }
    case ExprKind::Call: {
        const Expr& callee = *target.left;
        if (callee.kind == ExprKind::Member) {
            Value object = eval(*callee.left, f);
            std::vector<Value> args = evalArgs(target.args, f);
            InvokeMember(object, callee.name, putFlag, args, &value);
            return;
        }
        Variable* v = findVariable(callee.lower, f);
        if (!v) RaiseError(errors::kVariableUndefined, callee.name);
        if (!v->get().dispatch()) RaiseError(errors::kTypeMismatch, callee.name);
        Value object = v->get();
        std::vector<Value> args = evalArgs(target.args, f);
        InvokeId(object.dispatch(), DISPID_VALUE, callee.name, putFlag, args, &value);
        return;
    }
    default: RaiseError(errors::kIllegalAssignment);
    }
}

} // namespace stepscript
