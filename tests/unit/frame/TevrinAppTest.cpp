// The start of a run waits for the script thread while that thread sends messages to
// the waiting (user-interface) thread: the wait must serve them, and only them.
#include "frame/CTevrinApp.h"
#include "common/UniqueHandle.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

namespace {

const UINT kLogMessage = WM_APP + 1;
std::atomic<int> g_sent{0};
std::atomic<int> g_posted{0};

LRESULT CALLBACK CountingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kLogMessage) {
        (wParam ? g_posted : g_sent)++;
        return 1;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

class WaitDispatchingSentTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"WaitDispatchingSentTest";
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowW(L"WaitDispatchingSentTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        event_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
        g_sent = 0;
        g_posted = 0;
    }
    void TearDown() override {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {}
        ::DestroyWindow(window_);
    }

    HWND window_ = nullptr;
    common::UniqueHandle event_;
};

TEST_F(WaitDispatchingSentTest, ServesMessagesSentBeforeTheSignal) {
    // Without serving sent messages this wait would dead-lock: the sender signals only
    // after its messages were answered.
    std::thread script([this] {
        for (int i = 0; i < 3; ++i) ::SendMessageW(window_, kLogMessage, 0, 0);
        ::SetEvent(event_.get());
    });
    EXPECT_TRUE(WaitDispatchingSent(event_.get(), 10000));
    script.join();
    EXPECT_EQ(g_sent, 3);
}

TEST_F(WaitDispatchingSentTest, LeavesPostedMessagesAndInputQueued) {
    ::PostMessageW(window_, kLogMessage, 1, 0);
    std::thread script([this] {
        ::SendMessageW(window_, kLogMessage, 0, 0);
        ::SetEvent(event_.get());
    });
    EXPECT_TRUE(WaitDispatchingSent(event_.get(), 10000));
    script.join();
    EXPECT_EQ(g_sent, 1);
    EXPECT_EQ(g_posted, 0);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, window_, kLogMessage, kLogMessage, PM_REMOVE));
}

TEST_F(WaitDispatchingSentTest, GivesUpAfterItsTimeoutEvenWhileMessagesKeepComing) {
    std::atomic<bool> stop{false};
    common::UniqueHandle finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread chatter([this, &stop, &finished] {
        while (!stop) {
            DWORD_PTR result = 0;
            ::SendMessageTimeoutW(window_, kLogMessage, 0, 0, SMTO_NORMAL, 1000, &result);
            ::Sleep(5);
        }
        ::SetEvent(finished.get());
    });
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(WaitDispatchingSent(event_.get(), 300));
    const DWORD elapsed = ::GetTickCount() - start;
    stop = true;
    // Serve the chatter's last message so that it can end.
    EXPECT_TRUE(WaitDispatchingSent(finished.get(), 10000));
    chatter.join();
    EXPECT_GE(elapsed, 290u);
    EXPECT_LT(elapsed, 3000u);
    EXPECT_GT(g_sent, 0);
}

} // namespace
