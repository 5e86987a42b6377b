// The hook library inside a real target process, driven through its raw message protocol.
#include "tests/unit/hook/ControlsTarget.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using testing_hook::ControlsTarget;

namespace {

// The exported ids as a caller that loads the library by name sees them.
TEST(OstrelExports, MessageIdsAreRegisteredAndDistinct) {
    const std::wstring path = std::wstring(TEVRIN_DIST_DIR) + L"\\ostrel.dll";
    HMODULE module = ::LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr) << "cannot load " << ::GetLastError();

    std::set<UINT> ids;
    for (const char* name : {"g_nMsgAllocMem", "g_nMsgAllocShared", "g_nMsgFreeMem", "g_nMsgGetRichEditInterface",
                             "g_nMsgUnknownFromWndData", "g_nMsgSendMessage", "g_nMsgTerminate",
                             "g_nMsgMenuInfo", "g_nMsgTreeItems"}) {
        auto* id = reinterpret_cast<const UINT*>(::GetProcAddress(module, name));
        ASSERT_NE(id, nullptr) << name;
        EXPECT_GE(*id, 0xC000u) << name;  // registered window messages
        EXPECT_LE(*id, 0xFFFFu) << name;
        ids.insert(*id);
    }
    EXPECT_EQ(ids.size(), 9u);
    EXPECT_NE(::GetProcAddress(module, "CallWndProc"), nullptr);
    ::FreeLibrary(module);
}

class OstrelInTarget : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(target.ready()) << "controls.exe showed no dialog";
        ASSERT_TRUE(target.hook());
    }

    // Our process handle as the target knows it.
    HANDLE DuplicateSelf() {
        HANDLE dup = nullptr;
        EXPECT_TRUE(::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), target.process(), &dup, 0, TRUE,
                                      DUPLICATE_SAME_ACCESS));
        return dup;
    }
    // Closes a handle inside the target; false when it was not open there.
    bool CloseInTarget(HANDLE dup) {
        HANDLE local = nullptr;
        if (!::DuplicateHandle(target.process(), dup, ::GetCurrentProcess(), &local, 0, FALSE,
                               DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS))
            return false;
        ::CloseHandle(local);
        return true;
    }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        EXPECT_TRUE(::SendMessageTimeoutW(target.dialog(), message, wParam, lParam, SMTO_NORMAL, 10000, &result))
            << "the target did not answer";
        return static_cast<LRESULT>(result);
    }
    // Raw allocation: the address the hook wrote back (0 when it refused).
    ULONG_PTR Alloc(HANDLE dup, ULONG_PTR size) {
        ULONG_PTR address = 0;
        OstrelAllocRequest request{reinterpret_cast<ULONG_PTR>(&address), size};
        Send(g_nMsgAllocMem, reinterpret_cast<WPARAM>(dup), reinterpret_cast<LPARAM>(&request));
        return address;
    }
    MEMORY_BASIC_INFORMATION Query(ULONG_PTR address) {
        MEMORY_BASIC_INFORMATION info{};
        ::VirtualQueryEx(target.process(), reinterpret_cast<void*>(address), &info, sizeof info);
        return info;
    }
    void WriteTarget(ULONG_PTR address, const void* data, SIZE_T size) {
        SIZE_T done = 0;
        ASSERT_TRUE(::WriteProcessMemory(target.process(), reinterpret_cast<void*>(address), data, size, &done));
    }
    void ReadTarget(ULONG_PTR address, void* data, SIZE_T size) {
        SIZE_T done = 0;
        ASSERT_TRUE(::ReadProcessMemory(target.process(), reinterpret_cast<void*>(address), data, size, &done));
    }
    // Sends a request block through g_nMsgSendMessage and returns the block read back.
    OstrelRequest SendRequest(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool post = false) {
        HANDLE dup = DuplicateSelf();
        ULONG_PTR block = Alloc(dup, sizeof(OstrelRequest));
        EXPECT_NE(block, 0u);
        OstrelRequest request{reinterpret_cast<ULONG_PTR>(window), message, wParam, lParam, {0, 0, 0}};
        WriteTarget(block, &request, sizeof request);
        Send(g_nMsgSendMessage, post ? 1 : 0, static_cast<LPARAM>(block));
        ReadTarget(block, &request, sizeof request);
        Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(block));
        return request;
    }

    ControlsTarget target;
};

