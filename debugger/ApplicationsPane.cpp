#include "debugger/ApplicationsPane.h"
#include "resources/panes/panesids.h"

namespace debugger {

ApplicationsPane::ApplicationsPane(host::ScriptHost& host) : DebugPane(host, IDC_APPLICATIONS_LIST) {}

void ApplicationsPane::Clear() {
    if (HWND list = control()) ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
}

} // namespace debugger
