#include "host/HostLock.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <vector>

using host::HostLock;
using host::HostLockGuard;

TEST(HostLock, OwnerReentersWithoutCountAndFirstReleaseFrees) {
    HostLock lock;
    lock.Acquire();
    lock.Acquire();
    EXPECT_TRUE(lock.HeldByCaller());
    lock.Release();
    EXPECT_FALSE(lock.HeldByCaller());

    std::atomic<bool> taken{false};
    std::thread other([&] {
        lock.Acquire();
        taken = true;
        lock.Release();
    });
    other.join();
    EXPECT_TRUE(taken);
}

TEST(HostLock, GuardReleasesOnlyWhatItAcquired) {
    HostLock lock;
    lock.Acquire();
    { HostLockGuard nested(lock); }
    EXPECT_TRUE(lock.HeldByCaller());
    lock.Release();
    { HostLockGuard outer(lock); EXPECT_TRUE(lock.HeldByCaller()); }
    EXPECT_FALSE(lock.HeldByCaller());
}

// A waiter keeps serving messages sent to it, so a holder that sends a message to
// the waiting thread does not dead-lock.
TEST(HostLock, WaiterDispatchesMessagesSentByTheHolder) {
    HostLock lock;
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);

    std::atomic<bool> holderReady{false};
    std::atomic<bool> sendReturned{false};
    std::thread holder([&] {
        lock.Acquire();
        holderReady = true;
        DWORD_PTR result = 0;
        // Served only if the main thread dispatches while it waits for the lock.
        if (::SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"sent"), SMTO_BLOCK, 10000,
                                  &result))
            sendReturned = true;
        lock.Release();
    });
    while (!holderReady) ::Sleep(1);
    lock.Acquire();
    lock.Release();
    holder.join();
    EXPECT_TRUE(sendReturned);
    wchar_t text[16] = {};
    ::GetWindowTextW(window, text, 16);
    EXPECT_STREQ(text, L"sent");
    ::DestroyWindow(window);
}

TEST(WaitDispatching, ReturnsOnSignalOrTimeout) {
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_FALSE(host::WaitDispatching(event, 50));
    std::thread setter([event] { ::Sleep(50); ::SetEvent(event); });
    EXPECT_TRUE(host::WaitDispatching(event, 10000));
    setter.join();
    ::CloseHandle(event);
}

// Taken and freed many times by threads that contend for it: never held by two at once,
// and no waiter is left behind.
TEST(HostLock, ExcludesContendingThreadsAndWakesEveryWaiter) {
    HostLock lock;
    int counter = 0;  // guarded by the lock only
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                HostLockGuard guard(lock);
                if (++inside > 1) overlapped = true;
                ++counter;
                if (i % 256 == 0) ::Sleep(0);
                --inside;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(counter, 8000);
    EXPECT_FALSE(lock.HeldByCaller());
}
