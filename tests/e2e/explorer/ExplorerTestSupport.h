#pragma once
// Real mouse input and message pumping for tests that drive the Window Explorer in
// their own process while the applications under test run in others.
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

namespace explorer_test {

// Dispatches this thread's messages until `condition` holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds = 10000);
// Returns once every input message queued so far has been dispatched.
void SettleInput();

// SendInput: pointer to a screen point, left button down or up.
void MouseTo(POINT screen);
void LeftButton(bool down);
// A click at a screen point, dispatched.
void ClickAt(POINT screen);

POINT CenterOf(HWND window);
POINT CenterOf(const RECT& rect);

// The texts of a tree view, depth first, each prefixed by two spaces per level.
std::vector<std::wstring> TreeLines(HWND tree);
bool Contains(const std::vector<std::wstring>& lines, const std::wstring& text);
std::wstring TextOf(HWND window);

} // namespace explorer_test
