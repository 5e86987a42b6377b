#include "debugservices/DebugApplication.h"
#include "common/DebugOwners.h"
#include "common/Bstr.h"
#include "common/SpinWait.h"
#include "common/ComError.h"
#include "debugservices/ApplicationNode.h"
#include "debugservices/DebugThread.h"
#include "debugservices/InterfaceEnum.h"
#include <algorithm>

using Microsoft::WRL::ComPtr;

namespace debugservices {
namespace {

using ThreadEnum = InterfaceEnum<IEnumRemoteDebugApplicationThreads, IRemoteDebugApplicationThread>;

// Enough for any real script; a sniffer whose enumerator never ends cannot hang a debugger.

bool IsStep(BREAKRESUMEACTION action) {
    // Stepping over or out is the engine's part; here each is a step to the next
    // statement, so that the debugger never loses control.
    return action == BREAKRESUMEACTION_STEP_INTO || action == BREAKRESUMEACTION_STEP_OVER ||
           action == BREAKRESUMEACTION_STEP_OUT;
}

bool SameObject(IUnknown* a, IUnknown* b) {
    ComPtr<IUnknown> ua, ub;
    if (FAILED(a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(ua.GetAddressOf())))) return false;
    if (FAILED(b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(ub.GetAddressOf())))) return false;
    return ua.Get() == ub.Get();
}

} // namespace

// {6E0B3C52-8F4A-4C1D-9B57-2D6A1F3E9C04}
const IID DebugApplication::kImplIid = {0x6e0b3c52, 0x8f4a, 0x4c1d, {0x9b, 0x57, 0x2d, 0x6a, 0x1f, 0x3e, 0x9c, 0x04}};

DebugApplication::DebugApplication() : name_(kDefaultName), root_(Adopt(new ApplicationNode(kDefaultName))) {}

bool DebugApplication::QueryBase(REFIID riid, void** ppv) {
    if (riid == IID_IRemoteDebugApplication) {
        *ppv = static_cast<IRemoteDebugApplication*>(this);
    } else if (riid == kImplIid) {
        *ppv = this;
    } else {
        return false;
    }
    return true;
}

ComPtr<DebugThread> DebugApplication::CurrentThreadLocked() {
    const DWORD id = ::GetCurrentThreadId();
    auto found = threads_.find(id);
    if (found != threads_.end()) return found->second;
    ComPtr<DebugThread> thread = Adopt(new DebugThread(this, id));
    threads_[id] = thread;
    return thread;
}

void DebugApplication::PruneEndedThreadsLocked(std::vector<ComPtr<IUnknown>>& released) {
    for (auto it = threads_.begin(); it != threads_.end();) {
        if (it->second->Ended() && breakOwner_ != it->first) {
            const DWORD id = it->first;
            for (auto s = sniffers_.begin(); s != sniffers_.end();) {
                if (s->threadId == id) {
                    released.push_back(s->sniffer);
                    s = sniffers_.erase(s);
                } else {
                    ++s;
                }
            }
            released.push_back(static_cast<IDebugApplicationThread*>(it->second.Get()));
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

void DebugApplication::WakeAllLocked() {
    for (auto& entry : threads_) entry.second->Wake();
}

template <typename Done>
void DebugApplication::WaitOnThread(DebugThread& thread, Done done) {
    bool quit = false;
    WPARAM quitCode = 0;
    for (;;) {
        thread.ServiceCalls();
        const unsigned pokes = thread.pokes();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (done()) break;
        }
        // A resume usually comes within microseconds: spin for it before sleeping.
        if (common::SpinWhile([&] { return thread.pokes() == pokes; })) continue;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (done()) break;
            thread.asleep_ = true;
        }
        // Every change a waiter looks at sets the thread's wake event, so this wait ends.
        HANDLE wake = thread.wakeEvent();
        DWORD r = ::MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, quit ? 0 : QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            thread.asleep_ = false;
        }
        if (r == WAIT_OBJECT_0 + 1) {
            MSG msg;
            while (!quit && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    // Kept for the thread's own loop once the break is over.
                    quit = true;
                    quitCode = msg.wParam;
                    break;
                }
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        } else if (r == WAIT_FAILED) {
            ::Sleep(10);
        }
    }
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
}

