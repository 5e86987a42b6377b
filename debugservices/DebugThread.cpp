#include "debugservices/DebugThread.h"
#include "common/Bstr.h"
#include "common/ComError.h"
#include "debugservices/DebugApplication.h"
#include "debugservices/StackFrameEnum.h"
#include <string>

using Microsoft::WRL::ComPtr;

namespace debugservices {

DebugThread::DebugThread(DebugApplication* application, DWORD systemThreadId)
    : application_(application),
      id_(systemThreadId),
      handle_(::OpenThread(SYNCHRONIZE, FALSE, systemThreadId)),
      wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      description_(L"Thread " + std::to_wstring(systemThreadId)) {
    common::ThrowLastErrorIf(!wake_);
}

bool DebugThread::QueryBase(REFIID riid, void** ppv) {
    if (riid == IID_IDebugApplicationThread) {
        *ppv = static_cast<IDebugApplicationThread*>(this);
    } else if (riid == IID_IRemoteDebugApplicationThread) {
        *ppv = static_cast<IRemoteDebugApplicationThread*>(this);
    } else {
        return false;
    }
    return true;
}

bool DebugThread::Ended() const {
    return handle_ && ::WaitForSingleObject(handle_.get(), 0) == WAIT_OBJECT_0;
}

void DebugThread::ServiceCalls() {
    for (;;) {
        std::shared_ptr<PendingCall> call;
        {
            std::lock_guard<std::mutex> lock(application_->mutex_);
            if (calls_.empty()) return;
            call = calls_.front();
            calls_.pop_front();
            call->started = true;
        }
        call->result = common::ComBoundary([&] { return call->work(); });
        ::SetEvent(call->done.get());
    }
}

HRESULT DebugThread::CallOnThread(std::function<HRESULT()> work) {
    if (::GetCurrentThreadId() == id_) return work();
    auto call = std::make_shared<PendingCall>();
    call->work = std::move(work);
    call->done.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!call->done) return HRESULT_FROM_WIN32(::GetLastError());
    {
        std::lock_guard<std::mutex> lock(application_->mutex_);
        if (Ended()) return RPC_E_DISCONNECTED;
        calls_.push_back(call);
    }
    Wake();

    HANDLE handles[2] = {call->done.get(), handle_.get()};
    const DWORD count = handle_ ? 2 : 1;
    const ULONGLONG deadline = ::GetTickCount64() + kCallTimeoutMs;
    HRESULT failure = RPC_E_TIMEOUT;
    for (;;) {
        ULONGLONG now = ::GetTickCount64();
        DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        // Messages sent to this thread are delivered meanwhile: the call may need them.
        DWORD r = ::MsgWaitForMultipleObjects(count, handles, FALSE, left, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return call->result;
        if (r == WAIT_OBJECT_0 + count) {
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            continue;
        }
        failure = r == WAIT_OBJECT_0 + 1 ? RPC_E_DISCONNECTED : RPC_E_TIMEOUT;
        break;
    }
    {
        std::lock_guard<std::mutex> lock(application_->mutex_);
        if (!call->started) {
            for (auto it = calls_.begin(); it != calls_.end(); ++it) {
                if (*it == call) {
                    calls_.erase(it);
                    break;
                }
            }
            return failure;
        }
    }
    // The call runs already and may use the caller's data: it must finish first.
    DWORD r = ::WaitForMultipleObjects(count, handles, FALSE, INFINITE);
    return r == WAIT_OBJECT_0 ? call->result : RPC_E_DISCONNECTED;
}

STDMETHODIMP DebugThread::GetSystemThreadId(DWORD* id) {
    if (!id) return E_POINTER;
    *id = id_;
    return S_OK;
}

STDMETHODIMP DebugThread::GetApplication(IRemoteDebugApplication** application) {
    if (!application) return E_POINTER;
    *application = ComPtr<IRemoteDebugApplication>(application_.Get()).Detach();
    return S_OK;
}

STDMETHODIMP DebugThread::EnumStackFrames(IEnumDebugStackFrames** frames) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!frames) return E_POINTER;
        *frames = nullptr;
        auto source = std::make_shared<FrameSource>();
        // A thread without sniffers runs no script: nothing to ask it.
        if (application_->HasSniffers(id_)) {
            HRESULT hr = CallOnThread([&] { return application_->CollectFrames(id_, *source); });
            if (FAILED(hr)) return hr;
            ComPtr<DebugThread> self(this);
            source->onThread = [self](const std::function<HRESULT()>& work) { return self->CallOnThread(work); };
        }
        *frames = new StackFrameEnum(std::move(source));
        return S_OK;
    });
}

