#include "stepscript/runtime/Value.h"
#include "common/ComObject.h"
#include "common/Bstr.h"
#include "stepscript/runtime/ScriptError.h"
// The interface header carries an MSVC uuid attribute that MinGW warns about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
#include "stepscript/runtime/ScriptObject.h"
#include "stepscript/runtime/BuiltinObject.h"
#pragma GCC diagnostic pop
#include "stepscript/language/SyntaxError.h"
#include <wrl/client.h>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cwctype>
#include <new>

namespace stepscript {
namespace {

// The interface id of IScriptObject, spelled out: MinGW's __uuidof needs a declaration
// at global scope that the interface's header leaves to its users.
const IID kScriptObjectId = {0x6a0f3c52, 0x8e41, 0x4d7b, {0x9c, 0x1e, 0x2f, 0x5d, 0x7a, 0x3b, 0x9e, 0x10}};
const IID kBuiltinObjectId = {0x3c1e7a90, 0x52d4, 0x4b8e, {0xa6, 0x17, 0x0d, 0x94, 0xe2, 0x5b, 0x71, 0xc8}};

// Conversions follow the script's locale (the user's, until SetLocale changes it).
std::atomic<LCID> g_locale{0};

[[noreturn]] void RaiseConversion(HRESULT hr) {
    if (hr == E_OUTOFMEMORY) RaiseError(errors::kOutOfMemory);
    RaiseError(hr == DISP_E_OVERFLOW ? errors::kOverflow : errors::kTypeMismatch);
}

std::wstring BstrOf(const Value& v) {
    return common::BstrText(v.variant().bstrVal);
}

std::wstring Trimmed(const std::wstring& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::iswspace(s[b])) ++b;
    while (e > b && std::iswspace(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool SameText(const std::wstring& a, const wchar_t* lower) {
    size_t i = 0;
    for (; i < a.size() && lower[i]; ++i)
        if (std::towlower(a[i]) != lower[i]) return false;
    return i == a.size() && lower[i] == 0;
}

// "&H1F" and "&O17" are numbers to the language, not to the platform's parser.
bool ParseRadix(const std::wstring& s, double& out) {
    if (s.size() < 3 || s[0] != L'&') return false;
    wchar_t kind = static_cast<wchar_t>(std::towupper(s[1]));
    int radix = kind == L'H' ? 16 : kind == L'O' ? 8 : 0;
    if (!radix) return false;
    unsigned long long n = 0;
    size_t i = 2;
    for (; i < s.size(); ++i) {
        wchar_t c = static_cast<wchar_t>(std::towupper(s[i]));
        int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'A' && c <= L'F' ? c - L'A' + 10 : 99;
        if (digit >= radix) break;
        n = n * radix + digit;
        if (n > 0xFFFFFFFFull) return false;
    }
    if (i < s.size() && !(s[i] == L'&' && i + 1 == s.size())) return false;
    // Up to 16 bits they read as an Integer, above as a Long: both keep the sign bit.
    if (n <= 0xFFFF && i - 2 <= (radix == 16 ? 4u : 6u)) out = static_cast<SHORT>(static_cast<USHORT>(n));
    else out = static_cast<LONG>(static_cast<ULONG>(n));
    return true;
}

Value FromDouble(double d, VARTYPE type) {
    Value in = Value::Double(d), out;
    HRESULT hr = ::VariantChangeTypeEx(&out.variant(), &in.variant(), ScriptLocale(), 0, type);
    if (FAILED(hr)) RaiseConversion(hr);
    return out;
}

} // namespace

LCID ScriptLocale() {
    LCID l = g_locale.load();
    return l ? l : ::GetUserDefaultLCID();
}

void SetScriptLocale(LCID lcid) { g_locale.store(lcid); }

Value Value::Long(LONG n) {
    Value r;
    r.v_.vt = VT_I4;
    r.v_.lVal = n;
    return r;
}

Value Value::Int(SHORT n) {
    Value r;
    r.v_.vt = VT_I2;
    r.v_.iVal = n;
    return r;
}

Value Value::Byte(BYTE n) {
    Value r;
    r.v_.vt = VT_UI1;
    r.v_.bVal = n;
    return r;
}

Value Value::Single(float f) {
    Value r;
    r.v_.vt = VT_R4;
    r.v_.fltVal = f;
    return r;
}

Value Value::Double(double d) {
    Value r;
    r.v_.vt = VT_R8;
    r.v_.dblVal = d;
    return r;
}

Value Value::Currency(CY c) {
    Value r;
    r.v_.vt = VT_CY;
    r.v_.cyVal = c;
    return r;
}

Value Value::Date(DATE d) {
    Value r;
    r.v_.vt = VT_DATE;
    r.v_.date = d;
    return r;
}

Value Value::Bool(bool b) {
    Value r;
    r.v_.vt = VT_BOOL;
    r.v_.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
}

Value Value::Null() {
    Value r;
    r.v_.vt = VT_NULL;
    return r;
}

Value Value::String(const std::wstring& s) {
    if (s.size() > 0x7FFFFFF0u / sizeof(wchar_t)) RaiseError(errors::kOutOfStringSpace);
    Value r;
    r.v_.bstrVal = ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    if (!r.v_.bstrVal) RaiseError(errors::kOutOfMemory);
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
        Microsoft::WRL::ComPtr<IDispatch> disp;
        if (unk) unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(disp.GetAddressOf()));
        if (unk && !disp) return r;  // kept as IUnknown: usable with Is, IsObject and Set
        // The variant's reference to the object passes to its IDispatch.
        const auto previous = common::Adopt(unk);
        r.v_.vt = VT_DISPATCH;
        r.v_.pdispVal = disp.Detach();
    }
    return r;
}

Value Value::CopyOf(const VARIANT& v) {
    VARIANT copy;
    ::VariantInit(&copy);
    ::VariantCopyInd(&copy, const_cast<VARIANT*>(&v));
    return Take(copy);
}

bool ParseNumber(const std::wstring& text, double& out) {
    std::wstring s = Trimmed(text);
    if (s.empty()) return false;
    if (ParseRadix(s, out)) return true;
    double d = 0;
    const common::Bstr b(s);
    if (!b.get()) RaiseError(errors::kOutOfMemory);
    HRESULT hr = ::VarR8FromStr(b.get(), ScriptLocale(), 0, &d);
    if (hr == DISP_E_OVERFLOW) RaiseError(errors::kOverflow);
    if (FAILED(hr)) return false;
    out = d;
    return true;
}

std::wstring NumberText(double d, int digits) {
    if (d == 0) return L"0";
    if (std::isnan(d)) return L"NaN";
    if (std::isinf(d)) return d > 0 ? L"Infinity" : L"-Infinity";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", digits, d);
    wchar_t sep[8] = L".";
    if (!::GetLocaleInfoW(ScriptLocale(), LOCALE_SDECIMAL, sep, 8)) sep[0] = L'.', sep[1] = 0;
    std::wstring out;
    for (const char* p = buf; *p; ++p) {
        if (*p == '.') out += sep;
        else out += static_cast<wchar_t>(*p);
    }
    return out;
}

Value ConvertTo(const Value& v, VARTYPE type) {
    if (v.type() == type) return v;
    if (v.isObject()) RaiseError(v.isNothing() ? errors::kObjectVariableNotSet : errors::kTypeMismatch);
    if (v.isNull()) RaiseError(errors::kInvalidUseOfNull);
    if (v.isArray() || v.type() == VT_ERROR) RaiseError(errors::kTypeMismatch);
    if (type == VT_BSTR) return Value::String(ToText(v));
    if (v.type() == VT_BSTR) {
        std::wstring s = BstrOf(v);
        if (type == VT_BOOL) {
            std::wstring t = Trimmed(s);
            if (SameText(t, L"true")) return Value::Bool(true);
            if (SameText(t, L"false")) return Value::Bool(false);
            // The spellings Boolean values take in files written by Write #.
            if (SameText(t, L"#true#")) return Value::Bool(true);
            if (SameText(t, L"#false#")) return Value::Bool(false);
        }
        if (type == VT_DATE) {
            DATE d = 0;
            HRESULT hr = ::VarDateFromStr(v.variant().bstrVal, ScriptLocale(), 0, &d);
            if (SUCCEEDED(hr)) return Value::Date(d);
        }
        double d = 0;
        if (!ParseNumber(s, d)) RaiseError(errors::kTypeMismatch);
        if (type == VT_R8) return Value::Double(d);
        return FromDouble(d, type);
    }
    Value out;
    HRESULT hr = ::VariantChangeTypeEx(&out.variant(), const_cast<VARIANT*>(&v.variant()), ScriptLocale(), 0, type);
    if (FAILED(hr)) RaiseConversion(hr);
    return out;
}

std::wstring ToText(const Value& v) {
    const VARIANT& x = v.variant();
    switch (v.type()) {
    case VT_BSTR: return BstrOf(v);
    case VT_EMPTY: return std::wstring();
    case VT_NULL: RaiseError(errors::kInvalidUseOfNull);
    case VT_BOOL: return x.boolVal ? L"True" : L"False";
    case VT_I2: return std::to_wstring(x.iVal);
    case VT_I4: return std::to_wstring(x.lVal);
    case VT_UI1: return std::to_wstring(x.bVal);
    case VT_R8: return NumberText(x.dblVal, 15);
    case VT_R4: return NumberText(x.fltVal, 7);
    case VT_DATE: {
        common::Bstr b;
        HRESULT hr = ::VarBstrFromDate(x.date, ScriptLocale(), 0, b.put());
        if (FAILED(hr)) RaiseConversion(hr);
        return b.str();
    }
    default: {
        if (v.isObject()) RaiseError(v.isNothing() ? errors::kObjectVariableNotSet : errors::kTypeMismatch);
        if (v.isArray() || v.type() == VT_ERROR) RaiseError(errors::kTypeMismatch);
        Value s;
        HRESULT hr = ::VariantChangeTypeEx(&s.variant(), const_cast<VARIANT*>(&x), ScriptLocale(), 0, VT_BSTR);
        if (FAILED(hr)) RaiseConversion(hr);
        return BstrOf(s);
    }
    }
}

bool ToBool(const Value& v) {
    switch (v.type()) {
    case VT_BOOL: return v.variant().boolVal != VARIANT_FALSE;
    case VT_I4: return v.variant().lVal != 0;
    case VT_I2: return v.variant().iVal != 0;
    case VT_EMPTY:
    case VT_NULL: return false;  // a Null condition takes the Else branch
    default: return ConvertTo(v, VT_BOOL).variant().boolVal != VARIANT_FALSE;
    }
}

LONG ToLong(const Value& v) {
    switch (v.type()) {
    case VT_I4: return v.variant().lVal;
    case VT_I2: return v.variant().iVal;
    case VT_UI1: return v.variant().bVal;
    case VT_BOOL: return v.variant().boolVal ? -1 : 0;
    case VT_EMPTY: return 0;
    default: return ConvertTo(v, VT_I4).variant().lVal;
    }
}

double ToDouble(const Value& v) {
    switch (v.type()) {
    case VT_R8: return v.variant().dblVal;
    case VT_I4: return v.variant().lVal;
    case VT_I2: return v.variant().iVal;
    case VT_EMPTY: return 0;
    default: return ConvertTo(v, VT_R8).variant().dblVal;
    }
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
    if (v.isArray()) return L"Variant()";
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
    case VT_DECIMAL: return L"Decimal";
    case VT_UNKNOWN: return v.isNothing() ? L"Nothing" : L"Unknown";
    case VT_DISPATCH: {
        if (v.isNothing()) return L"Nothing";
        Microsoft::WRL::ComPtr<IScriptObject> script;
        if (SUCCEEDED(v.dispatch()->QueryInterface(kScriptObjectId,
                                                   reinterpret_cast<void**>(script.GetAddressOf()))) && script)
            return script->className();
        Microsoft::WRL::ComPtr<IBuiltinObject> builtin;
        if (SUCCEEDED(v.dispatch()->QueryInterface(kBuiltinObjectId,
                                                   reinterpret_cast<void**>(builtin.GetAddressOf()))) && builtin)
            return builtin->typeName();
        // Components name their class through their type information.
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        UINT count = 0;
        if (SUCCEEDED(v.dispatch()->GetTypeInfoCount(&count)) && count > 0 &&
            SUCCEEDED(v.dispatch()->GetTypeInfo(0, ScriptLocale(), info.GetAddressOf())) && info) {
            common::Bstr name;
            if (SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr)) &&
                name.length() > 0)
                return name.str();
        }
        return L"Object";
    }
    default: return L"Variant";
    }
}

