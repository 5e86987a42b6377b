#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <utility>

namespace common {

// Copy of a BSTR's text, embedded NULs included; a null BSTR is the empty string.
inline std::wstring BstrText(BSTR text) { return std::wstring(text ? text : L"", ::SysStringLen(text)); }

// Owner of one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : value_(text ? ::SysAllocString(text) : nullptr) {}
    explicit Bstr(const std::wstring& text)
        : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Bstr(const Bstr& other) : value_(other.value_ ? ::SysAllocStringLen(other.value_, other.length()) : nullptr) {}
    Bstr(Bstr&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    Bstr& operator=(Bstr other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }
    ~Bstr() { ::SysFreeString(value_); }

    BSTR get() const { return value_; }
    UINT length() const { return ::SysStringLen(value_); }
    std::wstring str() const { return BstrText(value_); }
    // Hands the string to a caller that frees it ([out, retval] parameters).
    BSTR release() { return std::exchange(value_, nullptr); }
    // For APIs that return a BSTR through an out parameter.
    BSTR* put() {
        ::SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }

private:
    BSTR value_ = nullptr;
};

} // namespace common
