// Breakpoints of the script host: the list that lasts as long as the program, and
// its placement on the engine's code.
#include "host/ScriptHost.h"
#include "debugger/DebuggerMessages.h"
#include <algorithm>

namespace host {

namespace {

// Where the engine found code for a breakpoint's position.
struct Placement {
    bool failed = false;              // the engine knows no code there (or no run)
    ComPtr<IDebugCodeContext> code;   // the first code context, when there is one
    bool located = false;             // line and position below are valid
    int line = 0;
    long position = 0;
};

Placement PlaceOnCode(RunContext& run, const BreakpointRecord& record) {
    Placement placement;
    ComPtr<IActiveScriptDebug> engine;
    DWORD_PTR cookie = 0;
    bool known = false;
    {
        std::lock_guard<std::mutex> guard(run.mutex);
        engine = run.engineDebug;
        auto it = run.fileMap.find(record.file);
        if (it != run.fileMap.end() && it->second.helper) {
            cookie = it->second.cookie;
            known = true;
        }
    }
    // A file outside the run has no code in this engine.
    ComPtr<IEnumDebugCodeContexts> contexts;
    if (!engine || !known || record.charPosition < 0 ||
        FAILED(engine->EnumCodeContextsOfPosition(cookie, static_cast<ULONG>(record.charPosition), 1, &contexts)) ||
        !contexts) {
        placement.failed = true;
        return placement;
    }
    ULONG fetched = 0;
    if (contexts->Next(1, &placement.code, &fetched) != S_OK || fetched != 1 || !placement.code) {
        placement.code.Reset();
        return placement;
    }
    ComPtr<IDebugDocumentContext> context;
    ComPtr<IDebugDocument> document;
    ComPtr<IDebugDocumentText> text;
    ULONG position = 0, length = 0, line = 0, offset = 0;
    if (SUCCEEDED(placement.code->GetDocumentContext(&context)) && context &&
        SUCCEEDED(context->GetDocument(&document)) && document && SUCCEEDED(document.As(&text)) &&
        SUCCEEDED(text->GetPositionOfContext(context.Get(), &position, &length)) &&
        SUCCEEDED(text->GetLineOfPosition(position, &line, &offset))) {
        placement.located = true;
        placement.line = static_cast<int>(line);
        placement.position = static_cast<long>(position);
    }
    return placement;
}

} // namespace

void ScriptHost::ToggleBreakpoint(BreakpointRecord record) {
    // The engine is asked before the list is locked: the watcher reads the list at
    // every statement and must not wait for the engine's answer.
    Placement placement;
    std::shared_ptr<RunContext> run = running ? currentRun() : nullptr;
    if (run) {
        placement = PlaceOnCode(*run, record);
        if (placement.failed) {
            if (application_ && !consoleMode)
                application_->ShowMessage(debugger::DebuggerMessage(debugger::kNoCodeForLine));
        } else if (placement.located) {
            record.line = placement.line;
            record.charPosition = placement.position;
        }
    }
    bool removed = false;
    {
        std::lock_guard<std::recursive_mutex> guard(breakpointMutex);
        auto same = [&](const BreakpointRecord& other) { return other.line == record.line && other.file == record.file; };
        const auto first = std::remove_if(breakpointList.begin(), breakpointList.end(), same);
        removed = first != breakpointList.end();
        breakpointList.erase(first, breakpointList.end());
        if (!removed && !placement.failed) breakpointList.push_back(record);
    }
    if (run && !placement.failed && placement.code)
        placement.code->SetBreakPoint(removed ? BREAKPOINT_DELETED : BREAKPOINT_ENABLED);
}

void ScriptHost::ApplyBreakpoints(RunContext& run) {
    breakpointsDisabled = false;
    breakpointsMoved = false;
    std::lock_guard<std::recursive_mutex> guard(breakpointMutex);
    for (size_t i = 0; i < breakpointList.size();) {
        BreakpointRecord& record = breakpointList[i];
        Placement placement = PlaceOnCode(run, record);
        if (placement.failed) {
            // Only a breakpoint that was still enabled counts as newly disabled.
            if (record.enabled) {
                record.enabled = false;
                breakpointsDisabled = true;
            }
            ++i;
            continue;
        }
        if (placement.code && placement.located && placement.line != record.line) {
            breakpointsMoved = true;
            // Moved onto the line of another breakpoint: they are the same breakpoint
            // now, and the one already there keeps its state.
            const bool taken = std::any_of(breakpointList.begin(), breakpointList.end(), [&](const BreakpointRecord& other) {
                return &other != &record && other.line == placement.line && other.file == record.file;
            });
            if (taken) {
                breakpointList.erase(breakpointList.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            record.line = placement.line;
            record.charPosition = placement.position;
        }
        if (placement.code) placement.code->SetBreakPoint(record.enabled ? BREAKPOINT_ENABLED : BREAKPOINT_DISABLED);
        ++i;
    }
}

} // namespace host
