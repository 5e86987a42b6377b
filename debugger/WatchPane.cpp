#include "debugger/WatchPane.h"
#include "debugger/FrameEvaluation.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"

namespace debugger {

namespace {
const WPARAM kTidyPlaceholders = 2;
}

WatchPane::WatchPane(host::ScriptHost& host) : DebugPane(host, IDC_WATCH_LIST) {}

void WatchPane::InitContent() {
    list_.Attach(control(), {{L"Expression", 150, SortKind::Text}, {L"Result", 150, SortKind::Text}},
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, false);
    AddPlaceholder();
}

void WatchPane::OnDestroy() {
    list_.Detach();
    DebugPane::OnDestroy();
}

void WatchPane::AddPlaceholder() { list_.AddRow({L"", L""}, kPlaceholder); }

void WatchPane::Evaluate(int row) {
    Evaluation evaluation = EvaluateInFrame(host_, list_.Text(row, kExpressionColumn), kWatchFlags, true);
    // A failed evaluation shows the engine's error text; outside a break the last result stays.
    if (evaluation.evaluated) list_.SetText(row, kResultColumn, evaluation.text);
}

void WatchPane::Refresh() {
    if (!InBreakState()) return;
    for (int row = 0; row < list_.RowCount(); ++row)
        if (list_.UserValue(row) != kPlaceholder) Evaluate(row);
}

void WatchPane::EditSelected() {
    int row = list_.SelectedRow();
    if (row < 0) {
        for (int i = list_.RowCount() - 1; i >= 0 && row < 0; --i)
            if (list_.UserValue(i) == kPlaceholder) row = i;
    }
    if (row < 0) return;
    ::SetFocus(control());
    ::SendMessageW(control(), LVM_EDITLABELW, row, 0);
}

void WatchPane::DeleteSelected() {
    const int row = list_.SelectedRow();
    if (row >= 0 && list_.UserValue(row) != kPlaceholder) list_.DeleteRow(row);
}

int WatchPane::AddWatch(const std::wstring& expression) {
    int row = -1;
    for (int i = list_.RowCount() - 1; i >= 0 && row < 0; --i)
        if (list_.UserValue(i) == kPlaceholder) row = i;
    if (row < 0 || expression.empty()) return -1;
    list_.SetUserValue(row, kWatch);
    list_.SetText(row, kExpressionColumn, expression);
    AddPlaceholder();
    Evaluate(row);
    return row;
}

void WatchPane::RemoveSparePlaceholders() {
    int last = -1;
    for (int row = list_.RowCount() - 1; row >= 0; --row) {
        if (list_.UserValue(row) != kPlaceholder) continue;
        if (last < 0)
            last = row;
        else
            list_.DeleteRow(row);
    }
    if (last < 0) AddPlaceholder();
}

bool WatchPane::OnNotify(NMHDR* hdr, LRESULT* result) {
    if (hdr->idFrom != static_cast<UINT_PTR>(controlId_)) return false;
    switch (hdr->code) {
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey;
        if (key == VK_F2) EditSelected();
        if (key == VK_DELETE) DeleteSelected();
        break;
    }
    case NM_DBLCLK:
        EditSelected();
        break;
    case LVN_BEGINLABELEDITW: {
        auto* edit = reinterpret_cast<NMLVDISPINFOW*>(hdr);
        if (list_.UserValue(edit->item.iItem) == kPlaceholder) AddPlaceholder();
        break;
    }
    case LVN_ENDLABELEDITW: {
        auto* edit = reinterpret_cast<NMLVDISPINFOW*>(hdr);
        const int row = edit->item.iItem;
        const bool placeholder = list_.UserValue(row) == kPlaceholder;
        // Escape, or nothing typed: a watch keeps its expression, a placeholder goes.
        if (!edit->item.pszText || !edit->item.pszText[0]) {
            if (placeholder) ::PostMessageW(hwnd_, WM_PANE_DEFERRED, kTidyPlaceholders, 0);
            break;
        }
        list_.SetUserValue(row, kWatch);
        list_.SetText(row, kExpressionColumn, edit->item.pszText);
        Evaluate(row);
        *result = TRUE;
        return true;
    }
    }
    return false;
}

bool WatchPane::OnCommand(UINT id, UINT, HWND) {
    if (id == IDOK) {
        EditSelected();
        return true;
    }
    return false;
}

LRESULT WatchPane::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PANE_DEFERRED && wParam == kTidyPlaceholders) {
        RemoveSparePlaceholders();
        return TRUE;
    }
    return DebugPane::WindowProc(msg, wParam, lParam);
}

} // namespace debugger
