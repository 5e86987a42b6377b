#pragma once
// VariablesPane: the variables of the selected frame at a break, shown as "Variable",
// "Value". Editing a value in place assigns it in the script (in the top frame).
#include "debugger/DebugPane.h"
#include "debugger/SortableList.h"
#include <commctrl.h>

namespace debugger {

class VariablesPane : public DebugPane {
public:
    explicit VariablesPane(host::ScriptHost& host);
    void Refresh() override;
    SortableList& list() { return list_; }
    // Begins in-place editing of the selected row's value.
    void EditSelected();
    // The end of an edit of `row` with `text`: assigns it; true when the engine took it.
    bool AssignValue(int row, const std::wstring& text);

    static constexpr int kValueColumn = 0;
    static constexpr int kNameColumn = 1;

protected:
    void InitContent() override;
    bool OnNotify(NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnDestroy() override;

private:
    SortableList list_;
};

} // namespace debugger
