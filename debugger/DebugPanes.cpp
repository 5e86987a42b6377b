#include "debugger/DebugPanes.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"

namespace debugger {

// Each content dialog holds one control that follows the pane's size.
class FillingDialog : public CAnchorDialog {
public:
    explicit FillingDialog(int controlId) : controlId_(controlId) {}

protected:
    bool OnInitDialog() override {
        CAnchorDialog::OnInitDialog();
        SetAnchor(controlId_, ANCHOR_ALL);
        return true;
    }

private:
    int controlId_;
};

DebugPanes::DebugPanes(host::ScriptHost& host) : host_(host) {
    const std::pair<UINT, int> panes[] = {
        {IDD_THREADS_PANE, IDC_THREADS_LIST},       {IDD_VARIABLES_PANE, IDC_VARIABLES_LIST},
        {IDD_CALLSTACK_PANE, IDC_CALLSTACK_LIST},   {IDD_APPLICATIONS_PANE, IDC_APPLICATIONS_LIST},
        {IDD_BREAKPOINTS_PANE, IDC_BREAKPOINTS_LIST}, {IDD_WATCH_PANE, IDC_WATCH_LIST}};
    for (const auto& pane : panes) contents_[pane.first] = std::make_unique<FillingDialog>(pane.second);
}

DebugPanes::~DebugPanes() = default;

CDialog* DebugPanes::content(UINT dialogId) {
    auto it = contents_.find(dialogId);
    return it == contents_.end() ? nullptr : it->second.get();
}

void DebugPanes::Refresh() {}

void DebugPanes::RefreshBreakpoints() {}

} // namespace debugger
