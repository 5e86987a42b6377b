#include "debugservices/StackFrameEnum.h"
#include "common/ComError.h"

namespace debugservices {

StackFrameEnum::StackFrameEnum(std::shared_ptr<const Frames> frames, size_t position)
    : frames_(std::move(frames)), position_(position) {}

bool StackFrameEnum::QueryBase(REFIID riid, void** ppv) {
    if (riid != IID_IEnumDebugStackFrames) return false;
    *ppv = static_cast<IEnumDebugStackFrames*>(this);
    return true;
}

template <typename Descriptor>
HRESULT StackFrameEnum::Fetch(ULONG count, Descriptor* out, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    ULONG n = 0;
    while (n < count && position_ < frames_->size()) {
        const StackFrame& frame = (*frames_)[position_++];
        Descriptor& d = out[n++];
        Microsoft::WRL::ComPtr<IDebugStackFrame> f = frame.frame;
        Microsoft::WRL::ComPtr<IUnknown> u = frame.finalObject;
        d.pdsf = f.Detach();
        d.dwMin = static_cast<decltype(d.dwMin)>(frame.min);
        d.dwLim = static_cast<decltype(d.dwLim)>(frame.lim);
        d.fFinal = frame.final;
        d.punkFinal = u.Detach();
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

STDMETHODIMP StackFrameEnum::Next(ULONG count, DebugStackFrameDescriptor* out, ULONG* fetched) {
    return common::ComBoundary([&] { return Fetch(count, out, fetched); });
}

STDMETHODIMP StackFrameEnum::Next64(ULONG count, DebugStackFrameDescriptor64* out, ULONG* fetched) {
    return common::ComBoundary([&] { return Fetch(count, out, fetched); });
}

STDMETHODIMP StackFrameEnum::Skip(ULONG count) {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t left = frames_->size() - position_;
    if (count > left) {
        position_ = frames_->size();
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

STDMETHODIMP StackFrameEnum::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    position_ = 0;
    return S_OK;
}

STDMETHODIMP StackFrameEnum::Clone(IEnumDebugStackFrames** out) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!out) return E_POINTER;
        std::lock_guard<std::mutex> lock(mutex_);
        *out = new StackFrameEnum(frames_, position_);
        return S_OK;
    });
}

} // namespace debugservices
