#include "debugservices/StackFrameEnum.h"
#include "common/ComError.h"
#include "common/DebugOwners.h"
#include <algorithm>

namespace debugservices {
namespace {

// A stack deeper than this is cut: an engine whose enumerator never ends cannot hold
// the debugger.
constexpr size_t kMaxFrames = 10000;

// On the stack's thread, with the source locked.
void ReadFrames(FrameSource& source, size_t wanted) {
    while (source.frames.size() < wanted && source.frames.size() < kMaxFrames &&
           source.engine < source.engines.size()) {
        common::StackFrameDescriptor d;
        ULONG fetched = 0;
        if (source.engines[source.engine]->Next(1, d.put(), &fetched) != S_OK || fetched != 1) {
            source.engines[source.engine++].Reset();
            continue;
        }
        StackFrame frame;
        frame.min = d->dwMin;
        frame.lim = d->dwLim;
        frame.final = d->fFinal;
        frame.frame = d.takeFrame();
        frame.finalObject = d.takeFinal();
        if (frame.frame) source.frames.push_back(std::move(frame));
    }
}

} // namespace

StackFrameEnum::StackFrameEnum(std::shared_ptr<FrameSource> source, size_t position)
    : source_(std::move(source)), position_(position) {}

size_t StackFrameEnum::Available(size_t wanted) {
    {
        std::lock_guard<std::mutex> lock(source_->mutex);
        if (source_->frames.size() >= wanted || source_->engine >= source_->engines.size())
            return source_->frames.size();
    }
    // The read runs on the stack's thread; the source is locked there, not while waiting.
    auto read = [&]() -> HRESULT {
        std::lock_guard<std::mutex> lock(source_->mutex);
        ReadFrames(*source_, wanted);
        return S_OK;
    };
    if (source_->onThread) source_->onThread(read);
    else read();
    std::lock_guard<std::mutex> lock(source_->mutex);
    return source_->frames.size();
}

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
    const size_t available = Available(position_ + std::min<size_t>(count, kMaxFrames));
    std::lock_guard<std::mutex> frames(source_->mutex);
    ULONG n = 0;
    while (n < count && position_ < available) {
        const StackFrame& frame = source_->frames[position_++];
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
    const size_t available = Available(position_ + std::min<size_t>(count, kMaxFrames));
    size_t left = available - position_;
    if (count > left) {
        position_ = available;
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
        *out = new StackFrameEnum(source_, position_);
        return S_OK;
    });
}

} // namespace debugservices
