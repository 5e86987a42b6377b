#pragma once
#include <windows.h>
#include <utility>
#include "common/UniqueHandle.h"

namespace common {

// Owner of a DC borrowed from a window (GetDC, GetWindowDC, GetDCEx): given back with
// ReleaseDC, which needs the window it came from.
class WindowDc {
public:
    // The client-area DC of window (the screen's when window is null).
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    // Takes over a DC that GetWindowDC or GetDCEx gave for window.
    WindowDc(HWND window, HDC dc) : window_(window), dc_(dc) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& other) noexcept
        : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
    WindowDc& operator=(WindowDc&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = other.window_;
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    ~WindowDc() { reset(); }

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset() {
        if (dc_) ::ReleaseDC(window_, std::exchange(dc_, nullptr));
    }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
};

// A DC this code created (CreateCompatibleDC, CreateDC): deleted with DeleteDC.
struct CreatedDcTraits {
    using Handle = HDC;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::DeleteDC(h); }
};
using MemoryDc = UniqueHandleT<CreatedDcTraits>;

// Selects a GDI object into a DC for one scope and selects the previous object back
// when the scope ends, also when it ends by an exception. The object must outlive the
// scope: declare its owner first.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() {
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace common
