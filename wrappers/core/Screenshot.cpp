#include "wrappers/core/Screenshot.h"
#include "common/TextConv.h"
#include "common/GdiOwners.h"
#include "common/UniqueHandle.h"
#include <cstring>

namespace wrappers {
namespace {

const DWORD kFileHeaderSize = 14;
const DWORD kInfoHeaderSize = sizeof(BITMAPINFOHEADER);  // 40
// Another program may hold the clipboard for a moment; give it this long.
const DWORD kClipboardWait = 2000;

void put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// The source of a capture: a window's whole-window DC or the display DC.
class SourceDc {
public:
    SourceDc(HWND window, bool windowOnly) {
        if (windowOnly) {
            RECT rect = {};
            if (!window || !::IsWindow(window) || !::GetWindowRect(window, &rect)) return;
            windowDc_ = common::WindowDc(window, ::GetWindowDC(window));
            width_ = rect.right - rect.left;
            height_ = rect.bottom - rect.top;
        } else {
            displayDc_.reset(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
            if (displayDc_) {
                width_ = ::GetDeviceCaps(displayDc_.get(), HORZRES);
                height_ = ::GetDeviceCaps(displayDc_.get(), VERTRES);
            }
        }
    }
    HDC get() const { return windowDc_ ? windowDc_.get() : displayDc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    common::WindowDc windowDc_{nullptr, nullptr};
    common::MemoryDc displayDc_;  // CreateDC's DC is deleted, not released
    int width_ = 0;
    int height_ = 0;
};

bool writeFile(const std::wstring& fileName, const std::vector<uint8_t>& bytes) {
    const std::string path = common::WideToAnsi(fileName);
    common::UniqueFileHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        // A cut-off image is worse than none: it would pass for evidence.
        file.reset();
        ::DeleteFileA(path.c_str());
        return false;
    }
    return true;
}

bool openClipboard() {
    const ULONGLONG start = ::GetTickCount64();
    while (!::OpenClipboard(nullptr)) {
        if (::GetTickCount64() - start > kClipboardWait) return false;
        ::Sleep(20);
    }
    return true;
}

} // namespace

WORD ColourDepthClass(WORD planes, WORD bitsPerPixel) {
    const unsigned bits = static_cast<unsigned>(planes) * bitsPerPixel;
    if (bits <= 1) return 1;
    if (bits <= 4) return 4;
    if (bits <= 8) return 8;
    if (bits <= 16) return 16;
    if (bits <= 24) return 24;
    return 32;
}

std::vector<uint8_t> EncodeBmp(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return {};
    const WORD depth = ColourDepthClass(info.bmPlanes, info.bmBitsPixel);
    const DWORD coloursUsed = depth < 24 ? (1u << depth) : 0;
    const DWORD rowSize = ((static_cast<DWORD>(info.bmWidth) * info.bmPlanes * info.bmBitsPixel + 31) & ~31u) / 8;
    const DWORD imageSize = rowSize * static_cast<DWORD>(info.bmHeight);
    const DWORD pixelOffset = kFileHeaderSize + kInfoHeaderSize + 4 * coloursUsed;

    // The bitmap header and its colour table, as GetDIBits fills them.
    std::vector<uint8_t> header(kInfoHeaderSize + 4 * coloursUsed, 0);
    BITMAPINFOHEADER* bih = reinterpret_cast<BITMAPINFOHEADER*>(header.data());
    bih->biSize = kInfoHeaderSize;
    bih->biWidth = info.bmWidth;
    bih->biHeight = info.bmHeight;
    bih->biPlanes = info.bmPlanes;
    bih->biBitCount = info.bmBitsPixel;
    bih->biCompression = BI_RGB;
    bih->biSizeImage = imageSize;
    bih->biClrUsed = coloursUsed;
    bih->biClrImportant = 0;

    std::vector<uint8_t> file(pixelOffset + imageSize, 0);
    const int rows = ::GetDIBits(common::WindowDc(nullptr).get(), bitmap, 0, static_cast<UINT>(info.bmHeight), file.data() + pixelOffset,
                                 reinterpret_cast<BITMAPINFO*>(header.data()), DIB_RGB_COLORS);
    if (rows != info.bmHeight) return {};
    // GetDIBits may have changed fields of the header; the file keeps the values above.
    bih->biSize = kInfoHeaderSize;
    bih->biSizeImage = imageSize;
    bih->biClrUsed = coloursUsed;
    bih->biClrImportant = 0;
    bih->biCompression = BI_RGB;
    bih->biXPelsPerMeter = 0;
    bih->biYPelsPerMeter = 0;

    put16(file, 0, 0x4D42);  // "BM"
    put32(file, 2, pixelOffset + imageSize);
    put16(file, 6, 0);
    put16(file, 8, 0);
    put32(file, 10, pixelOffset);
    std::memcpy(file.data() + kFileHeaderSize, header.data(), header.size());
    return file;
}

HBITMAP CaptureBitmap(HWND window, bool windowOnly) {
    SourceDc source(window, windowOnly);
    if (!source.get() || source.width() <= 0 || source.height() <= 0) return nullptr;
    common::MemoryDc memory(::CreateCompatibleDC(source.get()));
    if (!memory) return nullptr;
    common::UniqueGdiObject bitmap(::CreateCompatibleBitmap(source.get(), source.width(), source.height()));
    if (!bitmap) return nullptr;
    BOOL copied = FALSE;
    {
        // Deselected before anyone reads it: GetDIBits and the clipboard need a free bitmap.
        common::SelectedObject selected(memory.get(), bitmap.get());
        copied = ::BitBlt(memory.get(), 0, 0, source.width(), source.height(), source.get(), 0, 0, SRCCOPY);
    }
    if (!copied) return nullptr;
    return static_cast<HBITMAP>(bitmap.release());
}

HRESULT TakeScreenshot(HWND window, bool windowOnly, const std::wstring& fileName) {
    common::UniqueGdiObject bitmap(CaptureBitmap(window, windowOnly));
    if (!bitmap) return E_FAIL;
    if (fileName.empty()) {
        if (!openClipboard()) return E_FAIL;
        bool placed = false;
        if (::EmptyClipboard() && ::SetClipboardData(CF_BITMAP, bitmap.get())) placed = true;
        ::CloseClipboard();
        if (!placed) return E_FAIL;
        bitmap.release();  // the clipboard owns it now
        return S_OK;
    }
    std::vector<uint8_t> bytes = EncodeBmp(static_cast<HBITMAP>(bitmap.get()));
    if (bytes.empty()) return E_FAIL;
    return writeFile(fileName, bytes) ? S_OK : E_FAIL;
}

} // namespace wrappers
