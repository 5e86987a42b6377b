#include "stepscript/engine/ScriptErrorInfo.h"
#include "stepscript/engine/ScriptEngine.h"
#include "common/ComError.h"

namespace stepscript {
namespace {
BSTR Alloc(const std::wstring& s) { return ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }
} // namespace

ScriptErrorInfo::ScriptErrorInfo(ScriptEngine* engine, HRESULT hr, std::wstring source, std::wstring description,
                                 Position where, IDebugStackFrame* frame)
    : engine_(engine), hr_(hr), source_(std::move(source)), description_(std::move(description)),
      where_(std::move(where)), frame_(frame) {}

bool ScriptErrorInfo::QueryExtra(REFIID riid, void** ppv) {
    if (riid == IID_IActiveScriptError) {
        *ppv = static_cast<IActiveScriptError*>(this);
        return true;
    }
    return FreeThreaded::QueryExtra(riid, ppv);
}

STDMETHODIMP ScriptErrorInfo::GetExceptionInfo(EXCEPINFO* info) {
    if (!info) return E_POINTER;
    *info = EXCEPINFO{};
    info->scode = hr_;
    info->bstrSource = Alloc(source_);
    info->bstrDescription = Alloc(description_);
    return S_OK;
}

STDMETHODIMP ScriptErrorInfo::GetSourcePosition(DWORD* cookie, ULONG* line, LONG* column) {
    if (cookie) *cookie = static_cast<DWORD>(where_.cookie);
    if (line) *line = where_.line;
    if (column) *column = where_.column;
    return S_OK;
}

STDMETHODIMP ScriptErrorInfo::GetSourceLineText(BSTR* text) {
    if (!text) return E_POINTER;
    *text = Alloc(where_.lineText);
    return *text ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP ScriptErrorInfo::GetDocumentContext(IDebugDocumentContext** context) {
    if (!context) return E_POINTER;
    *context = nullptr;
    if (!engine_) return E_FAIL;
    return engine_->documentContext(where_.cookie, where_.offset, where_.length ? where_.length : 1, context);
}

STDMETHODIMP ScriptErrorInfo::GetStackFrame(IDebugStackFrame** frame) {
    if (!frame) return E_POINTER;
    *frame = frame_.Get();
    if (!*frame) return E_FAIL;
    (*frame)->AddRef();
    return S_OK;
}

} // namespace stepscript
