#include "stepscript/engine/ThreadCall.h"
#include "common/ComObject.h"
#include "common/FreeThreaded.h"
#include "common/ComError.h"

namespace stepscript {
namespace {

using Microsoft::WRL::ComPtr;

// The work travels inside the call object, so the three parameters are not needed and
// both the 32- and 64-bit forms of the call interface can carry it.
class ThreadCall : public common::FreeThreaded<IDebugThreadCall32, IDebugThreadCall64> {
public:
    explicit ThreadCall(const std::function<HRESULT()>& work) : work_(work) {}
    STDMETHODIMP ThreadCallHandler(DWORD, DWORD, DWORD) override { return run(); }
    STDMETHODIMP ThreadCallHandler(DWORDLONG, DWORDLONG, DWORDLONG) override { return run(); }

    // After a failed or timed-out call the services might still run it later; the
    // work refers to the caller's stack, so it must never run then.
    void cancel() {
        std::lock_guard<std::mutex> lock(lock_);
        cancelled_ = true;
    }

private:
    HRESULT run() {
        std::lock_guard<std::mutex> lock(lock_);
        if (cancelled_) return E_ABORT;
        return common::ComBoundary([&] { return work_(); });
    }
    const std::function<HRESULT()>& work_;
    std::mutex lock_;
    bool cancelled_ = false;
};

} // namespace

HRESULT CallIntoThread(IDebugApplicationThread* thread, const std::function<HRESULT()>& work) {
    ComPtr<ThreadCall> call;
    call = common::Adopt(new ThreadCall(work));
    ComPtr<IDebugApplicationThread64> thread64;
    HRESULT hr;
    if (SUCCEEDED(thread->QueryInterface(IID_IDebugApplicationThread64, reinterpret_cast<void**>(thread64.GetAddressOf()))) &&
        thread64) {
        hr = thread64->SynchronousCallIntoThread64(static_cast<IDebugThreadCall64*>(call.Get()), 0, 0, 0);
    } else {
        hr = thread->SynchronousCallIntoThread32(static_cast<IDebugThreadCall32*>(call.Get()), 0, 0, 0);
    }
    call->cancel();
    return hr;
}

} // namespace stepscript
