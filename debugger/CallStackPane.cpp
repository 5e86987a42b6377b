#include "debugger/CallStackPane.h"
#include "common/DebugOwners.h"
#include "common/ComObject.h"
#include "debugger/StackFrames.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"

namespace debugger {

CallStackPane::CallStackPane(host::ScriptHost& host) : DebugPane(host, IDC_CALLSTACK_LIST) {}

void CallStackPane::InitContent() {
    list_.Attach(control(), {{L"Location", 300, SortKind::Text}}, LVS_EX_FULLROWSELECT);
    images_ = ::ImageList_LoadImageW(FrameworkInstance(), L"IDB_STACKIMAGESLIST", 16, 0, RGB(255, 255, 255),
                                     IMAGE_BITMAP, LR_CREATEDIBSECTION);
    // The list control owns a state image list it is given and destroys it with itself.
    if (images_) ListView_SetImageList(control(), images_, LVSIL_STATE);
}

void CallStackPane::OnDestroy() {
    list_.Detach();
    DebugPane::OnDestroy();
}

void CallStackPane::Refresh() {
    list_.DeleteAll();
    if (!InBreakState()) return;
    ComPtr<IDebugApplicationThread> thread = ScriptThread(host_);
    ComPtr<IEnumDebugStackFrames> frames;
    if (!thread || FAILED(thread->EnumStackFrames(&frames)) || !frames) return;
    frames->Reset();
    const int selected = host_.selectedFrame();
    for (int index = 0;; ++index) {
        common::StackFrameDescriptor descriptor;
        ULONG fetched = 0;
        if (frames->Next(1, descriptor.put(), &fetched) != S_OK || fetched != 1) break;
        ComPtr<IDebugStackFrame> frame = descriptor.takeFrame();
        std::wstring name;
        int line = 0;
        // A frame the debug services cannot place ends the list.
        if (!FramePosition(frame.Get(), name, line)) break;
        const std::wstring text =
            FrameDescription(frame.Get()) + L" - " + name + L" (" + std::to_wstring(line + 1) + L")";
        int row = list_.AddRow({text}, index);
        if (row >= 0) ListView_SetItemState(control(), row, INDEXTOSTATEIMAGEMASK(index == selected ? 2 : 1),
                                            LVIS_STATEIMAGEMASK);
    }
    list_.SizeColumnsToFit();
}

int CallStackPane::MarkOf(int row) const {
    return static_cast<int>((ListView_GetItemState(control(), row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12);
}

void CallStackPane::MarkRows() {
    const int selected = host_.selectedFrame();
    for (int row = 0, count = list_.RowCount(); row < count; ++row)
        ListView_SetItemState(control(), row,
                              INDEXTOSTATEIMAGEMASK(static_cast<int>(list_.UserValue(row)) == selected ? 2 : 1),
                              LVIS_STATEIMAGEMASK);
}

bool CallStackPane::SelectFrame(int row) {
    if (row < 0 || row >= list_.RowCount() || !InBreakState()) return false;
    const int index = static_cast<int>(list_.UserValue(row));
    ComPtr<IDebugStackFrame> frame = FrameAt(ScriptThread(host_).Get(), index);
    std::wstring name;
    int line = 0;
    if (!FramePosition(frame.Get(), name, line)) return false;
    host_.selectFrame(index);
    MarkRows();
    if (onFrameSelected_) onFrameSelected_(name, line + 1);
    return true;
}

bool CallStackPane::OnNotify(NMHDR* hdr, LRESULT*) {
    if (hdr->idFrom == static_cast<UINT_PTR>(controlId_) && hdr->code == NM_DBLCLK) SelectFrame(list_.SelectedRow());
    return false;
}

} // namespace debugger
