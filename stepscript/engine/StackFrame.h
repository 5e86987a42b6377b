#pragma once
#include "common/ScriptingGuids.h"
#include "common/FreeThreaded.h"
#include "stepscript/runtime/Interpreter.h"
#include <memory>
#include <string>
#include <vector>

namespace stepscript {

class ScriptEngine;

// One activation on the script's call stack: global code or a procedure call. It also
// evaluates text in its scope (IDebugExpressionContext). The activation may end while a
// debugger still holds the frame; calls then fail.
class StackFrame : public common::FreeThreaded<IDebugStackFrame, IDebugExpressionContext> {
public:
    StackFrame(ScriptEngine* engine, std::weak_ptr<Frame> frame, std::wstring description);

    STDMETHODIMP GetCodeContext(IDebugCodeContext** context) override;
    STDMETHODIMP GetDescriptionString(BOOL longForm, BSTR* description) override;
    STDMETHODIMP GetLanguageString(BOOL longForm, BSTR* language) override;
    STDMETHODIMP GetThread(IDebugApplicationThread** thread) override;
    STDMETHODIMP GetDebugProperty(IDebugProperty** property) override;

    STDMETHODIMP ParseLanguageText(LPCOLESTR text, UINT radix, LPCOLESTR delimiter, DWORD flags,
                                   IDebugExpression** expression) override;
    STDMETHODIMP GetLanguageInfo(BSTR* name, GUID* id) override;

private:
    Microsoft::WRL::ComPtr<ScriptEngine> engine_;
    std::weak_ptr<Frame> frame_;
    std::wstring description_;
};

// The engine's stack frames for the debug services, innermost first.
class StackFrameSniffer : public common::FreeThreaded<IDebugStackFrameSniffer> {
public:
    explicit StackFrameSniffer(ScriptEngine* engine) : engine_(engine) {}
    STDMETHODIMP EnumStackFrames(IEnumDebugStackFrames** frames) override;
    // Breaks the reference to the engine when it closes.
    void detach();

private:
    std::mutex lock_;
    Microsoft::WRL::ComPtr<ScriptEngine> engine_;
};

// The engine's frames at one moment, innermost first. A frame's debug object is made
// when it is first fetched: a debugger that reads the top frame at every statement must
// not pay for the whole stack.
class StackFrameEnum : public common::FreeThreaded<IEnumDebugStackFrames> {
public:
    struct Snapshot {
        Microsoft::WRL::ComPtr<ScriptEngine> engine;
        std::vector<std::weak_ptr<Frame>> activations;
        std::mutex lock;
        std::vector<Microsoft::WRL::ComPtr<IDebugStackFrame>> made;  // by position; null until fetched
    };

    explicit StackFrameEnum(std::shared_ptr<Snapshot> snapshot, size_t next = 0)
        : snapshot_(std::move(snapshot)), next_(next) {}

    STDMETHODIMP Next(ULONG count, DebugStackFrameDescriptor* out, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumDebugStackFrames** clone) override;

private:
    // The frame at `position`, made now if need be; null once its activation has ended.
    Microsoft::WRL::ComPtr<IDebugStackFrame> frameAt(size_t position);

    std::mutex lock_;
    std::shared_ptr<Snapshot> snapshot_;
    size_t next_;
};

} // namespace stepscript
