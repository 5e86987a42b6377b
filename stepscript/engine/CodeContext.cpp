#include "stepscript/engine/CodeContext.h"
#include "stepscript/engine/ScriptEngine.h"

namespace stepscript {

CodeContext::CodeContext(ScriptEngine* engine, std::shared_ptr<Block> block, int point)
    : engine_(engine), block_(std::move(block)), point_(point) {}

STDMETHODIMP CodeContext::GetDocumentContext(IDebugDocumentContext** context) {
    if (!context) return E_POINTER;
    *context = nullptr;
    const StepPoint& p = block_->points[point_];
    return engine_->documentContext(block_->cookie, p.offset, p.length, context);
}

STDMETHODIMP CodeContext::SetBreakPoint(BREAKPOINT_STATE state) {
    if (state != BREAKPOINT_DELETED && state != BREAKPOINT_DISABLED && state != BREAKPOINT_ENABLED) return E_INVALIDARG;
    block_->points[point_].breakpoint.store(state);
    return S_OK;
}

STDMETHODIMP CodeContextEnum::Next(ULONG count, IDebugCodeContext** out, ULONG* fetched) {
    if (!out) return E_POINTER;
    std::lock_guard<std::mutex> lock(lock_);
    ULONG n = 0;
    while (n < count && next_ < items_.size()) {
        out[n] = items_[next_++].Get();
        out[n]->AddRef();
        ++n;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

STDMETHODIMP CodeContextEnum::Skip(ULONG count) {
    std::lock_guard<std::mutex> lock(lock_);
    size_t left = items_.size() - next_;
    next_ += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
}

STDMETHODIMP CodeContextEnum::Reset() {
    std::lock_guard<std::mutex> lock(lock_);
    next_ = 0;
    return S_OK;
}

STDMETHODIMP CodeContextEnum::Clone(IEnumDebugCodeContexts** clone) {
    if (!clone) return E_POINTER;
    std::lock_guard<std::mutex> lock(lock_);
    *clone = new CodeContextEnum(items_, next_);
    return S_OK;
}

} // namespace stepscript
