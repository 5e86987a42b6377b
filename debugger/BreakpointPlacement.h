#pragma once
// Where the engine of a run finds code for a breakpoint: the first statement at or
// after the breakpoint's place in its file.
#include "host/ScriptHost.h"

namespace debugger {

struct Placement {
    bool failed = false;                     // the engine knows no code there (or the file is not in the run)
    host::ComPtr<IDebugCodeContext> code;    // the first code context, when there is one
    bool located = false;                    // line and position below are valid
    int line = 0;                            // 0-based
    long position = 0;                       // character offset in the file
};

Placement PlaceOnCode(host::RunContext& run, const host::BreakpointRecord& record);

} // namespace debugger
