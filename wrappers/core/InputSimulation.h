#pragma once
// Real mouse and keyboard input for the click members of the wrappers, and the
// screenshots. Everything runs on the caller's thread.
#include "wrappers/core/KeySequence.h"
#include <windows.h>
#include <string>
#include <vector>

namespace wrappers {

// Climbs from `window` with GetParent while it yields a window and makes the last one
// the foreground window.
void BringToForeground(HWND window);

// The screen point of a click: offsets from the top-left corner of `rect`, -1 meaning
// the middle along that axis.
POINT ClickPoint(const RECT& rect, LONG x, LONG y);

// One SendInput batch: modifier keys down (shift, control, alt), an absolute move to
// `screenPoint`, button down and up (twice when `doubleClick`), modifier keys up.
// button: 0 left, 1 middle, 2 right, anything else left.
void ClickAt(POINT screenPoint, LONG button, bool shift, bool ctrl, bool alt, bool doubleClick);

// The batch that ClickAt passes to SendInput, in order.
std::vector<INPUT> ClickInputs(POINT screenPoint, LONG button, bool shift, bool ctrl, bool alt, bool doubleClick);

// click/dblclick of a window: foreground first, then one batch at the point given by
// offsets from the window rectangle (frame and caption included). False, and no input,
// when the window no longer exists.
bool ClickWindow(HWND window, LONG button, LONG x, LONG y, bool shift, bool ctrl, bool alt, bool doubleClick);

// The keyboard inputs of parsed key steps, for the keyboard layout `layout`: a character
// is typed with the key the layout has for it (Shift added when the layout needs it), or
// as a Unicode character when no key makes it. Throws WrapperError for a character with
// no key of its own under a held modifier (Ctrl+é means nothing a layout can type).
std::vector<INPUT> KeyInputs(const std::vector<KeyStep>& steps, HKL layout);

// The key-up inputs that release every key still down after the first `sent` of
// `inputs`: what makes a batch the system cut short leave no key held.
std::vector<INPUT> ReleasesAfter(const std::vector<INPUT>& inputs, size_t sent);

// keys of a window: parses the sequence (a bad one fails before any key is pressed),
// brings the window's top-level window to the foreground, gives the window the keyboard
// focus when it is a child, and types the sequence in one SendInput batch. Throws
// WrapperError when the window is gone, does not come to the foreground, or the input is
// blocked; no key is left down in any case.
void TypeKeys(HWND window, const std::wstring& keys);

// The WM_COMMAND a menu item or toolbar button gives its owner: posted when `post`, else
// sent and waited for at most 60 s. Past that, while the owner still exists, a
// WrapperError names `what` ("menu", "toolbar") and the way out.
void DeliverCommand(HWND owner, WPARAM command, LPARAM source, bool post, const wchar_t* what);

} // namespace wrappers