TEST_F(OstrelInTarget, AllocatedBlockIsUsableUntilFreedAndTheHandleIsClosed) {
    const int handlesBefore = target.handlesToUs();
    HANDLE dup = DuplicateSelf();
    ULONG_PTR block = Alloc(dup, 4096);
    ASSERT_NE(block, 0u);
    EXPECT_EQ(Query(block).State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(target.handlesToUs(), handlesBefore + 1);
    const char text[] = "written from outside";
    WriteTarget(block, text, sizeof text);
    char back[sizeof text] = {};
    ReadTarget(block, back, sizeof back);
    EXPECT_STREQ(back, text);

    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(block));
    EXPECT_EQ(Query(block).State, static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(target.handlesToUs(), handlesBefore) << "the duplicated handle stayed open in the target";
}

TEST_F(OstrelInTarget, SharedBlockIsOneMemoryForBothProcessesUntilFreed) {
    const int handlesBefore = target.handlesToUs();
    HANDLE dup = DuplicateSelf();
    OstrelSharedReply reply{};
    OstrelAllocRequest request{reinterpret_cast<ULONG_PTR>(&reply), 4096};
    Send(g_nMsgAllocShared, reinterpret_cast<WPARAM>(dup), reinterpret_cast<LPARAM>(&request));
    ASSERT_NE(reply.address, 0u);
    ASSERT_NE(reply.section, 0u);
    HANDLE section = reinterpret_cast<HANDLE>(reply.section);
    auto* view = static_cast<char*>(::MapViewOfFile(section, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 4096));
    ASSERT_NE(view, nullptr) << "the reply's handle is not ours to map";
    EXPECT_TRUE(::CloseHandle(section));
    EXPECT_EQ(target.handlesToUs(), handlesBefore + 1);

    const char here[] = "written here";
    std::memcpy(view + 4000, here, sizeof here);
    char there[sizeof here] = {};
    ReadTarget(reply.address + 4000, there, sizeof there);
    EXPECT_STREQ(there, here);
    const char back[] = "written there";
    WriteTarget(reply.address, back, sizeof back);
    EXPECT_STREQ(view, back);
    // The hook's requests work on the shared block as on any other.
    OstrelRequest send{reinterpret_cast<ULONG_PTR>(target.control(IDC_SINGLE_LIST)), LB_GETCOUNT, 0, 0, {0, 0, 0}};
    std::memcpy(view, &send, sizeof send);
    Send(g_nMsgSendMessage, 0, static_cast<LPARAM>(reply.address));
    std::memcpy(&send, view, sizeof send);
    EXPECT_EQ(send.unused[0], 1u);
    EXPECT_EQ(send.wParam, 5u);

    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(reply.address));
    EXPECT_EQ(Query(reply.address).State, static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(target.handlesToUs(), handlesBefore);
    ::UnmapViewOfFile(view);

    // Refused sizes give no block and leave the duplicated handle to the caller.
    for (ULONG_PTR size : {ULONG_PTR(0), kOstrelMaxBlockSize + 1}) {
        dup = DuplicateSelf();
        reply = OstrelSharedReply{};
        request.size = size;
        Send(g_nMsgAllocShared, reinterpret_cast<WPARAM>(dup), reinterpret_cast<LPARAM>(&request));
        EXPECT_EQ(reply.address, 0u) << size;
        EXPECT_TRUE(CloseInTarget(dup)) << size;
    }
    EXPECT_TRUE(target.alive());
}

TEST_F(OstrelInTarget, BadSizesAreRefusedAndTheTargetGoesOn) {
    for (ULONG_PTR size : {ULONG_PTR(0), kOstrelMaxBlockSize + 1, ~ULONG_PTR(0)}) {
        HANDLE dup = DuplicateSelf();
        EXPECT_EQ(Alloc(dup, size), 0u) << size;
        // A refused request leaves the duplicated handle to the caller.
        EXPECT_TRUE(CloseInTarget(dup)) << size;
    }
    HANDLE dup = DuplicateSelf();
    ULONG_PTR largest = Alloc(dup, kOstrelMaxBlockSize);
    EXPECT_NE(largest, 0u);
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(largest));
    EXPECT_TRUE(target.alive());
}

