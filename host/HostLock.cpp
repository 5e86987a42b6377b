#include "host/HostLock.h"

namespace host {

HostLock::HostLock() : freeEvent_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
    ::InitializeCriticalSection(&section_);
}

HostLock::~HostLock() {
    ::DeleteCriticalSection(&section_);
    ::CloseHandle(freeEvent_);
}

void HostLock::Acquire() {
    const DWORD self = ::GetCurrentThreadId();
    if (owner_ == self) return;
    // Taken and given back without touching the event while nobody waits: the lock is
    // taken twice for every statement of a run.
    ::EnterCriticalSection(&section_);
    if (!busy_) {
        busy_ = true;
        owner_ = self;
        ::LeaveCriticalSection(&section_);
        return;
    }
    ++waiters_;
    for (;;) {
        // Reset under the section, so that a release after it sets the event again.
        ::ResetEvent(freeEvent_);
        ::LeaveCriticalSection(&section_);
        DWORD r = ::MsgWaitForMultipleObjects(1, &freeEvent_, FALSE, INFINITE, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0 + 1) DispatchWaitingMessages();
        ::EnterCriticalSection(&section_);
        if (!busy_) break;
    }
    --waiters_;
    busy_ = true;
    owner_ = self;
    ::LeaveCriticalSection(&section_);
}

void HostLock::Release() {
    ::EnterCriticalSection(&section_);
    if (busy_) {
        busy_ = false;
        owner_ = 0;
        if (waiters_ > 0) ::SetEvent(freeEvent_);
    }
    ::LeaveCriticalSection(&section_);
}

bool DispatchWaitingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

bool WaitDispatching(HANDLE handle, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        DWORD elapsed = ::GetTickCount() - start;
        DWORD left = milliseconds == INFINITE ? INFINITE : (elapsed >= milliseconds ? 0 : milliseconds - elapsed);
        DWORD r = ::MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        if (r != WAIT_OBJECT_0 + 1) return false;
        if (!DispatchWaitingMessages()) return ::WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    }
}

} // namespace host
