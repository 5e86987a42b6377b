#pragma once
#include <windows.h>

// Interface of the hook library that runs inside the application under test.
// The message ids are registered when the library loads, in every process that loads it.
#ifdef OSTREL_BUILD
#define OSTREL_API extern "C" __declspec(dllexport)
#else
#define OSTREL_API extern "C" __declspec(dllimport)
#endif

OSTREL_API UINT g_nMsgAllocMem;
// Like g_nMsgAllocMem, but the block is memory shared with the caller: the hook writes an
// OstrelSharedReply at the request's variable, whose section the caller maps (and then
// closes) to reach the block without Read/WriteProcessMemory. Freed by g_nMsgFreeMem.
OSTREL_API UINT g_nMsgAllocShared;
OSTREL_API UINT g_nMsgFreeMem;
OSTREL_API UINT g_nMsgGetRichEditInterface;
OSTREL_API UINT g_nMsgUnknownFromWndData;
OSTREL_API UINT g_nMsgSendMessage;
OSTREL_API UINT g_nMsgTerminate;
// Reads a menu of the target: menus of another process cannot be read with the menu
// functions on every system. lParam: a request block whose window field is the menu,
// message field the query below and wParam field the item position; out: wParam the
// answer as the menu function gives it (also for a handle that is not a menu). The
// text query writes the item's ANSI text, zero-terminated, into the block whose address
// is in lParam, of unused[1] bytes.
OSTREL_API UINT g_nMsgMenuInfo;
// Not a request of its own but a message id for g_nMsgSendMessage: the hook lists the
// item handles of the tree view in the request's window field, depth first and parents
// before their children, walking the tree from inside its process (one request where a
// walk from outside costs two messages an item). In: wParam the room for handles, lParam
// the address (inside a block) of that many ULONG_PTR slots. Out: wParam the number of
// items the tree has, also when it is more than the room (ask again with more room).
// The walk is bounded by the tree's item count, so a tree changing meanwhile cannot hold
// the hook.
OSTREL_API UINT g_nMsgTreeItems;

// How many tree view item deletions the hook has seen so far, in any process where it
// runs (the count lives in memory shared by every process that loads the library, the
// caller's too). A caller that keeps item handles forgets them when it changes: the
// control trusts a handle it is given, and a deleted item's handle brings it down.
OSTREL_API LONG WINAPI OstrelTreeItemDeletions();

// WH_CALLWNDPROC hook procedure; take its address through this declaration or
// GetProcAddress, never through a plain extern (that would be the import thunk).
OSTREL_API LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam);

// Recording: while a recorder is registered, two process-wide hooks of this library
// (message retrieval and sent messages) watch what the tester does in every other
// process and report each action to the recorder's window with WM_COPYDATA, dwData
// kOstrelRecordTag, the data a list of UTF-16 strings "key", "value", "key", "value"...,
// each zero-terminated. The hooks only look; they never change, drop or delay a message
// of the application beyond the short report. The reporting process itself is skipped.
// Returns false when the hooks cannot be installed (or a recording is already running).
OSTREL_API BOOL WINAPI OstrelStartRecording(HWND sink);
OSTREL_API void WINAPI OstrelStopRecording();
OSTREL_API LRESULT CALLBACK RecordCallWndProc(int code, WPARAM wParam, LPARAM lParam);
OSTREL_API LRESULT CALLBACK RecordGetMsgProc(int code, WPARAM wParam, LPARAM lParam);
const ULONG_PTR kOstrelRecordTag = 0x52435254;

// Request block of g_nMsgSendMessage, g_nMsgUnknownFromWndData and
// g_nMsgGetRichEditInterface; it lives in a block allocated through g_nMsgAllocMem.
// Handles and addresses travel in it, so every field is pointer-sized
// (28 bytes in a 32-bit build, 56 in a 64-bit one).
struct OstrelRequest {
    ULONG_PTR window;   // the window the message is for
    ULONG_PTR message;  // 0 for interface requests
    ULONG_PTR wParam;   // interface requests: the window whose interface is wanted;
                        // out: the message's result, or non-zero for success
    LONG_PTR lParam;    // interface requests: address of the transfer buffer in the target
    ULONG_PTR unused[3];
};
static_assert(sizeof(OstrelRequest) == 7 * sizeof(void*), "request block layout");

// Queries of g_nMsgMenuInfo (by position).
enum OstrelMenuQuery : ULONG_PTR {
    kOstrelMenuItemCount = 1,  // GetMenuItemCount
    kOstrelMenuSubMenu = 2,    // GetSubMenu
    kOstrelMenuItemId = 3,     // GetMenuItemID
    kOstrelMenuString = 4,     // GetMenuStringA
};

// What lParam of g_nMsgAllocMem points to, in the caller's process.
struct OstrelAllocRequest {
    ULONG_PTR variable;  // address in the caller of a ULONG_PTR that receives the block address
    ULONG_PTR size;      // bytes wanted
};

// What g_nMsgAllocShared writes back: the block's address in the target, and a handle
// of the caller's process to the memory behind it.
struct OstrelSharedReply {
    ULONG_PTR address;
    ULONG_PTR section;
};

// A request beyond this is refused: nobody needs more, and the target must not be
// exhausted by a faulty caller.
const ULONG_PTR kOstrelMaxBlockSize = 1024 * 1024;
const ULONG_PTR kOstrelMaxBlocks = 4096;
// Size of the buffer that receives a marshalled interface.
const ULONG_PTR kOstrelTransferSize = 32768;
