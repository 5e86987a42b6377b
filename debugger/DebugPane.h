#pragma once
// DebugPane: the content dialog of one debugger pane. Its single control fills the
// dialog and follows its size; the pane shows the host's state of the moment.
#include "frame/CAnchorDialog.h"
#include <functional>

namespace host { class ScriptHost; }

namespace debugger {

class DebugPane : public CAnchorDialog {
public:
    DebugPane(host::ScriptHost& host, int controlId) : host_(host), controlId_(controlId) {}
    HWND control() const { return Item(controlId_); }
    int controlId() const { return controlId_; }
    virtual void Refresh() {}
    // Called for a refresh posted with PostDeferredRefresh.
    void setOnDeferredRefresh(std::function<void()> handler) { onDeferredRefresh_ = std::move(handler); }
    // Asks for onDeferredRefresh once the user-interface thread is back in its message loop.
    void PostDeferredRefresh();

protected:
    bool OnInitDialog() override;
    // Columns, styles and first rows of the control.
    virtual void InitContent() {}
    // The script is stopped: the only state in which the panes read the stack.
    bool InBreakState() const;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    host::ScriptHost& host_;
    int controlId_;

private:
    std::function<void()> onDeferredRefresh_;
    bool refreshPosted_ = false;
};

// A notification a pane answers after the control has finished with the message
// that caused it (rows cannot be rebuilt from inside the control's own notification).
const UINT WM_PANE_DEFERRED = WM_APP + 0x2A0;

} // namespace debugger
