#include "debugger/VariablesPane.h"
#include "common/DebugOwners.h"
#include "debugger/FrameEvaluation.h"
#include "debugger/StackFrames.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"
#include <vector>

namespace debugger {

namespace {
// Name, type, value, attributes and the property itself.
const DBGPROP_INFO_FLAGS kVariableFields =
    DBGPROP_INFO_NAME | DBGPROP_INFO_TYPE | DBGPROP_INFO_VALUE | DBGPROP_INFO_ATTRIBUTES | DBGPROP_INFO_DEBUGPROP;
}

VariablesPane::VariablesPane(host::ScriptHost& host) : DebugPane(host, IDC_VARIABLES_LIST) {}

void VariablesPane::InitContent() {
    // The value is the first column so that in-place editing edits it; it is shown second.
    list_.Attach(control(), {{L"Value", 150, SortKind::Text}, {L"Variable", 150, SortKind::Text}},
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, false);
    int order[2] = {kNameColumn, kValueColumn};
    ListView_SetColumnOrderArray(control(), 2, order);
}

void VariablesPane::OnDestroy() {
    list_.Detach();
    DebugPane::OnDestroy();
}

void VariablesPane::Refresh() {
    list_.DeleteAll();
    if (!InBreakState()) return;
    ComPtr<IDebugStackFrame> frame = FrameAt(ScriptThread(host_).Get(), host_.selectedFrame());
    ComPtr<IDebugProperty> property;
    if (!frame || FAILED(frame->GetDebugProperty(&property)) || !property) return;
    ComPtr<IEnumDebugPropertyInfo> members;
    if (FAILED(property->EnumMembers(kVariableFields, 10, IID_IEnumDebugPropertyInfo, &members)) || !members) return;
    members->Reset();
    ULONG count = 0;
    if (FAILED(members->GetCount(&count)) || count == 0) return;
    common::PropertyInfos infos(count);
    ULONG fetched = 0;
    members->Next(count, infos.put(), &fetched);
    ::SendMessageW(control(), WM_SETREDRAW, FALSE, 0);
    for (ULONG i = 0; i < fetched && i < count; ++i) list_.AddRow({infos.value(i), infos.name(i)}, 0);
    ::SendMessageW(control(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(control(), nullptr, TRUE);
}

void VariablesPane::EditSelected() {
    const int row = list_.SelectedRow();
    if (row < 0) return;
    ::SetFocus(control());
    ::SendMessageW(control(), LVM_EDITLABELW, row, 0);
}

bool VariablesPane::AssignValue(int row, const std::wstring& text) {
    if (row < 0 || row >= list_.RowCount()) return false;
    const std::wstring statement = list_.Text(row, kNameColumn) + L" = " + text;
    Evaluation evaluation = EvaluateInFrame(host_, statement, kAssignmentFlags, false);
    if (!evaluation.evaluated || evaluation.result != S_OK) return false;
    list_.SetText(row, kValueColumn, evaluation.text);
    return true;
}

bool VariablesPane::OnNotify(NMHDR* hdr, LRESULT*) {
    if (hdr->idFrom != static_cast<UINT_PTR>(controlId_)) return false;
    switch (hdr->code) {
    case LVN_KEYDOWN:
        if (reinterpret_cast<NMLVKEYDOWN*>(hdr)->wVKey == VK_F2) EditSelected();
        break;
    case NM_DBLCLK:
        EditSelected();
        break;
    case LVN_ENDLABELEDITW: {
        auto* edit = reinterpret_cast<NMLVDISPINFOW*>(hdr);
        // The edited text never becomes the label: the cell shows what the engine made of it.
        if (edit->item.pszText) AssignValue(edit->item.iItem, edit->item.pszText);
        break;
    }
    }
    return false;
}

bool VariablesPane::OnCommand(UINT id, UINT, HWND) {
    // Enter in the pane.
    if (id == IDOK) {
        EditSelected();
        return true;
    }
    return false;
}

} // namespace debugger
