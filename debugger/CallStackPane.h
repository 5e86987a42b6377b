#pragma once
// CallStackPane: the frames of the stopped script, top first, as
// "description - document (line)", the selected frame marked. A double-click on a row
// selects that frame for the Variables and Watch panes and shows its line.
#include "debugger/DebugPane.h"
#include "debugger/SortableList.h"
#include <commctrl.h>
#include <functional>
#include <string>

namespace debugger {

class CallStackPane : public DebugPane {
public:
    // Told the chosen frame's document name and 1-based line.
    using FrameSelected = std::function<void(const std::wstring& document, int line)>;

    explicit CallStackPane(host::ScriptHost& host);
    void setOnFrameSelected(FrameSelected handler) { onFrameSelected_ = std::move(handler); }
    void Refresh() override;
    // Makes frame `row` the selected frame; false when nothing was selected.
    bool SelectFrame(int row);
    SortableList& list() { return list_; }
    // State image of a row: 2 for the selected frame, 1 for the others.
    int MarkOf(int row) const;

protected:
    void InitContent() override;
    bool OnNotify(NMHDR* hdr, LRESULT* result) override;
    void OnDestroy() override;

private:
    void MarkRows();

    SortableList list_;
    HIMAGELIST images_ = nullptr;
    FrameSelected onFrameSelected_;
};

} // namespace debugger
