#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include "common/Bstr.h"

namespace common {

// Owner of one VARIANT: cleared on destruction and before every reuse.
class Variant {
public:
    Variant() { ::VariantInit(&value_); }
    explicit Variant(long n) { ::VariantInit(&value_); value_.vt = VT_I4; value_.lVal = n; }
    explicit Variant(const wchar_t* text) {
        ::VariantInit(&value_);
        value_.vt = VT_BSTR;
        value_.bstrVal = ::SysAllocString(text);
    }
    explicit Variant(const std::wstring& text) : Variant(text.c_str()) {}
    explicit Variant(IDispatch* object) {
        ::VariantInit(&value_);
        value_.vt = VT_DISPATCH;
        value_.pdispVal = object;
        if (object) object->AddRef();
    }
    Variant(const Variant& other) { ::VariantInit(&value_); ::VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)); }
    Variant& operator=(const Variant& other) {
        if (this != &other) { ::VariantClear(&value_); ::VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)); }
        return *this;
    }
    ~Variant() { ::VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    VARTYPE type() const { return value_.vt; }
    VARIANT* put() { ::VariantClear(&value_); return &value_; }
    // Moves the value into a caller's VARIANT (an [out, retval] parameter).
    void detach(VARIANT* out) { *out = value_; ::VariantInit(&value_); }

    // Converted copies; false when the value does not convert.
    bool toLong(long& out) const {
        VARIANT v; ::VariantInit(&v);
        if (FAILED(::VariantChangeType(&v, const_cast<VARIANT*>(&value_), 0, VT_I4))) return false;
        out = v.lVal;
        return true;
    }
    bool toString(std::wstring& out) const {
        VARIANT v; ::VariantInit(&v);
        if (FAILED(::VariantChangeType(&v, const_cast<VARIANT*>(&value_), 0, VT_BSTR))) return false;
        out = BstrText(v.bstrVal);
        ::VariantClear(&v);
        return true;
    }

private:
    VARIANT value_;
};

} // namespace common
