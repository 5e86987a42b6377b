#pragma once
// One object per process: waits for the HTML documents handed out by wrappers to finish
// loading, and carries the one-shot async flag that makes the next blocking control
// operation post instead of wait.
#include "wrappers.h"
#include "common/ComObject.h"
#include "wrappers/core/Dispatch.h"
#include <objidl.h>
#include <atomic>
#include <mutex>
#include <vector>
#include <wrl/client.h>

namespace wrappers {

class Synchronizer final : public common::ComObject<DispatchImpl<ISynchronizer>, ISupportErrorInfo> {
public:
    Synchronizer();

    // ISynchronizer
    STDMETHODIMP synchronize() override;
    STDMETHODIMP add_mshtml(IDispatch* pDisp) override;
    STDMETHODIMP get_async(VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_async(VARIANT_BOOL newVal) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // Documents still registered (those that could not be unmarshalled are dropped).
    size_t documentCount();

private:
    ~Synchronizer() override = default;

    std::atomic<bool> async_{false};
    std::mutex mutex_;
    std::vector<Microsoft::WRL::ComPtr<IStream>> documents_;
};

// The class object of Wrappers.Synchronizer: every instance it gives is the one object.
HRESULT getSynchronizerClassObject(REFIID riid, void** ppv);

} // namespace wrappers
