#include "stepscript/library/BuiltinSupport.h"
#include "stepscript/runtime/Operators.h"
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace stepscript {
namespace builtins {
namespace {

Value Convert(Args& a, VARTYPE type) { return ConvertTo(Arg(a, 0), type); }

Value CBoolFn(const std::wstring&, Args& a, ErrObject*) { return Convert(a, VT_BOOL); }
Value CByteFn(const std::wstring&, Args& a, ErrObject*) { return Convert(a, VT_UI1); }
Value CCurFn(const std::wstring&, Args& a, ErrObject*) { return Convert(a, VT_CY); }
Value CDateFn(const std::wstring&, Args& a, ErrObject*) { return Convert(a, VT_DATE); }
Value CDblFn(const std::wstring&, Args& a, ErrObject*) { return Convert(a, VT_R8); }
Value CIntFn(const std::wstring&, Args& a, ErrObject*) { return Convert(a, VT_I2); }
Value CLngFn(const std::wstring&, Args& a, ErrObject*) { return Convert(a, VT_I4); }
Value CSngFn(const std::wstring&, Args& a, ErrObject*) { return Convert(a, VT_R4); }
Value CStrFn(const std::wstring&, Args& a, ErrObject*) { return Convert(a, VT_BSTR); }

// Hex and Oct: 16 bits for the small subtypes, 32 bits for the rest.
Value Radix(Args& a, int bitsPerDigit) {
    Value v = Arg(a, 0);
    if (v.isNull()) return v;
    bool small = v.type() == VT_I2 || v.type() == VT_UI1 || v.type() == VT_BOOL || v.isEmpty();
    LONG n = ToLong(v);
    unsigned long u = small ? static_cast<unsigned short>(n) : static_cast<unsigned long>(n);
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring out;
    do {
        out.insert(out.begin(), digits[u & ((1u << bitsPerDigit) - 1)]);
        u >>= bitsPerDigit;
    } while (u);
    return Value::String(out);
}
Value HexFn(const std::wstring&, Args& a, ErrObject*) { return Radix(a, 4); }
Value OctFn(const std::wstring&, Args& a, ErrObject*) { return Radix(a, 3); }

// Int and Fix keep the subtype (strings give a Double).
Value Whole(Args& a, bool toward0) {
    Value v = Arg(a, 0);
    if (v.isNull()) return v;
    if (v.type() == VT_BSTR) v = Value::Double(ToDouble(v));
    if (v.isObject() || v.isArray()) RaiseError(errors::kTypeMismatch);
    VARIANT out;
    ::VariantInit(&out);
    HRESULT hr = toward0 ? ::VarFix(&v.variant(), &out) : ::VarInt(&v.variant(), &out);
    if (FAILED(hr)) RaiseArithmetic(hr);
    return Value::Take(out);
}
Value IntFn(const std::wstring&, Args& a, ErrObject*) { return Whole(a, false); }
Value FixFn(const std::wstring&, Args& a, ErrObject*) { return Whole(a, true); }

Value AbsFn(const std::wstring&, Args& a, ErrObject*) {
    Value v = Arg(a, 0);
    if (v.isNull()) return v;
    if (v.isEmpty()) return Value::Int(0);
    if (v.type() == VT_BSTR) v = Value::Double(ToDouble(v));
    if (v.type() == VT_BOOL) v = Value::Int(v.variant().boolVal ? -1 : 0);
    return CompareValues(v, Value::Int(0)) < 0 ? UnaryOp(Op::Neg, v) : v;
}

Value SgnFn(const std::wstring&, Args& a, ErrObject*) {
    const Value& v = Arg(a, 0);
    if (v.isNull()) RaiseError(errors::kInvalidUseOfNull);
    double d = ToDouble(v);
    return Value::Int(static_cast<SHORT>(d < 0 ? -1 : d > 0 ? 1 : 0));
}

// The functions of one Double: Null is an invalid use, out-of-range arguments are
// invalid calls and results beyond a Double overflow.
Value Math(Args& a, double (*f)(double), bool (*valid)(double)) {
    const Value& v = Arg(a, 0);
    if (v.isNull()) RaiseError(errors::kInvalidUseOfNull);
    double d = ToDouble(v);
    if (valid && !valid(d)) InvalidCall();
    double r = f(d);
    if (std::isinf(r) || std::isnan(r)) RaiseError(errors::kOverflow);
    return Value::Double(r);
}
double Atn(double d) { return std::atan(d); }
double Cos(double d) { return std::cos(d); }
double Sin(double d) { return std::sin(d); }
double Tan(double d) { return std::tan(d); }
double Exp(double d) { return std::exp(d); }
double Log(double d) { return std::log(d); }
double Sqr(double d) { return std::sqrt(d); }
bool Positive(double d) { return d > 0; }
bool NotNegative(double d) { return d >= 0; }
Value AtnFn(const std::wstring&, Args& a, ErrObject*) { return Math(a, Atn, nullptr); }
Value CosFn(const std::wstring&, Args& a, ErrObject*) { return Math(a, Cos, nullptr); }
Value SinFn(const std::wstring&, Args& a, ErrObject*) { return Math(a, Sin, nullptr); }
Value TanFn(const std::wstring&, Args& a, ErrObject*) { return Math(a, Tan, nullptr); }
Value ExpFn(const std::wstring&, Args& a, ErrObject*) { return Math(a, Exp, nullptr); }
Value LogFn(const std::wstring&, Args& a, ErrObject*) { return Math(a, Log, Positive); }
Value SqrFn(const std::wstring&, Args& a, ErrObject*) { return Math(a, Sqr, NotNegative); }

// Rounds half to even, looking through the binary error of decimal fractions.
double RoundHalfEven(double x, int places) {
    double scale = std::pow(10.0, places);
    double v = x * scale;
    if (std::isinf(v)) return x;
    double f = std::floor(v);
    double diff = v - f;
    double eps = 1e-9 * std::max(1.0, std::fabs(v));
    double r;
    if (diff > 0.5 + eps) r = f + 1;
    else if (diff < 0.5 - eps) r = f;
    else r = std::fmod(f, 2.0) == 0 ? f : f + 1;
    return r / scale;
}

Value RoundFn(const std::wstring&, Args& a, ErrObject*) {
    Value v = Arg(a, 0);
    LONG places = LongOr(a, 1, 0);
    if (places < 0) InvalidCall();
    if (v.isNull()) return v;
    switch (v.type()) {
    case VT_EMPTY: return Value::Int(0);
    case VT_I2: case VT_I4: case VT_UI1: return v;
    case VT_BOOL: return v;
    case VT_R4: return Value::Single(static_cast<float>(RoundHalfEven(v.variant().fltVal, places)));
    case VT_CY: {
        VARIANT out;
        ::VariantInit(&out);
        HRESULT hr = ::VarRound(&v.variant(), places > 4 ? 4 : places, &out);
        if (FAILED(hr)) RaiseArithmetic(hr);
        return Value::Take(out);
    }
    case VT_DATE: return Value::Date(RoundHalfEven(v.variant().date, places));
    default: return Value::Double(RoundHalfEven(ToDouble(v), places));
    }
}

// Rnd's generator: the language's 24-bit linear congruential sequence,
// x = (x * 1140671485 + 12820163) mod 2^24, each value x / 2^24. Scripts rely on a
// seeded sequence repeating the numbers Windows gives, so the state and the ways
// Rnd(negative) and Randomize set it follow the language's own.
struct Generator {
    unsigned long state = 0x50000;
};
Generator& Rnd() {
    static thread_local Generator g;
    return g;
}

float Current(const Generator& g) { return static_cast<float>(g.state) / 16777216.0f; }

float NextRandom(Generator& g) {
    g.state = (g.state * 1140671485ul + 12820163ul) & 0xFFFFFFul;
    return Current(g);
}

Value RndFn(const std::wstring&, Args& a, ErrObject*) {
    Generator& g = Rnd();
    if (!Given(a, 0)) return Value::Single(NextRandom(g));
    float n = static_cast<float>(Dbl(a, 0));
    // Zero repeats the number the state stands for: the last one, or the seed itself.
    if (n == 0) return Value::Single(Current(g));
    if (n < 0) {
        // A negative argument seeds from the bits of its Single: the same number gives
        // the same value.
        uint32_t bits = 0;
        std::memcpy(&bits, &n, sizeof n);
        g.state = (bits + (bits >> 24)) & 0xFFFFFFul;
    }
    return Value::Single(NextRandom(g));
}

// Randomize mixes the high 32 bits of the seed's Double (or of the Single of the time
// of day) into the middle 16 bits of the state; the low byte stays, so Randomize n
// repeats a sequence only after Rnd with a negative argument has reset the state.
Value RandomizeFn(const std::wstring&, Args& a, ErrObject*) {
    Generator& g = Rnd();
    uint32_t high = 0;
    if (Given(a, 0)) {
        double d = Dbl(a, 0);
        uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof d);
        high = static_cast<uint32_t>(bits >> 32);
    } else {
        SYSTEMTIME t;
        ::GetLocalTime(&t);
        float seconds = static_cast<float>(t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0);
        std::memcpy(&high, &seconds, sizeof seconds);
    }
    unsigned long mix = ((high & 0xFFFFu) << 8) ^ ((high >> 8) & 0xFFFF00u);
    g.state = (mix | (g.state & 0xFF0000FFul)) & 0xFFFFFFul;
    return Value();
}

} // namespace

void AddConversionFunctions(Table& t) {
    t.insert({
        {L"cbool", {1, 1, CBoolFn}},  {L"cbyte", {1, 1, CByteFn}}, {L"ccur", {1, 1, CCurFn}},
        {L"cdate", {1, 1, CDateFn}},  {L"cdbl", {1, 1, CDblFn}},   {L"cint", {1, 1, CIntFn}},
        {L"clng", {1, 1, CLngFn}},    {L"csng", {1, 1, CSngFn}},   {L"cstr", {1, 1, CStrFn}},
        {L"hex", {1, 1, HexFn}},      {L"oct", {1, 1, OctFn}},     {L"int", {1, 1, IntFn}},
        {L"fix", {1, 1, FixFn}},      {L"abs", {1, 1, AbsFn}},     {L"sgn", {1, 1, SgnFn}},
        {L"atn", {1, 1, AtnFn}},      {L"cos", {1, 1, CosFn}},     {L"sin", {1, 1, SinFn}},
        {L"tan", {1, 1, TanFn}},      {L"exp", {1, 1, ExpFn}},     {L"log", {1, 1, LogFn}},
        {L"sqr", {1, 1, SqrFn}},      {L"round", {1, 2, RoundFn}}, {L"rnd", {0, 1, RndFn}},
        {L"randomize", {0, 1, RandomizeFn}},
    });
}

} // namespace builtins
} // namespace stepscript
