#pragma once
// Small helpers the window tests share: waiting for a condition, and a window's text and
// class read without hanging on a window that does not answer.
#include <windows.h>
#include <functional>
#include <string>

namespace frame_e2e {

// The first programs in a fresh prefix are slow.
const DWORD kTimeout = 60000;

inline bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = kTimeout) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount() - start >= milliseconds) return false;
        ::Sleep(50);
    }
}

inline std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length) ||
        length > (1u << 20))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 5000,
                          &copied);
    text.resize(copied);
    return text;
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    ::GetClassNameW(window, name, 128);
    return name;
}

} // namespace frame_e2e
