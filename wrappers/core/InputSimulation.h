#pragma once
// Real mouse and keyboard input for the click members of the wrappers, and the
// screenshots. Everything runs on the caller's thread.
#include <windows.h>
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

// The WM_COMMAND a menu item or toolbar button gives its owner: posted when `post`, else
// sent and waited for at most 60 s. Past that, while the owner still exists, a
// WrapperError names `what` ("menu", "toolbar") and the way out.
void DeliverCommand(HWND owner, WPARAM command, LPARAM source, bool post, const wchar_t* what);

} // namespace wrappers