HRESULT DebugApplication::Break(BREAKREASON reason, IActiveScriptErrorDebug* error, BREAKRESUMEACTION& action,
                                ERRORRESUMEACTION& errorAction) {
    action = BREAKRESUMEACTION_CONTINUE;
    errorAction = ERRORRESUMEACTION_AbortCallAndReturnErrorToCaller;
    const DWORD id = ::GetCurrentThreadId();
    ComPtr<DebugThread> thread;
    unsigned connection = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        thread = CurrentThreadLocked();
        // A requested halt is answered by this break, whatever its reason.
        flags_ &= ~APPBREAKFLAG_DEBUGGER_HALT;
        if (!debugger_ || closed_) {
            flags_ &= ~APPBREAKFLAG_STEP;
            steppingThread_ = 0;
            return S_OK;
        }
        // A statement run by a call serviced at this thread's break does not break again.
        if (thread->atBreak_) return S_OK;
        connection = connection_;
    }
    auto stillConnected = [&] { return connection_ == connection && debugger_ && !closed_; };

    // One thread at a break at a time: the others queue behind it.
    ComPtr<IApplicationDebugger> debugger;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!stillConnected()) {
                thread->waitingForBreak_ = false;
                return S_OK;
            }
            if (breakOwner_ == 0) {
                thread->waitingForBreak_ = false;
                breakOwner_ = id;
                thread->atBreak_ = true;
                thread->resumeRequested_ = false;
                flags_ &= ~(APPBREAKFLAG_DEBUGGER_HALT | APPBREAKFLAG_STEP);
                steppingThread_ = 0;
                debugger = debugger_;
                break;
            }
            thread->waitingForBreak_ = true;
        }
        WaitOnThread(*thread.Get(), [&] { return breakOwner_ == 0 || !stillConnected(); });
    }

    HRESULT hr = debugger->onHandleBreakPoint(static_cast<IRemoteDebugApplicationThread*>(thread.Get()), reason,
                                              error);
    if (SUCCEEDED(hr)) {
        WaitOnThread(*thread.Get(), [&] {
            return !stillConnected() || (thread->resumeRequested_ && thread->suspendCount_ == 0);
        });
    }
    // A debugger that refused the break is not waited for: nobody would resume it.

    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (SUCCEEDED(hr) && stillConnected()) {
            action = thread->resumeAction_;
            errorAction = thread->errorAction_;
        }
        thread->atBreak_ = false;
        thread->resumeRequested_ = false;
        breakOwner_ = 0;
        // Only threads queued behind this break wait for its end.
        for (auto& entry : threads_) {
            if (entry.second->waitingForBreak_) entry.second->Wake();
        }
    }
    return S_OK;
}

HRESULT DebugApplication::CollectFrames(DWORD threadId, FrameSource& source) {
    std::vector<ComPtr<IDebugStackFrameSniffer>> sniffers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // The sniffer added last belongs to the innermost engine of the thread.
        for (auto it = sniffers_.rbegin(); it != sniffers_.rend(); ++it) {
            if (it->threadId == threadId) sniffers.push_back(it->sniffer);
        }
    }
    // Only the engines' enumerators are taken now; their frames are read when asked for.
    for (const auto& sniffer : sniffers) {
        ComPtr<IEnumDebugStackFrames> found;
        HRESULT hr = sniffer->EnumStackFrames(found.GetAddressOf());
        if (SUCCEEDED(hr) && found) source.engines.push_back(found);
    }
    return S_OK;
}

bool DebugApplication::HasSniffers(DWORD threadId) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(sniffers_.begin(), sniffers_.end(), [&](const Sniffer& s) { return s.threadId == threadId; });
}

ComPtr<ApplicationNode> DebugApplication::rootNode() const { return root_; }

ComPtr<IApplicationDebugger> DebugApplication::debugger() {
    std::lock_guard<std::mutex> lock(mutex_);
    return debugger_;
}

