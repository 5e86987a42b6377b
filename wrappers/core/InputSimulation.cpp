#include "wrappers/core/InputSimulation.h"
#include "wrappers/core/WrapperError.h"
#include <vector>

namespace wrappers {
namespace {

// A command handler may run for a while (or show a modal dialog); past this the script
// gets an error instead of waiting for ever.
const DWORD kCommandTimeout = 60000;

// How long keys waits for its window to become the foreground window, and for the
// window to answer before its focus is moved.
const DWORD kForegroundTimeout = 5000;
const DWORD kAnswerTimeout = 5000;

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

// Keys whose scan codes are shared with the numeric keypad; the extended flag tells them
// apart (an arrow key, not keypad 4).
bool isExtendedKey(WORD key) {
    switch (key) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_NUMLOCK: case VK_DIVIDE:
    case VK_SNAPSHOT: case VK_CANCEL: case VK_APPS: case VK_LWIN: case VK_RWIN:
        return true;
    default:
        return false;
    }
}

INPUT virtualKeyInput(WORD key, bool up, HKL layout) {
    INPUT input = keyInput(key, up);
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyExW(key, MAPVK_VK_TO_VSC, layout));
    if (isExtendedKey(key)) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    return input;
}

INPUT unicodeInput(wchar_t character, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = character;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
    return input;
}

bool isKeyUp(const INPUT& input) { return (input.ki.dwFlags & KEYEVENTF_KEYUP) != 0; }

// Two keyboard inputs stand for the same key: the same virtual key, or the same Unicode
// character.
bool sameKey(const INPUT& a, const INPUT& b) {
    const bool unicode = (a.ki.dwFlags & KEYEVENTF_UNICODE) != 0;
    if (unicode != ((b.ki.dwFlags & KEYEVENTF_UNICODE) != 0)) return false;
    return unicode ? a.ki.wScan == b.ki.wScan : a.ki.wVk == b.ki.wVk;
}

// The window that takes the keyboard input of `window`: its top-level window, or, when
// that is disabled behind a modal dialog, the dialog.
HWND keyboardRoot(HWND window) {
    HWND root = ::GetAncestor(window, GA_ROOT);
    if (!root) root = window;
    if (!::IsWindowEnabled(root)) {
        HWND popup = ::GetLastActivePopup(root);
        if (popup && popup != root && ::IsWindowEnabled(popup)) return popup;
    }
    return root;
}

bool isForeground(HWND root) {
    HWND foreground = ::GetForegroundWindow();
    return foreground && (foreground == root || ::GetAncestor(foreground, GA_ROOT) == root);
}

void comeToForeground(HWND root) {
    if (::IsIconic(root)) ::ShowWindow(root, SW_RESTORE);
    if (isForeground(root)) return;
    ::SetForegroundWindow(root);
    const ULONGLONG start = ::GetTickCount64();
    while (!isForeground(root)) {
        if (::GetTickCount64() - start > kForegroundTimeout) {
            if (!::IsWindow(root)) throw WrapperError(L"Cannot type keys: the window no longer exists");
            throw WrapperError(L"Cannot type keys: the window did not come to the foreground within 5 seconds");
        }
        ::Sleep(20);
        ::SetForegroundWindow(root);
    }
}

// Keys go to the focus window of the foreground thread; a control wrapper's keys go to
// that control. SetFocus works on another thread's window only while the two threads
// share their input state.
void focusWindow(HWND window) {
    const DWORD target = ::GetWindowThreadProcessId(window, nullptr);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (::GetGUIThreadInfo(target, &info) && info.hwndFocus == window) return;
    // SetFocus sends the focus messages to the window's thread: a thread that does not
    // answer would hold this call for ever.
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeout, &ignored))
        throw WrapperError(::IsWindow(window) ? L"Cannot type keys: the window did not answer within 5 seconds"
                                              : L"Cannot type keys: the window no longer exists");
    const DWORD self = ::GetCurrentThreadId();
    const bool attached = self != target && ::AttachThreadInput(self, target, TRUE);
    ::SetFocus(window);
    if (attached) ::AttachThreadInput(self, target, FALSE);
}

} // namespace

