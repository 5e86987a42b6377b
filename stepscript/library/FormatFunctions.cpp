#include "stepscript/library/BuiltinSupport.h"
#include "stepscript/runtime/Operators.h"

namespace stepscript {
namespace builtins {
namespace {

using Formatter = HRESULT(WINAPI*)(LPVARIANT, int, int, int, int, ULONG, BSTR*);

Value TakeText(HRESULT hr, BSTR text) {
    if (FAILED(hr)) RaiseArithmetic(hr);
    Value r;
    r.variant().vt = VT_BSTR;
    r.variant().bstrVal = text;
    return r;
}

// A tristate argument: vbTrue (-1), vbFalse (0) or vbUseDefault (-2, the default).
int Tristate(Args& a, size_t i) {
    LONG t = LongOr(a, i, -2);
    if (t < -2 || t > 0) InvalidCall();
    return static_cast<int>(t);
}

Value Format(Args& a, Formatter format) {
    Value v = Arg(a, 0);
    if (v.isNull()) RaiseError(errors::kTypeMismatch);
    LONG digits = LongOr(a, 1, -1);
    if (digits < -1 || digits > 255) InvalidCall();
    int leading = Tristate(a, 2), parens = Tristate(a, 3), group = Tristate(a, 4);
    // The formatters read numbers; strings go through the script's own reading.
    Value number = v.type() == VT_BSTR || v.isEmpty() || v.type() == VT_BOOL ? Value::Double(ToDouble(v)) : v;
    if (number.type() == VT_DATE) number = Value::Double(number.variant().date);
    BSTR text = nullptr;
    HRESULT hr = format(&number.variant(), static_cast<int>(digits), leading, parens, group, 0, &text);
    return TakeText(hr, text);
}

Value FormatNumberFn(const std::wstring&, Args& a, ErrObject*) { return Format(a, ::VarFormatNumber); }
Value FormatCurrencyFn(const std::wstring&, Args& a, ErrObject*) { return Format(a, ::VarFormatCurrency); }
Value FormatPercentFn(const std::wstring&, Args& a, ErrObject*) { return Format(a, ::VarFormatPercent); }

Value FormatDateTimeFn(const std::wstring&, Args& a, ErrObject*) {
    Value v = Arg(a, 0);
    if (v.isNull()) RaiseError(errors::kTypeMismatch);
    LONG named = LongOr(a, 1, 0);
    if (named < 0 || named > 4) InvalidCall();
    Value date = Value::Date(DateArg(a, 0));
    BSTR text = nullptr;
    HRESULT hr = ::VarFormatDateTime(&date.variant(), static_cast<int>(named), 0, &text);
    return TakeText(hr, text);
}

} // namespace

void AddFormatFunctions(Table& t) {
    t.insert({
        {L"formatnumber", {1, 5, FormatNumberFn}},
        {L"formatcurrency", {1, 5, FormatCurrencyFn}},
        {L"formatpercent", {1, 5, FormatPercentFn}},
        {L"formatdatetime", {1, 2, FormatDateTimeFn}},
    });
}

} // namespace builtins
} // namespace stepscript
