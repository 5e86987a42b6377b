// The hook procedure that runs inside the application under test and carries out the
// requests of wrappers.dll there. Everything here runs on someone else's thread: a
// request that cannot be honoured is dropped without touching the application, sizes
// and addresses are checked against the blocks this library handed out, and nothing
// waits without a limit.
#define OSTREL_BUILD
#include "ostrel.h"
#include "TreeWalk.h"

#include <objbase.h>
#include <oleacc.h>
#include <richedit.h>
#include <richole.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

UINT g_nMsgAllocMem = 0;
UINT g_nMsgAllocShared = 0;
UINT g_nMsgFreeMem = 0;
UINT g_nMsgGetRichEditInterface = 0;
UINT g_nMsgUnknownFromWndData = 0;
UINT g_nMsgSendMessage = 0;
UINT g_nMsgTerminate = 0;
UINT g_nMsgMenuInfo = 0;
UINT g_nMsgTreeItems = 0;

namespace {

// ITextDocument, spelled out so that the library needs no GUID library of its own.
const IID kIidTextDocument = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

// A message sent inside the target may run a while (a control filling a buffer); past
// this it counts as failed rather than holding the caller forever.
const UINT kInnerSendTimeout = 60000;
const UINT kHtmlObjectTimeout = 5000;

UINT g_nMsgHtmlGetObject = 0;

struct Block {
    ULONG_PTR address;
    ULONG_PTR size;
    HANDLE caller;  // the caller's process handle duplicated into this process; ours to close
    ULONG_PTR serial;  // order of allocation
    bool shared;       // a view of memory shared with the caller, not a VirtualAlloc block
};

struct DeferredMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// State shared by every hooked thread of this process.
CRITICAL_SECTION g_lock;
std::vector<Block>* g_blocks = nullptr;
// Posted messages not yet delivered, oldest first: while any is pending, freed blocks
// stay mapped, because the message may point into them. Each has a timer; whichever
// timer fires delivers the oldest message, so they arrive in the order they were posted.
std::deque<DeferredMessage>* g_deferred = nullptr;
std::vector<Block>* g_deferredFrees = nullptr;
// Messages taken from the queue but still being handled (one may run a modal dialog).
int g_delivering = 0;
ULONG_PTR g_lastSerial = 0;
// Blocks up to this serial existed when the newest pending message was posted; only
// they can be in use by one. Later blocks are freed at once even while a posted
// message runs a long modal dialog.
ULONG_PTR g_guardSerial = 0;

class Lock {
public:
    Lock() { ::EnterCriticalSection(&g_lock); }
    ~Lock() { ::LeaveCriticalSection(&g_lock); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

void RegisterMessages() {
    g_nMsgAllocMem = ::RegisterWindowMessageA("Tevrin.Ostrel.AllocMem");
    g_nMsgAllocShared = ::RegisterWindowMessageA("Tevrin.Ostrel.AllocShared");
    g_nMsgFreeMem = ::RegisterWindowMessageA("Tevrin.Ostrel.FreeMem");
    g_nMsgGetRichEditInterface = ::RegisterWindowMessageA("Tevrin.Ostrel.GetRichEditInterface");
    g_nMsgUnknownFromWndData = ::RegisterWindowMessageA("Tevrin.Ostrel.UnknownFromWndData");
    g_nMsgSendMessage = ::RegisterWindowMessageA("Tevrin.Ostrel.SendMessage");
    g_nMsgTerminate = ::RegisterWindowMessageA("Tevrin.Ostrel.Terminate");
    g_nMsgMenuInfo = ::RegisterWindowMessageA("Tevrin.Ostrel.MenuInfo");
    g_nMsgTreeItems = ::RegisterWindowMessageA("Tevrin.Ostrel.TreeItems");
    g_nMsgHtmlGetObject = ::RegisterWindowMessageA("WM_HTML_GETOBJECT");
}

// True when [address, address + size) lies inside one block of ours. Caller holds the lock.
bool InsideBlock(ULONG_PTR address, ULONG_PTR size) {
    for (const Block& b : *g_blocks) {
        if (address >= b.address && address - b.address <= b.size && size <= b.size - (address - b.address))
            return true;
    }
    return false;
}

// Reads and writes of our own blocks are plain copies made under the lock: a block is
// only freed under it too, so one that is checked is there until the copy is done.
bool ReadOwn(ULONG_PTR address, void* data, SIZE_T size) {
    Lock lock;
    if (!InsideBlock(address, size)) return false;
    std::memcpy(data, reinterpret_cast<const void*>(address), size);
    return true;
}

bool WriteOwn(ULONG_PTR address, const void* data, SIZE_T size) {
    Lock lock;
    if (!InsideBlock(address, size)) return false;
    std::memcpy(reinterpret_cast<void*>(address), data, size);
    return true;
}

bool IsOwnWindow(HWND window) {
    DWORD pid = 0;
    return window && ::IsWindow(window) && ::GetWindowThreadProcessId(window, &pid) &&
           pid == ::GetCurrentProcessId();
}

// Gives a block's memory back to the system.
void Release(const Block& block) {
    if (block.shared)
        ::UnmapViewOfFile(reinterpret_cast<void*>(block.address));
    else
        ::VirtualFree(reinterpret_cast<void*>(block.address), 0, MEM_RELEASE);
}

// The allocation request a caller left at lParam, read with its process handle; false
// when the handle or the request is unusable.
bool ReadAllocRequest(HANDLE caller, LPARAM lParam, OstrelAllocRequest* request) {
    // Only a process handle is any use; anything else is left alone.
    if (!caller || ::GetProcessId(caller) == 0) return false;
    SIZE_T done = 0;
    if (!::ReadProcessMemory(caller, reinterpret_cast<void*>(lParam), request, sizeof *request, &done) ||
        done != sizeof *request)
        return false;
    return request->size != 0 && request->size <= kOstrelMaxBlockSize;
}

bool WriteToCaller(HANDLE caller, ULONG_PTR address, const void* data, SIZE_T size) {
    SIZE_T done = 0;
    return ::WriteProcessMemory(caller, reinterpret_cast<void*>(address), data, size, &done) && done == size;
}

void OnAllocMem(WPARAM wParam, LPARAM lParam) {
    HANDLE caller = reinterpret_cast<HANDLE>(wParam);
    OstrelAllocRequest request{};
    if (!ReadAllocRequest(caller, lParam, &request)) return;

    Lock lock;
    if (g_blocks->size() >= kOstrelMaxBlocks) return;
    void* block = ::VirtualAlloc(nullptr, request.size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!block) return;
    ULONG_PTR address = reinterpret_cast<ULONG_PTR>(block);
    if (!WriteToCaller(caller, request.variable, &address, sizeof address)) {
        ::VirtualFree(block, 0, MEM_RELEASE);
        return;
    }
    // From here the duplicated handle is ours; it is closed when the block is freed.
    g_blocks->push_back(Block{address, request.size, caller, ++g_lastSerial, false});
}

void OnAllocShared(WPARAM wParam, LPARAM lParam) {
    HANDLE caller = reinterpret_cast<HANDLE>(wParam);
    OstrelAllocRequest request{};
    if (!ReadAllocRequest(caller, lParam, &request)) return;

    Lock lock;
    if (g_blocks->size() >= kOstrelMaxBlocks) return;
    // The view keeps the memory alive; our handle to it is not needed past this call.
    HANDLE section = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          static_cast<DWORD>(request.size), nullptr);
    if (!section) return;
    void* view = ::MapViewOfFile(section, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, request.size);
    HANDLE callerSection = nullptr;
    const bool handed = view && ::DuplicateHandle(::GetCurrentProcess(), section, caller, &callerSection, 0, FALSE,
                                                  DUPLICATE_SAME_ACCESS);
    ::CloseHandle(section);
    if (!handed) {
        if (view) ::UnmapViewOfFile(view);
        return;
    }
    const OstrelSharedReply reply{reinterpret_cast<ULONG_PTR>(view), reinterpret_cast<ULONG_PTR>(callerSection)};
    if (!WriteToCaller(caller, request.variable, &reply, sizeof reply)) {
        // The caller never learns of its handle: close it there.
        ::DuplicateHandle(caller, callerSection, nullptr, nullptr, 0, FALSE, DUPLICATE_CLOSE_SOURCE);
        ::UnmapViewOfFile(view);
        return;
    }
    g_blocks->push_back(Block{reply.address, request.size, caller, ++g_lastSerial, true});
}

void OnFreeMem(WPARAM wParam, LPARAM lParam) {
    Lock lock;
    auto it = std::find_if(g_blocks->begin(), g_blocks->end(),
                           [&](const Block& b) { return b.address == static_cast<ULONG_PTR>(lParam); });
    // A block we did not hand out, or a handle that is not the one it came with: not ours to touch.
    if (it == g_blocks->end() || it->caller != reinterpret_cast<HANDLE>(wParam)) return;
    ::CloseHandle(it->caller);
    const bool mayBeInUse = !(g_deferred->empty() && g_delivering == 0) && it->serial <= g_guardSerial;
    if (!mayBeInUse)
        Release(*it);
    else
        g_deferredFrees->push_back(*it);
    g_blocks->erase(it);
}


void CALLBACK DeliverDeferred(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    DeferredMessage message{};
    {
        Lock lock;
        if (g_deferred->empty()) return;
        message = g_deferred->front();
        g_deferred->pop_front();
        ++g_delivering;
    }
    if (::IsWindow(message.window)) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(message.window, message.message, message.wParam, message.lParam, SMTO_NORMAL,
                              kInnerSendTimeout, &ignored);
    }
    Lock lock;
    --g_delivering;
    if (g_deferred->empty() && g_delivering == 0) {
        for (const Block& block : *g_deferredFrees) Release(block);
        g_deferredFrees->clear();
        g_guardSerial = 0;
    }
}

// The timer callback is our code: keep the library loaded even if every hook goes.
void PinLibrary() {
    static bool pinned = false;
    if (pinned) return;
    HMODULE self = nullptr;
    pinned = ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                  reinterpret_cast<LPCWSTR>(&PinLibrary), &self) != FALSE;
}

