#pragma once
// DebugPanes: the contents of the debugger's docking panes (Call Stack, Variables,
// Watch, Breakpoints, Application Threads, Applications), created by the main frame:
//     debugger::DebugPanes panes(scriptHost);
//     callStackPane.Create(L"Call Stack", frame, panes.content(IDD_CALLSTACK_PANE), IDD_CALLSTACK_PANE);
// Refresh runs on the user-interface thread after every stop and at the end of a run.
#include "frame/CAnchorDialog.h"
#include <map>
#include <memory>

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

private:
    host::ScriptHost& host_;
    std::map<UINT, std::unique_ptr<CAnchorDialog>> contents_;
};

} // namespace debugger
