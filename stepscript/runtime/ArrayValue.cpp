#include "stepscript/runtime/ArrayValue.h"
#include "stepscript/runtime/Interpreter.h"
#include "stepscript/runtime/ScriptError.h"
#include "stepscript/language/SyntaxError.h"

namespace stepscript {
namespace {

SAFEARRAY* ArrayOf(const Value& v) {
    if (!IsArray(v)) RaiseError(errors::kTypeMismatch);
    const VARIANT& var = v.variant();
    SAFEARRAY* sa = (var.vt & VT_BYREF) ? (var.pparray ? *var.pparray : nullptr) : var.parray;
    if (!sa) RaiseError(errors::kSubscriptOutOfRange);
    return sa;
}

std::vector<LONG> Indices(SAFEARRAY* sa, const std::vector<Value>& indices) {
    if (indices.size() != ::SafeArrayGetDim(sa)) RaiseError(errors::kSubscriptOutOfRange);
    std::vector<LONG> out;
    out.reserve(indices.size());
    for (const Value& i : indices) {
        if (IsMissing(i)) RaiseError(errors::kSubscriptOutOfRange);
        out.push_back(ToLong(DefaultValue(i)));
    }
    return out;
}

VARTYPE ElementType(SAFEARRAY* sa) {
    VARTYPE vt = VT_EMPTY;
    if (FAILED(::SafeArrayGetVartype(sa, &vt))) vt = VT_VARIANT;
    return vt;
}

Value ReadElement(SAFEARRAY* sa, LONG* where) {
    VARTYPE vt = ElementType(sa);
    if (vt == VT_VARIANT) {
        VARIANT* p = nullptr;
        if (FAILED(::SafeArrayPtrOfIndex(sa, where, reinterpret_cast<void**>(&p)))) RaiseError(errors::kSubscriptOutOfRange);
        return Value::CopyOf(*p);
    }
    VARIANT v;
    ::VariantInit(&v);
    // Elements of other types are at most eight bytes (strings and objects are pointers).
    if (::SafeArrayGetElemsize(sa) > sizeof(v.llVal)) RaiseError(errors::kTypeMismatch);
    if (FAILED(::SafeArrayGetElement(sa, where, &v.llVal))) RaiseError(errors::kSubscriptOutOfRange);
    v.vt = vt;
    return Value::Take(v);
}

HRESULT Create(const std::vector<LONG>& upperBounds, SAFEARRAY** out) {
    std::vector<SAFEARRAYBOUND> bounds;
    ULONGLONG total = 1;
    for (LONG upper : upperBounds) {
        if (upper < -1) return DISP_E_BADINDEX;
        ULONG count = static_cast<ULONG>(upper + 1);
        bounds.push_back(SAFEARRAYBOUND{count, 0});
        total *= count ? count : 1;
        if (total * sizeof(VARIANT) > 0x7FFFFFFFull) return E_OUTOFMEMORY;
    }
    *out = ::SafeArrayCreate(VT_VARIANT, static_cast<UINT>(bounds.size()), bounds.data());
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace

bool IsArray(const Value& v) { return (v.type() & VT_ARRAY) != 0; }

Value MakeArray(const std::vector<LONG>& upperBounds) {
    SAFEARRAY* sa = nullptr;
    HRESULT hr = Create(upperBounds, &sa);
    if (hr == DISP_E_BADINDEX) RaiseError(errors::kSubscriptOutOfRange);
    if (FAILED(hr)) RaiseError(errors::kOutOfMemory);
    Value v;
    v.variant().vt = VT_ARRAY | VT_VARIANT;
    v.variant().parray = sa;
    return v;
}

Value UnsizedArray() {
    Value v;
    v.variant().vt = VT_ARRAY | VT_VARIANT;
    v.variant().parray = nullptr;
    return v;
}

Value ArrayElement(const Value& array, const std::vector<Value>& indices) {
    SAFEARRAY* sa = ArrayOf(array);
    std::vector<LONG> where = Indices(sa, indices);
    return ReadElement(sa, where.data());
}

void SetArrayElement(Value& array, const std::vector<Value>& indices, const Value& element) {
    SAFEARRAY* sa = ArrayOf(array);
    std::vector<LONG> where = Indices(sa, indices);
    if (ElementType(sa) == VT_VARIANT) {
        VARIANT* p = nullptr;
        if (FAILED(::SafeArrayPtrOfIndex(sa, where.data(), reinterpret_cast<void**>(&p))))
            RaiseError(errors::kSubscriptOutOfRange);
        VARIANT copy;
        ::VariantInit(&copy);
        if (FAILED(::VariantCopy(&copy, const_cast<VARIANT*>(&element.variant())))) RaiseError(errors::kOutOfMemory);
        ::VariantClear(p);
        *p = copy;
        return;
    }
    VARIANT converted;
    ::VariantInit(&converted);
    if (FAILED(::VariantChangeType(&converted, const_cast<VARIANT*>(&element.variant()), 0, ElementType(sa))))
        RaiseError(errors::kTypeMismatch);
    Value holder = Value::Take(converted);
    HRESULT hr = ::SafeArrayPutElement(sa, where.data(),
                                       (holder.type() == VT_BSTR || holder.type() == VT_DISPATCH ||
                                        holder.type() == VT_UNKNOWN)
                                           ? reinterpret_cast<void*>(holder.variant().bstrVal)
                                           : reinterpret_cast<void*>(&holder.variant().llVal));
    if (FAILED(hr)) RaiseError(errors::kSubscriptOutOfRange);
}

VARIANT* ArrayElementPointer(Value& array, const std::vector<Value>& indices) {
    SAFEARRAY* sa = ArrayOf(array);
    if (ElementType(sa) != VT_VARIANT) return nullptr;
    std::vector<LONG> where = Indices(sa, indices);
    VARIANT* p = nullptr;
    if (FAILED(::SafeArrayPtrOfIndex(sa, where.data(), reinterpret_cast<void**>(&p)))) RaiseError(errors::kSubscriptOutOfRange);
    return p;
}

bool IsLocked(const Value& array) {
    if (!IsArray(array)) return false;
    const VARIANT& var = array.variant();
    SAFEARRAY* sa = (var.vt & VT_BYREF) ? (var.pparray ? *var.pparray : nullptr) : var.parray;
    return sa && sa->cLocks > 0;
}

void ReDimArray(Value& variable, const std::vector<LONG>& upperBounds, bool preserve) {
    if (IsLocked(variable)) RaiseError(errors::kArrayLocked);
    if (!preserve || !variable.array()) {
        variable = MakeArray(upperBounds);
        return;
    }
    SAFEARRAY* sa = ArrayOf(variable);
    UINT rank = ::SafeArrayGetDim(sa);
    if (rank != upperBounds.size()) RaiseError(errors::kSubscriptOutOfRange);
    // Only the last dimension may change; the others keep their sizes.
    for (UINT d = 1; d < rank; ++d) {
        LONG lower = 0, upper = 0;
        ::SafeArrayGetLBound(sa, d, &lower);
        ::SafeArrayGetUBound(sa, d, &upper);
        if (upper - lower != upperBounds[d - 1]) RaiseError(errors::kSubscriptOutOfRange);
    }
    if (ElementType(sa) != VT_VARIANT) {
        // An array of another element type that a component made: copied into one of
        // our own first (one dimension: the only shape such results have in practice).
        if (rank != 1) RaiseError(errors::kTypeMismatch);
        std::vector<Value> old = ArrayElements(variable);
        Value fresh = MakeArray({static_cast<LONG>(old.size()) - 1});
        for (size_t i = 0; i < old.size(); ++i) SetArrayElement(fresh, {Value::Long(static_cast<LONG>(i))}, old[i]);
        variable = std::move(fresh);
        sa = variable.variant().parray;
    }
    LONG lastUpper = upperBounds.back();
    if (lastUpper < -1) RaiseError(errors::kSubscriptOutOfRange);
    ULONGLONG total = static_cast<ULONGLONG>(lastUpper + 1);
    for (UINT d = 1; d < rank; ++d) total *= static_cast<ULONGLONG>(upperBounds[d - 1] + 1);
    if (total * sizeof(VARIANT) > 0x7FFFFFFFull) RaiseError(errors::kOutOfMemory);
    SAFEARRAYBOUND bound{static_cast<ULONG>(lastUpper + 1), 0};
    HRESULT hr = ::SafeArrayRedim(sa, &bound);
    if (hr == E_OUTOFMEMORY) RaiseError(errors::kOutOfMemory);
    if (FAILED(hr)) RaiseError(errors::kArrayLocked);
}

void EraseArray(Value& variable, bool fixed) {
    if (!IsArray(variable)) RaiseError(errors::kTypeMismatch);
    if (IsLocked(variable)) RaiseError(errors::kArrayLocked);
    if (!variable.array()) return;  // unsized already
    SAFEARRAY* sa = ArrayOf(variable);
    if (fixed) {
        VARIANT* data = nullptr;
        if (ElementType(sa) != VT_VARIANT || FAILED(::SafeArrayAccessData(sa, reinterpret_cast<void**>(&data)))) return;
        ULONG count = 1;
        for (UINT d = 0; d < ::SafeArrayGetDim(sa); ++d) count *= sa->rgsabound[d].cElements;
        for (ULONG i = 0; i < count; ++i) ::VariantClear(&data[i]);
        ::SafeArrayUnaccessData(sa);
        return;
    }
    variable = UnsizedArray();
}

std::vector<Value> ArrayElements(const Value& array) {
    std::vector<Value> out;
    if (IsArray(array) && !array.array()) return out;  // an unsized array has none
    SAFEARRAY* sa = ArrayOf(array);
    UINT rank = ::SafeArrayGetDim(sa);
    if (rank == 0) return out;
    std::vector<LONG> lower(rank), upper(rank), at(rank);
    for (UINT d = 0; d < rank; ++d) {
        ::SafeArrayGetLBound(sa, d + 1, &lower[d]);
        ::SafeArrayGetUBound(sa, d + 1, &upper[d]);
        if (upper[d] < lower[d]) return out;
        at[d] = lower[d];
    }
    // Storage order: the leftmost index runs fastest.
    for (;;) {
        out.push_back(ReadElement(sa, at.data()));
        UINT d = 0;
        while (d < rank && ++at[d] > upper[d]) {
            at[d] = lower[d];
            ++d;
        }
        if (d == rank) return out;
    }
}

} // namespace stepscript
