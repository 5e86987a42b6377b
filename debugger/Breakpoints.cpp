// Breakpoints of the script host: the list that lasts as long as the program, and
// its placement on the engine's code.
#include "host/ScriptHost.h"
#include "debugger/BreakpointPlacement.h"
#include "debugger/DebuggerMessages.h"
#include <algorithm>

namespace debugger {

using host::ComPtr;

namespace {

// The offset kept in a record is where the caret was when it was set; edits above the
// breakpoint move its line but not that offset. The line, which the user sees, wins.
ULONG PositionOnLine(IDebugDocumentHelper* helper, const host::BreakpointRecord& record) {
    const ULONG kept = record.charPosition > 0 ? static_cast<ULONG>(record.charPosition) : 0;
    ComPtr<IDebugDocumentContext> context;
    ComPtr<IDebugDocument> document;
    ComPtr<IDebugDocumentText> text;
    if (!helper || record.line < 0 || FAILED(helper->CreateDebugDocumentContext(0, 1, &context)) || !context ||
        FAILED(context->GetDocument(&document)) || !document || FAILED(document.As(&text)))
        return kept;
    ULONG line = 0, offset = 0, start = 0;
    if (record.charPosition >= 0 && SUCCEEDED(text->GetLineOfPosition(kept, &line, &offset)) &&
        line == static_cast<ULONG>(record.line))
        return kept;
    if (SUCCEEDED(text->GetPositionOfLine(static_cast<ULONG>(record.line), &start))) return start;
    return kept;
}

} // namespace

Placement PlaceOnCode(host::RunContext& run, const host::BreakpointRecord& record) {
    Placement placement;
    ComPtr<IActiveScriptDebug> engine;
    ComPtr<IDebugDocumentHelper> helper;
    DWORD_PTR cookie = 0;
    {
        std::lock_guard<std::mutex> guard(run.mutex);
        engine = run.engineDebug;
        auto it = run.fileMap.find(record.file);
        if (it != run.fileMap.end()) {
            cookie = it->second.cookie;
            helper = it->second.helper;
        }
    }
    // A file outside the run has no code in this engine.
    ComPtr<IEnumDebugCodeContexts> contexts;
    if (!engine || !helper ||
        FAILED(engine->EnumCodeContextsOfPosition(cookie, PositionOnLine(helper.Get(), record), 1, &contexts)) ||
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

} // namespace debugger

namespace host {

using debugger::Placement;
using debugger::PlaceOnCode;

std::vector<BreakpointRecord> ScriptHost::breakpoints() const {
    std::lock_guard<std::recursive_mutex> guard(breakpointMutex_);
    return breakpointList_;
}

void ScriptHost::EditBreakpoints(const std::function<void(std::vector<BreakpointRecord>&)>& edit) {
    std::lock_guard<std::recursive_mutex> guard(breakpointMutex_);
    edit(breakpointList_);
}

void ScriptHost::ToggleBreakpoint(BreakpointRecord record) {
    // The engine is asked before the list is locked: the watcher reads the list at
    // every statement and must not wait for the engine's answer.
    Placement placement;
    std::shared_ptr<RunContext> run = running_ ? currentRun() : nullptr;
    if (run) {
        placement = PlaceOnCode(*run, record);
        if (placement.failed) {
            if (application_ && !consoleMode_)
                application_->ShowMessage(debugger::DebuggerMessage(debugger::kNoCodeForLine));
        } else if (placement.located) {
            record.line = placement.line;
            record.charPosition = placement.position;
        }
    }
    bool removed = false;
    {
        std::lock_guard<std::recursive_mutex> guard(breakpointMutex_);
        auto same = [&](const BreakpointRecord& other) { return other.line == record.line && other.file == record.file; };
        const auto first = std::remove_if(breakpointList_.begin(), breakpointList_.end(), same);
        removed = first != breakpointList_.end();
        breakpointList_.erase(first, breakpointList_.end());
        if (!removed && !placement.failed) breakpointList_.push_back(record);
    }
    if (run && !placement.failed && placement.code)
        placement.code->SetBreakPoint(removed ? BREAKPOINT_DELETED : BREAKPOINT_ENABLED);
}

void ScriptHost::ApplyBreakpoints(RunContext& run) {
    breakpointsDisabled_ = false;
    breakpointsMoved_ = false;
    std::lock_guard<std::recursive_mutex> guard(breakpointMutex_);
    for (size_t i = 0; i < breakpointList_.size();) {
        BreakpointRecord& record = breakpointList_[i];
        Placement placement = PlaceOnCode(run, record);
        if (placement.failed) {
            // Only a breakpoint that was still enabled counts as newly disabled.
            if (record.enabled) {
                record.enabled = false;
                breakpointsDisabled_ = true;
            }
            ++i;
            continue;
        }
        if (placement.code && placement.located && placement.line != record.line) {
            breakpointsMoved_ = true;
            // Moved onto the line of another breakpoint: they are the same breakpoint
            // now, and the one already there keeps its state.
            const bool taken = std::any_of(breakpointList_.begin(), breakpointList_.end(), [&](const BreakpointRecord& other) {
                return &other != &record && other.line == placement.line && other.file == record.file;
            });
            if (taken) {
                breakpointList_.erase(breakpointList_.begin() + static_cast<std::ptrdiff_t>(i));
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