TEST_F(OstrelInTarget, HandlesItCannotUseAreLeftAlone) {
    // Not a handle at all, and a handle that is not a process.
    EXPECT_EQ(Alloc(reinterpret_cast<HANDLE>(0x7ff0), 64), 0u);
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE eventInTarget = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), event, target.process(), &eventInTarget, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(Alloc(eventInTarget, 64), 0u);
    // The event handle in the target is still open: closing it from here succeeds.
    EXPECT_TRUE(CloseInTarget(eventInTarget));
    ::CloseHandle(event);
    EXPECT_TRUE(target.alive());
}

TEST_F(OstrelInTarget, BadAddressesFailCleanly) {
    // Allocation request at an address that is not mapped in the caller.
    HANDLE dup = DuplicateSelf();
    Send(g_nMsgAllocMem, reinterpret_cast<WPARAM>(dup), 0x10);
    // Block address the hook writes to that is not mapped here.
    OstrelAllocRequest bad{0x10, 64};
    Send(g_nMsgAllocMem, reinterpret_cast<WPARAM>(dup), reinterpret_cast<LPARAM>(&bad));
    CloseInTarget(dup);

    // Request blocks and frees at addresses the hook never handed out.
    Send(g_nMsgSendMessage, 0, 0x10);
    Send(g_nMsgSendMessage, 0, reinterpret_cast<LPARAM>(target.dialog()));
    Send(g_nMsgFreeMem, 0, 0x10);
    Send(g_nMsgUnknownFromWndData, 0, 0x10);
    Send(g_nMsgGetRichEditInterface, 0, 0x10);
    // The image base of the target is mapped but not a block: a free must not unmap it.
    ULONG_PTR base = reinterpret_cast<ULONG_PTR>(::GetModuleHandleW(nullptr));
    Send(g_nMsgFreeMem, 0, static_cast<LPARAM>(base));
    EXPECT_TRUE(target.alive());

    // A block freed with a handle it did not come with stays.
    dup = DuplicateSelf();
    ULONG_PTR block = Alloc(dup, 64);
    ASSERT_NE(block, 0u);
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup) + 4, static_cast<LPARAM>(block));
    EXPECT_EQ(Query(block).State, static_cast<DWORD>(MEM_COMMIT));
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(block));
    EXPECT_EQ(Query(block).State, static_cast<DWORD>(MEM_FREE));
}

TEST_F(OstrelInTarget, SentMessageRunsInsideTheTargetAndReturnsItsResult) {
    HWND list = target.control(IDC_SINGLE_LIST);
    OstrelRequest back = SendRequest(list, LB_GETCOUNT, 0, 0);
    EXPECT_EQ(back.wParam, 5u);
    EXPECT_EQ(back.unused[0], 1u);

    // A pointer in the message is an address of the target: text placed in a block there.
    HANDLE dup = DuplicateSelf();
    ULONG_PTR text = Alloc(dup, 64);
    ASSERT_NE(text, 0u);
    const char fig[] = "fig";
    WriteTarget(text, fig, sizeof fig);
    back = SendRequest(list, LB_ADDSTRING, 0, static_cast<LPARAM>(text));
    EXPECT_EQ(back.wParam, 5u);  // the sorted-off list appends
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(text));
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 6);

    // A window of another process is refused: its pointers would mean nothing there.
    back = SendRequest(::GetDesktopWindow(), WM_NULL, 0, 0);
    EXPECT_EQ(back.unused[0], 0u);
}

