#pragma once
#include "common/ComObject.h"
#include <objbase.h>
#include <wrl/client.h>
#include <mutex>

namespace stepscript {

// A COM object that any thread of the process may call directly: it aggregates the
// free-threaded marshaler, so handing it to another apartment passes the pointer itself.
// Such objects keep their own state safe across threads.
template <typename... Interfaces>
class FreeThreaded : public common::ComObject<Interfaces...> {
protected:
    bool QueryExtra(REFIID riid, void** ppv) override {
        if (riid != IID_IMarshal) return false;
        std::lock_guard<std::mutex> lock(ftmLock_);
        if (!ftm_) {
            IUnknown* self = nullptr;
            this->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&self));
            HRESULT hr = ::CoCreateFreeThreadedMarshaler(self, ftm_.GetAddressOf());
            self->Release();
            if (FAILED(hr)) return false;
        }
        if (FAILED(ftm_->QueryInterface(riid, ppv))) return false;
        // The aggregated marshaler counted this object; the caller counts it again.
        static_cast<IUnknown*>(*ppv)->Release();
        return true;
    }

private:
    std::mutex ftmLock_;
    Microsoft::WRL::ComPtr<IUnknown> ftm_;
};

} // namespace stepscript
