#include "FrameFixture.h"
#include "framework/Window.h"

namespace {

// A window that destroys itself inside one of its own messages, as a Close button does,
// and still uses its object afterwards in the same message.
class SelfClosingWindow : public CWindow {
public:
    static bool alive;
    static bool aliveAfterDestroy;
    SelfClosingWindow() { alive = true; }
    ~SelfClosingWindow() override { alive = false; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_USER) {
            DestroyWindow();
            aliveAfterDestroy = alive;
            return 7;
        }
        return CWindow::WindowProc(msg, wParam, lParam);
    }
};
bool SelfClosingWindow::alive = false;
bool SelfClosingWindow::aliveAfterDestroy = false;

TEST(WindowLifetime, AWindowThatDestroysItselfInAMessageIsDeletedWhenTheMessageIsDone) {
    auto* window = new SelfClosingWindow;
    window->deleteOnDestroy = true;
    const wchar_t* name = CWindow::RegisterClass(L"SelfClosingWindowTest");
    ASSERT_TRUE(window->CreateEx(0, name, L"closing", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    const HWND hwnd = window->hwnd();
    EXPECT_EQ(7, ::SendMessageW(hwnd, WM_USER, 0, 0));
    EXPECT_TRUE(SelfClosingWindow::aliveAfterDestroy);
    EXPECT_FALSE(SelfClosingWindow::alive);
    EXPECT_FALSE(::IsWindow(hwnd));

    // Destroyed from outside any of its messages, it goes at once.
    window = new SelfClosingWindow;
    window->deleteOnDestroy = true;
    ASSERT_TRUE(window->CreateEx(0, name, L"closing", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    window->DestroyWindow();
    EXPECT_FALSE(SelfClosingWindow::alive);
}

} // namespace
