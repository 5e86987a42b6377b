#pragma once
#include "common/ScriptingGuids.h"
#include "common/FreeThreaded.h"
#include "stepscript/runtime/Interpreter.h"
#include <atomic>
#include <memory>
#include <string>

namespace stepscript {

class ScriptEngine;

// Text the debugger evaluates in a stack frame: an expression (DEBUG_TEXT_ISEXPRESSION)
// or statements such as an assignment. Start evaluates on the script thread and then
// calls the callback; the result is the value's text, or the error's description.
class DebugExpression : public common::FreeThreaded<IDebugExpression> {
public:
    DebugExpression(ScriptEngine* engine, std::weak_ptr<Frame> frame, std::wstring text, DWORD flags, UINT radix);

    STDMETHODIMP Start(IDebugExpressionCallBack* callback) override;
    STDMETHODIMP Abort() override;
    STDMETHODIMP QueryIsComplete() override;
    STDMETHODIMP GetResultAsString(HRESULT* result, BSTR* text) override;
    STDMETHODIMP GetResultAsDebugProperty(HRESULT* result, IDebugProperty** property) override;

private:
    void evaluate();

    Microsoft::WRL::ComPtr<ScriptEngine> engine_;
    std::weak_ptr<Frame> frame_;
    std::wstring text_;
    DWORD flags_;
    UINT radix_;
    std::atomic<bool> started_{false};
    std::atomic<bool> complete_{false};
    HRESULT resultHr_ = E_PENDING;
    std::wstring resultText_;
    Microsoft::WRL::ComPtr<IDebugProperty> resultProperty_;
};

} // namespace stepscript
