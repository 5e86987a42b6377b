#pragma once
// Screen images for the screenshot member: the whole primary screen or one window
// (frame included), saved as a BMP file or left on the clipboard.
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

namespace wrappers {

// Colour depth class of a bitmap with `planes` x `bitsPerPixel` bits: rounded up to
// 1, 4, 8, 16, 24 or 32.
WORD ColourDepthClass(WORD planes, WORD bitsPerPixel);

// The complete BMP file of `bitmap` (file header, bitmap header, colour table, pixels
// read with GetDIBits). The bitmap must not be selected into a device context. Empty
// when the pixels cannot be read.
std::vector<uint8_t> EncodeBmp(HBITMAP bitmap);

// Copies the screen (window null or !windowOnly) or the whole window into a new bitmap;
// null on failure. The caller owns the bitmap.
HBITMAP CaptureBitmap(HWND window, bool windowOnly);

// The screenshot member: the capture saved to `fileName` (ANSI path, created or
// overwritten), or put on the clipboard when the name is empty. S_OK or E_FAIL; never
// sets error information.
HRESULT TakeScreenshot(HWND window, bool windowOnly, const std::wstring& fileName);

} // namespace wrappers
