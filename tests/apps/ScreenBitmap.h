#pragma once
// A part of the screen saved as a 24-bit BMP file, for the screenshots of the tests and
// the applications under test.
#include <windows.h>
#include <string>

namespace testing_apps {

// The screen rectangle `area` written to `path`; false when any step fails.
inline bool SaveScreenBitmap(const RECT& area, const std::wstring& path) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool saved = false;
    if (bitmap && bits) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        ::GdiFlush();
        ::SelectObject(memory, old);
        const DWORD imageSize = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        file.bfSize = file.bfOffBits + imageSize;
        HANDLE out = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (out != INVALID_HANDLE_VALUE) {
            DWORD a = 0, b = 0, c = 0;
            saved = ::WriteFile(out, &file, sizeof(file), &a, nullptr) &&
                    ::WriteFile(out, &info.bmiHeader, sizeof(info.bmiHeader), &b, nullptr) &&
                    ::WriteFile(out, bits, imageSize, &c, nullptr) && c == imageSize;
            ::CloseHandle(out);
        }
    }
    if (bitmap) ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return saved;
}

} // namespace testing_apps
