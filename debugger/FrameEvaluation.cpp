#include "debugger/FrameEvaluation.h"
#include "common/ComObject.h"
#include "debugger/ExpressionCallback.h"
#include "debugger/StackFrames.h"
#include "host/ScriptHost.h"
#include "common/Bstr.h"

namespace debugger {

Evaluation EvaluateInFrame(host::ScriptHost& host, const std::wstring& text, DWORD flags, bool inSelectedFrame) {
    Evaluation evaluation;
    if (!(host.running() && host.atBreak())) return evaluation;
    ComPtr<IDebugApplicationThread> thread = ScriptThread(host);
    ComPtr<IDebugStackFrame> frame = FrameAt(thread.Get(), inSelectedFrame ? host.selectedFrame() : 0);
    ComPtr<IDebugExpressionContext> context;
    if (!frame || FAILED(frame.As(&context))) return evaluation;

    ComPtr<ExpressionCallback> callback;
    callback = common::Adopt(new ExpressionCallback);
    ComPtr<IDebugExpression> expression;
    HRESULT hr = context->ParseLanguageText(text.c_str(), 10, L"", flags, &expression);
    if (FAILED(hr) || !expression) {
        evaluation.evaluated = true;
        evaluation.result = FAILED(hr) ? hr : E_FAIL;
        evaluation.text = L"The expression cannot be evaluated";
        return evaluation;
    }
    hr = expression->Start(callback.Get());
    if (FAILED(hr)) {
        evaluation.evaluated = true;
        evaluation.result = hr;
        evaluation.text = L"The expression cannot be evaluated";
        return evaluation;
    }
    const DWORD start = ::GetTickCount();
    while (!callback->completed()) {
        if (::GetTickCount() - start > kEvaluationTimeout) {
            // An engine that never answers must not hold the user interface for ever.
            expression->Abort();
            evaluation.evaluated = true;
            evaluation.result = E_ABORT;
            evaluation.text = L"The evaluation did not complete";
            return evaluation;
        }
        host::DispatchWaitingMessages();
        ::Sleep(10);
    }
    common::Bstr result;
    HRESULT evaluated = E_FAIL;
    if (FAILED(expression->GetResultAsString(&evaluated, result.put()))) evaluated = E_FAIL;
    evaluation.evaluated = true;
    evaluation.result = evaluated;
    evaluation.text = result.str();
    return evaluation;
}

} // namespace debugger
