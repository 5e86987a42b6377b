#pragma once
// Keys and clipboard text as a user's would arrive, for tests that drive windows of their
// own thread through its message loop.
#include <windows.h>
#include <cstring>
#include <initializer_list>
#include <string>

namespace testing_apps {

// Puts text on the clipboard.
inline bool SetClipboardText(const std::wstring& text, HWND owner = nullptr) {
    if (!::OpenClipboard(owner)) return false;
    ::EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool set = false;
    if (memory) {
        std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
        ::GlobalUnlock(memory);
        set = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!set) ::GlobalFree(memory);
    }
    ::CloseClipboard();
    return set;
}

// A key pressed on `focus` with modifier keys held (VK_SHIFT, VK_CONTROL, VK_MENU): the
// thread's keyboard state says they are down, the key goes down and up as posted
// messages, and `pump` runs the thread's loop after each. Alt makes it a system key.
template <typename Pump>
void PressKeyWith(HWND focus, UINT key, std::initializer_list<UINT> held, Pump pump) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    bool alt = false;
    for (UINT modifier : held) {
        state[modifier] = 0x80;
        alt = alt || modifier == VK_MENU;
    }
    ::SetKeyboardState(state);
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    const LPARAM context = alt ? (1 << 29) : 0;
    ::PostMessageW(focus, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 1 | scan | context);
    pump();
    ::PostMessageW(focus, alt ? WM_SYSKEYUP : WM_KEYUP, key, 1 | scan | context | 0xC0000000);
    pump();
    for (UINT modifier : held) state[modifier] = 0;
    ::SetKeyboardState(state);
}

} // namespace testing_apps