TEST_F(OstrelInTarget, TreeItemsAreListedInOrderAndCountedBeyondTheRoom) {
    HWND tree = target.control(IDC_TREE);
    // The order a walk from outside gives: depth first, parents before their children.
    std::vector<ULONG_PTR> expected;
    std::vector<ULONG_PTR> pending;
    auto next = [&](UINT relation, ULONG_PTR item) {
        return static_cast<ULONG_PTR>(::SendMessageW(tree, TVM_GETNEXTITEM, relation, static_cast<LPARAM>(item)));
    };
    for (ULONG_PTR item = next(TVGN_ROOT, 0); item;) {
        expected.push_back(item);
        ULONG_PTR sibling = next(TVGN_NEXT, item), child = next(TVGN_CHILD, item);
        if (sibling) pending.push_back(sibling);
        if (child) {
            item = child;
        } else if (!pending.empty()) {
            item = pending.back();
            pending.pop_back();
        } else {
            item = 0;
        }
    }
    ASSERT_EQ(expected.size(), 6u);

    HANDLE dup = DuplicateSelf();
    const ULONG_PTR room = 16;
    ULONG_PTR slots = Alloc(dup, room * sizeof(ULONG_PTR));
    ASSERT_NE(slots, 0u);
    auto read = [&] {
        std::vector<ULONG_PTR> back(room);
        ReadTarget(slots, back.data(), room * sizeof(ULONG_PTR));
        return back;
    };
    OstrelRequest back = SendRequest(tree, g_nMsgTreeItems, room, static_cast<LPARAM>(slots));
    EXPECT_EQ(back.unused[0], 1u);
    EXPECT_EQ(back.wParam, 6u);
    std::vector<ULONG_PTR> listed = read();
    EXPECT_EQ(std::vector<ULONG_PTR>(listed.begin(), listed.begin() + 6), expected);

    // Less room: the count is still the tree's, and nothing is written past the room.
    const std::vector<ULONG_PTR> marks(room, 7);
    WriteTarget(slots, marks.data(), room * sizeof(ULONG_PTR));
    back = SendRequest(tree, g_nMsgTreeItems, 2, static_cast<LPARAM>(slots));
    EXPECT_EQ(back.wParam, 6u);
    listed = read();
    EXPECT_EQ(listed[0], expected[0]);
    EXPECT_EQ(listed[1], expected[1]);
    EXPECT_EQ(listed[2], 7u);

    // Room beyond the block, or slots outside any block: refused, nothing written.
    back = SendRequest(tree, g_nMsgTreeItems, room + 1, static_cast<LPARAM>(slots));
    EXPECT_EQ(back.unused[0], 0u);
    back = SendRequest(tree, g_nMsgTreeItems, 4, 0x10000);
    EXPECT_EQ(back.unused[0], 0u);
    EXPECT_EQ(read()[2], 7u);
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(slots));
}

TEST_F(OstrelInTarget, TwoHooksOnOneThreadCarryOutARequestOnce) {
    ASSERT_TRUE(target.hook());
    HWND list = target.control(IDC_MULTI_LIST);
    HANDLE dup = DuplicateSelf();
    ULONG_PTR text = Alloc(dup, 16);
    ASSERT_NE(text, 0u);
    WriteTarget(text, "seven", 6);
    SendRequest(list, LB_ADDSTRING, 0, static_cast<LPARAM>(text));
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(text));
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 7);
}

TEST_F(OstrelInTarget, PostedMessageArrivesAfterTheCallerFreedItsBlocks) {
    HWND list = target.control(IDC_SINGLE_LIST);
    HANDLE dup = DuplicateSelf();
    ULONG_PTR text = Alloc(dup, 16);
    ASSERT_NE(text, 0u);
    WriteTarget(text, "posted", 7);
    OstrelRequest back = SendRequest(list, LB_ADDSTRING, 0, static_cast<LPARAM>(text), true);
    EXPECT_EQ(back.unused[0], 1u);
    // Freed at once, as an operation does when it ends; the message is still to come.
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(text));

    const DWORD start = ::GetTickCount();
    while (::SendMessageW(list, LB_GETCOUNT, 0, 0) < 6 && ::GetTickCount() - start < 10000) ::Sleep(20);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 6);
    wchar_t item[32] = L"";
    ::SendMessageW(list, LB_GETTEXT, 5, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"posted");
    // Once delivered, the block is really given back.
    EXPECT_EQ(Query(text).State, static_cast<DWORD>(MEM_FREE));
}

