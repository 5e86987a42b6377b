#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <utility>

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
    static Value Double(double d);
    static Value Bool(bool b);
    static Value String(const std::wstring& s);
    static Value Object(IDispatch* object);  // AddRefs; null gives Nothing
    static Value Nothing() { return Object(nullptr); }
    // Takes a VARIANT over (the source is left empty); references are dereferenced.
    static Value Take(VARIANT& v);
    static Value CopyOf(const VARIANT& v);

    VARTYPE type() const { return v_.vt; }
    bool isEmpty() const { return v_.vt == VT_EMPTY; }
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

// Conversions as scripts see them. Each throws ScriptError (Type mismatch, Overflow)
// when the value does not convert.
std::wstring ToText(const Value& v);          // CStr: True/False for booleans
bool ToBool(const Value& v);                  // conditions
LONG ToLong(const Value& v);                  // CLng: banker's rounding
double ToDouble(const Value& v);
Value ConvertTo(const Value& v, VARTYPE type);
// How the debugger shows a value: strings quoted, objects as {...}.
std::wstring DisplayText(const Value& v);
// VBScript-style type name for the debugger ("Long", "String", "Object", ...).
std::wstring TypeNameOf(const Value& v);

} // namespace stepscript
