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

class StackFrameEnum : public common::FreeThreaded<IEnumDebugStackFrames> {
public:
    explicit StackFrameEnum(std::vector<Microsoft::WRL::ComPtr<IDebugStackFrame>> frames, size_t next = 0)
        : frames_(std::move(frames)), next_(next) {}

    STDMETHODIMP Next(ULONG count, DebugStackFrameDescriptor* out, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumDebugStackFrames** clone) override;

private:
    std::mutex lock_;
    std::vector<Microsoft::WRL::ComPtr<IDebugStackFrame>> frames_;
    size_t next_;
};

} // namespace stepscript
