#include "debugger/BreakpointsPane.h"
#include "debugger/BreakpointPlacement.h"
#include "resources/panes/panesids.h"
#include "common/TextConv.h"

namespace debugger {

using Microsoft::WRL::ComPtr;

namespace {

// Places a breakpoint's new state on the engine's code while a script runs.
void SetStateOnCode(host::ScriptHost& host, const host::BreakpointRecord& record, BREAKPOINT_STATE state) {
    std::shared_ptr<host::RunContext> run = host.running() ? host.currentRun() : nullptr;
    if (!run) return;
    Placement placement = PlaceOnCode(*run, record);
    if (placement.code) placement.code->SetBreakPoint(state);
}

const WPARAM kRefreshViews = 1;

} // namespace

BreakpointsPane::BreakpointsPane(host::ScriptHost& host) : DebugPane(host, IDC_BREAKPOINTS_LIST) {}

void BreakpointsPane::InitContent() {
    list_.Attach(control(), {{L"Line", 50, SortKind::Numeric}, {L"File", 300, SortKind::Text}},
                 LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP | LVS_EX_CHECKBOXES);
}

void BreakpointsPane::OnDestroy() {
    list_.Detach();
    DebugPane::OnDestroy();
}

void BreakpointsPane::Refresh() {
    filling_ = true;
    list_.DeleteAll();
    shown_ = host_.breakpoints();
    for (size_t i = 0; i < shown_.size(); ++i) {
        const host::BreakpointRecord& record = shown_[i];
        int row = list_.AddRow({std::to_wstring(record.line + 1), common::AnsiToWide(record.file)},
                               static_cast<LPARAM>(i));
        if (row >= 0)
            ListView_SetItemState(control(), row, INDEXTOSTATEIMAGEMASK(record.enabled ? 2 : 1), LVIS_STATEIMAGEMASK);
    }
    filling_ = false;
}

bool BreakpointsPane::IsChecked(int row) const {
    return ((ListView_GetItemState(control(), row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

bool BreakpointsPane::RecordOf(int row, host::BreakpointRecord& record) const {
    if (row < 0 || row >= list_.RowCount()) return false;
    const size_t index = static_cast<size_t>(list_.UserValue(row));
    if (index >= shown_.size()) return false;
    const host::BreakpointRecord& shown = shown_[index];
    for (const host::BreakpointRecord& live : host_.breakpoints()) {
        if (live.line == shown.line && live.file == shown.file) {
            record = live;
            return true;
        }
    }
    return false;
}

void BreakpointsPane::OnCheckChanged(int row, bool enabled) {
    host::BreakpointRecord record;
    if (!RecordOf(row, record)) return;
    host_.EditBreakpoints([&](std::vector<host::BreakpointRecord>& list) {
        for (host::BreakpointRecord& live : list)
            if (live.line == record.line && live.file == record.file) live.enabled = enabled;
    });
    shown_[static_cast<size_t>(list_.UserValue(row))].enabled = enabled;
    SetStateOnCode(host_, record, enabled ? BREAKPOINT_ENABLED : BREAKPOINT_DISABLED);
    RefreshViewsLater();
}

void BreakpointsPane::DeleteSelected() {
    const int row = list_.SelectedRow();
    host::BreakpointRecord record;
    if (row < 0 || !RecordOf(row, record)) return;
    host_.ToggleBreakpoint(record);
    list_.DeleteRow(row);
    RefreshViewsLater();
}

void BreakpointsPane::ShowRow(int row) {
    host::BreakpointRecord record;
    if (!RecordOf(row, record)) return;
    if (host::HostApplication* application = host_.application())
        application->ShowPosition(record.file, record.line + 1, false);
}

void BreakpointsPane::RefreshViewsLater() { ::PostMessageW(hwnd_, WM_PANE_DEFERRED, kRefreshViews, 0); }

bool BreakpointsPane::OnNotify(NMHDR* hdr, LRESULT*) {
    if (hdr->idFrom != static_cast<UINT_PTR>(controlId_)) return false;
    switch (hdr->code) {
    case LVN_COLUMNCLICK:
        list_.OnColumnClick(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem);
        break;
    case LVN_ITEMCHANGED: {
        auto* change = reinterpret_cast<NMLISTVIEW*>(hdr);
        if (filling_ || change->iItem < 0 || !(change->uChanged & LVIF_STATE)) break;
        const UINT before = (change->uOldState & LVIS_STATEIMAGEMASK) >> 12;
        const UINT after = (change->uNewState & LVIS_STATEIMAGEMASK) >> 12;
        if (before != 0 && after != 0 && before != after) OnCheckChanged(change->iItem, after == 2);
        break;
    }
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey == VK_DELETE) DeleteSelected();
        break;
    case NM_DBLCLK:
        ShowRow(list_.SelectedRow());
        break;
    }
    return false;
}

LRESULT BreakpointsPane::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PANE_DEFERRED && wParam == kRefreshViews) {
        // The application's refresh rebuilds this pane too.
        if (host::HostApplication* application = host_.application()) {
            if (!host_.consoleMode()) application->RefreshBreakpointViews();
        }
        return TRUE;
    }
    return DebugPane::WindowProc(msg, wParam, lParam);
}

} // namespace debugger
