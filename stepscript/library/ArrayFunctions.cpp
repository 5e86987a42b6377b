#include "stepscript/library/BuiltinSupport.h"

namespace stepscript {
namespace builtins {
namespace {

Value ArrayFn(const std::wstring&, Args& a, ErrObject*) {
    std::vector<Value> items;
    items.reserve(a.size());
    for (auto& v : a) {
        if (IsMissing(v)) RaiseError(errors::kArgumentNotOptional);
        items.push_back(v);
    }
    return ArrayOfItems(std::move(items));
}

// The array of argument i: Null is an invalid use, anything but an array a mismatch.
std::vector<Value> ListArg(Args& a, size_t i) {
    if (!Given(a, i)) RaiseError(errors::kArgumentNotOptional);
    if (a[i].isNull()) RaiseError(errors::kInvalidUseOfNull);
    if (!a[i].isArray()) RaiseError(errors::kTypeMismatch);
    return ArrayItems(a[i]);
}

std::wstring ItemText(const Value& v) {
    if (v.isNull() || v.isEmpty()) return std::wstring();
    return ToText(DefaultValue(v));
}

// Join takes its list by value: an object gives its default value (which must be an
// array), a list of more than one dimension is an invalid argument, and each item
// converts as CStr converts it, so a Null item is an invalid use of Null.
Value JoinFn(const std::wstring&, Args& a, ErrObject*) {
    const Value& list = Arg(a, 0);
    if (list.isNull()) RaiseError(errors::kInvalidUseOfNull);
    if (!list.isArray()) RaiseError(errors::kTypeMismatch);
    SAFEARRAY* array = list.array();
    if (array && ::SafeArrayGetDim(array) != 1) InvalidCall();
    std::vector<Value> items = ArrayItems(list);
    std::wstring delimiter = L" ";
    if (Given(a, 1)) {
        if (Arg(a, 1).isNull()) RaiseError(errors::kInvalidUseOfNull);
        delimiter = Text(a, 1);
    }
    std::wstring out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += delimiter;
        if (items[i].isNull()) RaiseError(errors::kInvalidUseOfNull);
        out += ItemText(items[i]);
    }
    return Value::String(out);
}

Value SplitFn(const std::wstring&, Args& a, ErrObject*) {
    const Value& v = Arg(a, 0);
    if (v.isNull()) RaiseError(errors::kInvalidUseOfNull);
    std::wstring text = ToText(v);
    std::wstring delimiter = Given(a, 1) ? Text(a, 1) : L" ";
    LONG count = LongOr(a, 2, -1);
    bool ignoreCase = TextCompare(a, 3);
    if (count < -1) InvalidCall();
    std::vector<Value> parts;
    if (text.empty() || count == 0) return ArrayOfItems(std::move(parts));
    if (delimiter.empty()) {
        parts.push_back(Value::String(text));
        return ArrayOfItems(std::move(parts));
    }
    std::wstring hay = ignoreCase ? Lower(text) : text;
    std::wstring needle = ignoreCase ? Lower(delimiter) : delimiter;
    size_t pos = 0;
    for (;;) {
        if (count != -1 && static_cast<LONG>(parts.size()) == count - 1) break;
        size_t hit = hay.find(needle, pos);
        if (hit == std::wstring::npos) break;
        parts.push_back(Value::String(text.substr(pos, hit - pos)));
        pos = hit + needle.size();
    }
    parts.push_back(Value::String(text.substr(pos)));
    return ArrayOfItems(std::move(parts));
}

Value FilterFn(const std::wstring&, Args& a, ErrObject*) {
    std::vector<Value> items = ListArg(a, 0);
    Value match = Arg(a, 1);
    if (match.isNull()) RaiseError(errors::kInvalidUseOfNull);
    std::wstring needle = ToText(match);
    bool include = !Given(a, 2) || ToBool(Arg(a, 2));
    bool ignoreCase = TextCompare(a, 3);
    if (ignoreCase) needle = Lower(needle);
    std::vector<Value> out;
    for (auto& item : items) {
        std::wstring s = ItemText(item);
        bool found = (ignoreCase ? Lower(s) : s).find(needle) != std::wstring::npos;
        if (found == include) out.push_back(Value::String(s));
    }
    return ArrayOfItems(std::move(out));
}

Value Bound(Args& a, bool upper) {
    if (!Given(a, 0)) RaiseError(errors::kArgumentNotOptional);
    SAFEARRAY* array = a[0].array();
    if (!array) RaiseError(a[0].isArray() ? errors::kSubscriptOutOfRange : errors::kTypeMismatch);
    LONG dimension = LongOr(a, 1, 1);
    if (dimension < 1 || static_cast<UINT>(dimension) > ::SafeArrayGetDim(array))
        RaiseError(errors::kSubscriptOutOfRange);
    LONG bound = 0;
    HRESULT hr = upper ? ::SafeArrayGetUBound(array, static_cast<UINT>(dimension), &bound)
                       : ::SafeArrayGetLBound(array, static_cast<UINT>(dimension), &bound);
    if (FAILED(hr)) RaiseError(errors::kSubscriptOutOfRange);
    return Value::Long(bound);
}
Value LBoundFn(const std::wstring&, Args& a, ErrObject*) { return Bound(a, false); }
Value UBoundFn(const std::wstring&, Args& a, ErrObject*) { return Bound(a, true); }

} // namespace

void AddArrayFunctions(Table& t) {
    t.insert({
        {L"array", {0, 0x7FFF, ArrayFn}},
        {L"join", {1, 2, JoinFn}},
        {L"split", {1, 4, SplitFn}},
        {L"filter", {2, 4, FilterFn}},
        {L"lbound", {1, 2, LBoundFn}},
        {L"ubound", {1, 2, UBoundFn}},
    });
}

} // namespace builtins
} // namespace stepscript