// Lists a tree's items for a g_nMsgTreeItems request (see ostrel.h); false when the
// tree did not answer in time.
bool ListTreeItems(HWND tree, OstrelRequest& request) {
    // On the tree's own thread its window procedure is called directly: a sent message
    // passes through every message hook of the thread (this library's among them), which
    // costs far more than the tree's answer, three times an item. These messages only read.
    WNDPROC proc = nullptr;
    if (::GetWindowThreadProcessId(tree, nullptr) == ::GetCurrentThreadId())
        proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(tree, GWLP_WNDPROC));
    auto send = [&](UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
        if (proc) {
            *result = static_cast<DWORD_PTR>(::CallWindowProcA(proc, tree, message, wParam, lParam));
            return true;
        }
        return ::SendMessageTimeoutA(tree, message, wParam, lParam, SMTO_NORMAL, kInnerSendTimeout, result) != 0;
    };
    auto next = [&](UINT relation, ULONG_PTR item, ULONG_PTR* found) {
        DWORD_PTR result = 0;
        if (!send(TVM_GETNEXTITEM, relation, static_cast<LPARAM>(item), &result)) return false;
        *found = result;
        return true;
    };
    DWORD_PTR count = 0;
    if (!send(TVM_GETCOUNT, 0, 0, &count)) return false;
    const ULONG_PTR room = request.wParam;
    const ULONG_PTR slots = static_cast<ULONG_PTR>(request.lParam);
    {
        Lock lock;
        if (room > kOstrelMaxBlockSize / sizeof(ULONG_PTR) || !InsideBlock(slots, room * sizeof(ULONG_PTR)))
            return false;
    }
    std::vector<ULONG_PTR> handles;
    ULONG_PTR root = 0;
    if (!next(TVGN_ROOT, 0, &root)) return false;
    // Bounded by the count (one item more shows that the tree grew meanwhile), so that a
    // tree changing under the walk cannot hold the application.
    const bool walked = ostrel::WalkTreeItems(root, next, [&](ULONG_PTR item) {
        handles.push_back(item);
        return handles.size() > count;
    });
    if (!walked) return false;
    const ULONG_PTR written = std::min<ULONG_PTR>(room, handles.size());
    if (written && !WriteOwn(slots, handles.data(), written * sizeof(ULONG_PTR))) return false;
    request.wParam = handles.size();
    return true;
}