TEST_F(OstrelInTarget, PostedClickOpensAModalDialogWithoutHoldingTheCaller) {
    HWND button = target.control(IDC_OPEN_MODAL);
    OstrelRequest back = SendRequest(button, BM_CLICK, 0, 0, true);
    EXPECT_EQ(back.unused[0], 1u);
    HWND modal = testing_hook::WaitForTitledWindow(target.processId(), L"Modal Dialog", 10000);
    ASSERT_NE(modal, nullptr);
    EXPECT_TRUE(target.waitForLog("modal open"));
    // While the dialog runs, the hook still serves requests, and blocks made meanwhile
    // are given back at once rather than piling up until the dialog ends.
    EXPECT_EQ(SendRequest(target.control(IDC_SINGLE_LIST), LB_GETCOUNT, 0, 0).wParam, 5u);
    HANDLE dup = DuplicateSelf();
    ULONG_PTR block = Alloc(dup, 64);
    ASSERT_NE(block, 0u);
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(block));
    EXPECT_EQ(Query(block).State, static_cast<DWORD>(MEM_FREE));
    ::PostMessageW(modal, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(target.waitForLog("modal closed"));
}

TEST_F(OstrelInTarget, TerminateEndsTheProcessOnlyWhenNotRebinding) {
    Send(g_nMsgTerminate, 1, 0);
    EXPECT_TRUE(target.alive());
    EXPECT_EQ(SendRequest(target.control(IDC_SINGLE_LIST), LB_GETCOUNT, 0, 0).wParam, 5u);

    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(target.dialog(), g_nMsgTerminate, 0, 0, SMTO_NORMAL, 10000, &ignored);
    ASSERT_EQ(::WaitForSingleObject(target.process(), 10000), WAIT_OBJECT_0);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(target.process(), &code);
    EXPECT_EQ(code, 0u);
}

TEST_F(OstrelInTarget, MenuQueriesAnswerWithTheMenuFunctionsResultsAndRefuseBadOnes) {
    HANDLE dup = DuplicateSelf();
    ULONG_PTR block = Alloc(dup, sizeof(OstrelRequest));
    ULONG_PTR text = Alloc(dup, 64);
    ASSERT_NE(block, 0u);
    ASSERT_NE(text, 0u);
    auto query = [&](ULONG_PTR menu, ULONG_PTR kind, ULONG_PTR position, ULONG_PTR textSize) {
        OstrelRequest request{menu, kind, position, static_cast<LONG_PTR>(text), {0, textSize, 0}};
        WriteTarget(block, &request, sizeof request);
        Send(g_nMsgMenuInfo, 0, static_cast<LPARAM>(block));
        ReadTarget(block, &request, sizeof request);
        return request;
    };
    // A handle that is no menu: the functions' own failures come back, marked as done.
    const ULONG_PTR bogus = 0x7FF0;
    OstrelRequest back = query(bogus, kOstrelMenuItemCount, 0, 0);
    EXPECT_EQ(back.unused[0], 1u);
    EXPECT_EQ(static_cast<LONG_PTR>(back.wParam), -1);
    back = query(bogus, kOstrelMenuSubMenu, 0, 0);
    EXPECT_EQ(back.unused[0], 1u);
    EXPECT_EQ(back.wParam, 0u);
    back = query(bogus, kOstrelMenuItemId, 0, 0);
    EXPECT_EQ(back.unused[0], 1u);
    EXPECT_EQ(back.wParam, static_cast<ULONG_PTR>(static_cast<UINT>(-1)));
    back = query(bogus, kOstrelMenuString, 0, 64);
    EXPECT_EQ(back.unused[0], 1u);
    EXPECT_EQ(back.wParam, 0u);
    // Unknown queries and text sizes out of bounds get no answer at all.
    EXPECT_EQ(query(bogus, 99, 0, 0).unused[0], 0u);
    EXPECT_EQ(query(bogus, kOstrelMenuString, 0, 0).unused[0], 0u);
    EXPECT_EQ(query(bogus, kOstrelMenuString, 0, kOstrelMaxBlockSize + 1).unused[0], 0u);
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(text));
    Send(g_nMsgFreeMem, reinterpret_cast<WPARAM>(dup), static_cast<LPARAM>(block));
    EXPECT_TRUE(target.alive());
}

TEST_F(OstrelInTarget, MessagesWithoutTheHookDoNothing) {
    target.unhook();
    HANDLE dup = DuplicateSelf();
    EXPECT_EQ(Alloc(dup, 64), 0u);
    CloseInTarget(dup);
    Send(g_nMsgTerminate, 0, 0);
    EXPECT_TRUE(target.alive());
}

} // namespace
