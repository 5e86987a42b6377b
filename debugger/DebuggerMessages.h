#pragma once
// The debugger's messages to the user: string resources of the program, with the
// same texts built in for programs that carry no such resources (tests, tools).
#include <windows.h>
#include <string>

namespace host { class ScriptHost; }

namespace debugger {

enum DebuggerMessageId : UINT {
    kNoScriptWindow = 61216,
    kCloseDebugger = 61217,
    kNoCodeForLine = 61219,
    kBreakpointsDisabled = 61220,
    kBreakpointsMoved = 61221,
};

// The text of message `id`: the calling program's string resource, else the built-in text.
std::wstring DebuggerMessage(UINT id);

// After a run has started: the messages about breakpoints that could not be placed
// (61220) and breakpoints that moved (61221), each at most once, through the host's
// application. Returns how many were shown.
int ShowPlacementMessages(host::ScriptHost& host);

} // namespace debugger
