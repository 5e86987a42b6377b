// The BMP file of a screenshot: headers, colour table and pixels for each colour depth.
#include "wrappers/core/Screenshot.h"
#include <gtest/gtest.h>
#include <cstring>

using wrappers::ColourDepthClass;
using wrappers::EncodeBmp;

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

// A device-independent bitmap of the given depth whose pixel (x, y) is set by `fill`.
HBITMAP makeBitmap(int width, int height, WORD bits) {
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFO* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = width;
    bmi->bmiHeader.biHeight = height;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = bits;
    bmi->bmiHeader.biCompression = BI_RGB;
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) {
            bmi->bmiColors[i].rgbRed = static_cast<BYTE>(i * 7);
            bmi->bmiColors[i].rgbGreen = static_cast<BYTE>(255 - i);
            bmi->bmiColors[i].rgbBlue = static_cast<BYTE>(i);
        }
    }
    void* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, bmi, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap && pixels) {
        const size_t row = ((width * bits + 31) & ~31) / 8;
        uint8_t* p = static_cast<uint8_t*>(pixels);
        for (size_t i = 0; i < row * static_cast<size_t>(height); ++i) p[i] = static_cast<uint8_t>(i * 31 + 5);
    }
    return bitmap;
}

} // namespace

TEST(ColourDepthClass, RoundsUpToTheDepthsOfTheFileFormat) {
    EXPECT_EQ(ColourDepthClass(1, 1), 1);
    EXPECT_EQ(ColourDepthClass(1, 2), 4);
    EXPECT_EQ(ColourDepthClass(1, 4), 4);
    EXPECT_EQ(ColourDepthClass(1, 8), 8);
    EXPECT_EQ(ColourDepthClass(1, 15), 16);
    EXPECT_EQ(ColourDepthClass(1, 16), 16);
    EXPECT_EQ(ColourDepthClass(3, 8), 24);
    EXPECT_EQ(ColourDepthClass(1, 24), 24);
    EXPECT_EQ(ColourDepthClass(1, 32), 32);
    EXPECT_EQ(ColourDepthClass(0, 0), 1);
}

TEST(EncodeBmp, HeadersSizesAndPixelsForEveryDepth) {
    // Odd widths make rows that need padding to four bytes.
    for (WORD bits : {1, 4, 8, 16, 24, 32}) {
        SCOPED_TRACE(bits);
        const int width = 13, height = 7;
        HBITMAP bitmap = makeBitmap(width, height, bits);
        ASSERT_NE(bitmap, nullptr);
        DIBSECTION section = {};
        ASSERT_TRUE(::GetObjectW(bitmap, sizeof section, &section));
        std::vector<uint8_t> bmp = EncodeBmp(bitmap);
        ASSERT_FALSE(bmp.empty());

        const uint32_t colours = bits < 24 ? (1u << bits) : 0;
        const uint32_t row = ((width * bits + 31) & ~31u) / 8;
        const uint32_t offset = 14 + 40 + 4 * colours;
        EXPECT_EQ(u16(bmp, 0), 0x4D42);
        EXPECT_EQ(u32(bmp, 2), offset + row * height);
        EXPECT_EQ(bmp.size(), offset + row * height);
        EXPECT_EQ(u32(bmp, 6), 0u);
        EXPECT_EQ(u32(bmp, 10), offset);
        EXPECT_EQ(u32(bmp, 14), 40u);
        EXPECT_EQ(u32(bmp, 18), static_cast<uint32_t>(width));
        EXPECT_EQ(u32(bmp, 22), static_cast<uint32_t>(height));
        EXPECT_EQ(u16(bmp, 26), 1);
        EXPECT_EQ(u16(bmp, 28), bits);
        EXPECT_EQ(u32(bmp, 30), static_cast<uint32_t>(BI_RGB));
        EXPECT_EQ(u32(bmp, 34), row * height);
        EXPECT_EQ(u32(bmp, 38), 0u);
        EXPECT_EQ(u32(bmp, 42), 0u);
        EXPECT_EQ(u32(bmp, 46), colours);
        EXPECT_EQ(u32(bmp, 50), 0u);

        // The pixel rows are the bitmap's own (padding bytes aside).
        const uint8_t* pixels = static_cast<const uint8_t*>(section.dsBm.bmBits);
        const uint32_t used = (width * bits + 7) / 8;
        for (int y = 0; y < height; ++y)
            EXPECT_EQ(std::memcmp(bmp.data() + offset + y * row, pixels + y * row, used - (bits < 8 ? 1 : 0)), 0)
                << "row " << y;
        if (bits == 8) {
            // The colour table follows the header.
            EXPECT_EQ(bmp[54 + 4 * 3 + 0], 3);        // blue of colour 3
            EXPECT_EQ(bmp[54 + 4 * 3 + 1], 255 - 3);  // green
            EXPECT_EQ(bmp[54 + 4 * 3 + 2], 21);       // red
        }
        ::DeleteObject(bitmap);
    }
}

TEST(EncodeBmp, NoBitmapGivesNoFile) {
    EXPECT_TRUE(EncodeBmp(nullptr).empty());
}

TEST(TakeScreenshot, FileThatCannotBeCreatedFailsAndLeavesNothing) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring missing = std::wstring(folder) + L"tevrin-missing-folder\\x.bmp";
    EXPECT_EQ(wrappers::TakeScreenshot(::GetDesktopWindow(), true, missing), E_FAIL);
    EXPECT_EQ(::GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(wrappers::TakeScreenshot(nullptr, true, std::wstring(folder) + L"tevrin-none.bmp"), E_FAIL);
}
