#pragma once
#include <windows.h>
#include <exception>
#include <new>
#include <string>

namespace common {

// The one COM error type: thrown inside a component when a call that must succeed fails,
// and turned back into an HRESULT at the component's COM boundary.
class ComError : public std::exception {
public:
    explicit ComError(HRESULT hr, std::wstring message = {}) : hr_(hr), message_(std::move(message)) {}
    HRESULT hr() const { return hr_; }
    const std::wstring& message() const { return message_; }
    const char* what() const noexcept override { return "COM error"; }

private:
    HRESULT hr_;
    std::wstring message_;
};

// Throws ComError when hr is a failure; returns hr otherwise (S_FALSE passes through).
inline HRESULT ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) throw ComError(hr);
    return hr;
}

// Throws ComError(HRESULT_FROM_WIN32(GetLastError())) when ok is false.
void ThrowLastErrorIf(bool failed);

// The HRESULT of the exception being handled; called only inside a catch block. A
// ComError gives its HRESULT, std::bad_alloc E_OUTOFMEMORY, anything else E_UNEXPECTED.
HRESULT CurrentExceptionHResult() noexcept;

// Runs body at a COM method boundary: nothing escapes, and an exception becomes the
// HRESULT CurrentExceptionHResult gives.
template <typename Body>
HRESULT ComBoundary(Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return CurrentExceptionHResult();
    }
}

// Text of a system error code, without the trailing line break.
std::wstring SystemMessage(DWORD code);

} // namespace common
