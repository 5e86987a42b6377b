#pragma once
#include "common/ComObject.h"
#include <objbase.h>
#include <wrl/client.h>
#include <mutex>

namespace common {

// A COM object that any thread of the process may call directly: it aggregates the
// free-threaded marshaler, so handing it to another apartment passes the pointer itself.
// Such objects keep their own state safe across threads.
template <typename... Interfaces>
class FreeThreaded : public ComObject<Interfaces...> {
protected:
    bool QueryExtra(REFIID riid, void** ppv) override {
        if (riid != IID_IMarshal) return false;
        std::lock_guard<std::mutex> lock(marshalerLock_);
        if (!marshaler_) {
            // Made on first demand: most objects never leave their apartment.
            Microsoft::WRL::ComPtr<IUnknown> self;
            this->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(self.GetAddressOf()));
            if (FAILED(::CoCreateFreeThreadedMarshaler(self.Get(), marshaler_.GetAddressOf()))) return false;
        }
        if (FAILED(marshaler_->QueryInterface(riid, ppv))) return false;
        // The aggregated marshaler counted this object; the caller counts it again.
        static_cast<IUnknown*>(*ppv)->Release();
        return true;
    }

private:
    std::mutex marshalerLock_;
    Microsoft::WRL::ComPtr<IUnknown> marshaler_;
};

} // namespace common
