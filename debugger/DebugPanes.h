#pragma once
// DebugPanes: the contents of the debugger's docking panes (Call Stack, Variables,
// Watch, Breakpoints, Application Threads, Applications), created by the main frame:
//     debugger::DebugPanes panes(scriptHost);
//     callStackPane.Create(L"Call Stack", frame, panes.content(IDD_CALLSTACK_PANE), IDD_CALLSTACK_PANE);
// Refresh runs on the user-interface thread after every stop and at the end of a run.
#include "debugger/ApplicationsPane.h"
#include "debugger/BreakpointsPane.h"
#include "debugger/CallStackPane.h"
#include "debugger/ThreadsPane.h"
#include "debugger/VariablesPane.h"
#include "debugger/WatchPane.h"
#include "frame/CAnchorDialog.h"
#include <string>

namespace host { class ScriptHost; }

namespace debugger {

class DebugPanes {
public:
    explicit DebugPanes(host::ScriptHost& host);
    ~DebugPanes();
    DebugPanes(const DebugPanes&) = delete;
    DebugPanes& operator=(const DebugPanes&) = delete;

    // The content dialog for dialog resource (and bar id) `dialogId`, 130 to 135.
    CDialog* content(UINT dialogId);
    // The Call Stack, Threads, Applications, Variables and Watch panes from the host's state.
    void Refresh();
    // The Breakpoints pane from the host's breakpoint list.
    void RefreshBreakpoints();
    // A frame chosen in the Call Stack pane: the Watch and Variables panes evaluate in
    // it and the frame's line is shown, marked.
    void SelectFrame(const std::wstring& document, int line);

    CallStackPane& callStack() { return callStack_; }
    ThreadsPane& threads() { return threads_; }
    ApplicationsPane& applications() { return applications_; }
    VariablesPane& variables() { return variables_; }
    WatchPane& watch() { return watch_; }
    BreakpointsPane& breakpoints() { return breakpoints_; }

private:
    host::ScriptHost& host_;
    ThreadsPane threads_;
    VariablesPane variables_;
    CallStackPane callStack_;
    ApplicationsPane applications_;
    BreakpointsPane breakpoints_;
    WatchPane watch_;
};

} // namespace debugger
