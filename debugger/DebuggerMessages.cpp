#include "debugger/DebuggerMessages.h"
#include "host/ScriptHost.h"

namespace debugger {

namespace {

const wchar_t* BuiltInText(UINT id) {
    switch (id) {
    case kNoScriptWindow: return L"Cannot execute script: no script window is active.";
    case kCloseDebugger: return L"This operation will close the debugger. Continue?";
    case kNoCodeForLine: return L"No code exists for that source line. Breakpoint cannot be set.";
    case kBreakpointsDisabled: return L"One or more breakpoints cannot be set and have been disabled.";
    case kBreakpointsMoved:
        return L"One or more breakpoints were not positioned on valid lines. These breakpoints were moved to the "
               L"nearest valid line.";
    }
    return L"";
}

} // namespace

std::wstring DebuggerMessage(UINT id) {
    const wchar_t* resource = nullptr;
    // A length of 0 asks for a read-only pointer into the resource itself.
    int length = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&resource), 0);
    if (length > 0 && resource) return std::wstring(resource, static_cast<size_t>(length));
    return BuiltInText(id);
}

int ShowPlacementMessages(host::ScriptHost& host) {
    host::HostApplication* application = host.application();
    if (!application || host.consoleMode()) return 0;
    int shown = 0;
    if (host.breakpointsDisabled()) {
        application->ShowMessage(DebuggerMessage(kBreakpointsDisabled));
        ++shown;
    }
    if (host.breakpointsMoved()) {
        application->ShowMessage(DebuggerMessage(kBreakpointsMoved));
        ++shown;
    }
    return shown;
}

} // namespace debugger
