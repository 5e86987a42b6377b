#pragma once
// The stopped script's stack as the panes read it: the script thread, one frame by
// its index from the top, and a frame's document name, line and description.
#include "common/ScriptingGuids.h"
#include <wrl/client.h>
#include <string>

namespace host { class ScriptHost; }

namespace debugger {

using Microsoft::WRL::ComPtr;

// The thread that last broke, or null.
ComPtr<IDebugApplicationThread> ScriptThread(host::ScriptHost& host);

// Frame `index` (0 = top) of the thread's stack, or null when the stack is shorter.
ComPtr<IDebugStackFrame> FrameAt(IDebugApplicationThread* thread, int index);

// Where a frame is: its document's name (the lower-cased path) and its 0-based line.
bool FramePosition(IDebugStackFrame* frame, std::wstring& name, int& line);

// The frame's description, long form ("Global code", a procedure's name).
std::wstring FrameDescription(IDebugStackFrame* frame);

} // namespace debugger
