#pragma once
#include "common/ScriptingGuids.h"
#include "debugservices/FreeThreadedObject.h"
#include <functional>
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

// The frames of one thread as far as they have been read, and the engines' enumerators
// that give the rest. Frames are read as a caller asks for them: a debugger that reads
// the top frame at every statement must not pay for the whole stack.
struct FrameSource {
    std::mutex mutex;
    std::vector<StackFrame> frames;  // innermost first
    std::vector<Microsoft::WRL::ComPtr<IEnumDebugStackFrames>> engines;  // innermost engine first
    size_t engine = 0;               // the enumerator read next
    // Runs a read on the stack's own thread (the engines' enumerators belong to it).
    std::function<HRESULT(const std::function<HRESULT()>&)> onThread;
};

// The frames of one thread, innermost first, in both descriptor layouts.
class StackFrameEnum : public FreeThreadedObject<IEnumDebugStackFrames64> {
public:
    explicit StackFrameEnum(std::shared_ptr<FrameSource> source, size_t position = 0);

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
    // Reads frames until `wanted` are there or the stack has no more; answers how many there are.
    size_t Available(size_t wanted);

    std::shared_ptr<FrameSource> source_;
    std::mutex mutex_;
    size_t position_;
};

} // namespace debugservices
