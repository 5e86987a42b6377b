// click, dblclick and bringToForeground as a script calls them: the application under
// test records what reaches it, in order.
#include "InputAppSession.h"
#include <gtest/gtest.h>

using common::Variant;
using e2e::call;
using e2e::CallResult;
using e2e::PointText;

namespace {

class InputSimulationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.started());
        pad_ = app_.child(L"TevrinClickPad");
        ASSERT_NE(pad_, nullptr);
        CallResult r = call(app_.root(), L"wnd", {Variant(0L), Variant(L"TevrinClickPad")});
        ASSERT_TRUE(r.ok());
        padWrapper_ = r.object();
        // The pointer starts outside the window, so that every click shows its move.
        ::SetCursorPos(0, 0);
    }

    // Clicks and returns the lines from the first key or move up to the last button-up,
    // once the application has recorded `expectedUps` button-ups and the keys released.
    std::vector<std::string> clickAndRecord(IDispatch* wrapper, const wchar_t* member, std::vector<Variant> args,
                                            int expectedUps, int keysUp) {
        app_.mark();
        CallResult r = call(wrapper, member, args);
        EXPECT_TRUE(r.ok()) << std::hex << r.hr;
        EXPECT_TRUE(r.description.empty());
        const bool complete = app_.waitFor([&](const std::vector<std::string>& lines) {
            int ups = 0, keys = 0;
            for (const std::string& line : lines) {
                if (line.rfind("up ", 0) == 0) ++ups;
                if (line.rfind("key up ", 0) == 0) ++keys;
            }
            return ups >= expectedUps && keys >= keysUp;
        });
        EXPECT_TRUE(complete) << "the application did not record the whole click";
        return app_.linesSinceMark();
    }

    // The lines without the pointer moves that did not come from the click itself.
    static std::vector<std::string> withoutStrayMoves(const std::vector<std::string>& lines, const std::string& at) {
        std::vector<std::string> result;
        for (const std::string& line : lines)
            if (line.rfind("move ", 0) != 0 || line == "move " + at) result.push_back(line);
        return result;
    }

    static RECT windowRect(HWND window) {
        RECT rect = {};
        ::GetWindowRect(window, &rect);
        return rect;
    }

    e2e::InputAppSession app_;
    HWND pad_ = nullptr;
    Microsoft::WRL::ComPtr<IDispatch> padWrapper_;
};

} // namespace

TEST_F(InputSimulationTest, ClickWithDefaultsIsOneLeftClickAtTheCentreOfTheWindowRectangle) {
    const RECT rect = windowRect(app_.main());
    const std::string at = PointText(rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2);
    std::vector<std::string> lines = withoutStrayMoves(clickAndRecord(app_.root(), L"click", {}, 1, 0), at);
    const std::vector<std::string> expected = {"move " + at, "down left " + at + " mods=none",
                                               "up left " + at + " mods=none"};
    EXPECT_EQ(lines, expected);
}

TEST_F(InputSimulationTest, ModifierKeysArePressedAroundTheClickInShiftControlAltOrder) {
    const RECT rect = windowRect(pad_);
    const std::string at = PointText(rect.left + (rect.right - rect.left) / 2, rect.top + (rect.bottom - rect.top) / 2);
    std::vector<std::string> lines = withoutStrayMoves(
        clickAndRecord(padWrapper_.Get(), L"click", {Variant(0L), Variant(-1L), Variant(-1L), Variant(1L), Variant(1L),
                                                     Variant(0L)},
                       1, 2),
        at);
    const std::vector<std::string> expected = {"key down SHIFT", "key down CONTROL", "move " + at,
                                               "down left " + at + " mods=shift+ctrl",
                                               "up left " + at + " mods=shift+ctrl", "key up SHIFT", "key up CONTROL"};
    EXPECT_EQ(lines, expected);

    const std::string second = PointText(rect.left + 5, rect.top + 6);
    lines = withoutStrayMoves(clickAndRecord(padWrapper_.Get(), L"click",
                                             {Variant(0L), Variant(5L), Variant(6L), Variant(0L), Variant(0L), Variant(1L)},
                                             1, 1),
                              second);
    const std::vector<std::string> withAlt = {"key down MENU", "move " + second, "down left " + second + " mods=alt",
                                              "up left " + second + " mods=alt", "key up MENU"};
    EXPECT_EQ(lines, withAlt);
}