int VarTypeOf(const Value& v) {
    if (v.isArray()) {
        SAFEARRAY* a = v.array();
        VARTYPE element = VT_VARIANT;
        if (a) ::SafeArrayGetVartype(a, &element);
        return VT_ARRAY | element;
    }
    return v.type();
}

Value ArrayOfItems(std::vector<Value> items) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(items.size()), 0};
    SAFEARRAY* a = ::SafeArrayCreate(VT_VARIANT, 1, &bound);
    if (!a) RaiseError(errors::kOutOfMemory);
    VARIANT* data = nullptr;
    ::SafeArrayAccessData(a, reinterpret_cast<void**>(&data));
    for (size_t i = 0; i < items.size(); ++i) items[i].detach(&data[i]);
    ::SafeArrayUnaccessData(a);
    Value r;
    r.variant().vt = VT_ARRAY | VT_VARIANT;
    r.variant().parray = a;
    return r;
}

std::vector<Value> ArrayItems(const Value& v) {
    SAFEARRAY* a = v.array();
    if (!a) RaiseError(v.isArray() ? errors::kSubscriptOutOfRange : errors::kTypeMismatch);
    if (::SafeArrayGetDim(a) != 1) RaiseError(errors::kSubscriptOutOfRange);
    LONG lo = 0, hi = -1;
    ::SafeArrayGetLBound(a, 1, &lo);
    ::SafeArrayGetUBound(a, 1, &hi);
    VARTYPE element = VT_VARIANT;
    if (FAILED(::SafeArrayGetVartype(a, &element))) element = VT_VARIANT;
    std::vector<Value> out;
    out.reserve(hi >= lo ? static_cast<size_t>(hi - lo + 1) : 0);
    for (LONG i = lo; i <= hi; ++i) {
        VARIANT item;
        ::VariantInit(&item);
        if (element == VT_VARIANT) {
            ::SafeArrayGetElement(a, &i, &item);
        } else {
            // Typed arrays from components (strings, numbers, objects) hold raw elements.
            item.vt = element;
            if (FAILED(::SafeArrayGetElement(a, &i, &item.lVal))) item.vt = VT_EMPTY;
        }
        out.push_back(Value::Take(item));
    }
    return out;
}

} // namespace stepscript
