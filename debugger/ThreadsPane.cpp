#include "debugger/ThreadsPane.h"
#include "common/DebugOwners.h"
#include "common/ComObject.h"
#include "debugger/StackFrames.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"
#include "common/Bstr.h"
#include <commctrl.h>
#include <cwchar>

namespace debugger {

ThreadsPane::ThreadsPane(host::ScriptHost& host) : DebugPane(host, IDC_THREADS_LIST) {}

void ThreadsPane::InitContent() {
    list_.Attach(control(),
                 {{L"Thread ID", 80, SortKind::Numeric},
                  {L"Suspend", 80, SortKind::Numeric},
                  {L"Priority", 50, SortKind::Numeric},
                  {L"Location", 300, SortKind::Text}},
                 LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
}

void ThreadsPane::OnDestroy() {
    list_.Detach();
    DebugPane::OnDestroy();
}

bool ThreadsPane::OnNotify(NMHDR* hdr, LRESULT*) {
    if (hdr->idFrom == static_cast<UINT_PTR>(controlId_) && hdr->code == LVN_COLUMNCLICK)
        list_.OnColumnClick(reinterpret_cast<NMLISTVIEW*>(hdr)->iSubItem);
    return false;
}

void ThreadsPane::Refresh() {
    list_.DeleteAll();
    if (!InBreakState()) return;
    std::shared_ptr<host::RunContext> run = host_.currentRun();
    ComPtr<IDebugApplication> application = run ? run->application() : nullptr;
    ComPtr<IEnumRemoteDebugApplicationThreads> threads;
    if (!application || FAILED(application->EnumThreads(&threads)) || !threads) return;
    ::SendMessageW(control(), WM_SETREDRAW, FALSE, 0);
    threads->Reset();
    for (;;) {
        ComPtr<IRemoteDebugApplicationThread> thread;
        ULONG fetched = 0;
        if (threads->Next(1, &thread, &fetched) != S_OK || fetched != 1 || !thread) break;
        DWORD id = 0, state = 0, suspended = 0;
        thread->GetSystemThreadId(&id);
        // The state is read but not shown: the columns have no place for it.
        thread->GetState(&state);
        thread->GetSuspendCount(&suspended);
        std::wstring location;
        ComPtr<IEnumDebugStackFrames> frames;
        if (SUCCEEDED(thread->EnumStackFrames(&frames)) && frames) {
            common::StackFrameDescriptor top;
            ULONG got = 0;
            if (frames->Next(1, top.put(), &got) == S_OK && got == 1) location = FrameDescription(top.frame());
        }
        wchar_t idText[16], suspendText[16];
        std::swprintf(idText, 16, L"0x%08X", static_cast<unsigned>(id));
        std::swprintf(suspendText, 16, L"%d", static_cast<int>(suspended));
        // No priority is read for a debug application thread.
        list_.AddRow({idText, suspendText, L"0", location}, static_cast<LPARAM>(id));
    }
    ::SendMessageW(control(), WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(control(), nullptr, TRUE);
}

} // namespace debugger
