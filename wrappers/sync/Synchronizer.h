#pragma once
// One object per process: waits for the HTML documents handed out by wrappers to finish
// loading, and carries the one-shot async flag that makes the next blocking control
// operation post instead of wait.
#include "wrappers.h"
#include "common/FreeThreaded.h"
#include "wrappers/core/Dispatch.h"
#include "common/ApartmentRef.h"
#include <objidl.h>
#include <memory>
#include <atomic>
#include <mutex>
#include <vector>
#include <wrl/client.h>

namespace wrappers {

// Free-threaded: the script thread and the break watcher call the one object directly.
class Synchronizer final : public common::FreeThreaded<DispatchImpl<ISynchronizer>, ISupportErrorInfo> {
public:
    Synchronizer();

    // ISynchronizer
    STDMETHODIMP synchronize() override;
    STDMETHODIMP add_mshtml(IDispatch* pDisp) override;
    STDMETHODIMP get_async(VARIANT_BOOL* pVal) override;
    STDMETHODIMP put_async(VARIANT_BOOL newVal) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // Documents still registered (those that could not be reached are dropped).
    size_t documentCount();

private:
    ~Synchronizer() override = default;

    std::atomic<bool> async_{false};
    std::mutex mutex_;
    // Each document is read from whichever apartment synchronizes, so each is held
    // through the global interface table.
    std::vector<std::shared_ptr<common::ApartmentRef<IDispatch>>> documents_;
};

// The class object of Wrappers.Synchronizer: every instance it gives is the one object.
HRESULT getSynchronizerClassObject(REFIID riid, void** ppv);

} // namespace wrappers
