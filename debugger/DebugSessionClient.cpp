#include "debugger/DebugSessionClient.h"
#include "host/ModuleLock.h"
#include "host/ScriptHost.h"
#include "common/Bstr.h"
#include "common/ComError.h"
#include "common/TextConv.h"
#include <wrl/client.h>

namespace debugger {

using Microsoft::WRL::ComPtr;

DebugSessionClient::DebugSessionClient(host::ScriptHost& host) : host_(host) { host::ModuleLocks().lock(); }
DebugSessionClient::~DebugSessionClient() { host::ModuleLocks().unlock(); }

STDMETHODIMP DebugSessionClient::QueryAlive() { return S_OK; }

STDMETHODIMP DebugSessionClient::CreateInstanceAtDebugger(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                                                          IUnknown** object) {
    return ::CoCreateInstance(clsid, outer, context, riid, reinterpret_cast<void**>(object));
}

STDMETHODIMP DebugSessionClient::onDebugOutput(LPCOLESTR text) {
    if (text) ::OutputDebugStringA(common::WideToAnsi(text).c_str());
    return E_NOTIMPL;
}

STDMETHODIMP DebugSessionClient::onHandleBreakPoint(IRemoteDebugApplicationThread* thread, BREAKREASON reason,
                                                    IActiveScriptErrorDebug* error) {
    return common::ComBoundary([&]() -> HRESULT {
        host_.OnHandleBreakPoint(thread, reason, error);
        return S_OK;
    });
}

STDMETHODIMP DebugSessionClient::onClose() { return S_OK; }
STDMETHODIMP DebugSessionClient::onDebuggerEvent(REFIID, IUnknown*) { return E_NOTIMPL; }

STDMETHODIMP DebugSessionClient::BringDocumentToTop(IDebugDocumentText* document) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!document) return E_POINTER;
        common::Bstr name;
        common::ThrowIfFailed(document->GetName(DOCUMENTNAMETYPE_APPNODE, name.put()));
        if (host::HostApplication* application = host_.application())
            if (!host_.consoleMode()) application->ShowPosition(common::WideToAnsi(name.str()), -1, false);
        return S_OK;
    });
}

STDMETHODIMP DebugSessionClient::BringDocumentContextToTop(IDebugDocumentContext* context) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!context) return E_POINTER;
        ComPtr<IDebugDocument> document;
        common::ThrowIfFailed(context->GetDocument(&document));
        common::Bstr name;
        common::ThrowIfFailed(document->GetName(DOCUMENTNAMETYPE_APPNODE, name.put()));
        ComPtr<IDebugDocumentText> text;
        common::ThrowIfFailed(document.As(&text));
        ULONG position = 0, length = 0, line = 0, offset = 0;
        common::ThrowIfFailed(text->GetPositionOfContext(context, &position, &length));
        common::ThrowIfFailed(text->GetLineOfPosition(position, &line, &offset));
        if (host::HostApplication* application = host_.application())
            if (!host_.consoleMode())
                application->ShowPosition(common::WideToAnsi(name.str()), static_cast<int>(line) + 1, false);
        return S_OK;
    });
}

STDMETHODIMP DebugSessionClient::StartDebugSession(IRemoteDebugApplication* application) {
    if (!application) return E_POINTER;
    return FAILED(application->ConnectDebugger(static_cast<IApplicationDebugger*>(this))) ? E_FAIL : S_OK;
}

} // namespace debugger
