#include "standins/stepscript/Value.h"
#include "standins/stepscript/ScriptError.h"
#include "standins/stepscript/SyntaxError.h"

namespace stepscript {
namespace {

// Script conversions follow the user's locale, like the value formatting of VBScript.
constexpr LCID kLocale = LOCALE_USER_DEFAULT;

[[noreturn]] void RaiseConversion(HRESULT hr) {
    RaiseError(hr == DISP_E_OVERFLOW ? errors::kOverflow : errors::kTypeMismatch);
}

} // namespace

Value Value::Long(LONG n) {
    Value r;
    r.v_.vt = VT_I4;
    r.v_.lVal = n;
    return r;
}

Value Value::Double(double d) {
    Value r;
    r.v_.vt = VT_R8;
    r.v_.dblVal = d;
    return r;
}

Value Value::Bool(bool b) {
    Value r;
    r.v_.vt = VT_BOOL;
    r.v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
}

Value Value::String(const std::wstring& s) {
    Value r;
    r.v_.bstrVal = ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    if (!r.v_.bstrVal) throw std::bad_alloc();
    r.v_.vt = VT_BSTR;
    return r;
}

Value Value::Object(IDispatch* object) {
    Value r;
    r.v_.vt = VT_DISPATCH;
    r.v_.pdispVal = object;
    if (object) object->AddRef();
    return r;
}

Value Value::Take(VARIANT& v) {
    Value r;
    if (v.vt & VT_BYREF) {
        ::VariantCopyInd(&r.v_, &v);
        ::VariantClear(&v);
    } else {
        r.v_ = v;
        ::VariantInit(&v);
    }
    if (r.v_.vt == VT_UNKNOWN) {
        // Objects travel as IDispatch inside the interpreter.
        IUnknown* unk = r.v_.punkVal;
        IDispatch* disp = nullptr;
        if (unk) unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp));
        if (unk && !disp) return r;  // kept as IUnknown: usable with Is, IsObject and Set
        if (unk) unk->Release();
        r.v_.vt = VT_DISPATCH;
        r.v_.pdispVal = disp;
    }
    return r;
}

Value Value::CopyOf(const VARIANT& v) {
    VARIANT copy;
    ::VariantInit(&copy);
    ::VariantCopyInd(&copy, const_cast<VARIANT*>(&v));
    return Take(copy);
}

Value ConvertTo(const Value& v, VARTYPE type) {
    if (v.type() == type) return v;
    if (v.isObject()) RaiseError(v.isNothing() ? errors::kObjectVariableNotSet : errors::kTypeMismatch);
    Value out;
    HRESULT hr = ::VariantChangeTypeEx(&out.variant(), const_cast<VARIANT*>(&v.variant()), kLocale,
                                       type == VT_BSTR ? VARIANT_ALPHABOOL : 0, type);
    if (FAILED(hr)) RaiseConversion(hr);
    return out;
}

std::wstring ToText(const Value& v) {
    if (v.type() == VT_BSTR) {
        BSTR b = v.variant().bstrVal;
        return std::wstring(b ? b : L"", ::SysStringLen(b));
    }
    if (v.isEmpty()) return std::wstring();
    Value s = ConvertTo(v, VT_BSTR);
    BSTR b = s.variant().bstrVal;
    return std::wstring(b ? b : L"", ::SysStringLen(b));
}

bool ToBool(const Value& v) {
    switch (v.type()) {
    case VT_BOOL: return v.variant().boolVal != VARIANT_FALSE;
    case VT_I4: return v.variant().lVal != 0;
    case VT_EMPTY: return false;
    default: return ConvertTo(v, VT_BOOL).variant().boolVal != VARIANT_FALSE;
    }
}

LONG ToLong(const Value& v) {
    if (v.type() == VT_I4) return v.variant().lVal;
    return ConvertTo(v, VT_I4).variant().lVal;
}

double ToDouble(const Value& v) {
    if (v.type() == VT_R8) return v.variant().dblVal;
    return ConvertTo(v, VT_R8).variant().dblVal;
}

std::wstring DisplayText(const Value& v) {
    switch (v.type()) {
    case VT_EMPTY: return L"Empty";
    case VT_NULL: return L"Null";
    case VT_BSTR: return L"\"" + ToText(v) + L"\"";
    case VT_DISPATCH:
    case VT_UNKNOWN: return v.isNothing() ? L"Nothing" : L"{...}";
    default:
        if (v.type() & VT_ARRAY) return L"{...}";
        try {
            return ToText(v);
        } catch (const ScriptError&) {
            return L"?";
        }
    }
}

std::wstring TypeNameOf(const Value& v) {
    switch (v.type()) {
    case VT_EMPTY: return L"Empty";
    case VT_NULL: return L"Null";
    case VT_I2: return L"Integer";
    case VT_I4: return L"Long";
    case VT_R4: return L"Single";
    case VT_R8: return L"Double";
    case VT_CY: return L"Currency";
    case VT_DATE: return L"Date";
    case VT_BSTR: return L"String";
    case VT_BOOL: return L"Boolean";
    case VT_UI1: return L"Byte";
    case VT_ERROR: return L"Error";
    case VT_DISPATCH: return v.isNothing() ? L"Nothing" : L"Object";
    case VT_UNKNOWN: return L"Unknown";
    default: return (v.type() & VT_ARRAY) ? L"Variant()" : L"Variant";
    }
}

} // namespace stepscript
