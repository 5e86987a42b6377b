#pragma once
#include "common/ScriptingGuids.h"
#include "debugservices/FreeThreadedObject.h"
#include <memory>
#include <mutex>
#include <vector>

namespace debugservices {

// One frame as a sniffer described it; the enumerator owns its references.
struct StackFrame {
    Microsoft::WRL::ComPtr<IDebugStackFrame> frame;
    DWORDLONG min = 0;
    DWORDLONG lim = 0;
    BOOL final = FALSE;
    Microsoft::WRL::ComPtr<IUnknown> finalObject;
};

// The frames of one thread, innermost first, in both descriptor layouts.
class StackFrameEnum : public FreeThreadedObject<IEnumDebugStackFrames64> {
public:
    using Frames = std::vector<StackFrame>;

    explicit StackFrameEnum(std::shared_ptr<const Frames> frames, size_t position = 0);

    // IEnumDebugStackFrames
    STDMETHODIMP Next(ULONG count, DebugStackFrameDescriptor* out, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumDebugStackFrames** out) override;
    // IEnumDebugStackFrames64
    STDMETHODIMP Next64(ULONG count, DebugStackFrameDescriptor64* out, ULONG* fetched) override;

protected:
    bool QueryBase(REFIID riid, void** ppv) override;

private:
    template <typename Descriptor>
    HRESULT Fetch(ULONG count, Descriptor* out, ULONG* fetched);

    std::shared_ptr<const Frames> frames_;
    std::mutex mutex_;
    size_t position_;
};

} // namespace debugservices
