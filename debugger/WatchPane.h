#pragma once
// WatchPane: expressions typed by the user with their values in the selected frame.
// The last row is an empty placeholder (item data 12345); editing it adds a watch and
// leaves a new placeholder below.
#include "debugger/DebugPane.h"
#include "debugger/SortableList.h"
#include <commctrl.h>

namespace debugger {

class WatchPane : public DebugPane {
public:
    static constexpr LPARAM kPlaceholder = 12345;
    static constexpr LPARAM kWatch = 1;
    static constexpr int kExpressionColumn = 0;
    static constexpr int kResultColumn = 1;

    explicit WatchPane(host::ScriptHost& host);
    // Evaluates every watch in the selected frame (at a break only).
    void Refresh() override;
    SortableList& list() { return list_; }
    // Begins in-place editing of the selected row, or of the placeholder when none is.
    void EditSelected();
    // The Delete key: removes the selected watch (never the placeholder).
    void DeleteSelected();
    // A watch added as if typed into the placeholder; returns its row.
    int AddWatch(const std::wstring& expression);

protected:
    void InitContent() override;
    bool OnNotify(NMHDR* hdr, LRESULT* result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroy() override;

private:
    void Evaluate(int row);
    void AddPlaceholder();
    // Placeholders left by cancelled edits go; the last one stays.
    void RemoveSparePlaceholders();

    SortableList list_;
};

} // namespace debugger
