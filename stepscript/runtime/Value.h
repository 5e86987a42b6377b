#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <utility>
#include <vector>

namespace stepscript {

// One script value: a VARIANT with value semantics (copies AddRef objects and copy
// strings; moves steal). Objects are always held as IDispatch; Nothing is a null one.
class Value {
public:
    Value() { ::VariantInit(&v_); }
    Value(const Value& other) {
        ::VariantInit(&v_);
        ::VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    }
    Value(Value&& other) noexcept {
        v_ = other.v_;
        ::VariantInit(&other.v_);
    }
    Value& operator=(const Value& other) {
        if (this != &other) {
            VARIANT copy;
            ::VariantInit(&copy);
            ::VariantCopy(&copy, const_cast<VARIANT*>(&other.v_));
            ::VariantClear(&v_);
            v_ = copy;
        }
        return *this;
    }
    Value& operator=(Value&& other) noexcept {
        if (this != &other) {
            ::VariantClear(&v_);
            v_ = other.v_;
            ::VariantInit(&other.v_);
        }
        return *this;
    }
    ~Value() { ::VariantClear(&v_); }

    static Value Long(LONG n);
    static Value Int(SHORT n);
    static Value Byte(BYTE n);
    static Value Single(float f);
    static Value Double(double d);
    static Value Currency(CY c);
    static Value Date(DATE d);
    static Value Bool(bool b);
    static Value Null();
    static Value String(const std::wstring& s);
    static Value Object(IDispatch* object);  // AddRefs; null gives Nothing
    static Value Nothing() { return Object(nullptr); }
    // Takes a VARIANT over (the source is left empty); references are dereferenced.
    static Value Take(VARIANT& v);
    static Value CopyOf(const VARIANT& v);

    VARTYPE type() const { return v_.vt; }
    bool isEmpty() const { return v_.vt == VT_EMPTY; }
    bool isNull() const { return v_.vt == VT_NULL; }
    bool isArray() const { return (v_.vt & VT_ARRAY) != 0; }
    // The array of an array value, null otherwise.
    SAFEARRAY* array() const { return isArray() ? ((v_.vt & VT_BYREF) ? *v_.pparray : v_.parray) : nullptr; }
    bool isObject() const { return v_.vt == VT_DISPATCH || v_.vt == VT_UNKNOWN; }
    bool isNothing() const { return isObject() && v_.punkVal == nullptr; }
    IDispatch* dispatch() const { return v_.vt == VT_DISPATCH ? v_.pdispVal : nullptr; }
    IUnknown* unknown() const { return isObject() ? v_.punkVal : nullptr; }
    const VARIANT& variant() const { return v_; }
    VARIANT& variant() { return v_; }
    // Gives the VARIANT to a caller that owns it afterwards.
    void detach(VARIANT* out) {
        *out = v_;
        ::VariantInit(&v_);
    }

private:
    VARIANT v_;
};

// Conversions as scripts see them. Each throws ScriptError (Type mismatch, Overflow,
// Invalid use of Null) when the value does not convert.
std::wstring ToText(const Value& v);          // CStr: True/False, 15 significant digits
bool ToBool(const Value& v);                  // conditions
LONG ToLong(const Value& v);                  // CLng: banker's rounding
double ToDouble(const Value& v);
Value ConvertTo(const Value& v, VARTYPE type);
// A number in a string as scripts read one ("12", " 1.5E3 ", "&H1F"); false when the
// text holds none.
bool ParseNumber(const std::wstring& text, double& out);
// A double as CStr writes it: up to digits significant digits, exponent form outside
// the range the digits can show ("0.3", "1E+20", "1.5E-07").
std::wstring NumberText(double d, int digits = 15);
// How the debugger shows a value: strings quoted, objects as {...}.
std::wstring DisplayText(const Value& v);
// TypeName: "Long", "String", "Variant()", a class name for objects.
std::wstring TypeNameOf(const Value& v);
// VarType: the subtype number, vbArray + vbVariant (8204) for arrays of variants.
int VarTypeOf(const Value& v);

// The locale that conversions and formatting follow (SetLocale changes it).
LCID ScriptLocale();
void SetScriptLocale(LCID lcid);

// Arrays are SAFEARRAYs of VARIANT. ArrayOfItems builds a one-dimensional one with lower
// bound 0; ArrayItems reads a one-dimensional array of any element type (Type mismatch
// for anything else).
Value ArrayOfItems(std::vector<Value> items);
std::vector<Value> ArrayItems(const Value& v);

} // namespace stepscript
