// Application under test for input simulation, screenshots, toolbars, tooltips and
// menus. It writes one line per event to the file given with /log:
//   key down|up SHIFT|CONTROL|MENU|<virtual key in decimal>   (on the click pad)
//   char <character code in decimal>                          (on the click pad)
//   move X,Y                          (screen position; repeats of one position once)
//   down|up|dblclick left|middle|right X,Y mods=shift+ctrl+alt|none
//   initmenupopup File|Edit|Help|Recent|Options pos=N
//   command ID from=menu|toolbar|self|other
//   exit
//   inputapp.exe [/log <file>] [/title <caption>]
#include "InputAppIds.h"
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <algorithm>
#include <cstdio>
#include <string>

namespace {

struct Options {
    std::wstring logPath;
    std::wstring title = L"Input App";
};

Options g_options;
FILE* g_log = nullptr;
HWND g_main = nullptr;
HWND g_toolbar = nullptr;
HWND g_pad = nullptr;
HWND g_tip = nullptr;
HMENU g_fileMenu = nullptr;
HMENU g_recentMenu = nullptr;
HMENU g_editMenu = nullptr;
HMENU g_helpMenu = nullptr;
HMENU g_optionsMenu = nullptr;
POINT g_lastMove = {-100000, -100000};
wchar_t g_tipText[80] = L"Last: none";

void Record(const std::wstring& line) {
    if (!g_log) return;
    fwprintf(g_log, L"%ls\n", line.c_str());
    fflush(g_log);
}

void ParseCommandLine() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        std::wstring arg = args[i];
        if (arg == L"/log" && i + 1 < count) g_options.logPath = args[++i];
        else if (arg == L"/title" && i + 1 < count) g_options.title = args[++i];
    }
    ::LocalFree(args);
}

std::wstring Position(LPARAM lParam, HWND window) {
    POINT p = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    ::ClientToScreen(window, &p);
    return std::to_wstring(p.x) + L"," + std::to_wstring(p.y);
}

std::wstring Modifiers(WPARAM wParam) {
    std::wstring mods;
    auto add = [&](const wchar_t* name) { mods += (mods.empty() ? L"" : L"+") + std::wstring(name); };
    if (wParam & MK_SHIFT) add(L"shift");
    if (wParam & MK_CONTROL) add(L"ctrl");
    if (::GetKeyState(VK_MENU) < 0) add(L"alt");
    return mods.empty() ? L"none" : mods;
}

const wchar_t* KeyName(WPARAM key) {
    switch (key) {
    case VK_SHIFT: return L"SHIFT";
    case VK_CONTROL: return L"CONTROL";
    case VK_MENU: return L"MENU";
    default: return nullptr;
    }
}

void RecordButton(const wchar_t* what, const wchar_t* button, WPARAM wParam, LPARAM lParam, HWND window) {
    Record(std::wstring(what) + L" " + button + L" " + Position(lParam, window) + L" mods=" + Modifiers(wParam));
}

