#pragma once
// ExpressionCallback: told by the engine when an evaluation has finished. One is made
// for every evaluation; the evaluating thread polls completed() while it dispatches
// its messages. It keeps the program alive while it exists.
#include "common/ComObject.h"
#include "common/ScriptingGuids.h"
#include <atomic>

namespace debugger {

class ExpressionCallback : public common::ComObject<IDebugExpressionCallBack> {
public:
    ExpressionCallback();
    STDMETHODIMP onComplete() override;
    bool completed() const { return completed_; }

protected:
    ~ExpressionCallback() override;

private:
    std::atomic<bool> completed_{false};
};

} // namespace debugger