STDMETHODIMP DebugApplication::ResumeFromBreakPoint(IRemoteDebugApplicationThread* focus, BREAKRESUMEACTION action,
                                                    ERRORRESUMEACTION errorAction) {
    return common::ComBoundary([&]() -> HRESULT {
        DWORD focusId = 0;
        if (focus) {
            HRESULT hr = focus->GetSystemThreadId(&focusId);
            if (FAILED(hr)) return hr;
        }
        ComPtr<DebugThread> resumed;
        bool asleep = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (breakOwner_ == 0) return E_UNEXPECTED;  // nothing is at a break
            auto owner = threads_.find(breakOwner_);
            if (owner == threads_.end()) return E_UNEXPECTED;
            resumed = owner->second;
            resumed->resumeRequested_ = true;
            resumed->resumeAction_ = action;
            resumed->errorAction_ = errorAction;
            // A thread that has not gone to sleep yet sees the request before it would.
            asleep = resumed->asleep_;
            resumed->Poke();
            if (IsStep(action)) {
                flags_ |= APPBREAKFLAG_STEP;
                steppingThread_ = focusId ? focusId : breakOwner_;
            } else {
                flags_ &= ~APPBREAKFLAG_STEP;
                steppingThread_ = 0;
            }
        }
        // Woken after the lock is free, so that it does not at once wait for the lock.
        if (asleep) resumed->Wake();
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::CauseBreak() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return E_UNEXPECTED;
    flags_ |= APPBREAKFLAG_DEBUGGER_HALT;
    return S_OK;
}

STDMETHODIMP DebugApplication::ConnectDebugger(IApplicationDebugger* debugger) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!debugger) return E_INVALIDARG;
        ComPtr<IApplicationDebugger> current = this->debugger();
        if (current) return SameObject(current.Get(), debugger) ? S_OK : E_FAIL;  // one debugger at a time
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return E_UNEXPECTED;
        if (debugger_) return E_FAIL;
        debugger_ = debugger;
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::DisconnectDebugger() {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<IApplicationDebugger> gone;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            gone.Swap(debugger_);
            ++connection_;
            // Halts, steps and suspensions were the debugger's: nothing may stay held.
            flags_ = 0;
            steppingThread_ = 0;
            for (auto& entry : threads_) entry.second->suspendCount_ = 0;
            WakeAllLocked();
        }
        return S_OK;  // the debugger is released outside the lock
    });
}

STDMETHODIMP DebugApplication::GetDebugger(IApplicationDebugger** debugger) {
    if (!debugger) return E_POINTER;
    *debugger = this->debugger().Detach();
    return *debugger ? S_OK : E_FAIL;
}

STDMETHODIMP DebugApplication::CreateInstanceAtApplication(REFCLSID clsid, IUnknown* outer, DWORD context,
                                                           REFIID iid, IUnknown** object) {
    if (!object) return E_POINTER;
    return ::CoCreateInstance(clsid, outer, context, iid, reinterpret_cast<void**>(object));
}

STDMETHODIMP DebugApplication::QueryAlive() { return S_OK; }

STDMETHODIMP DebugApplication::EnumThreads(IEnumRemoteDebugApplicationThreads** threads) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!threads) return E_POINTER;
        *threads = nullptr;
        auto items = std::make_shared<ThreadEnum::Items>();
        std::vector<ComPtr<IUnknown>> released;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            PruneEndedThreadsLocked(released);
            for (auto& entry : threads_)
                items->push_back(static_cast<IRemoteDebugApplicationThread*>(entry.second.Get()));
        }
        *threads = new ThreadEnum(std::move(items));
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::GetName(BSTR* name) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!name) return E_POINTER;
        std::lock_guard<std::mutex> lock(mutex_);
        *name = common::Bstr(name_).release();
        return *name ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP DebugApplication::GetRootNode(IDebugApplicationNode** root) {
    if (!root) return E_POINTER;
    ComPtr<IDebugApplicationNode> node = root_.Get();
    *root = node.Detach();
    return S_OK;
}

STDMETHODIMP DebugApplication::EnumGlobalExpressionContexts(IEnumDebugExpressionContexts** contexts) {
    if (contexts) *contexts = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP DebugApplication::SetName(LPCOLESTR name) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!name) return E_INVALIDARG;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            name_ = name;
        }
        root_->SetName(name);
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::StepOutComplete() {
    return common::ComBoundary([&]() -> HRESULT {
        std::lock_guard<std::mutex> lock(mutex_);
        // The engine returned to its caller while stepping: break at the caller's next statement.
        CurrentThreadLocked();
        flags_ |= APPBREAKFLAG_STEP;
        steppingThread_ = ::GetCurrentThreadId();
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::DebugOutput(LPCOLESTR text) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<IApplicationDebugger> debugger = this->debugger();
        if (debugger) debugger->onDebugOutput(text ? text : L"");
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::StartDebugSession() { return E_NOTIMPL; }

STDMETHODIMP DebugApplication::HandleBreakPoint(BREAKREASON reason, BREAKRESUMEACTION* action) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!action) return E_POINTER;
        ERRORRESUMEACTION unused;
        return Break(reason, nullptr, *action, unused);
    });
}

