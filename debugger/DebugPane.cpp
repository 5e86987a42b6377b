#include "debugger/DebugPane.h"
#include "host/ScriptHost.h"

namespace debugger {

bool DebugPane::OnInitDialog() {
    CAnchorDialog::OnInitDialog();
    SetAnchor(controlId_, ANCHOR_ALL);
    InitContent();
    return true;
}

bool DebugPane::InBreakState() const { return host_.running && host_.atBreak; }

} // namespace debugger
