#include "debugger/ExpressionCallback.h"
#include "host/ModuleLock.h"

namespace debugger {

ExpressionCallback::ExpressionCallback() { host::ModuleLock::Lock(); }
ExpressionCallback::~ExpressionCallback() { host::ModuleLock::Unlock(); }

STDMETHODIMP ExpressionCallback::onComplete() {
    completed_ = true;
    return S_OK;
}

} // namespace debugger
