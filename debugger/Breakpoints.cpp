// Breakpoints of the script host: the list that lasts as long as the program, and
// its placement on the engine's code.
#include "host/ScriptHost.h"
#include <algorithm>

namespace host {

void ScriptHost::ToggleBreakpoint(BreakpointRecord record) {
    std::lock_guard<std::recursive_mutex> guard(breakpointMutex);
    auto same = [&](const BreakpointRecord& other) { return other.line == record.line && other.file == record.file; };
    const auto removed = std::remove_if(breakpointList.begin(), breakpointList.end(), same);
    if (removed != breakpointList.end()) {
        breakpointList.erase(removed, breakpointList.end());
        return;
    }
    breakpointList.push_back(record);
}

void ScriptHost::ApplyBreakpoints(RunContext&) {
    breakpointsDisabled = false;
    breakpointsMoved = false;
}

} // namespace host