LRESULT CALLBACK PadProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE: {
        POINT p = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        ::ClientToScreen(window, &p);
        if (p.x != g_lastMove.x || p.y != g_lastMove.y) {
            g_lastMove = p;
            Record(L"move " + std::to_wstring(p.x) + L"," + std::to_wstring(p.y));
        }
        return 0;
    }
    case WM_LBUTTONDOWN: ::SetFocus(window); RecordButton(L"down", L"left", wParam, lParam, window); return 0;
    case WM_LBUTTONUP: RecordButton(L"up", L"left", wParam, lParam, window); return 0;
    case WM_LBUTTONDBLCLK: RecordButton(L"dblclick", L"left", wParam, lParam, window); return 0;
    case WM_MBUTTONDOWN: RecordButton(L"down", L"middle", wParam, lParam, window); return 0;
    case WM_MBUTTONUP: RecordButton(L"up", L"middle", wParam, lParam, window); return 0;
    case WM_MBUTTONDBLCLK: RecordButton(L"dblclick", L"middle", wParam, lParam, window); return 0;
    case WM_RBUTTONDOWN: RecordButton(L"down", L"right", wParam, lParam, window); return 0;
    case WM_RBUTTONUP: RecordButton(L"up", L"right", wParam, lParam, window); return 0;
    case WM_RBUTTONDBLCLK: RecordButton(L"dblclick", L"right", wParam, lParam, window); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        // Auto-repeat of a held key is not a new press.
        if (down && (lParam & (1 << 30))) return 0;
        const wchar_t* name = KeyName(wParam);
        Record(std::wstring(L"key ") + (down ? L"down " : L"up ") + (name ? name : std::to_wstring(wParam).c_str()));
        // Alt is handled here so that pressing it alone does not open the menu bar.
        return 0;
    }
    case WM_CHAR:
        Record(L"char " + std::to_wstring(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        HBRUSH brush = ::CreateSolidBrush(RGB(INPUTAPP_PAD_RED, INPUTAPP_PAD_GREEN, INPUTAPP_PAD_BLUE));
        RECT client;
        ::GetClientRect(window, &client);
        ::FillRect(dc, &client, brush);
        ::DeleteObject(brush);
        ::EndPaint(window, &paint);
        return 0;
    }
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void FillFileMenu() {
    // Built anew each time it opens, like applications that show recent files.
    while (::GetMenuItemCount(g_fileMenu) > 0) ::RemoveMenu(g_fileMenu, 0, MF_BYPOSITION);
    if (g_recentMenu) ::DestroyMenu(g_recentMenu);
    g_recentMenu = ::CreatePopupMenu();
    ::AppendMenuW(g_recentMenu, MF_STRING, IDM_RECENT_FIRST, L"first.txt");
    ::AppendMenuW(g_fileMenu, MF_STRING, IDM_FILE_OPEN, L"Open");
    ::AppendMenuW(g_fileMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(g_recentMenu), L"Recent");
    ::AppendMenuW(g_fileMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(g_fileMenu, MF_STRING, IDM_FILE_EXIT, L"Exit");
}

HMENU BuildMenuBar() {
    HMENU bar = ::CreateMenu();
    g_fileMenu = ::CreatePopupMenu();  // empty until it opens
    g_editMenu = ::CreatePopupMenu();
    ::AppendMenuW(g_editMenu, MF_STRING, IDM_EDIT_COPY, L"Copy");
    ::AppendMenuW(g_editMenu, MF_STRING, IDM_EDIT_PASTE, L"Paste");
    g_optionsMenu = ::CreatePopupMenu();
    ::AppendMenuW(g_optionsMenu, MF_STRING, IDM_OPTIONS_VERBOSE, L"Verbose");
    g_helpMenu = ::CreatePopupMenu();
    ::AppendMenuW(g_helpMenu, MF_STRING, IDM_HELP_ABOUT, L"About");
    ::AppendMenuW(g_helpMenu, MF_POPUP, reinterpret_cast<UINT_PTR>(g_optionsMenu), L"Options");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_fileMenu), L"File");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_editMenu), L"Edit");
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_helpMenu), L"Help");
    return bar;
}

