#include "wrappers/core/InputSimulation.h"
#include "wrappers/core/WrapperError.h"
#include <vector>

namespace wrappers {
namespace {

// A command handler may run for a while (or show a modal dialog); past this the script
// gets an error instead of waiting for ever.
const DWORD kCommandTimeout = 60000;

// Used when the system reports no screen size (no display attached).
const LONG kFallbackScreenWidth = 800;
const LONG kFallbackScreenHeight = 600;

INPUT keyInput(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT mouseInput(LONG dx, LONG dy, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return input;
}

// Absolute input coordinates span 0..65535 over the primary screen. The pixel's centre is
// used: its left edge converts back to the pixel before it whenever the division rounds.
LONG absoluteCoordinate(LONG pixel, LONG screenSize) {
    return static_cast<LONG>((2 * static_cast<LONGLONG>(pixel) + 1) * 65536 / (2 * static_cast<LONGLONG>(screenSize)));
}

} // namespace

void BringToForeground(HWND window) {
    HWND top = window;
    while (HWND parent = ::GetParent(top)) top = parent;
    if (top) ::SetForegroundWindow(top);
}

POINT ClickPoint(const RECT& rect, LONG x, LONG y) {
    const LONG px = x == -1 ? rect.left + (rect.right - rect.left) / 2 : rect.left + x;
    const LONG py = y == -1 ? rect.top + (rect.bottom - rect.top) / 2 : rect.top + y;
    // Screen positions are 16-bit signed values.
    return POINT{static_cast<SHORT>(px), static_cast<SHORT>(py)};
}

std::vector<INPUT> ClickInputs(POINT screenPoint, LONG button, bool shift, bool ctrl, bool alt, bool doubleClick) {
    LONG width = ::GetSystemMetrics(SM_CXSCREEN);
    LONG height = ::GetSystemMetrics(SM_CYSCREEN);
    if (width == 0) width = kFallbackScreenWidth;
    if (height == 0) height = kFallbackScreenHeight;
    const LONG dx = absoluteCoordinate(screenPoint.x, width);
    const LONG dy = absoluteCoordinate(screenPoint.y, height);

    DWORD down = MOUSEEVENTF_LEFTDOWN, up = MOUSEEVENTF_LEFTUP;
    if (button == 1) {
        down = MOUSEEVENTF_MIDDLEDOWN;
        up = MOUSEEVENTF_MIDDLEUP;
    } else if (button == 2) {
        down = MOUSEEVENTF_RIGHTDOWN;
        up = MOUSEEVENTF_RIGHTUP;
    }

    std::vector<INPUT> inputs;
    if (shift) inputs.push_back(keyInput(VK_SHIFT, false));
    if (ctrl) inputs.push_back(keyInput(VK_CONTROL, false));
    if (alt) inputs.push_back(keyInput(VK_MENU, false));
    inputs.push_back(mouseInput(dx, dy, MOUSEEVENTF_MOVE));
    for (int i = 0; i < (doubleClick ? 2 : 1); ++i) {
        inputs.push_back(mouseInput(dx, dy, down));
        inputs.push_back(mouseInput(dx, dy, up));
    }
    if (shift) inputs.push_back(keyInput(VK_SHIFT, true));
    if (ctrl) inputs.push_back(keyInput(VK_CONTROL, true));
    if (alt) inputs.push_back(keyInput(VK_MENU, true));
    return inputs;
}

void ClickAt(POINT screenPoint, LONG button, bool shift, bool ctrl, bool alt, bool doubleClick) {
    std::vector<INPUT> inputs = ClickInputs(screenPoint, button, shift, ctrl, alt, doubleClick);
    // Blocked input is not an error: the click simply does not land.
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

bool ClickWindow(HWND window, LONG button, LONG x, LONG y, bool shift, bool ctrl, bool alt, bool doubleClick) {
    // A window that is gone has no rectangle; the click would land at the screen's corner.
    if (!window || !::IsWindow(window)) return false;
    BringToForeground(window);
    RECT rect = {};
    if (!::GetWindowRect(window, &rect)) return false;
    ClickAt(ClickPoint(rect, x, y), button, shift, ctrl, alt, doubleClick);
    return true;
}

void DeliverCommand(HWND owner, WPARAM command, LPARAM source, bool post, const wchar_t* what) {
    if (post) {
        ::PostMessageA(owner, WM_COMMAND, command, source);
        return;
    }
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutA(owner, WM_COMMAND, command, source, SMTO_NORMAL, kCommandTimeout, &ignored) &&
        ::IsWindow(owner))
        throw WrapperError(std::wstring(L"The application did not finish handling the ") + what +
                           L" command within 60 seconds; set async of the Synchronizer before a command that "
                           L"opens a modal dialog");
}

} // namespace wrappers
