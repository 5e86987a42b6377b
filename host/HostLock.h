#pragma once
#include <windows.h>
#include <atomic>

namespace host {

// The lock that serialises the break state. Its waiters keep dispatching window
// messages, because its holders send messages to the user-interface thread (log
// records, show-position requests) while that thread may itself be waiting for it.
// Re-entrant for its owner without a count: the first Release frees it.
class HostLock {
public:
    HostLock();
    ~HostLock();
    HostLock(const HostLock&) = delete;
    HostLock& operator=(const HostLock&) = delete;

    void Acquire();
    void Release();
    bool HeldByCaller() const { return owner_ == ::GetCurrentThreadId(); }

private:
    HANDLE freeEvent_;  // set when the lock may be free; only waiters reset it
    CRITICAL_SECTION section_;
    bool busy_ = false;
    unsigned waiters_ = 0;  // threads inside Acquire's wait (under section_)
    std::atomic<DWORD> owner_{0};
};

// Holds the lock for a scope; releases only what it acquired itself.
class HostLockGuard {
public:
    explicit HostLockGuard(HostLock& lock) : lock_(lock), acquired_(!lock.HeldByCaller()) {
        if (acquired_) lock_.Acquire();
    }
    ~HostLockGuard() {
        if (acquired_) lock_.Release();
    }
    HostLockGuard(const HostLockGuard&) = delete;
    HostLockGuard& operator=(const HostLockGuard&) = delete;

private:
    HostLock& lock_;
    bool acquired_;
};

// Dispatches every message waiting in the calling thread's queue; false after WM_QUIT
// (which it puts back for the caller's own loop).
bool DispatchWaitingMessages();

// Waits for a handle while dispatching messages; true when it was signalled.
bool WaitDispatching(HANDLE handle, DWORD milliseconds);

} // namespace host
