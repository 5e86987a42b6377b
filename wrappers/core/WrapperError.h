#pragma once
// How every wrappers member reports failure: an error object with the message as its
// description and "Runtime Error" as its source, and E_FAIL.
#include "common/ComError.h"
#include <windows.h>
#include <string>

namespace wrappers {

// Sets the thread's error information (source "Runtime Error") and returns E_FAIL.
HRESULT ReportError(const std::wstring& message);

// Sets the error information without failing (members that succeed with a warning).
void SetErrorText(const std::wstring& message);

// Thrown inside a member to fail with a message; WrapperCall turns it into ReportError.
class WrapperError : public common::ComError {
public:
    explicit WrapperError(std::wstring message) : common::ComError(E_FAIL, std::move(message)) {}
};

// The boundary of every member body. A ComError with a message (WrapperError,
// RemoteError) is reported with that message; anything else gives the HRESULT of
// common::CurrentExceptionHResult with no error information (E_OUTOFMEMORY when memory
// ran out, E_UNEXPECTED for an invalid regular expression among others).
template <typename Body>
HRESULT WrapperCall(Body&& body) noexcept {
    try {
        return body();
    } catch (const common::ComError& e) {
        if (!e.message().empty()) {
            HRESULT hr = ReportError(e.message());
            return FAILED(e.hr()) ? e.hr() : hr;
        }
        return common::CurrentExceptionHResult();
    } catch (...) {
        return common::CurrentExceptionHResult();
    }
}

} // namespace wrappers
