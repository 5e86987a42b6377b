#pragma once
// Stand-ins for the other parties of debugging: a debugger that records its breaks,
// an engine thread that polls the break flags before each "statement", and a stack
// frame sniffer. They use only the documented interfaces.
#include "common/Bstr.h"
#include "common/ComInit.h"
#include "common/ComObject.h"
#include "common/ScriptingGuids.h"
#include "common/UniqueHandle.h"
#include <wrl/client.h>
#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fakes {

using Microsoft::WRL::ComPtr;

inline DWORD ThreadIdOf(IRemoteDebugApplicationThread* thread) {
    DWORD id = 0;
    if (thread) thread->GetSystemThreadId(&id);
    return id;
}

// The build tree's debug services DLL.
inline std::wstring ServicesDllPath() { return std::wstring(TEVRIN_DIST_DIR) + L"\\debugservices.dll"; }

// Made by the DLL's own class object, as Tevrin makes it where the platform has none;
// nothing is registered, so the prefix's platform stays as it is.
inline ComPtr<IProcessDebugManager> CreateManager() {
    ComPtr<IProcessDebugManager> manager;
    HMODULE dll = ::LoadLibraryW(ServicesDllPath().c_str());  // kept for the test's life
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto get = dll ? reinterpret_cast<GetClassObject>(::GetProcAddress(dll, "DllGetClassObject")) : nullptr;
    ComPtr<IClassFactory> factory;
    if (get && SUCCEEDED(get(CLSID_ProcessDebugManager, IID_IClassFactory,
                             reinterpret_cast<void**>(factory.GetAddressOf()))))
        factory->CreateInstance(nullptr, IID_IProcessDebugManager, reinterpret_cast<void**>(manager.GetAddressOf()));
    return manager;
}

// Records every break and, when told how, resumes it from a thread of its own the way
// a debugger's user interface does.
class TestDebugger : public common::ComObject<IApplicationDebugger> {
public:
    struct Break {
        DWORD threadId;
        BREAKREASON reason;
        bool withError;
    };

    TestDebugger() : breakEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~TestDebugger() override { StopResuming(); }

    // Each break is answered from another thread with the action chosen for it; a
    // null chooser leaves the break waiting.
    void ResumeWith(ComPtr<IDebugApplication> application,
                    std::function<BREAKRESUMEACTION(size_t index, const Break&)> choose,
                    ERRORRESUMEACTION errorAction = ERRORRESUMEACTION_SkipErrorStatement) {
        StopResuming();
        stop_ = false;
        resumer_ = std::thread([this, application, choose, errorAction] {
            const common::ComInit apartment(COINIT_MULTITHREADED);
            size_t handled = 0;
            while (!stop_) {
                if (::WaitForSingleObject(breakEvent_.get(), 50) != WAIT_OBJECT_0) continue;
                for (;;) {
                    Break b;
                    ComPtr<IRemoteDebugApplicationThread> thread;
                    {
                        std::lock_guard<std::mutex> lock(mutex_);
                        if (handled >= breaks_.size()) break;
                        b = breaks_[handled];
                        thread = threads_[handled];
                    }
                    application->ResumeFromBreakPoint(thread.Get(), choose(handled, b), errorAction);
                    ++handled;
                }
            }
        });
    }
    void StopResuming() {
        stop_ = true;
        if (resumer_.joinable()) resumer_.join();
    }

    bool WaitForBreak(DWORD ms = 10000) { return ::WaitForSingleObject(breakEvent_.get(), ms) == WAIT_OBJECT_0; }
    std::vector<Break> breaks() {
        std::lock_guard<std::mutex> lock(mutex_);
        return breaks_;
    }
    ComPtr<IRemoteDebugApplicationThread> lastThread() {
        std::lock_guard<std::mutex> lock(mutex_);
        return threads_.empty() ? nullptr : threads_.back();
    }
    std::wstring output() {
        std::lock_guard<std::mutex> lock(mutex_);
        return output_;
    }

    // Runs on the breaking thread, inside the break, before the break is recorded.
    std::function<void(IRemoteDebugApplicationThread*)> duringBreak;
    HRESULT breakAnswer = S_OK;