STDMETHODIMP DebugApplication::Close() {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<IApplicationDebugger> debugger = this->debugger();
        if (debugger) debugger->onClose();
        std::map<DWORD, ComPtr<DebugThread>> threads;
        std::vector<Sniffer> sniffers;
        ComPtr<IApplicationDebugger> gone;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
            gone.Swap(debugger_);
            ++connection_;
            flags_ = 0;
            steppingThread_ = 0;
            for (auto& entry : threads_) entry.second->suspendCount_ = 0;
            WakeAllLocked();
            // Threads hold the application: dropping them here ends that cycle.
            threads.swap(threads_);
            sniffers.swap(sniffers_);
        }
        root_->Close();
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::GetBreakFlags(APPBREAKFLAGS* flags, IRemoteDebugApplicationThread** steppingThread) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!flags) return E_POINTER;
        if (steppingThread) *steppingThread = nullptr;
        ComPtr<DebugThread> thread;
        bool work = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (closed_) {
                *flags = 0;
                return S_OK;
            }
            thread = CurrentThreadLocked();
            work = !thread->calls_.empty() || (thread->suspendCount_ > 0 && debugger_);
            if (!work) {
                *flags = flags_;
                if (steppingThread && steppingThread_) {
                    auto stepping = threads_.find(steppingThread_);
                    if (stepping != threads_.end())
                        *steppingThread = ComPtr<IRemoteDebugApplicationThread>(stepping->second.Get()).Detach();
                }
                return S_OK;
            }
        }
        // A suspended thread stays before its next statement until it is resumed.
        WaitOnThread(*thread.Get(), [&] { return thread->suspendCount_ == 0 || !debugger_ || closed_; });
        std::lock_guard<std::mutex> lock(mutex_);
        *flags = flags_;
        if (steppingThread && steppingThread_) {
            auto stepping = threads_.find(steppingThread_);
            if (stepping != threads_.end())
                *steppingThread = ComPtr<IRemoteDebugApplicationThread>(stepping->second.Get()).Detach();
        }
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::GetCurrentThread(IDebugApplicationThread** thread) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!thread) return E_POINTER;
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return E_UNEXPECTED;
        *thread = CurrentThreadLocked().Detach();
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::CreateAsyncDebugOperation(IDebugSyncOperation*, IDebugAsyncOperation** async) {
    if (async) *async = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP DebugApplication::AddStackFrameSniffer(IDebugStackFrameSniffer* sniffer, DWORD* cookie) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!cookie) return E_POINTER;
        *cookie = 0;
        if (!sniffer) return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(mutex_);
        if (closed_) return E_UNEXPECTED;
        CurrentThreadLocked();
        sniffers_.push_back({nextSnifferCookie_, ::GetCurrentThreadId(), sniffer});
        *cookie = nextSnifferCookie_++;
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::RemoveStackFrameSniffer(DWORD cookie) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<IDebugStackFrameSniffer> gone;
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = std::find_if(sniffers_.begin(), sniffers_.end(), [&](const Sniffer& s) { return s.cookie == cookie; });
        if (it == sniffers_.end()) return E_INVALIDARG;
        gone = it->sniffer;
        sniffers_.erase(it);
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::QueryCurrentThreadIsDebuggerThread() { return S_FALSE; }

STDMETHODIMP DebugApplication::SynchronousCallInDebuggerThread(IDebugThreadCall*, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    return E_NOTIMPL;
}

STDMETHODIMP DebugApplication::CreateApplicationNode(IDebugApplicationNode** node) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!node) return E_POINTER;
        *node = new ApplicationNode();
        return S_OK;
    });
}

STDMETHODIMP DebugApplication::FireDebuggerEvent(REFGUID event, IUnknown* object) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<IApplicationDebugger> debugger = this->debugger();
        if (!debugger) return E_FAIL;
        return debugger->onDebuggerEvent(event, object);
    });
}

STDMETHODIMP DebugApplication::HandleRuntimeError(IActiveScriptErrorDebug* error, IActiveScriptSite*,
                                                  BREAKRESUMEACTION* action, ERRORRESUMEACTION* errorAction,
                                                  BOOL* callOnScriptError) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!action || !errorAction) return E_POINTER;
        if (callOnScriptError) *callOnScriptError = TRUE;
        HRESULT hr = Break(BREAKREASON_ERROR, error, *action, *errorAction);
        // The site still hears of the error, whatever the debugger did with it: the
        // host's report is never lost.
        if (callOnScriptError) *callOnScriptError = TRUE;
        return hr;
    });
}

BOOL STDMETHODCALLTYPE DebugApplication::FCanJitDebug() { return FALSE; }

BOOL STDMETHODCALLTYPE DebugApplication::FIsAutoJitDebugEnabled() { return FALSE; }

STDMETHODIMP DebugApplication::AddGlobalExpressionContextProvider(IProvideExpressionContexts*, DWORD_PTR* cookie) {
    if (cookie) *cookie = 0;
    return E_NOTIMPL;
}

STDMETHODIMP DebugApplication::RemoveGlobalExpressionContextProvider(DWORD_PTR) { return E_NOTIMPL; }

} // namespace debugservices
