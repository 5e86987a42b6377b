#include "stepscript/engine/DebugExpression.h"
#include "common/ComObject.h"
#include "stepscript/engine/DebugProperty.h"
#include "stepscript/engine/ScriptEngine.h"
#include "stepscript/language/SyntaxError.h"
#include "common/ComError.h"

namespace stepscript {

DebugExpression::DebugExpression(ScriptEngine* engine, std::weak_ptr<Frame> frame, std::wstring text, DWORD flags,
                                 UINT radix)
    : engine_(engine), frame_(std::move(frame)), text_(std::move(text)), flags_(flags), radix_(radix ? radix : 10) {}

void DebugExpression::evaluate() {
    std::shared_ptr<Frame> f = frame_.lock();
    if (!f) {
        resultHr_ = E_FAIL;
        resultText_ = L"The stack frame has ended";
        return;
    }
    try {
        auto block = engine_->parseForDebugger(text_, (flags_ & DEBUG_TEXT_ISEXPRESSION) != 0);
        Value v = engine_->interpreter().evaluate(*block, *f);
        resultHr_ = S_OK;
        resultText_ = FormatValue(v, radix_);
        resultProperty_ = common::Adopt(new ValueProperty(engine_.Get(), frame_, Snapshot(text_, v, radix_), v, nullptr));
    } catch (const SyntaxError& e) {
        resultHr_ = e.hr;
        resultText_ = e.description;
    } catch (const ScriptError& e) {
        resultHr_ = e.hr;
        resultText_ = e.reportText();
    } catch (const ScriptAbort&) {
        resultHr_ = E_ABORT;
        resultText_ = L"The evaluation was stopped";
    }
}

STDMETHODIMP DebugExpression::Start(IDebugExpressionCallBack* callback) {
    if (started_.exchange(true)) return E_UNEXPECTED;
    HRESULT hr = common::ComBoundary([&]() -> HRESULT {
        return engine_->onScriptThread([&]() -> HRESULT {
            evaluate();
            return S_OK;
        });
    });
    if (FAILED(hr) && resultHr_ == E_PENDING) {
        resultHr_ = hr;
        resultText_ = L"The script thread did not carry out the evaluation";
    }
    complete_ = true;
    if (callback) callback->onComplete();
    return S_OK;
}

STDMETHODIMP DebugExpression::Abort() { return complete_ ? S_OK : E_FAIL; }

STDMETHODIMP DebugExpression::QueryIsComplete() { return complete_ ? S_OK : S_FALSE; }

STDMETHODIMP DebugExpression::GetResultAsString(HRESULT* result, BSTR* text) {
    if (!complete_) return E_UNEXPECTED;
    if (result) *result = resultHr_;
    if (text) *text = ::SysAllocStringLen(resultText_.data(), static_cast<UINT>(resultText_.size()));
    return S_OK;
}

STDMETHODIMP DebugExpression::GetResultAsDebugProperty(HRESULT* result, IDebugProperty** property) {
    if (!complete_) return E_UNEXPECTED;
    if (result) *result = resultHr_;
    if (property) {
        *property = resultProperty_.Get();
        if (*property) (*property)->AddRef();
    }
    return resultProperty_ ? S_OK : E_FAIL;
}

} // namespace stepscript