    STDMETHODIMP QueryAlive() override { return S_OK; }
    STDMETHODIMP CreateInstanceAtDebugger(REFCLSID, IUnknown*, DWORD, REFIID, IUnknown**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP onDebugOutput(LPCOLESTR text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        output_ += text;
        return S_OK;
    }
    STDMETHODIMP onHandleBreakPoint(IRemoteDebugApplicationThread* thread, BREAKREASON reason,
                                    IActiveScriptErrorDebug* error) override {
        if (duringBreak) duringBreak(thread);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            breaks_.push_back({ThreadIdOf(thread), reason, error != nullptr});
            threads_.push_back(thread);
        }
        ::SetEvent(breakEvent_.get());
        return breakAnswer;
    }
    STDMETHODIMP onClose() override { return S_OK; }
    STDMETHODIMP onDebuggerEvent(REFIID, IUnknown*) override { return E_NOTIMPL; }

private:
    common::UniqueHandle breakEvent_;
    std::mutex mutex_;
    std::vector<Break> breaks_;
    std::vector<ComPtr<IRemoteDebugApplicationThread>> threads_;
    std::wstring output_;
    std::atomic<bool> stop_{false};
    std::thread resumer_;
};

// A frame that only knows its description and the thread it was made on.
class FakeFrame : public common::ComObject<IDebugStackFrame> {
public:
    FakeFrame(std::wstring description) : description_(std::move(description)) {}
    STDMETHODIMP GetCodeContext(IDebugCodeContext** context) override {
        *context = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDescriptionString(BOOL, BSTR* text) override {
        *text = common::Bstr(description_).release();
        return S_OK;
    }
    STDMETHODIMP GetLanguageString(BOOL, BSTR* text) override {
        *text = common::Bstr(L"Fake").release();
        return S_OK;
    }
    STDMETHODIMP GetThread(IDebugApplicationThread** thread) override {
        *thread = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDebugProperty(IDebugProperty** property) override {
        *property = nullptr;
        return E_NOTIMPL;
    }

private:
    std::wstring description_;
};

class FakeFrameEnum : public common::ComObject<IEnumDebugStackFrames> {
public:
    // Counts in `made` every frame it makes.
    FakeFrameEnum(std::vector<std::wstring> names, std::atomic<int>* made = nullptr)
        : names_(std::move(names)), made_(made) {}
    STDMETHODIMP Next(ULONG count, DebugStackFrameDescriptor* out, ULONG* fetched) override {
        ULONG n = 0;
        while (n < count && next_ < names_.size()) {
            out[n] = {};
            out[n].pdsf = new FakeFrame(names_[next_]);
            if (made_) ++*made_;
            out[n].dwMin = static_cast<DWORD>(1000 - next_);
            out[n].dwLim = static_cast<DWORD>(1001 - next_);
            ++next_;
            ++n;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        next_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumDebugStackFrames**) override { return E_NOTIMPL; }

private:
    std::vector<std::wstring> names_;
    size_t next_ = 0;
    std::atomic<int>* made_;
};

// Describes the stack of the engine that added it; records the threads it was asked on.
class FakeSniffer : public common::ComObject<IDebugStackFrameSniffer> {
public:
    explicit FakeSniffer(std::function<std::vector<std::wstring>()> frames) : frames_(std::move(frames)) {}
    STDMETHODIMP EnumStackFrames(IEnumDebugStackFrames** frames) override {
        askedOn.push_back(::GetCurrentThreadId());
        *frames = new FakeFrameEnum(frames_(), &framesMade);
        return S_OK;
    }
    std::vector<DWORD> askedOn;
    std::atomic<int> framesMade{0};

private:
    std::function<std::vector<std::wstring>()> frames_;
};

// A run-time error as an engine reports it.
class FakeError : public common::ComObject<IActiveScriptErrorDebug> {
public:
    STDMETHODIMP GetExceptionInfo(EXCEPINFO* info) override {
        *info = {};
        info->bstrSource = ::SysAllocString(L"Fake");
        info->bstrDescription = ::SysAllocString(L"Division by zero");
        return S_OK;
    }
    STDMETHODIMP GetSourcePosition(DWORD* context, ULONG* line, LONG* position) override {
        if (context) *context = 0;
        if (line) *line = 0;
        if (position) *position = 0;
        return S_OK;
    }
    STDMETHODIMP GetSourceLineText(BSTR* text) override {
        *text = ::SysAllocString(L"x = 1 / 0");
        return S_OK;
    }
    STDMETHODIMP GetDocumentContext(IDebugDocumentContext** context) override {
        *context = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetStackFrame(IDebugStackFrame** frame) override {
        *frame = nullptr;
        return E_NOTIMPL;
    }
};

// An engine thread: before each statement it asks for the break flags and breaks as
// engines do; statement numbers in errorAt raise a run-time error instead of running.
class EngineThread {
public:
    struct Options {
        int statements = 5;           // -1: until Stop()
        std::set<int> breakpoints;    // statements with an enabled code breakpoint
        std::set<int> errorAt;
        bool withSniffer = false;
        int callers = 0;              // frames between the innermost one and the global code
    };

    EngineThread(ComPtr<IDebugApplication> application, Options options)
        : application_(std::move(application)),
          options_(std::move(options)),
          started_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          finished_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this] { Run(); });
        ::WaitForSingleObject(started_.get(), 10000);
    }
    ~EngineThread() {
        stop_ = true;
        // A test that failed may leave the engine at a break: disconnecting releases it.
        if (!Finish(2000)) application_->DisconnectDebugger();
        if (Finish(20000)) {
            thread_.join();
        } else {
            thread_.detach();  // a hung engine must not hang the test binary too
        }
    }

    bool Finish(DWORD ms = 10000) { return ::WaitForSingleObject(finished_.get(), ms) == WAIT_OBJECT_0; }
    void Stop() { stop_ = true; }
    DWORD id() const { return id_; }
    int executed() const { return executed_; }
    bool aborted() const { return aborted_; }
    int statement() const { return statement_; }
    ComPtr<IDebugApplicationThread> thread() const { return thread_ptr_; }
    FakeSniffer* sniffer() const { return sniffer_.Get(); }

    struct ErrorOutcome {
        BREAKRESUMEACTION action;
        ERRORRESUMEACTION errorAction;
        BOOL callOnScriptError;
    };
    std::vector<ErrorOutcome> errors;

private:
    void Run() {
        const common::ComInit apartment(COINIT_APARTMENTTHREADED);  // script threads are single-threaded apartments
        id_ = ::GetCurrentThreadId();
        application_->GetCurrentThread(thread_ptr_.GetAddressOf());
        DWORD cookie = 0;
        if (options_.withSniffer) {
            sniffer_ = common::Adopt(new FakeSniffer([this] {
                std::vector<std::wstring> frames{L"Inner " + std::to_wstring(statement_)};
                for (int caller = 1; caller <= options_.callers; ++caller)
                    frames.push_back(L"Caller " + std::to_wstring(caller));
                frames.push_back(L"Global code");
                return frames;
            }));
            application_->AddStackFrameSniffer(sniffer_.Get(), &cookie);
        }
        ::SetEvent(started_.get());
        for (int i = 0; options_.statements < 0 ? !stop_ : i < options_.statements; ++i) {
            statement_ = i;
            APPBREAKFLAGS flags = 0;
            ComPtr<IRemoteDebugApplicationThread> stepping;
            application_->GetBreakFlags(&flags, stepping.GetAddressOf());
            int reason = -1;
            if (flags & APPBREAKFLAG_DEBUGGER_HALT) {
                reason = BREAKREASON_DEBUGGER_HALT;
            } else if ((flags & APPBREAKFLAG_STEP) && (!stepping || ThreadIdOf(stepping.Get()) == id_)) {
                reason = BREAKREASON_STEP;
            } else if (options_.breakpoints.count(i)) {
                reason = BREAKREASON_BREAKPOINT;
            }
            if (reason >= 0) {
                BREAKRESUMEACTION action = BREAKRESUMEACTION_CONTINUE;
                application_->HandleBreakPoint(static_cast<BREAKREASON>(reason), &action);
                if (action == BREAKRESUMEACTION_ABORT) {
                    aborted_ = true;
                    break;
                }
            }
            if (options_.errorAt.count(i)) {
                ErrorOutcome outcome{};
                ComPtr<FakeError> error;
                error = common::Adopt(new FakeError);
                application_->HandleRuntimeError(error.Get(), nullptr, &outcome.action, &outcome.errorAction,
                                                 &outcome.callOnScriptError);
                errors.push_back(outcome);
                if (outcome.action == BREAKRESUMEACTION_ABORT ||
                    outcome.errorAction != ERRORRESUMEACTION_SkipErrorStatement) {
                    aborted_ = true;
                    break;
                }
                continue;
            }
            ++executed_;
        }
        if (options_.withSniffer) application_->RemoveStackFrameSniffer(cookie);
        ::SetEvent(finished_.get());
    }

    ComPtr<IDebugApplication> application_;
    Options options_;
    common::UniqueHandle started_;
    common::UniqueHandle finished_;
    std::atomic<bool> stop_{false};
    std::atomic<int> executed_{0};
    std::atomic<int> statement_{-1};
    std::atomic<bool> aborted_{false};
    DWORD id_ = 0;
    ComPtr<IDebugApplicationThread> thread_ptr_;
    ComPtr<FakeSniffer> sniffer_;
    std::thread thread_;
};

} // namespace fakes