void OnSendMessage(WPARAM wParam, LPARAM lParam) {
    const ULONG_PTR address = static_cast<ULONG_PTR>(lParam);
    OstrelRequest request{};
    if (!ReadOwn(address, &request, sizeof request)) return;
    HWND window = reinterpret_cast<HWND>(request.window);
    if (!IsOwnWindow(window)) return;

    if (wParam == 1) {
        // Posted: delivered from this thread's message loop once the caller has gone on;
        // a message that opens a modal dialog runs its dialog there.
        Lock lock;
        PinLibrary();
        if (!::SetTimer(nullptr, 0, 0, DeliverDeferred)) return;
        g_guardSerial = g_lastSerial;
        g_deferred->push_back(DeferredMessage{window, static_cast<UINT>(request.message),
                                              static_cast<WPARAM>(request.wParam),
                                              static_cast<LPARAM>(request.lParam)});
        request.unused[0] = 1;
        WriteOwn(address, &request, sizeof request);
        return;
    }
    if (wParam != 0) return;
    if (request.message == g_nMsgTreeItems) {
        if (!ListTreeItems(window, request)) return;
        request.unused[0] = 1;
        WriteOwn(address, &request, sizeof request);
        return;
    }
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, static_cast<UINT>(request.message), static_cast<WPARAM>(request.wParam),
                               static_cast<LPARAM>(request.lParam), SMTO_NORMAL, kInnerSendTimeout, &result))
        return;
    request.wParam = result;
    request.unused[0] = 1;  // carried out: lets the caller tell a zero result from no hook
    WriteOwn(address, &request, sizeof request);
}

