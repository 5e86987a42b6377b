#pragma once
#include <objbase.h>

namespace common {

// Puts the calling thread in a COM apartment for one scope. Only a successful start
// (S_OK, or S_FALSE when the thread was in that apartment already) is paired with
// CoUninitialize; a thread already in the other kind of apartment stays as it was.
class ComInit {
public:
    explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED) : hr_(::CoInitializeEx(nullptr, model)) {}
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    ~ComInit() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }

    HRESULT result() const { return hr_; }
    bool succeeded() const { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};

} // namespace common
