// screenshot as a script calls it: BMP files of a window or the screen, the clipboard,
// and failures without error information.
#include "InputAppSession.h"
#include "../../apps/inputapp/InputAppIds.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>

using common::Variant;
using e2e::Bool;
using e2e::call;
using e2e::CallResult;

namespace {

std::vector<uint8_t> readFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    uint8_t buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.insert(bytes.end(), buffer, buffer + read);
    ::CloseHandle(file);
    return bytes;
}

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

std::wstring tempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

class ScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app_.started()); }
    e2e::InputAppSession app_;
};

} // namespace

TEST_F(ScreenshotTest, WindowOnlyWritesABmpOfTheWholeWindowRectangle) {
    const std::wstring path = tempFile(L"tevrin-window-shot.bmp");
    ::DeleteFileW(path.c_str());
    CallResult r = call(app_.root(), L"screenshot", {Bool(true), Variant(path)});
    ASSERT_TRUE(r.ok()) << std::hex << r.hr;

    const std::vector<uint8_t> bmp = readFile(path);
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(u16(bmp, 0), 0x4D42);
    EXPECT_EQ(u32(bmp, 2), bmp.size());
    EXPECT_EQ(u16(bmp, 6), 0);
    EXPECT_EQ(u16(bmp, 8), 0);
    EXPECT_EQ(u32(bmp, 14), 40u);
    RECT rect = {};
    ::GetWindowRect(app_.main(), &rect);
    const LONG width = static_cast<LONG>(u32(bmp, 18));
    const LONG height = static_cast<LONG>(u32(bmp, 22));
    EXPECT_EQ(width, rect.right - rect.left);
    EXPECT_EQ(height, rect.bottom - rect.top);
    const uint16_t bits = u16(bmp, 28);
    EXPECT_EQ(u32(bmp, 30), static_cast<uint32_t>(BI_RGB));
    const uint32_t rowSize = ((width * bits + 31) & ~31u) / 8;
    EXPECT_EQ(u32(bmp, 34), rowSize * height);
    const uint32_t colours = bits < 24 ? (1u << bits) : 0;
    EXPECT_EQ(u32(bmp, 46), colours);
    EXPECT_EQ(u32(bmp, 10), 54 + 4 * colours);
    EXPECT_EQ(bmp.size(), 54 + 4 * colours + rowSize * height);

    // The capture is the window itself: the click pad's colour at its centre.
    if (bits == 32 || bits == 24) {
        RECT pad = {};
        ::GetWindowRect(app_.child(L"TevrinClickPad"), &pad);
        const LONG x = (pad.left + pad.right) / 2 - rect.left;
        const LONG y = (pad.top + pad.bottom) / 2 - rect.top;
        const size_t at = u32(bmp, 10) + static_cast<size_t>(height - 1 - y) * rowSize + x * (bits / 8);
        EXPECT_EQ(bmp[at], INPUTAPP_PAD_BLUE);
        EXPECT_EQ(bmp[at + 1], INPUTAPP_PAD_GREEN);
        EXPECT_EQ(bmp[at + 2], INPUTAPP_PAD_RED);
    }

    // An existing file is overwritten.
    r = call(app_.root(), L"screenshot", {Bool(true), Variant(path)});
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(readFile(path).size(), bmp.size());
    ::DeleteFileW(path.c_str());
}

TEST_F(ScreenshotTest, FullScreenCoversThePrimaryScreen) {
    const std::wstring path = tempFile(L"tevrin-screen-shot.bmp");
    CallResult r = call(app_.root(), L"screenshot", {Bool(false), Variant(path)});
    ASSERT_TRUE(r.ok());
    const std::vector<uint8_t> bmp = readFile(path);
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(static_cast<int>(u32(bmp, 18)), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(static_cast<int>(u32(bmp, 22)), ::GetSystemMetrics(SM_CYSCREEN));
    ::DeleteFileW(path.c_str());
}

TEST_F(ScreenshotTest, WithoutAFileNameTheScreenIsLeftOnTheClipboard) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::CloseClipboard();
    CallResult r = call(app_.root(), L"screenshot");
    ASSERT_TRUE(r.ok()) << std::hex << r.hr;
    ASSERT_TRUE(::OpenClipboard(nullptr));
    HBITMAP bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
    BITMAP info = {};
    const bool read = bitmap && ::GetObjectW(bitmap, sizeof info, &info);
    ::CloseClipboard();
    ASSERT_TRUE(read);
    EXPECT_EQ(info.bmWidth, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(info.bmHeight, ::GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(ScreenshotTest, FailuresReturnEFailWithoutErrorInformation) {
    // A member that failed before leaves information behind; screenshot must not pass
    // it off as its own.
    CallResult earlier = call(app_.root(), L"button", {Variant(99L)});
    EXPECT_EQ(earlier.hr, E_FAIL);

    CallResult r = call(app_.root(), L"screenshot", {Bool(true), Variant(tempFile(L"no-such-folder-4711\\shot.bmp"))});
    EXPECT_EQ(r.hr, E_FAIL);
    EXPECT_TRUE(r.description.empty()) << std::string(r.description.begin(), r.description.end());
    EXPECT_TRUE(r.source.empty());

    // A window that is gone cannot be captured.
    Microsoft::WRL::ComPtr<IDispatch> stale = e2e::newWrapper();
    HWND gone = ::CreateWindowExW(0, L"STATIC", L"gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    call(stale.Get(), L"connect", {Variant(static_cast<long>(reinterpret_cast<LONG_PTR>(gone)))});
    ::DestroyWindow(gone);
    r = call(stale.Get(), L"screenshot", {Bool(true), Variant(tempFile(L"tevrin-gone.bmp"))});
    EXPECT_EQ(r.hr, E_FAIL);
    EXPECT_TRUE(r.description.empty());
}
