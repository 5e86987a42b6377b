#pragma once
#include "common/ScriptingGuids.h"
#include "common/FreeThreaded.h"
#include "stepscript/runtime/Interpreter.h"
#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace stepscript {

class ScriptErrorInfo;
struct SyntaxError;

// CLSID of the engine (ProgID "StepScript").
using ::CLSID_StepScript;
extern const wchar_t* const kLanguageName;

// The StepScript engine: IActiveScript, IActiveScriptParse and IActiveScriptDebug.
// Script code runs on the thread that starts the engine (the script thread). Any thread
// may call InterruptScriptThread, GetScriptState, SetScriptState(SCRIPTSTATE_DISCONNECTED),
// Close and the debugging methods; what needs the script's state is carried out on the
// script thread through the debug services.
// Creates an engine (the class factory's work).
HRESULT CreateEngine(REFIID riid, void** ppv);
// Engines alive in this process (the DLL may unload at zero).
long LiveEngines();

class ScriptEngine : public common::FreeThreaded<IActiveScript, IActiveScriptParse, IActiveScriptDebug>, public RuntimeHost {
public:
    ScriptEngine();

    // IActiveScript
    STDMETHODIMP SetScriptSite(IActiveScriptSite* site) override;
    STDMETHODIMP GetScriptSite(REFIID riid, void** ppv) override;
    STDMETHODIMP SetScriptState(SCRIPTSTATE state) override;
    STDMETHODIMP GetScriptState(SCRIPTSTATE* state) override;
    STDMETHODIMP Close() override;
    STDMETHODIMP AddNamedItem(LPCOLESTR name, DWORD flags) override;
    STDMETHODIMP AddTypeLib(REFGUID, DWORD, DWORD, DWORD) override;
    STDMETHODIMP GetScriptDispatch(LPCOLESTR itemName, IDispatch** dispatch) override;
    STDMETHODIMP GetCurrentScriptThreadID(SCRIPTTHREADID* id) override;
    STDMETHODIMP GetScriptThreadID(DWORD win32Id, SCRIPTTHREADID* id) override;
    STDMETHODIMP GetScriptThreadState(SCRIPTTHREADID id, SCRIPTTHREADSTATE* state) override;
    STDMETHODIMP InterruptScriptThread(SCRIPTTHREADID id, const EXCEPINFO* info, DWORD flags) override;
    STDMETHODIMP Clone(IActiveScript** clone) override;

    // IActiveScriptParse
    STDMETHODIMP InitNew() override;
    STDMETHODIMP AddScriptlet(LPCOLESTR, LPCOLESTR, LPCOLESTR, LPCOLESTR, LPCOLESTR, LPCOLESTR, DWORD_PTR, ULONG,
                              DWORD, BSTR*, EXCEPINFO*) override;
    STDMETHODIMP ParseScriptText(LPCOLESTR code, LPCOLESTR itemName, IUnknown* context, LPCOLESTR delimiter,
                                 DWORD_PTR cookie, ULONG startLine, DWORD flags, VARIANT* result,
                                 EXCEPINFO* excep) override;

    // IActiveScriptDebug
    STDMETHODIMP GetScriptTextAttributes(LPCOLESTR, ULONG, LPCOLESTR, DWORD, SOURCE_TEXT_ATTR*) override;
    STDMETHODIMP GetScriptletTextAttributes(LPCOLESTR, ULONG, LPCOLESTR, DWORD, SOURCE_TEXT_ATTR*) override;
    STDMETHODIMP EnumCodeContextsOfPosition(DWORD_PTR cookie, ULONG offset, ULONG chars,
                                            IEnumDebugCodeContexts** contexts) override;

    // For the debug objects.
    // Runs work on the script thread (directly when already there or nothing runs).
    HRESULT onScriptThread(const std::function<HRESULT()>& work);
    HRESULT documentContext(DWORD_PTR cookie, size_t offset, size_t length, IDebugDocumentContext** context);
    HRESULT codeContext(const Block* block, int point, IDebugCodeContext** context);
    HRESULT applicationThread(IDebugApplicationThread** thread);
    // Valid on the script thread only.
    Interpreter& interpreter() { return *interpreter_; }
    HRESULT stackFrame(const std::shared_ptr<Frame>& frame, IDebugStackFrame** result);
    // Parses text for the debugger (an expression or statements); throws SyntaxError.
    std::shared_ptr<Block> parseForDebugger(const std::wstring& text, bool expression);

private:
    ~ScriptEngine() override;

    struct NamedItem {
        std::wstring name;
        DWORD flags;
        Microsoft::WRL::ComPtr<IDispatch> object;
        bool fetched = false;
    };

    // RuntimeHost
    void beforeStatement(Frame& frame) override;
    bool namedItem(const std::wstring& lower, Value& object) override;
    bool globalMember(const std::wstring& name, Value& object, DISPID& id) override;
    ErrorAction runtimeError(const ScriptError& error, Frame& frame) override;
    const Block& compile(const std::wstring& text, bool expression) override;

    HRESULT run();
    void startDebugging();
    void breakAt(BREAKREASON reason);
    bool isScriptThread(IRemoteDebugApplicationThread* thread);
    HRESULT reportSyntaxError(const SyntaxError& e, const Block& block);
    Microsoft::WRL::ComPtr<ScriptErrorInfo> makeError(HRESULT hr, const std::wstring& source,
                                                      const std::wstring& description, Frame* frame);
    HRESULT report(ScriptErrorInfo* error);
    void requestStop(const EXCEPINFO* info);
    void releaseAll();
    bool onOtherThreadWhileRunning() const;
    std::shared_ptr<Block> sharedBlock(const Block* block);
    void changeState(SCRIPTSTATE state);

    std::recursive_mutex lock_;  // site, items, blocks, debug references
    Microsoft::WRL::ComPtr<IActiveScriptSite> site_;
    Microsoft::WRL::ComPtr<IActiveScriptSiteDebug> siteDebug_;
    std::atomic<SCRIPTSTATE> state_{SCRIPTSTATE_UNINITIALIZED};
    std::map<std::wstring, NamedItem> items_;  // by lower-cased name
    std::vector<std::shared_ptr<Block>> blocks_;
    std::deque<std::shared_ptr<Block>> pending_;
    std::unique_ptr<Interpreter> interpreter_;

    // Debugging: fetched when the script first runs.
    bool debugStarted_ = false;
    Microsoft::WRL::ComPtr<IDebugApplication> app_;
    Microsoft::WRL::ComPtr<IDebugApplicationThread> appThread_;
    Microsoft::WRL::ComPtr<IUnknown> appThreadIdentity_;
    Microsoft::WRL::ComPtr<IDebugStackFrameSniffer> sniffer_;
    DWORD snifferCookie_ = 0;
    bool snifferAdded_ = false;
    size_t stepDepth_ = SIZE_MAX;  // a step over or out stops only at this depth or above

    std::atomic<DWORD> baseThread_{0};
    std::atomic<DWORD> scriptThread_{0};
    std::atomic<bool> executing_{false};
    std::atomic<bool> atBreak_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> closeRequested_{false};
    std::mutex interruptLock_;
    std::optional<ScriptError> interruptError_;
};

} // namespace stepscript
