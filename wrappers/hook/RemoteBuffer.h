#pragma once
// Memory inside the process under test, allocated and freed by the hook library that
// runs there (ostrel.dll), read and written with Read/WriteProcessMemory.
//
// Use:
//   RemoteProcess process(binding);            // opens the target; throws RemoteError
//   RemoteBuffer item(process, sizeof(LVITEMA)); // a block inside the target
//   item.write(lvitem);  ...  sendRemote(process, control, LVM_GETITEMA, 0, item.lparam(), false);
//   item.read(lvitem);
// `binding` is anything with `hookedWindow` and `processId` members (WindowBinding),
// or a HookChannel. Every failure throws RemoteError (a ComError with E_FAIL and a
// message meant for the script's user); nothing is left behind in the target.
#include "common/ComError.h"
#include "common/UniqueHandle.h"
#include <windows.h>
#include <cstddef>
#include <memory>
#include <string>

namespace wrappers {

// Where requests to the hook library go: a window on the hooked thread and the process
// that owns it.
struct HookChannel {
    HWND hookedWindow = nullptr;
    DWORD processId = 0;
};

template <typename Binding>
HookChannel channelOf(const Binding& binding) {
    return HookChannel{binding.hookedWindow, binding.processId};
}
inline HookChannel channelOf(const HookChannel& channel) { return channel; }

// A failure of cross-process access; the message says what the user can do about it.
class RemoteError : public common::ComError {
public:
    explicit RemoteError(std::wstring message) : common::ComError(E_FAIL, std::move(message)) {}
};

// How long one request to the hook library may take before it counts as failed.
const DWORD kHookRequestTimeout = 30000;

// The target process opened with all access, for the buffers of one operation.
class RemoteProcess {
public:
    explicit RemoteProcess(const HookChannel& channel);
    template <typename Binding>
    explicit RemoteProcess(const Binding& binding) : RemoteProcess(channelOf(binding)) {}
    RemoteProcess(const RemoteProcess&) = delete;
    RemoteProcess& operator=(const RemoteProcess&) = delete;

    HANDLE handle() const { return process_.get(); }
    const HookChannel& channel() const { return channel_; }

private:
    HookChannel channel_;
    common::UniqueHandle process_;
};

// Owner of a view of shared memory in this process.
struct MappedViewTraits {
    using Handle = void*;
    static Handle invalid() { return nullptr; }
    static void close(Handle view) { ::UnmapViewOfFile(view); }
};

// Asks for a block the target shares with this process, so that its reads and writes are
// plain copies; a target that cannot share gets an ordinary block.
struct SharedWithCaller {};

// One block of `size` bytes inside the target; freed by the destructor.
class RemoteBuffer {
public:
    RemoteBuffer(std::shared_ptr<RemoteProcess> process, size_t size);
    RemoteBuffer(RemoteProcess& process, size_t size);  // process must outlive the buffer
    RemoteBuffer(RemoteProcess& process, size_t size, SharedWithCaller);
    RemoteBuffer(const HookChannel& channel, size_t size);
    template <typename Binding>
    RemoteBuffer(const Binding& binding, size_t size) : RemoteBuffer(channelOf(binding), size) {}
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer();

    // Address of the block inside the target.
    ULONG_PTR address() const { return address_; }
    LPARAM lparam() const { return static_cast<LPARAM>(address_); }
    size_t size() const { return size_; }
    RemoteProcess& process() const { return *process_; }
    // True when the block is shared with this process (reads and writes are plain copies).
    bool shared() const { return view_.valid(); }

    // Copies bytes to or from the block; offset + bytes must lie inside it.
    void write(const void* data, size_t bytes, size_t offset = 0);
    void read(void* data, size_t bytes, size_t offset = 0) const;
    template <typename T>
    void write(const T& value) { write(&value, sizeof(T)); }
    template <typename T>
    void read(T& value) const { read(&value, sizeof(T)); }

private:
    void allocate(bool shared = false);
    bool allocateShared();

    std::shared_ptr<RemoteProcess> ownedProcess_;
    RemoteProcess* process_;
    size_t size_;
    ULONG_PTR address_ = 0;
    HANDLE duplicate_ = nullptr;  // our process handle as the target knows it
    common::UniqueHandleT<MappedViewTraits> view_;  // the block as this process sees it, when shared
};

} // namespace wrappers
