#include "stepscript/runtime/Operators.h"
#include "stepscript/runtime/ScriptError.h"
#include "stepscript/language/SyntaxError.h"
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>

namespace stepscript {
namespace {

// Numeric subtypes in the order in which a mixed operation widens: the result of an
// operation on two of them is the wider one (with the exceptions noted where used).
enum class Kind { Byte, Int, Long, Single, Double, Currency, Date, String, Empty, Null, Bool, Other };

Kind KindOf(const Value& v) {
    switch (v.type()) {
    case VT_UI1: return Kind::Byte;
    case VT_I2: return Kind::Int;
    case VT_I4: return Kind::Long;
    case VT_R4: return Kind::Single;
    case VT_R8: return Kind::Double;
    case VT_CY: return Kind::Currency;
    case VT_DATE: return Kind::Date;
    case VT_BSTR: return Kind::String;
    case VT_EMPTY: return Kind::Empty;
    case VT_NULL: return Kind::Null;
    case VT_BOOL: return Kind::Bool;
    default: return Kind::Other;
    }
}

bool Integral(Kind k) { return k == Kind::Byte || k == Kind::Int || k == Kind::Long; }

// An operand of arithmetic: Empty counts as the Integer 0, Boolean as an Integer,
// a string as the Double it reads as.
struct Number {
    Kind kind;
    long long i = 0;  // integral kinds
    double d = 0;     // every kind
};

Number NumberOf(const Value& v) {
    Number n{KindOf(v)};
    const VARIANT& x = v.variant();
    switch (n.kind) {
    case Kind::Byte: n.i = x.bVal; break;
    case Kind::Int: n.i = x.iVal; break;
    case Kind::Long: n.i = x.lVal; break;
    case Kind::Empty: n.kind = Kind::Int; break;
    case Kind::Bool: n.kind = Kind::Int; n.i = x.boolVal ? -1 : 0; break;
    case Kind::Single: n.d = x.fltVal; return n;
    case Kind::Double: n.d = x.dblVal; return n;
    case Kind::Date: n.d = x.date; return n;
    case Kind::Currency: n.d = static_cast<double>(x.cyVal.int64) / 10000.0; return n;
    case Kind::String:
        n.kind = Kind::Double;
        if (!ParseNumber(ToText(v), n.d)) RaiseError(errors::kTypeMismatch);
        return n;
    default:
        if (v.isObject()) RaiseError(v.isNothing() ? errors::kObjectVariableNotSet : errors::kTypeMismatch);
        RaiseError(errors::kTypeMismatch);
    }
    n.d = static_cast<double>(n.i);
    return n;
}

// An integral result in the narrowest of kind and the kinds above it that holds it.
Value IntegralResult(long long n, Kind kind) {
    if (kind == Kind::Byte && n >= 0 && n <= 255) return Value::Byte(static_cast<BYTE>(n));
    if (kind <= Kind::Int && n >= SHRT_MIN && n <= SHRT_MAX) return Value::Int(static_cast<SHORT>(n));
    if (n >= LONG_MIN && n <= LONG_MAX) return Value::Long(static_cast<LONG>(n));
    return Value::Double(static_cast<double>(n));
}

Value DoubleResult(double d) {
    if (std::isinf(d) || std::isnan(d)) RaiseError(errors::kOverflow);
    return Value::Double(d);
}

Value DateResult(double d) {
    // The range of dates: years 100 to 9999.
    if (!(d >= -657434.0 && d < 2958466.0)) RaiseError(errors::kOverflow);
    return Value::Date(d);
}

Value SingleResult(double d) {
    if (std::fabs(d) > FLT_MAX) return DoubleResult(d);
    return Value::Single(static_cast<float>(d));
}

[[noreturn]] void RaiseFromHresult(HRESULT hr) { RaiseArithmetic(hr); }

// Currency keeps OLE Automation's exact arithmetic.
Value CurrencyOp(Op op, const Value& l, const Value& r) {
    Value a = ConvertTo(l.type() == VT_BSTR || l.type() == VT_EMPTY ? Value::Double(ToDouble(l)) : l, VT_CY);
    Value b = ConvertTo(r.type() == VT_BSTR || r.type() == VT_EMPTY ? Value::Double(ToDouble(r)) : r, VT_CY);
    VARIANT out;
    ::VariantInit(&out);
    HRESULT hr = E_FAIL;
    switch (op) {
    case Op::Add: hr = ::VarAdd(&a.variant(), &b.variant(), &out); break;
    case Op::Sub: hr = ::VarSub(&a.variant(), &b.variant(), &out); break;
    case Op::Mul: hr = ::VarMul(&a.variant(), &b.variant(), &out); break;
    default: hr = ::VarDiv(&a.variant(), &b.variant(), &out); break;
    }
    if (FAILED(hr)) RaiseFromHresult(hr);
    return Value::Take(out);
}

Value Concat(const std::wstring& a, const std::wstring& b) {
    std::wstring s;
    s.reserve(a.size() + b.size());
    s.append(a).append(b);
    return Value::String(s);
}

Value Arithmetic(Op op, const Value& left, const Value& right) {
    Kind lk = KindOf(left), rk = KindOf(right);
    if (lk == Kind::Null || rk == Kind::Null) return Value::Null();
    if (op == Op::Add) {
        // + joins strings; Empty joins as the empty string.
        if ((lk == Kind::String || lk == Kind::Empty) && (rk == Kind::String || rk == Kind::Empty) &&
            (lk == Kind::String || rk == Kind::String))
            return Concat(ToText(left), ToText(right));
    }
    if (lk == Kind::Currency || rk == Kind::Currency) {
        if (lk != Kind::Date && rk != Kind::Date) return CurrencyOp(op, left, right);
    }
    Number a = NumberOf(left), b = NumberOf(right);
    if (a.kind == Kind::Date || b.kind == Kind::Date) {
        double d = op == Op::Add ? a.d + b.d : op == Op::Sub ? a.d - b.d : a.d * b.d;
        if (op == Op::Mul || (op == Op::Sub && a.kind == Kind::Date && b.kind == Kind::Date)) return DoubleResult(d);
        return DateResult(d);
    }
    if (Integral(a.kind) && Integral(b.kind)) {
        long long n = op == Op::Add ? a.i + b.i : op == Op::Sub ? a.i - b.i : a.i * b.i;
        return IntegralResult(n, a.kind > b.kind ? a.kind : b.kind);
    }
    double d = op == Op::Add ? a.d + b.d : op == Op::Sub ? a.d - b.d : a.d * b.d;
    Kind wide = a.kind > b.kind ? a.kind : b.kind;
    // A Single with a Long widens to Double: a Single cannot hold every Long.
    if (wide == Kind::Single && a.kind != Kind::Long && b.kind != Kind::Long) return SingleResult(d);
    return DoubleResult(d);
}

Value Divide(const Value& left, const Value& right) {
    Kind lk = KindOf(left), rk = KindOf(right);
    if (lk == Kind::Null || rk == Kind::Null) return Value::Null();
    Number a = NumberOf(left), b = NumberOf(right);
    if (b.d == 0) RaiseError(a.d == 0 ? errors::kOverflow : errors::kDivisionByZero);
    if (lk == Kind::Currency || rk == Kind::Currency) return CurrencyOp(Op::Div, left, right);
    double d = a.d / b.d;
    bool single = (a.kind == Kind::Single || b.kind == Kind::Single) && a.kind != Kind::Long &&
                  b.kind != Kind::Long && a.kind <= Kind::Single && b.kind <= Kind::Single;
    return single ? SingleResult(d) : DoubleResult(d);
}

// \ and Mod round their operands to whole numbers first (banker's rounding), as Long
// unless both fit a narrower type.
struct Whole {
    Kind kind;
    long long n;
};

Whole WholeOf(const Value& v) {
    Number x = NumberOf(v);
    if (Integral(x.kind)) return {x.kind, x.i};
    double d = x.d;
    if (x.kind == Kind::Currency) d = ToDouble(v);
    double r = std::nearbyint(d);  // the default rounding mode rounds half to even
    if (!(r >= LONG_MIN && r <= LONG_MAX)) RaiseError(errors::kOverflow);
    return {Kind::Long, static_cast<long long>(r)};
}

Value IntegerDivide(Op op, const Value& left, const Value& right) {
    if (left.isNull() || right.isNull()) return Value::Null();
    Whole a = WholeOf(left), b = WholeOf(right);
    if (b.n == 0) RaiseError(errors::kDivisionByZero);
    long long n = op == Op::IntDiv ? a.n / b.n : a.n % b.n;
    return IntegralResult(n, a.kind > b.kind ? a.kind : b.kind);
}

Value Power(const Value& left, const Value& right) {
    if (left.isNull() || right.isNull()) return Value::Null();
    double a = NumberOf(left).d, b = NumberOf(right).d;
    if (a < 0 && b != std::floor(b)) RaiseError(errors::kInvalidCall);
    if (a == 0 && b < 0) RaiseError(errors::kInvalidCall);
    return DoubleResult(std::pow(a, b));
}

// Comparison: -1, 0, 1, or 2 for Null.
int Compare(const Value& left, const Value& right) {
    Kind lk = KindOf(left), rk = KindOf(right);
    if (lk == Kind::Null || rk == Kind::Null) return 2;
    if (lk == Kind::Other || rk == Kind::Other) RaiseError(errors::kTypeMismatch);
    bool ls = lk == Kind::String, rs = rk == Kind::String;
    if (lk == Kind::Empty && rk == Kind::Empty) return 0;
    if (ls || rs) {
        // Empty beside a string is the empty string; a number is less than any string.
        if ((ls || lk == Kind::Empty) && (rs || rk == Kind::Empty)) {
            std::wstring a = ToText(left), b = ToText(right);
            int c = a.compare(b);
            return c < 0 ? -1 : c > 0 ? 1 : 0;
        }
        return ls ? 1 : -1;
    }
    Number a = NumberOf(left), b = NumberOf(right);
    if (Integral(a.kind) && Integral(b.kind)) return a.i < b.i ? -1 : a.i > b.i ? 1 : 0;
    if (lk == Kind::Currency && rk == Kind::Currency) {
        long long x = left.variant().cyVal.int64, y = right.variant().cyVal.int64;
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if ((lk == Kind::Single) != (rk == Kind::Single) && lk != Kind::Date && rk != Kind::Date) {
        // A Single meets another number at the Single's precision: CSng(0.1) = 0.1.
        double other = lk == Kind::Single ? b.d : a.d;
        if (std::fabs(other) <= FLT_MAX) {
            float x = lk == Kind::Single ? left.variant().fltVal : static_cast<float>(a.d);
            float y = rk == Kind::Single ? right.variant().fltVal : static_cast<float>(b.d);
            return x < y ? -1 : x > y ? 1 : 0;
        }
    }
    return a.d < b.d ? -1 : a.d > b.d ? 1 : 0;
}

Value CompareResult(Op op, int c) {
    if (c == 2) return Value::Null();
    switch (op) {
    case Op::Eq: return Value::Bool(c == 0);
    case Op::Ne: return Value::Bool(c != 0);
    case Op::Lt: return Value::Bool(c < 0);
    case Op::Gt: return Value::Bool(c > 0);
    case Op::Le: return Value::Bool(c <= 0);
    default: return Value::Bool(c >= 0);
    }
}

// The bitwise operators: Booleans give a Boolean, numbers a Byte, Integer or Long.
struct Bits {
    Kind kind;  // Bool, Byte, Int or Long
    LONG n;
};

Bits BitsOf(const Value& v) {
    switch (v.type()) {
    case VT_BOOL: return {Kind::Bool, v.variant().boolVal ? -1 : 0};
    case VT_UI1: return {Kind::Byte, v.variant().bVal};
    case VT_I2: return {Kind::Int, v.variant().iVal};
    case VT_EMPTY: return {Kind::Int, 0};
    case VT_BSTR: {
        Value b = ConvertTo(v, VT_BOOL);  // "True" and "False" read as Booleans
        double d = 0;
        if (ParseNumber(ToText(v), d)) return {Kind::Long, ToLong(Value::Double(d))};
        return {Kind::Bool, b.variant().boolVal ? -1 : 0};
    }
    default: return {Kind::Long, ToLong(v)};
    }
}

Value BitsResult(LONG n, Kind a, Kind b) {
    if (a == Kind::Bool && b == Kind::Bool) return Value::Bool(n != 0);
    auto rank = [](Kind k) { return k == Kind::Bool ? Kind::Int : k; };
    Kind k = rank(a) > rank(b) ? rank(a) : rank(b);
    if (k == Kind::Byte) return Value::Byte(static_cast<BYTE>(n));
    if (k == Kind::Int) return Value::Int(static_cast<SHORT>(n));
    return Value::Long(n);
}

LONG BitOp(Op op, LONG a, LONG b) {
    switch (op) {
    case Op::And: return a & b;
    case Op::Or: return a | b;
    case Op::Xor: return a ^ b;
    case Op::Eqv: return ~(a ^ b);
    default: return ~a | b;  // Imp
    }
}

Value Logical(Op op, const Value& left, const Value& right) {
    bool ln = left.isNull(), rn = right.isNull();
    if (ln || rn) {
        if (ln && rn) return Value::Null();
        // Null is an unknown bit pattern: the result is known only where the other
        // operand decides it alone.
        const Value& other = ln ? right : left;
        Bits o = BitsOf(other);
        switch (op) {
        case Op::And:
            if (o.n == 0) return BitsResult(0, o.kind, o.kind);
            return Value::Null();
        case Op::Or:
            if (o.n == -1) return BitsResult(-1, o.kind, o.kind);
            return Value::Null();
        case Op::Imp:
            if (ln && o.n == -1) return BitsResult(-1, o.kind, o.kind);  // Null Imp True
            if (rn && o.n == 0) return BitsResult(-1, o.kind, o.kind);   // False Imp Null
            return Value::Null();
        default: return Value::Null();
        }
    }
    Bits a = BitsOf(left), b = BitsOf(right);
    return BitsResult(BitOp(op, a.n, b.n), a.kind, b.kind);
}

bool SmallInteger(VARTYPE t) { return t == VT_I4 || t == VT_I2; }

} // namespace

[[noreturn]] void RaiseArithmetic(HRESULT hr) {
    if (hr == DISP_E_DIVBYZERO) RaiseError(errors::kDivisionByZero);
    if (hr == DISP_E_OVERFLOW) RaiseError(errors::kOverflow);
    if (hr == E_OUTOFMEMORY) RaiseError(errors::kOutOfMemory);
    RaiseError(errors::kTypeMismatch);
}

Value UnaryOp(Op op, const Value& operand) {
    if (op == Op::Plus) return operand;
    if (operand.isNull()) return operand;
    if (op == Op::Not) {
        Bits b = BitsOf(operand);
        return BitsResult(~b.n, b.kind, b.kind);
    }
    switch (operand.type()) {
    case VT_I4:
        if (operand.variant().lVal == LONG_MIN) return Value::Double(2147483648.0);
        return Value::Long(-operand.variant().lVal);
    case VT_R8: return Value::Double(-operand.variant().dblVal);
    case VT_R4: return Value::Single(-operand.variant().fltVal);
    case VT_DATE: return DateResult(-operand.variant().date);
    case VT_CY: {
        if (operand.variant().cyVal.int64 == LLONG_MIN) RaiseError(errors::kOverflow);
        CY c;
        c.int64 = -operand.variant().cyVal.int64;
        return Value::Currency(c);
    }
    default: {
        Number n = NumberOf(operand);
        if (Integral(n.kind)) return IntegralResult(-n.i, n.kind == Kind::Byte ? Kind::Int : n.kind);
        return DoubleResult(-n.d);
    }
    }
}

Value BinaryOp(Op op, const Value& left, const Value& right) {
    // Small integers stay on a fast path: loops and counters are made of them.
    if (SmallInteger(left.type()) && SmallInteger(right.type())) {
        long long a = left.type() == VT_I4 ? left.variant().lVal : left.variant().iVal;
        long long b = right.type() == VT_I4 ? right.variant().lVal : right.variant().iVal;
        Kind k = left.type() == VT_I4 || right.type() == VT_I4 ? Kind::Long : Kind::Int;
        switch (op) {
        case Op::Add: return IntegralResult(a + b, k);
        case Op::Sub: return IntegralResult(a - b, k);
        case Op::Mul: return IntegralResult(a * b, k);
        case Op::Eq: return Value::Bool(a == b);
        case Op::Ne: return Value::Bool(a != b);
        case Op::Lt: return Value::Bool(a < b);
        case Op::Gt: return Value::Bool(a > b);
        case Op::Le: return Value::Bool(a <= b);
        case Op::Ge: return Value::Bool(a >= b);
        case Op::IntDiv:
        case Op::Mod:
            if (b == 0) RaiseError(errors::kDivisionByZero);
            return IntegralResult(op == Op::IntDiv ? a / b : a % b, k);
        default: break;
        }
    }
    switch (op) {
    case Op::Cat: {
        if (left.isNull() && right.isNull()) return left;
        if (left.type() == VT_BSTR && right.type() == VT_BSTR) {
            UINT la = ::SysStringLen(left.variant().bstrVal), lb = ::SysStringLen(right.variant().bstrVal);
            if (static_cast<unsigned long long>(la) + lb > 0x3FFFFFF0u) RaiseError(errors::kOutOfStringSpace);
            Value r;
            BSTR s = ::SysAllocStringLen(nullptr, la + lb);
            if (!s) RaiseError(errors::kOutOfMemory);
            if (la) std::memcpy(s, left.variant().bstrVal, la * sizeof(wchar_t));
            if (lb) std::memcpy(s + la, right.variant().bstrVal, lb * sizeof(wchar_t));
            r.variant().vt = VT_BSTR;
            r.variant().bstrVal = s;
            return r;
        }
        return Concat(left.isNull() ? std::wstring() : ToText(left), right.isNull() ? std::wstring() : ToText(right));
    }
    case Op::Add:
    case Op::Sub:
    case Op::Mul: return Arithmetic(op, left, right);
    case Op::Div: return Divide(left, right);
    case Op::IntDiv:
    case Op::Mod: return IntegerDivide(op, left, right);
    case Op::Pow: return Power(left, right);
    case Op::Eq:
    case Op::Ne:
    case Op::Lt:
    case Op::Gt:
    case Op::Le:
    case Op::Ge: return CompareResult(op, Compare(left, right));
    case Op::And:
    case Op::Or:
    case Op::Xor:
    case Op::Eqv:
    case Op::Imp: return Logical(op, left, right);
    default: RaiseError(errors::kSyntax);
    }
}

int CompareValues(const Value& left, const Value& right, bool textCompare) {
    if (textCompare && left.type() == VT_BSTR && right.type() == VT_BSTR) {
        std::wstring a = ToText(left), b = ToText(right);
        int c = ::CompareStringW(ScriptLocale(), NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                 static_cast<int>(b.size()));
        return c - 2;
    }
    return Compare(left, right);
}

} // namespace stepscript
