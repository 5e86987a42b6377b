#include "common/GdiOwners.h"
#include <gtest/gtest.h>
#include <stdexcept>

using namespace common;

namespace {

HWND CreateTestWindow() {
    return ::CreateWindowExW(0, L"STATIC", L"dc owner", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
}

} // namespace

TEST(WindowDc, GivesTheDcBackOnceWhenItsScopeEnds) {
    HWND window = CreateTestWindow();
    ASSERT_NE(window, nullptr);
    HDC taken = nullptr;
    {
        WindowDc dc(window);
        ASSERT_TRUE(dc);
        taken = dc.get();
        EXPECT_EQ(::GetObjectType(taken), static_cast<DWORD>(OBJ_DC));
        WindowDc moved(std::move(dc));
        EXPECT_FALSE(dc);
        EXPECT_EQ(moved.get(), taken);
    }
    // Already given back: a second release has nothing to release.
    EXPECT_EQ(::ReleaseDC(window, taken), 0);
    ::DestroyWindow(window);
}

TEST(MemoryDc, IsDeletedWhenItsScopeEnds) {
    HDC dc = nullptr;
    {
        MemoryDc memory(::CreateCompatibleDC(nullptr));
        ASSERT_TRUE(memory);
        dc = memory.get();
        EXPECT_EQ(::GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(::GetObjectType(dc), 0u);
}

TEST(SelectedObject, SelectsThePreviousObjectBackEvenOnAnException) {
    MemoryDc dc(::CreateCompatibleDC(nullptr));
    const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_FONT);
    UniqueGdiObject font(::CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    ASSERT_TRUE(font);
    try {
        SelectedObject selected(dc.get(), font.get());
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), font.get());
        throw std::runtime_error("a text call failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_FONT), original);
}
