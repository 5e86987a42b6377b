#pragma once
#include "common/ComObject.h"
#include "standins/debugservices/Module.h"
#include <objbase.h>
#include <wrl/client.h>
#include <tuple>

namespace debugservices {

// Base of every object of the debug services: reference counted, counted against the
// module, and aggregating the free-threaded marshaler. The objects lock their own state,
// so a debugger on any thread or apartment may call them directly, without proxies.
template <typename... Interfaces>
class FreeThreadedObject : public common::ComObject<Interfaces...> {
protected:
    FreeThreadedObject() {
        LockModule();
        using Front = std::tuple_element_t<0, std::tuple<Interfaces...>>;
        IUnknown* outer = static_cast<Front*>(this);
        ::CoCreateFreeThreadedMarshaler(outer, marshaler_.GetAddressOf());
    }
    ~FreeThreadedObject() override { UnlockModule(); }

    // Interfaces answered besides the listed ones: the bases of the listed interfaces.
    virtual bool QueryBase(REFIID, void**) { return false; }

private:
    bool QueryExtra(REFIID riid, void** ppv) final {
        if (QueryBase(riid, ppv)) return true;
        if (riid != IID_IMarshal || !marshaler_) return false;
        // The marshaler's interface counts on this object; QueryInterface adds the
        // reference that it hands out, so the one taken here is dropped again.
        Microsoft::WRL::ComPtr<IUnknown> marshal;
        if (FAILED(marshaler_->QueryInterface(riid, reinterpret_cast<void**>(marshal.GetAddressOf()))))
            return false;
        *ppv = marshal.Get();
        return true;
    }

    Microsoft::WRL::ComPtr<IUnknown> marshaler_;
};

// Takes ownership of the reference that an object was created with.
using common::Adopt;

} // namespace debugservices