// Marshals object into the transfer buffer named by the request; true on success.
bool MarshalInto(IUnknown* object, ULONG_PTR transfer) {
    // The thread must be in an apartment for the stub to live; a GUI thread that never
    // initialised COM becomes single-threaded, as an OLE application would be.
    HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)init;  // S_FALSE or RPC_E_CHANGED_MODE: already in an apartment

    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return false;
    bool ok = false;
    if (SUCCEEDED(::CoMarshalInterface(stream, IID_IUnknown, object, MSHCTX_LOCAL, nullptr, MSHLFLAGS_NORMAL))) {
        HGLOBAL memory = nullptr;
        STATSTG stat{};
        if (SUCCEEDED(::GetHGlobalFromStream(stream, &memory)) && SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
            stat.cbSize.QuadPart <= kOstrelTransferSize) {
            const SIZE_T size = static_cast<SIZE_T>(stat.cbSize.QuadPart);
            void* data = ::GlobalLock(memory);
            ok = data && WriteOwn(transfer, data, size);
            if (data) ::GlobalUnlock(memory);
        }
        if (!ok) {
            // Nobody will unmarshal it: release the reference the marshalling took.
            LARGE_INTEGER start{};
            stream->Seek(start, STREAM_SEEK_SET, nullptr);
            ::CoReleaseMarshalData(stream);
        }
    }
    stream->Release();
    return ok;
}

IUnknown* RichEditDocument(HWND window) {
    IRichEditOle* ole = nullptr;
    DWORD_PTR ok = 0;
    if (!::SendMessageTimeoutA(window, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole), SMTO_NORMAL,
                               kInnerSendTimeout, &ok) ||
        !ok || !ole)
        return nullptr;
    IUnknown* document = nullptr;
    if (FAILED(ole->QueryInterface(kIidTextDocument, reinterpret_cast<void**>(&document)))) document = nullptr;
    ole->Release();
    return document;
}

// A window's data object is what it hands out for WM_HTML_GETOBJECT, the way browser
// windows publish their document.
IUnknown* WindowDataObject(HWND window) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, g_nMsgHtmlGetObject, 0, 0, SMTO_ABORTIFHUNG, kHtmlObjectTimeout, &result) ||
        !result)
        return nullptr;
    IUnknown* object = nullptr;
    if (FAILED(::ObjectFromLresult(result, IID_IUnknown, 0, reinterpret_cast<void**>(&object)))) return nullptr;
    return object;
}

void OnInterfaceRequest(LPARAM lParam, IUnknown* (*obtain)(HWND)) {
    const ULONG_PTR address = static_cast<ULONG_PTR>(lParam);
    OstrelRequest request{};
    if (!ReadOwn(address, &request, sizeof request)) return;
    HWND window = reinterpret_cast<HWND>(request.wParam);
    const ULONG_PTR transfer = static_cast<ULONG_PTR>(request.lParam);
    {
        Lock lock;
        if (!InsideBlock(transfer, kOstrelTransferSize)) return;
    }
    request.wParam = 0;
    if (IsOwnWindow(window)) {
        if (IUnknown* object = obtain(window)) {
            if (MarshalInto(object, transfer)) request.wParam = 1;
            object->Release();
        }
    }
    request.unused[0] = 1;
    WriteOwn(address, &request, sizeof request);
}

