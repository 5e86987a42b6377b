#pragma once
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <utility>
#include "common/Bstr.h"

namespace common {

// Owner of the strings of one EXCEPINFO, as IDispatch::Invoke, ParseScriptText and
// IActiveScriptError::GetExceptionInfo fill it: they are freed on destruction and before
// every reuse.
class ExcepInfo {
public:
    ExcepInfo() = default;
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;
    ~ExcepInfo() { clear(); }

    // For a call that fills the structure; whatever it held before is freed.
    EXCEPINFO* put() {
        clear();
        return &info_;
    }
    const EXCEPINFO& get() const { return info_; }
    const EXCEPINFO* operator->() const { return &info_; }

    // Lets a component that deferred the text fill it in now (once).
    void fillIn() {
        if (auto fill = std::exchange(info_.pfnDeferredFillIn, nullptr)) fill(&info_);
    }
    std::wstring source() const { return BstrText(info_.bstrSource); }
    std::wstring description() const { return BstrText(info_.bstrDescription); }
    std::wstring helpFile() const { return BstrText(info_.bstrHelpFile); }
    // The error code, whichever of scode and wCode the component set.
    HRESULT code() const { return info_.scode ? info_.scode : static_cast<HRESULT>(info_.wCode); }

    // Hand a string to a caller that frees it; the structure keeps null in its place.
    BSTR releaseSource() { return std::exchange(info_.bstrSource, nullptr); }
    BSTR releaseDescription() { return std::exchange(info_.bstrDescription, nullptr); }
    BSTR releaseHelpFile() { return std::exchange(info_.bstrHelpFile, nullptr); }

    void clear() {
        ::SysFreeString(info_.bstrSource);
        ::SysFreeString(info_.bstrDescription);
        ::SysFreeString(info_.bstrHelpFile);
        info_ = EXCEPINFO{};
    }

private:
    EXCEPINFO info_{};
};

} // namespace common