void CreateToolbar(HWND parent) {
    g_toolbar = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                  WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_TOP,
                                  0, 0, 0, 0, parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(g_toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(g_toolbar, TB_SETIMAGELIST, 0, 0);
    const struct {
        int id;
        const wchar_t* text;
    } buttons[] = {{IDT_NEW, L"New"}, {IDT_OPEN, L"Open"}, {IDT_SAVE, L"Save"}, {0, nullptr}, {IDT_PRINT, L"Print"}};
    for (const auto& b : buttons) {
        TBBUTTON button = {};
        button.iBitmap = I_IMAGENONE;
        button.idCommand = b.id;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = b.text ? static_cast<BYTE>(BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT)
                                : static_cast<BYTE>(BTNS_SEP);
        button.iString = b.text ? reinterpret_cast<INT_PTR>(b.text) : 0;
        ::SendMessageW(g_toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    ::SendMessageW(g_toolbar, TB_AUTOSIZE, 0, 0);
}

// A tracking tooltip that always shows the last command.
void CreateStatusTip(HWND parent) {
    g_tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
    tool.hwnd = parent;
    tool.uId = reinterpret_cast<UINT_PTR>(parent);
    tool.lpszText = g_tipText;
    ::SendMessageW(g_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    RECT frame;
    ::GetWindowRect(parent, &frame);
    ::SendMessageW(g_tip, TTM_TRACKPOSITION, 0, MAKELPARAM(frame.left + 10, frame.bottom - 30));
    ::SendMessageW(g_tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void ShowLastCommand(int id) {
    swprintf(g_tipText, 80, L"Last: %d", id);
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = g_main;
    tool.uId = reinterpret_cast<UINT_PTR>(g_main);
    tool.lpszText = g_tipText;
    ::SendMessageW(g_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    // Shown again, so that the tip (and its window text) carries the new text.
    ::SendMessageW(g_tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(g_tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

const wchar_t* PopupName(HMENU popup) {
    if (popup == g_fileMenu) return L"File";
    if (popup == g_editMenu) return L"Edit";
    if (popup == g_helpMenu) return L"Help";
    if (popup == g_recentMenu) return L"Recent";
    if (popup == g_optionsMenu) return L"Options";
    return L"other";
}

void Layout(HWND window) {
    ::SendMessageW(g_toolbar, TB_AUTOSIZE, 0, 0);
    RECT client, bar;
    ::GetClientRect(window, &client);
    ::GetWindowRect(g_toolbar, &bar);
    const int top = bar.bottom - bar.top;
    ::MoveWindow(g_pad, 0, top, client.right, client.bottom - top, TRUE);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        g_main = window;
        CreateToolbar(window);
        g_pad = ::CreateWindowExW(0, L"TevrinClickPad", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
        return 0;
    case WM_SIZE:
        Layout(window);
        return 0;
    case WM_SETFOCUS:
        ::SetFocus(g_pad);
        return 0;
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->code == TTN_GETDISPINFOW) {
            NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            static wchar_t text[64];
            swprintf(text, 64, L"Button %d", static_cast<int>(info->hdr.idFrom));
            info->lpszText = text;
            return 0;
        }
        break;
    }
    case WM_INITMENUPOPUP: {
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        if (popup == g_fileMenu) FillFileMenu();
        Record(std::wstring(L"initmenupopup ") + PopupName(popup) + L" pos=" + std::to_wstring(LOWORD(lParam)));
        return 0;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const HWND source = reinterpret_cast<HWND>(lParam);
        const wchar_t* from = !source ? L"menu" : source == g_toolbar ? L"toolbar" : source == window ? L"self" : L"other";
        Record(L"command " + std::to_wstring(id) + L" from=" + from);
        if (id != IDM_FILE_EXIT) ShowLastCommand(id);
        if (id == IDM_FILE_EXIT) {
            Record(L"exit");
            ::DestroyWindow(window);
        }
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ParseCommandLine();
    if (!g_options.logPath.empty()) g_log = _wfopen(g_options.logPath.c_str(), L"w");
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&init);

    WNDCLASSW pad = {};
    pad.style = CS_DBLCLKS;
    pad.lpfnWndProc = PadProc;
    pad.hInstance = instance;
    pad.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    pad.lpszClassName = L"TevrinClickPad";
    ::RegisterClassW(&pad);
    WNDCLASSW main = {};
    main.lpfnWndProc = MainProc;
    main.hInstance = instance;
    main.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszClassName = L"TevrinInputApp";
    ::RegisterClassW(&main);

    // Inside the work area: without a window manager nothing would move it there.
    RECT work = {0, 0, 800, 600};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = std::min<int>(520, work.right - work.left - 40);
    const int height = std::min<int>(400, work.bottom - work.top - 40);
    HWND window = ::CreateWindowExW(0, L"TevrinInputApp", g_options.title.c_str(), WS_OVERLAPPEDWINDOW,
                                    work.left + 40, work.top + 40, width, height, nullptr, BuildMenuBar(), instance,
                                    nullptr);
    if (!window) return 1;
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::UpdateWindow(window);
    CreateStatusTip(window);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (g_log) fclose(g_log);
    return 0;
}
