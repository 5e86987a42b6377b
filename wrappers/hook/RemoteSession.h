#pragma once
// A binding's lasting access to the process under test for synchronous requests: the
// process opened once, and one block inside it that every synchronous request reuses,
// so that reading an item costs one hook request and a copy each way. Posted requests
// never use it: the target reads their data later, so they keep blocks of their own
// (RemoteBuffer).
//
// Use:
//   RemoteSession::Lease lease(binding().session(), sizeof(LVITEMA) + textBytes);
//   item.pszText = lease.addressAt(sizeof(LVITEMA));          // inside the block
//   lease.send(control, LVM_GETITEMA, 0, &item, sizeof item, back, backBytes);
#include "wrappers/hook/RemoteBuffer.h"
#include <memory>
#include <mutex>

namespace wrappers {

class RemoteSession {
public:
    explicit RemoteSession(const HookChannel& channel) : channel_(channel) {}
    RemoteSession(const RemoteSession&) = delete;
    RemoteSession& operator=(const RemoteSession&) = delete;

    // The target process, opened on first use; throws RemoteError.
    RemoteProcess& process();

    // The block, held for one operation: nobody else writes it meanwhile. Its data area
    // (after the request block) has at least `dataBytes` bytes.
    class Lease {
    public:
        Lease(std::shared_ptr<RemoteSession> session, size_t dataBytes);
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;

        RemoteProcess& process() const { return session_->process(); }
        // Address inside the target of the data area, and of a place in it.
        ULONG_PTR address() const { return session_->block_->address() + kDataOffset; }
        ULONG_PTR addressAt(size_t offset) const { return address() + offset; }
        size_t size() const { return session_->block_->size() - kDataOffset; }

        // Sends msg to target from inside the target and waits for it, with lParam the
        // data area holding `data`; then reads the first `backBytes` of the data area
        // into `back`. One write, one hook request, one read. Returns the message's result.
        LRESULT send(HWND target, UINT msg, WPARAM wParam, const void* data, size_t dataBytes, void* back,
                     size_t backBytes);
        // The same with an lParam of the caller's choosing (the data area is still written
        // before and read after).
        LRESULT sendWith(HWND target, UINT msg, WPARAM wParam, LPARAM lParam, const void* data, size_t dataBytes,
                         void* back, size_t backBytes);
        // Copies to or from the data area.
        void write(const void* data, size_t bytes, size_t offset = 0);
        void read(void* data, size_t bytes, size_t offset = 0) const;

    private:
        std::shared_ptr<RemoteSession> session_;
        std::lock_guard<std::recursive_mutex> lock_;
    };

private:
    static const size_t kDataOffset;
    // Room for a list view or tree view item with its longest text; grown for more.
    static const size_t kInitialDataBytes = 20 * 1024;

    HookChannel channel_;
    std::recursive_mutex mutex_;
    std::unique_ptr<RemoteProcess> process_;
    std::unique_ptr<RemoteBuffer> block_;  // freed before the process handle closes
};

} // namespace wrappers
