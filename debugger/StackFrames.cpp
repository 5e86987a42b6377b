#include "debugger/StackFrames.h"
#include "common/DebugOwners.h"
#include "common/ComObject.h"
#include "host/ScriptHost.h"
#include "common/Bstr.h"

namespace debugger {

ComPtr<IDebugApplicationThread> ScriptThread(host::ScriptHost& host) {
    ComPtr<IRemoteDebugApplicationThread> remote = host.FindScriptThread();
    ComPtr<IDebugApplicationThread> thread;
    if (remote) remote.As(&thread);
    return thread;
}

ComPtr<IDebugStackFrame> FrameAt(IDebugApplicationThread* thread, int index) {
    ComPtr<IEnumDebugStackFrames> frames;
    if (!thread || index < 0 || FAILED(thread->EnumStackFrames(&frames)) || !frames) return nullptr;
    frames->Reset();
    if (index > 0 && frames->Skip(static_cast<ULONG>(index)) != S_OK) return nullptr;
    common::StackFrameDescriptor descriptor;
    ULONG fetched = 0;
    if (frames->Next(1, descriptor.put(), &fetched) != S_OK || fetched != 1) return nullptr;
    return descriptor.takeFrame();
}

bool FramePosition(IDebugStackFrame* frame, std::wstring& name, int& line) {
    ComPtr<IDebugCodeContext> code;
    ComPtr<IDebugDocumentContext> context;
    ComPtr<IDebugDocument> document;
    ComPtr<IDebugDocumentText> text;
    common::Bstr documentName;
    ULONG position = 0, length = 0, lineIndex = 0, offset = 0;
    if (!frame || FAILED(frame->GetCodeContext(&code)) || !code || FAILED(code->GetDocumentContext(&context)) ||
        !context || FAILED(context->GetDocument(&document)) || !document ||
        FAILED(document->GetName(DOCUMENTNAMETYPE_APPNODE, documentName.put())) || FAILED(document.As(&text)) ||
        FAILED(text->GetPositionOfContext(context.Get(), &position, &length)) ||
        FAILED(text->GetLineOfPosition(position, &lineIndex, &offset)))
        return false;
    name = documentName.str();
    line = static_cast<int>(lineIndex);
    return true;
}

std::wstring FrameDescription(IDebugStackFrame* frame) {
    common::Bstr description;
    if (!frame || FAILED(frame->GetDescriptionString(TRUE, description.put()))) return {};
    return description.str();
}

} // namespace debugger
