#pragma once
#include "common/ComObject.h"
#include "common/ScriptingGuids.h"

namespace host {
class ScriptHost;
}

namespace debugger {

// The program's debugger object, connected to the run's debug application. It only
// records each break and wakes the host's watcher; the watcher decides what to do.
class DebugSessionClient
    : public common::ComObject<IApplicationDebugger, IApplicationDebuggerUI, IDebugSessionProvider> {
public:
    explicit DebugSessionClient(host::ScriptHost& host);

    // IApplicationDebugger
    STDMETHODIMP QueryAlive() override;
    STDMETHODIMP CreateInstanceAtDebugger(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                                          IUnknown** object) override;
    STDMETHODIMP onDebugOutput(LPCOLESTR text) override;
    STDMETHODIMP onHandleBreakPoint(IRemoteDebugApplicationThread* thread, BREAKREASON reason,
                                    IActiveScriptErrorDebug* error) override;
    STDMETHODIMP onClose() override;
    STDMETHODIMP onDebuggerEvent(REFIID riid, IUnknown* unknown) override;

    // IApplicationDebuggerUI
    STDMETHODIMP BringDocumentToTop(IDebugDocumentText* document) override;
    STDMETHODIMP BringDocumentContextToTop(IDebugDocumentContext* context) override;

    // IDebugSessionProvider
    STDMETHODIMP StartDebugSession(IRemoteDebugApplication* application) override;

protected:
    ~DebugSessionClient() override;

private:
    host::ScriptHost& host_;
};

} // namespace debugger
