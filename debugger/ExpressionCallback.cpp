#include "debugger/ExpressionCallback.h"
#include "host/ModuleLock.h"

namespace debugger {

ExpressionCallback::ExpressionCallback() { host::ModuleLocks().lock(); }
ExpressionCallback::~ExpressionCallback() { host::ModuleLocks().unlock(); }

STDMETHODIMP ExpressionCallback::onComplete() {
    completed_ = true;
    return S_OK;
}

} // namespace debugger