STDMETHODIMP DebugThread::GetDescription(BSTR* description, BSTR* state) {
    return common::ComBoundary([&]() -> HRESULT {
        if (description) *description = nullptr;
        if (state) *state = nullptr;
        std::wstring text, stateText;
        {
            std::lock_guard<std::mutex> lock(application_->mutex_);
            text = description_;
            if (!stateText_.empty()) {
                stateText = stateText_;
            } else if (atBreak_) {
                stateText = L"At a break";
            } else if (waitingForBreak_) {
                stateText = L"Blocked";
            } else if (suspendCount_ > 0) {
                stateText = L"Suspended";
            } else {
                stateText = L"Running";
            }
        }
        if (description) *description = common::Bstr(text).release();
        if (state) *state = common::Bstr(stateText).release();
        return S_OK;
    });
}

STDMETHODIMP DebugThread::SetNextStatement(IDebugStackFrame*, IDebugCodeContext*) { return E_NOTIMPL; }

STDMETHODIMP DebugThread::GetState(DWORD* state) {
    if (!state) return E_POINTER;
    std::lock_guard<std::mutex> lock(application_->mutex_);
    if (atBreak_ || waitingForBreak_) {
        *state = THREAD_STATE_SUSPENDED | THREAD_BLOCKED;
    } else if (suspendCount_ > 0) {
        *state = THREAD_STATE_SUSPENDED;
    } else {
        *state = THREAD_STATE_RUNNING;
    }
    return S_OK;
}

STDMETHODIMP DebugThread::Suspend(DWORD* count) {
    std::lock_guard<std::mutex> lock(application_->mutex_);
    if (count) *count = suspendCount_;
    ++suspendCount_;
    return S_OK;
}

STDMETHODIMP DebugThread::Resume(DWORD* count) {
    {
        std::lock_guard<std::mutex> lock(application_->mutex_);
        if (count) *count = suspendCount_;
        if (suspendCount_ == 0) return S_FALSE;
        if (--suspendCount_ > 0) return S_OK;
    }
    Wake();
    return S_OK;
}

STDMETHODIMP DebugThread::GetSuspendCount(DWORD* count) {
    if (!count) return E_POINTER;
    std::lock_guard<std::mutex> lock(application_->mutex_);
    *count = suspendCount_;
    return S_OK;
}

STDMETHODIMP DebugThread::SynchronousCallIntoThread32(IDebugThreadCall32* call, DWORD p1, DWORD p2, DWORD p3) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!call) return E_INVALIDARG;
        ComPtr<IDebugThreadCall32> target(call);
        return CallOnThread([=] { return target->ThreadCallHandler(p1, p2, p3); });
    });
}

STDMETHODIMP DebugThread::SynchronousCallIntoThread64(IDebugThreadCall64* call, DWORDLONG p1, DWORDLONG p2,
                                                      DWORDLONG p3) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!call) return E_INVALIDARG;
        ComPtr<IDebugThreadCall64> target(call);
        return CallOnThread([=] { return target->ThreadCallHandler(p1, p2, p3); });
    });
}

STDMETHODIMP DebugThread::QueryIsCurrentThread() { return ::GetCurrentThreadId() == id_ ? S_OK : S_FALSE; }

STDMETHODIMP DebugThread::QueryIsDebuggerThread() { return S_FALSE; }

STDMETHODIMP DebugThread::SetDescription(LPCOLESTR description) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!description) return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(application_->mutex_);
        description_ = description;
        return S_OK;
    });
}

STDMETHODIMP DebugThread::SetStateString(LPCOLESTR state) {
    return common::ComBoundary([&]() -> HRESULT {
        std::lock_guard<std::mutex> lock(application_->mutex_);
        stateText_ = state ? state : L"";
        return S_OK;
    });
}

} // namespace debugservices
