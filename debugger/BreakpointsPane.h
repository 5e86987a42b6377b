#pragma once
// BreakpointsPane: one row per breakpoint ("Line", "File") with a check box that
// enables or disables it. Delete removes the selected breakpoint; a double-click
// shows its line.
#include "debugger/DebugPane.h"
#include "debugger/SortableList.h"
#include "host/ScriptHost.h"
#include <commctrl.h>
#include <vector>

namespace debugger {

class BreakpointsPane : public DebugPane {
public:
    explicit BreakpointsPane(host::ScriptHost& host);
    void Refresh() override;
    SortableList& list() { return list_; }
    bool IsChecked(int row) const;
    // The breakpoint of a row as the list holds it now; false when it is gone.
    bool RecordOf(int row, host::BreakpointRecord& record) const;
    // The Delete key on the list: removes the first selected row's breakpoint.
    void DeleteSelected();

protected:
    void InitContent() override;
    bool OnNotify(NMHDR* hdr, LRESULT* result) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

private:
    void OnCheckChanged(int row, bool enabled);
    void ShowRow(int row);
    void RefreshViewsLater();

    SortableList list_;
    // The records as the rows were filled; a row's user value indexes it.
    std::vector<host::BreakpointRecord> shown_;
    bool filling_ = false;
};

} // namespace debugger
