#include "wrappers/core/WNDWrapper.h"
#include "common/ComObject.h"
#include "wrappers/core/ClassFactory.h"
#include <wrl/client.h>

namespace wrappers {

TEVRIN_WRAPPER_CLASS(Wnd, WNDWrapper);

namespace {

class WNDWrapperFactory final : public ClassFactoryBase {
public:
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return WrapperCall([&] {
            Microsoft::WRL::ComPtr<IWNDWrapper> wrapper;
            wrapper = common::Adopt((new WNDWrapper())->wrapperInterface());
            return wrapper->QueryInterface(riid, ppv);
        });
    }
};

} // namespace

HRESULT getWNDWrapperClassObject(REFIID riid, void** ppv) {
    Microsoft::WRL::ComPtr<IClassFactory> factory;
    factory = common::Adopt(new WNDWrapperFactory());
    return factory->QueryInterface(riid, ppv);
}

} // namespace wrappers
