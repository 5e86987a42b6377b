#include "wrappers/hook/RemoteBuffer.h"
#include "ostrel/ostrel.h"
#include <cstring>

namespace wrappers {

namespace {

// Sends one request to the hook library; false when it was not delivered in time.
bool SendHookRequest(HWND hookedWindow, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutA(hookedWindow, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                 kHookRequestTimeout, &ignored) != 0;
}

} // namespace

RemoteProcess::RemoteProcess(const HookChannel& channel) : channel_(channel) {
    if (!channel.hookedWindow || !::IsWindow(channel.hookedWindow))
        throw RemoteError(L"The window of the application no longer exists");
    DWORD owner = 0;
    ::GetWindowThreadProcessId(channel.hookedWindow, &owner);
    // A window handle reused by another process must not get our requests.
    if (channel.processId && owner != channel.processId)
        throw RemoteError(L"The window of the application no longer exists");
    channel_.processId = owner;
    process_.reset(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, owner));
    if (!process_) throw RemoteError(L"Cannot open the process of the application");
}

RemoteBuffer::RemoteBuffer(std::shared_ptr<RemoteProcess> process, size_t size)
    : ownedProcess_(std::move(process)), process_(ownedProcess_.get()), size_(size) {
    allocate();
}

RemoteBuffer::RemoteBuffer(RemoteProcess& process, size_t size) : process_(&process), size_(size) { allocate(); }

RemoteBuffer::RemoteBuffer(RemoteProcess& process, size_t size, SharedWithCaller)
    : process_(&process), size_(size) {
    allocate(true);
}

RemoteBuffer::RemoteBuffer(const HookChannel& channel, size_t size)
    : ownedProcess_(std::make_shared<RemoteProcess>(channel)), process_(ownedProcess_.get()), size_(size) {
    allocate();
}

void RemoteBuffer::allocate(bool shared) {
    if (size_ == 0 || size_ > kOstrelMaxBlockSize) throw RemoteError(L"Invalid size of a block in the application");
    HANDLE target = process_->handle();
    if (!::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), target, &duplicate_, 0, TRUE,
                           DUPLICATE_SAME_ACCESS))
        throw RemoteError(L"Cannot hand a process handle to the application");
    if (shared && allocateShared()) return;

    // The hook writes the block's address into `address_` of this process.
    OstrelAllocRequest request{reinterpret_cast<ULONG_PTR>(&address_), static_cast<ULONG_PTR>(size_)};
    address_ = 0;
    const bool delivered = SendHookRequest(process_->channel().hookedWindow, g_nMsgAllocMem,
                                           reinterpret_cast<WPARAM>(duplicate_), reinterpret_cast<LPARAM>(&request));
    if (!delivered || address_ == 0) {
        // No block: the duplicated handle stayed ours, so close it inside the target.
        HANDLE local = nullptr;
        if (::DuplicateHandle(target, duplicate_, ::GetCurrentProcess(), &local, 0, FALSE,
                              DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS))
            ::CloseHandle(local);
        duplicate_ = nullptr;
        address_ = 0;
        throw RemoteError(::IsWindow(process_->channel().hookedWindow)
                              ? L"The application did not answer the hook library (no memory block)"
                              : L"The window of the application no longer exists");
    }
}

bool RemoteBuffer::allocateShared() {
    OstrelSharedReply reply{};
    OstrelAllocRequest request{reinterpret_cast<ULONG_PTR>(&reply), static_cast<ULONG_PTR>(size_)};
    if (!SendHookRequest(process_->channel().hookedWindow, g_nMsgAllocShared, reinterpret_cast<WPARAM>(duplicate_),
                         reinterpret_cast<LPARAM>(&request)) ||
        reply.address == 0)
        return false;
    address_ = reply.address;
    // Mapped, the memory no longer needs the handle. Should the mapping fail, the block
    // is still there, reached through the process handle.
    common::UniqueHandle section(reinterpret_cast<HANDLE>(reply.section));
    view_.reset(::MapViewOfFile(section.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size_));
    return true;
}

RemoteBuffer::~RemoteBuffer() {
    if (address_) {
        // The hook frees the block and closes the duplicated handle.
        SendHookRequest(process_->channel().hookedWindow, g_nMsgFreeMem, reinterpret_cast<WPARAM>(duplicate_),
                        static_cast<LPARAM>(address_));
    }
}

void RemoteBuffer::write(const void* data, size_t bytes, size_t offset) {
    if (offset > size_ || bytes > size_ - offset) throw RemoteError(L"Write outside a block in the application");
    if (view_) {
        std::memcpy(static_cast<char*>(view_.get()) + offset, data, bytes);
        return;
    }
    SIZE_T done = 0;
    if (!::WriteProcessMemory(process_->handle(), reinterpret_cast<void*>(address_ + offset), data, bytes, &done) ||
        done != bytes)
        throw RemoteError(L"Cannot write to the memory of the application");
}

void RemoteBuffer::read(void* data, size_t bytes, size_t offset) const {
    if (offset > size_ || bytes > size_ - offset) throw RemoteError(L"Read outside a block in the application");
    if (view_) {
        std::memcpy(data, static_cast<const char*>(view_.get()) + offset, bytes);
        return;
    }
    SIZE_T done = 0;
    if (!::ReadProcessMemory(process_->handle(), reinterpret_cast<const void*>(address_ + offset), data, bytes,
                             &done) ||
        done != bytes)
        throw RemoteError(L"Cannot read the memory of the application");
}

} // namespace wrappers
