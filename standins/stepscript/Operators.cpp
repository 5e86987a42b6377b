#include "standins/stepscript/Operators.h"
#include "standins/stepscript/ScriptError.h"
#include "standins/stepscript/SyntaxError.h"
#include <climits>

namespace stepscript {

[[noreturn]] void RaiseArithmetic(HRESULT hr) {
    if (hr == DISP_E_DIVBYZERO) RaiseError(errors::kDivisionByZero);
    if (hr == DISP_E_OVERFLOW) RaiseError(errors::kOverflow);
    RaiseError(errors::kTypeMismatch);
}

Value UnaryOp(Op op, const Value& operand) {
    if (op == Op::Plus) return operand;
    Value v = operand;
    VARIANT r;
    ::VariantInit(&r);
    HRESULT hr = op == Op::Neg ? ::VarNeg(&v.variant(), &r) : ::VarNot(&v.variant(), &r);
    if (FAILED(hr)) RaiseArithmetic(hr);
    return Value::Take(r);
}

Value BinaryOp(Op op, const Value& left, const Value& right) {
    Value l = left, r = right;
    if (op == Op::Cat) {
        if (l.type() == VT_NULL && r.type() == VT_NULL) return l;
        return Value::String((l.type() == VT_NULL ? L"" : ToText(l)) + (r.type() == VT_NULL ? L"" : ToText(r)));
    }
    // Small integers stay on a fast path; everything else follows OLE Automation rules.
    if (l.type() == VT_I4 && r.type() == VT_I4) {
        LONGLONG a = l.variant().lVal, b = r.variant().lVal;
        switch (op) {
        case Op::Add: if (a + b >= LONG_MIN && a + b <= LONG_MAX) return Value::Long(static_cast<LONG>(a + b)); break;
        case Op::Sub: if (a - b >= LONG_MIN && a - b <= LONG_MAX) return Value::Long(static_cast<LONG>(a - b)); break;
        case Op::Eq: return Value::Bool(a == b);
        case Op::Ne: return Value::Bool(a != b);
        case Op::Lt: return Value::Bool(a < b);
        case Op::Gt: return Value::Bool(a > b);
        case Op::Le: return Value::Bool(a <= b);
        case Op::Ge: return Value::Bool(a >= b);
        default: break;
        }
    }
    VARIANT out;
    ::VariantInit(&out);
    HRESULT hr = S_OK;
    VARIANT* a = &l.variant();
    VARIANT* b = &r.variant();
    switch (op) {
    case Op::Add: hr = ::VarAdd(a, b, &out); break;
    case Op::Sub: hr = ::VarSub(a, b, &out); break;
    case Op::Mul: hr = ::VarMul(a, b, &out); break;
    case Op::Div: hr = ::VarDiv(a, b, &out); break;
    case Op::IntDiv: hr = ::VarIdiv(a, b, &out); break;
    case Op::Mod: hr = ::VarMod(a, b, &out); break;
    case Op::Pow: hr = ::VarPow(a, b, &out); break;
    case Op::And: hr = ::VarAnd(a, b, &out); break;
    case Op::Or: hr = ::VarOr(a, b, &out); break;
    case Op::Xor: hr = ::VarXor(a, b, &out); break;
    case Op::Eqv: hr = ::VarEqv(a, b, &out); break;
    case Op::Imp: hr = ::VarImp(a, b, &out); break;
    case Op::Eq: case Op::Ne: case Op::Lt: case Op::Gt: case Op::Le: case Op::Ge: {
        HRESULT c = ::VarCmp(a, b, LOCALE_USER_DEFAULT, 0);
        if (c == VARCMP_NULL) {
            Value n;
            n.variant().vt = VT_NULL;
            return n;
        }
        if (FAILED(c)) RaiseArithmetic(c);
        switch (op) {
        case Op::Eq: return Value::Bool(c == VARCMP_EQ);
        case Op::Ne: return Value::Bool(c != VARCMP_EQ);
        case Op::Lt: return Value::Bool(c == VARCMP_LT);
        case Op::Gt: return Value::Bool(c == VARCMP_GT);
        case Op::Le: return Value::Bool(c != VARCMP_GT);
        default: return Value::Bool(c != VARCMP_LT);
        }
    }
    default: RaiseError(errors::kSyntax);
    }
    if (FAILED(hr)) RaiseArithmetic(hr);
    return Value::Take(out);
}

} // namespace stepscript
