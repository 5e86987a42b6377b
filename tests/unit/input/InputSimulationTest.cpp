// The click point and the one SendInput batch of a click.
#include "wrappers/core/InputSimulation.h"
#include <gtest/gtest.h>

using wrappers::ClickInputs;
using wrappers::ClickPoint;

namespace {

// The pixel that the system takes an absolute coordinate for.
LONG pixelOf(LONG absolute, int metric) {
    LONG size = ::GetSystemMetrics(metric);
    if (size == 0) size = metric == SM_CXSCREEN ? 800 : 600;
    return static_cast<LONG>(static_cast<LONGLONG>(absolute) * size / 65536);
}

bool isKey(const INPUT& input, WORD key, bool up) {
    return input.type == INPUT_KEYBOARD && input.ki.wVk == key && input.ki.wScan == 0 &&
           input.ki.dwFlags == (up ? KEYEVENTF_KEYUP : 0u);
}

bool isMouse(const INPUT& input, DWORD flags, POINT at) {
    return input.type == INPUT_MOUSE && input.mi.dwFlags == (flags | MOUSEEVENTF_ABSOLUTE) &&
           pixelOf(input.mi.dx, SM_CXSCREEN) == at.x && pixelOf(input.mi.dy, SM_CYSCREEN) == at.y;
}

} // namespace

TEST(ClickPoint, MinusOneIsTheMiddleWithIntegerDivisionOtherValuesAreOffsets) {
    const RECT rect = {100, 50, 301, 152};
    POINT p = ClickPoint(rect, -1, -1);
    EXPECT_EQ(p.x, 200);
    EXPECT_EQ(p.y, 101);
    p = ClickPoint(rect, 0, 0);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 50);
    p = ClickPoint(rect, 7, -1);
    EXPECT_EQ(p.x, 107);
    EXPECT_EQ(p.y, 101);
    // Offsets past the rectangle are allowed; other negative values are offsets too.
    p = ClickPoint(rect, 500, -2);
    EXPECT_EQ(p.x, 600);
    EXPECT_EQ(p.y, 48);
}

TEST(ClickPoint, ScreenPositionsAreSixteenBitSigned) {
    const RECT rect = {32000, -10, 32100, 10};
    POINT p = ClickPoint(rect, 1000, -1);
    EXPECT_EQ(p.x, static_cast<SHORT>(33000));
    EXPECT_EQ(p.y, 0);
}

TEST(ClickInputs, PlainClickIsMoveDownUp) {
    const POINT at = {640, 300};
    std::vector<INPUT> inputs = ClickInputs(at, 0, false, false, false, false);
    ASSERT_EQ(inputs.size(), 3u);
    EXPECT_TRUE(isMouse(inputs[0], MOUSEEVENTF_MOVE, at));
    EXPECT_TRUE(isMouse(inputs[1], MOUSEEVENTF_LEFTDOWN, at));
    EXPECT_TRUE(isMouse(inputs[2], MOUSEEVENTF_LEFTUP, at));
}

TEST(ClickInputs, ButtonNumbersChooseTheFlagsOthersAreLeft) {
    const POINT at = {10, 20};
    const struct {
        LONG button;
        DWORD down, up;
    } cases[] = {{0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                 {1, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP},
                 {2, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
                 {3, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                 {-1, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}};
    for (const auto& c : cases) {
        std::vector<INPUT> inputs = ClickInputs(at, c.button, false, false, false, false);
        ASSERT_EQ(inputs.size(), 3u);
        EXPECT_TRUE(isMouse(inputs[1], c.down, at)) << c.button;
        EXPECT_TRUE(isMouse(inputs[2], c.up, at)) << c.button;
    }
}

TEST(ClickInputs, ModifiersGoDownBeforeAndUpAfterInTheSameOrder) {
    const POINT at = {5, 5};
    std::vector<INPUT> inputs = ClickInputs(at, 0, true, true, false, false);
    ASSERT_EQ(inputs.size(), 7u);
    EXPECT_TRUE(isKey(inputs[0], VK_SHIFT, false));
    EXPECT_TRUE(isKey(inputs[1], VK_CONTROL, false));
    EXPECT_TRUE(isMouse(inputs[2], MOUSEEVENTF_MOVE, at));
    EXPECT_TRUE(isMouse(inputs[3], MOUSEEVENTF_LEFTDOWN, at));
    EXPECT_TRUE(isMouse(inputs[4], MOUSEEVENTF_LEFTUP, at));
    EXPECT_TRUE(isKey(inputs[5], VK_SHIFT, true));
    EXPECT_TRUE(isKey(inputs[6], VK_CONTROL, true));

    inputs = ClickInputs(at, 2, true, true, true, true);
    ASSERT_EQ(inputs.size(), 11u);
    EXPECT_TRUE(isKey(inputs[0], VK_SHIFT, false));
    EXPECT_TRUE(isKey(inputs[1], VK_CONTROL, false));
    EXPECT_TRUE(isKey(inputs[2], VK_MENU, false));
    EXPECT_TRUE(isMouse(inputs[3], MOUSEEVENTF_MOVE, at));
    EXPECT_TRUE(isMouse(inputs[6], MOUSEEVENTF_RIGHTDOWN, at));
    EXPECT_TRUE(isMouse(inputs[7], MOUSEEVENTF_RIGHTUP, at));
    EXPECT_TRUE(isKey(inputs[8], VK_SHIFT, true));
    EXPECT_TRUE(isKey(inputs[9], VK_CONTROL, true));
    EXPECT_TRUE(isKey(inputs[10], VK_MENU, true));
}

TEST(ClickInputs, DoubleClickRepeatsDownAndUpAtOnce) {
    const POINT at = {1279, 1023};
    std::vector<INPUT> inputs = ClickInputs(at, 1, false, false, false, true);
    ASSERT_EQ(inputs.size(), 5u);
    EXPECT_TRUE(isMouse(inputs[0], MOUSEEVENTF_MOVE, at));
    EXPECT_TRUE(isMouse(inputs[1], MOUSEEVENTF_MIDDLEDOWN, at));
    EXPECT_TRUE(isMouse(inputs[2], MOUSEEVENTF_MIDDLEUP, at));
    EXPECT_TRUE(isMouse(inputs[3], MOUSEEVENTF_MIDDLEDOWN, at));
    EXPECT_TRUE(isMouse(inputs[4], MOUSEEVENTF_MIDDLEUP, at));
}

TEST(ClickInputs, EveryPixelOfTheScreenConvertsBackToItselfWithoutOverflow) {
    const LONG width = ::GetSystemMetrics(SM_CXSCREEN);
    const LONG height = ::GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    for (LONG x = 0; x < width; ++x) {
        const LONG dx = ClickInputs(POINT{x, 0}, 0, false, false, false, false)[0].mi.dx;
        ASSERT_EQ(pixelOf(dx, SM_CXSCREEN), x);
        ASSERT_LT(dx, 65536);
    }
    for (LONG y = 0; y < height; ++y)
        ASSERT_EQ(pixelOf(ClickInputs(POINT{0, y}, 0, false, false, false, false)[0].mi.dy, SM_CYSCREEN), y);
    // The 16-bit extremes do not overflow 32-bit arithmetic.
    std::vector<INPUT> extreme = ClickInputs(POINT{32767, -32768}, 0, false, false, false, false);
    EXPECT_EQ(pixelOf(extreme[0].mi.dx, SM_CXSCREEN), 32767);
    EXPECT_LT(extreme[0].mi.dy, 0);
}
