#include "host/ScriptSite.h"
#include "common/ComObject.h"
#include "host/Env.h"
#include "host/ModuleLock.h"
#include "host/ScriptHost.h"
#include "host/SynchronizerObject.h"
#include "common/Bstr.h"
#include "common/ComError.h"
#include "common/ExcepInfo.h"
#include "common/TextConv.h"
#include <oleauto.h>
#include <ole2.h>
#include <cstdio>
#include <vector>

namespace host {

using Microsoft::WRL::ComPtr;

namespace {

HRESULT FillItem(IUnknown* object, IUnknown** item, ITypeInfo** typeInfo) {
    // The item is handed out only once the type information is there too.
    ComPtr<IUnknown> unknown;
    if (item) {
        HRESULT hr = object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf()));
        if (FAILED(hr)) return hr;
    }
    if (typeInfo) {
        ComPtr<IDispatch> dispatch;
        HRESULT hr = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.GetAddressOf()));
        if (SUCCEEDED(hr)) hr = dispatch->GetTypeInfo(0, LOCALE_SYSTEM_DEFAULT, typeInfo);
        if (FAILED(hr)) return hr;
    }
    if (item) *item = unknown.Detach();
    return S_OK;
}

} // namespace

std::wstring FormatErrorReport(const std::wstring& file, int line, long charPosition, const std::wstring& source,
                               const std::wstring& description, const std::wstring& lineText) {
    std::wstring report = L"In " + file + L" (line " + std::to_wstring(line) + L" char " +
                          std::to_wstring(charPosition) + L")\n" + source + L": " + description + L"\n\n" + lineText;
    if (report.size() > 16383) report.resize(16383);
    return report;
}

ScriptSite::ScriptSite(ScriptHost& host) : host_(host) {
    ModuleLocks().lock();
    env_ = common::Adopt(Env::Create());
}

ScriptSite::~ScriptSite() {
    ReleaseDocuments();
    env_.Reset();
    rootHelper_.Reset();
    debugApplication_.Reset();
    ModuleLocks().unlock();
}

void ScriptSite::ReleaseDocuments() {
    for (auto& helper : helpers_) helper->Detach();
    helpers_.clear();
    rootHelper_.Reset();
}

STDMETHODIMP ScriptSite::GetLCID(LCID*) { return E_NOTIMPL; }

STDMETHODIMP ScriptSite::GetItemInfo(LPCOLESTR name, DWORD, IUnknown** item, ITypeInfo** typeInfo) {
    return common::ComBoundary([&]() -> HRESULT {
        if (item) *item = nullptr;
        if (typeInfo) *typeInfo = nullptr;
        if (!name) return E_INVALIDARG;
        if (::lstrcmpiW(name, L"Env") == 0) return FillItem(env_.Get(), item, typeInfo);
        if (::lstrcmpiW(name, L"Sync") == 0) {
            ComPtr<IUnknown> sync = CreateSynchronizerObject();
            if (!sync) return TYPE_E_ELEMENTNOTFOUND;
            return FillItem(sync.Get(), item, typeInfo);
        }
        return TYPE_E_ELEMENTNOTFOUND;
    });
}

STDMETHODIMP ScriptSite::GetDocVersionString(BSTR*) { return E_NOTIMPL; }
STDMETHODIMP ScriptSite::OnScriptTerminate(const VARIANT*, const EXCEPINFO*) { return S_OK; }
STDMETHODIMP ScriptSite::OnStateChange(SCRIPTSTATE) { return S_OK; }
STDMETHODIMP ScriptSite::OnEnterScript() { return S_OK; }
STDMETHODIMP ScriptSite::OnLeaveScript() { return S_OK; }

STDMETHODIMP ScriptSite::OnScriptError(IActiveScriptError* error) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<IErrorInfo> pending;
        if (::GetErrorInfo(0, &pending) == S_OK) return S_OK;
        if (!error) return E_POINTER;

        DWORD_PTR cookie = 0;
        ULONG line = 0;
        LONG charPosition = 0;
#ifdef _WIN64
        // Cookies are pointer-sized here; the 64-bit error interface reports them whole.
        ComPtr<IActiveScriptError64> error64;
        if (SUCCEEDED(error->QueryInterface(IID_IActiveScriptError64, reinterpret_cast<void**>(error64.GetAddressOf())))) {
            DWORDLONG cookie64 = 0;
            error64->GetSourcePosition64(&cookie64, &line, &charPosition);
            cookie = static_cast<DWORD_PTR>(cookie64);
        } else
#endif
        {
            DWORD cookie32 = 0;
            error->GetSourcePosition(&cookie32, &line, &charPosition);
            cookie = cookie32;
        }
        common::Bstr lineText;
        error->GetSourceLineText(lineText.put());
        common::ExcepInfo exception;
        error->GetExceptionInfo(exception.put());
        exception.fillIn();

        const std::string file = host_.PathOfCookie(cookie);
        host_.setCurrentFile(file);
        host_.setCurrentLine(static_cast<int>(line) + 1);

        std::wstring descriptionText = exception.description();
        if (descriptionText.empty() && FAILED(exception->scode)) descriptionText = common::SystemMessage(exception->scode);
        host_.setErrorText(FormatErrorReport(common::AnsiToWide(file), static_cast<int>(line) + 1, charPosition,
                                             exception.source(), descriptionText, lineText.str()));
        return E_FAIL;
    });
}

STDMETHODIMP ScriptSite::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = nullptr;
    return S_OK;
}

STDMETHODIMP ScriptSite::EnableModeless(BOOL) { return S_OK; }

STDMETHODIMP ScriptSite::GetDocumentContextFromPosition(DWORD_PTR sourceContext, ULONG charOffset, ULONG numChars,
                                                        IDebugDocumentContext** context) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!context) return E_POINTER;
        *context = nullptr;
        ComPtr<IDebugDocumentHelper> helper = host_.HelperOfCookie(sourceContext);
        if (!helper) return E_FAIL;
        ULONG start = 0;
        HRESULT hr = helper->GetScriptBlockInfo(sourceContext, nullptr, &start, nullptr);
        if (FAILED(hr)) return hr;
        return helper->CreateDebugDocumentContext(start + charOffset, numChars, context);
    });
}

STDMETHODIMP ScriptSite::GetApplication(IDebugApplication** application) {
    if (!application) return E_POINTER;
    *application = nullptr;
    if (!debugApplication_) return E_FAIL;
    return debugApplication_.CopyTo(application);
}

STDMETHODIMP ScriptSite::GetRootApplicationNode(IDebugApplicationNode** node) {
    if (!node) return E_POINTER;
    *node = nullptr;
    if (!rootHelper_) return E_FAIL;
    return rootHelper_->GetDebugApplicationNode(node);
}

STDMETHODIMP ScriptSite::OnScriptErrorDebug(IActiveScriptErrorDebug*, BOOL* enterDebugger,
                                            BOOL* callOnScriptErrorWhenContinuing) {
    if (enterDebugger) *enterDebugger = TRUE;
    if (callOnScriptErrorWhenContinuing) *callOnScriptErrorWhenContinuing = TRUE;
    return S_OK;
}

} // namespace host
