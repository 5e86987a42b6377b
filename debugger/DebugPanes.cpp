#include "debugger/DebugPanes.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"
#include "common/TextConv.h"

namespace debugger {

DebugPanes::DebugPanes(host::ScriptHost& host)
    : host_(host), threads_(host), variables_(host), callStack_(host), applications_(host), breakpoints_(host),
      watch_(host) {
    callStack_.setOnFrameSelected([this](const std::wstring& document, int line) { SelectFrame(document, line); });
    callStack_.setOnDeferredRefresh([this] { Refresh(); });
}

DebugPanes::~DebugPanes() = default;

CDialog* DebugPanes::content(UINT dialogId) {
    switch (dialogId) {
    case IDD_THREADS_PANE: return &threads_;
    case IDD_VARIABLES_PANE: return &variables_;
    case IDD_CALLSTACK_PANE: return &callStack_;
    case IDD_APPLICATIONS_PANE: return &applications_;
    case IDD_BREAKPOINTS_PANE: return &breakpoints_;
    case IDD_WATCH_PANE: return &watch_;
    }
    return nullptr;
}

// A pane whose window is not created (yet) has nothing to show.
void DebugPanes::Refresh() {
    // Asked by a message sent from another thread (the watcher after a stop): that
    // thread holds the host lock the panes need to reach the script, and waits for
    // this thread. Refresh once it is free again.
    if (::InSendMessage() && callStack_.hwnd()) {
        callStack_.PostDeferredRefresh();
        return;
    }
    if (watch_.hwnd()) watch_.Refresh();
    if (callStack_.hwnd()) callStack_.Refresh();
    if (variables_.hwnd()) variables_.Refresh();
    if (threads_.hwnd()) threads_.Refresh();
    if (applications_.hwnd()) applications_.Clear();
}

void DebugPanes::RefreshBreakpoints() {
    if (breakpoints_.hwnd()) breakpoints_.Refresh();
}

void DebugPanes::SelectFrame(const std::wstring& document, int line) {
    if (watch_.hwnd()) watch_.Refresh();
    if (variables_.hwnd()) variables_.Refresh();
    if (host::HostApplication* application = host_.application())
        application->ShowPosition(common::WideToAnsi(document), line, true);
}

} // namespace debugger
