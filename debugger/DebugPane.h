#pragma once
// DebugPane: the content dialog of one debugger pane. Its single control fills the
// dialog and follows its size; the pane shows the host's state of the moment.
#include "frame/CAnchorDialog.h"

namespace host { class ScriptHost; }

namespace debugger {

class DebugPane : public CAnchorDialog {
public:
    DebugPane(host::ScriptHost& host, int controlId) : host_(host), controlId_(controlId) {}
    HWND control() const { return Item(controlId_); }
    int controlId() const { return controlId_; }
    virtual void Refresh() {}

protected:
    bool OnInitDialog() override;
    // Columns, styles and first rows of the control.
    virtual void InitContent() {}
    // The script is stopped: the only state in which the panes read the stack.
    bool InBreakState() const;

    host::ScriptHost& host_;
    int controlId_;
};

// A notification a pane answers after the control has finished with the message
// that caused it (rows cannot be rebuilt from inside the control's own notification).
const UINT WM_PANE_DEFERRED = WM_APP + 0x2A0;

} // namespace debugger