void OnMenuInfo(LPARAM lParam) {
    const ULONG_PTR address = static_cast<ULONG_PTR>(lParam);
    OstrelRequest request{};
    if (!ReadOwn(address, &request, sizeof request)) return;
    // The menu functions check the handle themselves; a stale one gives their failure.
    HMENU menu = reinterpret_cast<HMENU>(request.window);
    const int position = static_cast<int>(request.wParam);
    switch (request.message) {
    case kOstrelMenuItemCount:
        request.wParam = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(::GetMenuItemCount(menu)));
        break;
    case kOstrelMenuSubMenu:
        request.wParam = reinterpret_cast<ULONG_PTR>(::GetSubMenu(menu, position));
        break;
    case kOstrelMenuItemId:
        request.wParam = ::GetMenuItemID(menu, position);
        break;
    case kOstrelMenuString: {
        const ULONG_PTR size = request.unused[1];
        if (size == 0 || size > kOstrelMaxBlockSize) return;
        std::vector<char> text(size, '\0');
        const int length = ::GetMenuStringA(menu, static_cast<UINT>(position), text.data(), static_cast<int>(size),
                                            MF_BYPOSITION);
        text[size - 1] = '\0';
        if (!WriteOwn(static_cast<ULONG_PTR>(request.lParam), text.data(), size)) return;
        request.wParam = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(length));
        break;
    }
    default:
        return;
    }
    request.unused[0] = 1;
    WriteOwn(address, &request, sizeof request);
}

void OnTerminate(WPARAM wParam) {
    // wParam 1 comes when a wrapper moves to another window: the application goes on.
    if (wParam != 0) return;
    // Ends at once, without running the application's shut-down code, which might wait
    // for a user who is not there.
    ::TerminateProcess(::GetCurrentProcess(), 0);
}

bool IsRequest(UINT message) {
    return message != 0 && (message == g_nMsgAllocMem || message == g_nMsgAllocShared || message == g_nMsgFreeMem ||
                            message == g_nMsgSendMessage || message == g_nMsgUnknownFromWndData ||
                            message == g_nMsgGetRichEditInterface || message == g_nMsgTerminate ||
                            message == g_nMsgMenuInfo);
}

} // namespace

namespace {

// Shared by every process that loads the library (a shared section of the image).
volatile LONG g_treeItemDeletions __attribute__((section(".ostrshr"), shared)) = 0;

// Counts what deletes tree items: the delete message itself, and the notification a tree
// sends its parent for every item it deletes (an item that goes with its parent, or a
// message this hook did not see). A notification is read only when it comes from this
// thread: only then does its pointer belong to this process.
void CountTreeItemDeletion(const CWPSTRUCT& message) {
    if (message.message == TVM_DELETEITEM) {
        ::InterlockedIncrement(&g_treeItemDeletions);
    } else if (message.message == WM_NOTIFY && message.lParam && !::InSendMessage()) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(message.lParam);
        if (header->code == TVN_DELETEITEMA || header->code == TVN_DELETEITEMW)
            ::InterlockedIncrement(&g_treeItemDeletions);
    }
}

} // namespace

extern "C" LONG WINAPI OstrelTreeItemDeletions() { return g_treeItemDeletions; }

extern "C" LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && lParam) {
        const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        CountTreeItemDeletion(*message);
        if (IsRequest(message->message)) {
            const UINT id = message->message;
            if (id == g_nMsgAllocMem) OnAllocMem(message->wParam, message->lParam);
            else if (id == g_nMsgAllocShared) OnAllocShared(message->wParam, message->lParam);
            else if (id == g_nMsgFreeMem) OnFreeMem(message->wParam, message->lParam);
            else if (id == g_nMsgSendMessage) OnSendMessage(message->wParam, message->lParam);
            else if (id == g_nMsgUnknownFromWndData) OnInterfaceRequest(message->lParam, WindowDataObject);
            else if (id == g_nMsgGetRichEditInterface) OnInterfaceRequest(message->lParam, RichEditDocument);
            else if (id == g_nMsgMenuInfo) OnMenuInfo(message->lParam);
            else OnTerminate(message->wParam);
            // Not passed on: every wrapper bound to a window of this thread installs its own
            // hook, and each would carry out the same request again.
            return 0;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        ::InitializeCriticalSection(&g_lock);
        g_blocks = new std::vector<Block>();
        g_deferred = new std::deque<DeferredMessage>();
        g_deferredFrees = new std::vector<Block>();
        RegisterMessages();
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded while the process goes on (the last hook removed): give back what the
        // callers left behind. At process exit (reserved set) the system does it.
        for (const Block& b : *g_blocks) {
            Release(b);
            ::CloseHandle(b.caller);
        }
        for (const Block& b : *g_deferredFrees) Release(b);
        delete g_blocks;
        delete g_deferred;
        delete g_deferredFrees;
        ::DeleteCriticalSection(&g_lock);
    }
    return TRUE;
}
