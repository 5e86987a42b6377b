#include "stepscript/engine/StackFrame.h"
#include "stepscript/engine/DebugExpression.h"
#include "stepscript/engine/DebugProperty.h"
#include "stepscript/engine/ScriptEngine.h"
#include "common/ComError.h"

namespace stepscript {

using Microsoft::WRL::ComPtr;

namespace {
BSTR Alloc(const std::wstring& s) { return ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }
} // namespace

StackFrame::StackFrame(ScriptEngine* engine, std::weak_ptr<Frame> frame, std::wstring description)
    : engine_(engine), frame_(std::move(frame)), description_(std::move(description)) {}

STDMETHODIMP StackFrame::GetCodeContext(IDebugCodeContext** context) {
    if (!context) return E_POINTER;
    *context = nullptr;
    return engine_->onScriptThread([&]() -> HRESULT {
        std::shared_ptr<Frame> f = frame_.lock();
        if (!f || f->current < 0) return E_FAIL;
        return engine_->codeContext(f->block, f->current, context);
    });
}

STDMETHODIMP StackFrame::GetDescriptionString(BOOL, BSTR* description) {
    if (!description) return E_POINTER;
    *description = Alloc(description_);
    return S_OK;
}

STDMETHODIMP StackFrame::GetLanguageString(BOOL, BSTR* language) {
    if (!language) return E_POINTER;
    *language = ::SysAllocString(kLanguageName);
    return S_OK;
}

STDMETHODIMP StackFrame::GetThread(IDebugApplicationThread** thread) {
    if (!thread) return E_POINTER;
    return engine_->applicationThread(thread);
}

STDMETHODIMP StackFrame::GetDebugProperty(IDebugProperty** property) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!property) return E_POINTER;
        *property = new FrameProperty(engine_.Get(), frame_, description_);
        return S_OK;
    });
}

STDMETHODIMP StackFrame::ParseLanguageText(LPCOLESTR text, UINT radix, LPCOLESTR, DWORD flags,
                                           IDebugExpression** expression) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!expression) return E_POINTER;
        *expression = nullptr;
        if (!text) return E_INVALIDARG;
        *expression = new DebugExpression(engine_.Get(), frame_, text, flags, radix);
        return S_OK;
    });
}

STDMETHODIMP StackFrame::GetLanguageInfo(BSTR* name, GUID* id) {
    if (name) *name = ::SysAllocString(kLanguageName);
    if (id) *id = CLSID_StepScript;
    return S_OK;
}

void StackFrameSniffer::detach() {
    std::lock_guard<std::mutex> lock(lock_);
    engine_.Reset();
}

STDMETHODIMP StackFrameSniffer::EnumStackFrames(IEnumDebugStackFrames** result) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!result) return E_POINTER;
        *result = nullptr;
        ComPtr<ScriptEngine> engine;
        {
            std::lock_guard<std::mutex> lock(lock_);
            engine = engine_;
        }
        auto snapshot = std::make_shared<StackFrameEnum::Snapshot>();
        snapshot->engine = engine;
        if (engine) {
            HRESULT hr = engine->onScriptThread([&]() -> HRESULT {
                const auto& stack = engine->interpreter().frames();
                snapshot->activations.assign(stack.rbegin(), stack.rend());
                return S_OK;
            });
            if (FAILED(hr)) return hr;
        }
        snapshot->made.resize(snapshot->activations.size());
        *result = new StackFrameEnum(std::move(snapshot));
        return S_OK;
    });
}

ComPtr<IDebugStackFrame> StackFrameEnum::frameAt(size_t position) {
    Snapshot& s = *snapshot_;
    std::lock_guard<std::mutex> lock(s.lock);
    if (!s.made[position]) {
        std::shared_ptr<Frame> activation = s.activations[position].lock();
        if (!activation || !s.engine || FAILED(s.engine->stackFrame(activation, s.made[position].GetAddressOf())))
            return nullptr;
    }
    return s.made[position];
}

STDMETHODIMP StackFrameEnum::Next(ULONG count, DebugStackFrameDescriptor* out, ULONG* fetched) {
    if (!out) return E_POINTER;
    std::lock_guard<std::mutex> lock(lock_);
    ULONG n = 0;
    while (n < count && next_ < snapshot_->activations.size()) {
        ComPtr<IDebugStackFrame> frame = frameAt(next_);
        if (!frame) break;  // the stack has moved on since the snapshot
        // Innermost frames get the lowest addresses, as on a real stack.
        DebugStackFrameDescriptor& d = out[n];
        d.pdsf = frame.Detach();
        d.dwMin = static_cast<DWORD>(next_ * 2 + 1);
        d.dwLim = static_cast<DWORD>(next_ * 2 + 2);
        d.fFinal = FALSE;
        d.punkFinal = nullptr;
        ++next_;
        ++n;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

STDMETHODIMP StackFrameEnum::Skip(ULONG count) {
    std::lock_guard<std::mutex> lock(lock_);
    size_t left = snapshot_->activations.size() - next_;
    next_ += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
}

STDMETHODIMP StackFrameEnum::Reset() {
    std::lock_guard<std::mutex> lock(lock_);
    next_ = 0;
    return S_OK;
}

STDMETHODIMP StackFrameEnum::Clone(IEnumDebugStackFrames** clone) {
    if (!clone) return E_POINTER;
    std::lock_guard<std::mutex> lock(lock_);
    *clone = new StackFrameEnum(snapshot_, next_);
    return S_OK;
}

} // namespace stepscript
