#pragma once
// Finding windows by identifier (title or index) and class pattern, and the main window
// of an application.
#include <windows.h>
#include <oaidl.h>
#include <optional>
#include <string>

namespace wrappers {

// A script's window identifier, normalised: an omitted argument is index 0.
struct WindowId {
    enum class Kind { Index, Title, Other };
    Kind kind = Kind::Index;
    long index = 0;
    std::wstring title;

    static WindowId from(const VARIANT* value);  // null counts as omitted
    static WindowId ofIndex(long n) { return WindowId{Kind::Index, n, {}}; }
    static WindowId ofTitle(std::wstring t) { return WindowId{Kind::Title, 0, std::move(t)}; }
};

// How long a window may take to answer WM_GETTEXT before it counts as having no title:
// a hung application must not hang the script.
const DWORD kWindowTextTimeout = 5000;

// The window text read with WM_GETTEXTLENGTH/WM_GETTEXT (ANSI, converted with the ANSI
// code page); empty when the window is gone or does not answer within `timeout`.
std::wstring readWindowText(HWND window, DWORD timeout = kWindowTextTimeout);
// Class name as GetClassNameA gives it (at most 1023 characters).
std::wstring readClassName(HWND window);

// The window search of every child property: top-level phase (when forced or when
// `bound` has no parent), then the descendants of `bound` counted by class, then
// `bound` itself when its own class matches. Null when nothing is found.
HWND findWindow(HWND bound, DWORD processId, const WindowId& id, const std::wstring& classPattern,
                bool forceTopLevel);

// The application's main window: the last visible, framed, non-popup top-level window
// passing the filters, else the first one passing them. threadId/processId 0: any.
HWND findMainWindow(const std::optional<std::wstring>& titlePattern, DWORD threadId, DWORD processId);

// "Cannot find window index 2 of class Button" and its title form.
std::wstring windowNotFoundMessage(const WindowId& id, const std::wstring& classPattern);

} // namespace wrappers
