#include "ExplorerTestSupport.h"
#include <commctrl.h>
#include <atomic>

namespace explorer_test {

namespace {

std::atomic<bool> g_timerFired{false};

void CALLBACK OnSettleTimer(HWND, UINT, UINT_PTR, DWORD) { g_timerFired = true; }

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

LONG Normalized(LONG value, int extent) {
    // Rounded up so that the system's scaling back lands on the same pixel.
    return static_cast<LONG>((static_cast<LONGLONG>(value) * 65536 + extent - 1) / extent);
}

void AddLines(HWND tree, HTREEITEM first, int depth, std::vector<std::wstring>& lines) {
    for (HTREEITEM item = first; item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t text[1024] = {};
        TVITEMW tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = 1024;
        TreeView_GetItem(tree, &tv);
        lines.push_back(std::wstring(static_cast<size_t>(depth) * 2, L' ') + text);
        AddLines(tree, TreeView_GetChild(tree, item), depth + 1, lines);
    }
}

} // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        Pump();
        if (condition()) return true;
        if (::GetTickCount() - start > milliseconds) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void SettleInput() {
    // Timer messages come after input messages: once the timer fires, the input that
    // was queued before has been dispatched.
    g_timerFired = false;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 1, OnSettleTimer);
    PumpUntil([] { return g_timerFired.load(); }, 5000);
    ::KillTimer(nullptr, timer);
}

void MouseTo(POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalized(screen.x, ::GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = Normalized(screen.y, ::GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof(input));
    PumpUntil([screen] {
        POINT p{};
        ::GetCursorPos(&p);
        return p.x == screen.x && p.y == screen.y;
    }, 3000);
    SettleInput();
}

void LeftButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &input, sizeof(input));
    SettleInput();
}

void ClickAt(POINT screen) {
    MouseTo(screen);
    LeftButton(true);
    LeftButton(false);
}

POINT CenterOf(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

POINT CenterOf(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return CenterOf(r);
}

std::vector<std::wstring> TreeLines(HWND tree) {
    std::vector<std::wstring> lines;
    AddLines(tree, TreeView_GetRoot(tree), 0, lines);
    return lines;
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& text) {
    for (const std::wstring& line : lines)
        if (line == text) return true;
    return false;
}

std::wstring TextOf(HWND window) {
    wchar_t text[2048] = {};
    ::GetWindowTextW(window, text, 2048);
    return text;
}

} // namespace explorer_test