TEST_F(InputSimulationTest, ButtonsAndOffsetsFromTheTopLeftCorner) {
    const RECT rect = windowRect(pad_);
    std::string at = PointText(rect.left, rect.top);
    std::vector<std::string> lines =
        withoutStrayMoves(clickAndRecord(padWrapper_.Get(), L"click", {Variant(2L), Variant(0L), Variant(0L)}, 1, 0), at);
    EXPECT_EQ(lines, (std::vector<std::string>{"move " + at, "down right " + at + " mods=none",
                                               "up right " + at + " mods=none"}));

    at = PointText(rect.left + 17, rect.top + 23);
    lines = withoutStrayMoves(
        clickAndRecord(padWrapper_.Get(), L"click", {Variant(1L), Variant(17L), Variant(23L)}, 1, 0), at);
    EXPECT_EQ(lines, (std::vector<std::string>{"move " + at, "down middle " + at + " mods=none",
                                               "up middle " + at + " mods=none"}));

    // Any other button number is the left button; -1 on one axis only centres that axis.
    at = PointText(rect.left + 40, rect.top + (rect.bottom - rect.top) / 2);
    lines = withoutStrayMoves(
        clickAndRecord(padWrapper_.Get(), L"click", {Variant(7L), Variant(40L), Variant(-1L)}, 1, 0), at);
    EXPECT_EQ(lines, (std::vector<std::string>{"move " + at, "down left " + at + " mods=none",
                                               "up left " + at + " mods=none"}));
}

TEST_F(InputSimulationTest, DoubleClickIsMoveDownUpDownUpInOneBatch) {
    const RECT rect = windowRect(pad_);
    const std::string at = PointText(rect.left + 30, rect.top + 30);
    std::vector<std::string> lines = withoutStrayMoves(
        clickAndRecord(padWrapper_.Get(), L"dblclick", {Variant(0L), Variant(30L), Variant(30L)}, 2, 0), at);
    // The second press of a double click reaches a window as a double-click message.
    const std::vector<std::string> expected = {"move " + at, "down left " + at + " mods=none",
                                               "up left " + at + " mods=none", "dblclick left " + at + " mods=none",
                                               "up left " + at + " mods=none"};
    EXPECT_EQ(lines, expected);
}

TEST_F(InputSimulationTest, BringToForegroundActivatesTheTopLevelWindowOfAChild) {
    // Another window of this test takes the foreground first.
    HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 500, 200, 100,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    ::SetForegroundWindow(other);
    EXPECT_EQ(::GetForegroundWindow(), other);
    CallResult r = call(padWrapper_.Get(), L"bringToForeground");
    EXPECT_TRUE(r.ok());
    const ULONGLONG start = ::GetTickCount64();
    while (::GetForegroundWindow() != app_.main() && ::GetTickCount64() - start < 5000) ::Sleep(50);
    EXPECT_EQ(::GetForegroundWindow(), app_.main());
    ::DestroyWindow(other);
}

TEST_F(InputSimulationTest, AWindowThatIsGoneIsNotClickedAtTheScreenCorner) {
    Microsoft::WRL::ComPtr<IDispatch> stale = e2e::newWrapper();
    HWND gone = ::CreateWindowExW(0, L"STATIC", L"gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(call(stale.Get(), L"connect", {Variant(static_cast<long>(reinterpret_cast<LONG_PTR>(gone)))}).ok());
    ::DestroyWindow(gone);
    POINT before = {};
    ::GetCursorPos(&before);
    for (const wchar_t* member : {L"click", L"dblclick"}) {
        CallResult r = call(stale.Get(), member);
        EXPECT_EQ(r.hr, E_FAIL);
        EXPECT_EQ(r.description, L"Cannot click: the window no longer exists");
        EXPECT_EQ(r.source, L"Runtime Error");
    }
    POINT after = {};
    ::GetCursorPos(&after);
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
}
