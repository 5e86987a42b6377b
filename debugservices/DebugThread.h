#pragma once
#include "common/ScriptingGuids.h"
#include "common/UniqueHandle.h"
#include "debugservices/FreeThreadedObject.h"
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace debugservices {

class DebugApplication;

// A call sent into a thread, carried out when that thread services its calls.
struct PendingCall {
    std::function<HRESULT()> work;
    bool started = false;  // under the application's lock
    HRESULT result = E_PENDING;
    common::UniqueHandle done;
};

// One system thread that runs script code of an application. Its break state lives
// under the application's lock; the application decides breaks and resumes.
class DebugThread : public FreeThreadedObject<IDebugApplicationThread64> {
public:
    // How long a call sent into another thread waits to be started there.
    static constexpr DWORD kCallTimeoutMs = 30000;

    DebugThread(DebugApplication* application, DWORD systemThreadId);

    DWORD id() const { return id_; }
    // The system thread has ended (or cannot be watched any more).
    bool Ended() const;
    void Wake() {
        Poke();
        ::SetEvent(wake_.get());
    }
    // Tells a spinning waiter that something changed, without the event.
    void Poke() { pokes_.fetch_add(1); }
    unsigned pokes() const { return pokes_.load(); }
    HANDLE wakeEvent() const { return wake_.get(); }

    // Runs the calls queued for this thread; only on this thread.
    void ServiceCalls();
    // Runs work on this thread: at once when called on it, else queued, the thread woken,
    // and waited for (RPC_E_TIMEOUT when it was not started in time, RPC_E_DISCONNECTED
    // when the thread ended first).
    HRESULT CallOnThread(std::function<HRESULT()> work);

    // IRemoteDebugApplicationThread
    STDMETHODIMP GetSystemThreadId(DWORD* id) override;
    STDMETHODIMP GetApplication(IRemoteDebugApplication** application) override;
    STDMETHODIMP EnumStackFrames(IEnumDebugStackFrames** frames) override;
    STDMETHODIMP GetDescription(BSTR* description, BSTR* state) override;
    STDMETHODIMP SetNextStatement(IDebugStackFrame* frame, IDebugCodeContext* context) override;
    STDMETHODIMP GetState(DWORD* state) override;
    STDMETHODIMP Suspend(DWORD* count) override;
    STDMETHODIMP Resume(DWORD* count) override;
    STDMETHODIMP GetSuspendCount(DWORD* count) override;
    // IDebugApplicationThread
    STDMETHODIMP SynchronousCallIntoThread32(IDebugThreadCall32* call, DWORD p1, DWORD p2, DWORD p3) override;
    STDMETHODIMP QueryIsCurrentThread() override;
    STDMETHODIMP QueryIsDebuggerThread() override;
    STDMETHODIMP SetDescription(LPCOLESTR description) override;
    STDMETHODIMP SetStateString(LPCOLESTR state) override;
    // IDebugApplicationThread64
    STDMETHODIMP SynchronousCallIntoThread64(IDebugThreadCall64* call, DWORDLONG p1, DWORDLONG p2,
                                             DWORDLONG p3) override;

protected:
    bool QueryBase(REFIID riid, void** ppv) override;

private:
    friend class DebugApplication;

    Microsoft::WRL::ComPtr<DebugApplication> application_;
    const DWORD id_;
    common::UniqueHandle handle_;
    common::UniqueHandle wake_;
    std::atomic<unsigned> pokes_{0};

    // Under the application's lock.
    std::wstring description_;
    std::wstring stateText_;
    DWORD suspendCount_ = 0;
    bool atBreak_ = false;
    bool waitingForBreak_ = false;  // another thread holds the break
    bool resumeRequested_ = false;
    bool asleep_ = false;           // waits on its wake event, woken by a resume
    BREAKRESUMEACTION resumeAction_ = BREAKRESUMEACTION_CONTINUE;
    ERRORRESUMEACTION errorAction_ = ERRORRESUMEACTION_AbortCallAndReturnErrorToCaller;
    std::deque<std::shared_ptr<PendingCall>> calls_;
};

} // namespace debugservices
