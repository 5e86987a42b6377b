#pragma once
#include "common/ScriptingGuids.h"
#include "common/FreeThreaded.h"
#include <string>

namespace stepscript {

class ScriptEngine;

// One error as the site and the debugger see it: IActiveScriptErrorDebug (and so
// IActiveScriptError) with the position, the line's text and the exception fields.
class ScriptErrorInfo : public common::FreeThreaded<IActiveScriptErrorDebug> {
public:
    struct Position {
        DWORD_PTR cookie = 0;
        ULONG line = 0;          // 0-based, the block's starting line added
        LONG column = 0;         // 0-based inside the line
        size_t offset = 0;       // inside the block
        size_t length = 0;
        std::wstring lineText;
    };

    ScriptErrorInfo(ScriptEngine* engine, HRESULT hr, std::wstring source, std::wstring description, Position where,
                    IDebugStackFrame* frame);

    HRESULT hr() const { return hr_; }
    const std::wstring& description() const { return description_; }

    STDMETHODIMP GetExceptionInfo(EXCEPINFO* info) override;
    STDMETHODIMP GetSourcePosition(DWORD* cookie, ULONG* line, LONG* column) override;
    STDMETHODIMP GetSourceLineText(BSTR* text) override;
    STDMETHODIMP GetDocumentContext(IDebugDocumentContext** context) override;
    STDMETHODIMP GetStackFrame(IDebugStackFrame** frame) override;

protected:
    bool QueryExtra(REFIID riid, void** ppv) override;

private:
    Microsoft::WRL::ComPtr<ScriptEngine> engine_;
    HRESULT hr_;
    std::wstring source_;
    std::wstring description_;
    Position where_;
    Microsoft::WRL::ComPtr<IDebugStackFrame> frame_;
};

} // namespace stepscript
