#pragma once
#include "common/ScriptingGuids.h"
#include "debugservices/ApplicationNode.h"
#include "debugservices/FreeThreadedObject.h"
#include "debugservices/StackFrameEnum.h"
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace debugservices {

class DebugThread;

// A debug application: the debugger connection, the break flags that engines poll
// before every statement, the breaks themselves, the threads that run script code and
// the stack frame sniffers of those threads.
//
// One thread at a time is at a break; a second thread that reaches a break waits until
// the first resumes. A thread at a break waits inside HandleBreakPoint, pumping its
// messages and carrying out calls sent into it, until ResumeFromBreakPoint, a
// disconnect of the debugger, or Close.
class DebugApplication : public FreeThreadedObject<IDebugApplication> {
public:
    static const IID kImplIid;

    DebugApplication();

    // Name of the application's root node before SetName.
    static constexpr const wchar_t* kDefaultName = L"Script application";

    // Asked by a thread for its own stack: the frames of the sniffers added from it.
    HRESULT CollectFrames(DWORD threadId, FrameSource& source);
    bool HasSniffers(DWORD threadId);
    Microsoft::WRL::ComPtr<ApplicationNode> rootNode() const;
    Microsoft::WRL::ComPtr<IApplicationDebugger> debugger();

    // IRemoteDebugApplication
    STDMETHODIMP ResumeFromBreakPoint(IRemoteDebugApplicationThread* focus, BREAKRESUMEACTION action,
                                      ERRORRESUMEACTION errorAction) override;
    STDMETHODIMP CauseBreak() override;
    STDMETHODIMP ConnectDebugger(IApplicationDebugger* debugger) override;
    STDMETHODIMP DisconnectDebugger() override;
    STDMETHODIMP GetDebugger(IApplicationDebugger** debugger) override;
    STDMETHODIMP CreateInstanceAtApplication(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                                             IUnknown** object) override;
    STDMETHODIMP QueryAlive() override;
    STDMETHODIMP EnumThreads(IEnumRemoteDebugApplicationThreads** threads) override;
    STDMETHODIMP GetName(BSTR* name) override;
    STDMETHODIMP GetRootNode(IDebugApplicationNode** root) override;
    STDMETHODIMP EnumGlobalExpressionContexts(IEnumDebugExpressionContexts** contexts) override;
    // IDebugApplication
    STDMETHODIMP SetName(LPCOLESTR name) override;
    STDMETHODIMP StepOutComplete() override;
    STDMETHODIMP DebugOutput(LPCOLESTR text) override;
    STDMETHODIMP StartDebugSession() override;
    STDMETHODIMP HandleBreakPoint(BREAKREASON reason, BREAKRESUMEACTION* action) override;
    STDMETHODIMP Close() override;
    STDMETHODIMP GetBreakFlags(APPBREAKFLAGS* flags, IRemoteDebugApplicationThread** steppingThread) override;
    STDMETHODIMP GetCurrentThread(IDebugApplicationThread** thread) override;
    STDMETHODIMP CreateAsyncDebugOperation(IDebugSyncOperation* operation, IDebugAsyncOperation** async) override;
    STDMETHODIMP AddStackFrameSniffer(IDebugStackFrameSniffer* sniffer, DWORD* cookie) override;
    STDMETHODIMP RemoveStackFrameSniffer(DWORD cookie) override;
    STDMETHODIMP QueryCurrentThreadIsDebuggerThread() override;
    STDMETHODIMP SynchronousCallInDebuggerThread(IDebugThreadCall* call, DWORD_PTR p1, DWORD_PTR p2,
                                                 DWORD_PTR p3) override;
    STDMETHODIMP CreateApplicationNode(IDebugApplicationNode** node) override;
    STDMETHODIMP FireDebuggerEvent(REFGUID event, IUnknown* object) override;
    STDMETHODIMP HandleRuntimeError(IActiveScriptErrorDebug* error, IActiveScriptSite* site,
                                    BREAKRESUMEACTION* action, ERRORRESUMEACTION* errorAction,
                                    BOOL* callOnScriptError) override;
    BOOL STDMETHODCALLTYPE FCanJitDebug() override;
    BOOL STDMETHODCALLTYPE FIsAutoJitDebugEnabled() override;
    STDMETHODIMP AddGlobalExpressionContextProvider(IProvideExpressionContexts* provider,
                                                    DWORD_PTR* cookie) override;
    STDMETHODIMP RemoveGlobalExpressionContextProvider(DWORD_PTR cookie) override;

protected:
    bool QueryBase(REFIID riid, void** ppv) override;

private:
    friend class DebugThread;

    struct Sniffer {
        DWORD cookie;
        DWORD threadId;
        Microsoft::WRL::ComPtr<IDebugStackFrameSniffer> sniffer;
    };

    // The calling thread's entry, made on its first call. Under mutex_.
    Microsoft::WRL::ComPtr<DebugThread> CurrentThreadLocked();
    // Forgets threads whose system thread has ended, with their sniffers. Under mutex_.
    void PruneEndedThreadsLocked(std::vector<Microsoft::WRL::ComPtr<IUnknown>>& released);
    void WakeAllLocked();
    // Waits on the calling thread (which is thread) until done() holds, checked under
    // mutex_; services calls sent into the thread and pumps its messages meanwhile.
    template <typename Done>
    void WaitOnThread(DebugThread& thread, Done done);
    // The break of the calling thread: delivered to the debugger, waited out.
    HRESULT Break(BREAKREASON reason, IActiveScriptErrorDebug* error, BREAKRESUMEACTION& action,
                  ERRORRESUMEACTION& errorAction);

    std::mutex mutex_;
    std::wstring name_;
    Microsoft::WRL::ComPtr<IApplicationDebugger> debugger_;
    unsigned connection_ = 0;  // counts disconnects: a break of an earlier connection ends
    APPBREAKFLAGS flags_ = 0;
    DWORD steppingThread_ = 0;  // 0: any thread steps
    DWORD breakOwner_ = 0;      // the thread at a break, 0: none
    bool closed_ = false;
    std::map<DWORD, Microsoft::WRL::ComPtr<DebugThread>> threads_;
    std::vector<Sniffer> sniffers_;
    DWORD nextSnifferCookie_ = 1;
    Microsoft::WRL::ComPtr<ApplicationNode> root_;
};

} // namespace debugservices