std::vector<INPUT> KeyInputs(const std::vector<KeyStep>& steps, HKL layout) {
    std::vector<INPUT> inputs;
    int shiftHeld = 0, modifiersHeld = 0;
    for (const KeyStep& step : steps) {
        switch (step.kind) {
        case KeyStep::Kind::Press:
            inputs.push_back(virtualKeyInput(step.key, false, layout));
            ++modifiersHeld;
            if (step.key == VK_SHIFT) ++shiftHeld;
            break;
        case KeyStep::Kind::Release:
            inputs.push_back(virtualKeyInput(step.key, true, layout));
            --modifiersHeld;
            if (step.key == VK_SHIFT) --shiftHeld;
            break;
        case KeyStep::Kind::Tap:
            inputs.push_back(virtualKeyInput(step.key, false, layout));
            inputs.push_back(virtualKeyInput(step.key, true, layout));
            break;
        case KeyStep::Kind::Character: {
            const SHORT scan = ::VkKeyScanExW(step.character, layout);
            const BYTE shiftState = HIBYTE(scan);
            // Only keys the layout reaches with Shift alone (or nothing) are pressed as
            // keys; the rest (AltGr characters, characters of other scripts) arrive as
            // Unicode characters, which no modifier can combine with.
            if (scan == -1 || (shiftState & ~1) != 0) {
                if (modifiersHeld > 0)
                    throw WrapperError(std::wstring(L"Cannot type '") + step.character +
                                       L"' with a modifier held: the keyboard layout has no key for it");
                inputs.push_back(unicodeInput(step.character, false));
                inputs.push_back(unicodeInput(step.character, true));
                break;
            }
            const WORD key = LOBYTE(scan);
            const bool addShift = (shiftState & 1) && shiftHeld == 0;
            if (addShift) inputs.push_back(virtualKeyInput(VK_SHIFT, false, layout));
            inputs.push_back(virtualKeyInput(key, false, layout));
            inputs.push_back(virtualKeyInput(key, true, layout));
            if (addShift) inputs.push_back(virtualKeyInput(VK_SHIFT, true, layout));
            break;
        }
        }
    }
    return inputs;
}

std::vector<INPUT> ReleasesAfter(const std::vector<INPUT>& inputs, size_t sent) {
    std::vector<INPUT> down;
    for (size_t i = 0; i < sent && i < inputs.size(); ++i) {
        const INPUT& input = inputs[i];
        if (input.type != INPUT_KEYBOARD) continue;
        auto it = down.begin();
        while (it != down.end() && !sameKey(*it, input)) ++it;
        if (isKeyUp(input)) {
            if (it != down.end()) down.erase(it);
        } else if (it == down.end()) {
            down.push_back(input);
        }
    }
    std::vector<INPUT> releases;
    for (auto it = down.rbegin(); it != down.rend(); ++it) {
        INPUT up = *it;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        releases.push_back(up);
    }
    return releases;
}

void TypeKeys(HWND window, const std::wstring& keys) {
    if (!window || !::IsWindow(window)) throw WrapperError(L"Cannot type keys: the window no longer exists");
    const HKL layout = ::GetKeyboardLayout(::GetWindowThreadProcessId(window, nullptr));
    // The whole sequence is checked before the first key goes down.
    std::vector<INPUT> inputs = KeyInputs(ParseKeySequence(keys), layout);

    const HWND root = keyboardRoot(window);
    comeToForeground(root);
    if (window != root && ::GetAncestor(window, GA_ROOT) == root) focusWindow(window);
    if (inputs.empty()) return;

    const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent < inputs.size()) {
        std::vector<INPUT> releases = ReleasesAfter(inputs, sent);
        if (!releases.empty()) ::SendInput(static_cast<UINT>(releases.size()), releases.data(), sizeof(INPUT));
        throw WrapperError(L"Cannot type keys: the system took " + std::to_wstring(sent) + L" of " +
                           std::to_wstring(inputs.size()) + L" key events (input is blocked)");
    }
}

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
