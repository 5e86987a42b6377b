// Application under test for the accessible-object, rich edit and HTML document wrappers.
//   accapp.exe [/log <file>] [/title <caption>] [/loading <ms>]
//
// Windows (positions in client coordinates of the main window; the main window sits at
// the screen's top-left corner, 640 x 480):
//   main window   class "TevrinAccApp", title "Accessible Test" (or /title)
//   "OK"          class "TevrinAccControl" at (10,10) 80x26
//   "Cancel"      class "TevrinAccControl" at (100,10) 80x26
//   "Remember me" class "TevrinAccControl" at (190,10) 110x26
//   "Send reports" class "TevrinAccControl" at (310,10) 110x26
//   "Help"        class "TevrinAccControl" at (430,10) 80x26
//   "Items"       class "TevrinAccList" at (10,50) 200x100, rows of 22 pixels:
//                 Alpha, Beta, Gamma, Delta
//   rich edits    class "RichEdit20W" (id 201, text "Wide rich text") at (220,50) 200x60,
//                 class "RichEdit20A" (id 202, text "Ansi rich text") at (220,120) 200x60
//   edit          class "Edit" (id 203, text "plain edit") at (430,50) 150x24
//   "Document"    class "Internet Explorer_Server" (id 301) at (10,200) 300x150: serves
//                 an IHTMLDocument2 for the registered message "WM_HTML_GETOBJECT", whose
//                 readyState is "loading" for /loading milliseconds after the start and
//                 "Complete" afterwards; title "Served Document"
//   "Blank"       class "Internet Explorer_Server" (id 302) at (320,200) 150x150: serves no
//                 document
//   "Accessible"  class "Internet Explorer_Server" (id 303) at (480,200) 150x150: serves a
//                 second document, title "Accessible Document" (same readyState rule), only
//                 through accessibility: its accessible object (OBJID_WINDOW, a pane named
//                 "Accessible") is a service provider of IHTMLWindow2, whose document it is
//
// Accessible tree (the main window answers WM_GETOBJECT for OBJID_WINDOW with its root;
// each "TevrinAccControl" and the "TevrinAccList" window answer with their own node of
// the same tree; every node gives its window through IOleWindow):
//   dialog "Accessible Test" (the title)                      ROLE_SYSTEM_DIALOG
//     title bar (named as the title)          invisible       ROLE_SYSTEM_TITLEBAR
//     scroll bar "Vertical"                   invisible       ROLE_SYSTEM_SCROLLBAR
//     scroll bar "Horizontal"                 invisible       ROLE_SYSTEM_SCROLLBAR
//     grouping "Options"                                      ROLE_SYSTEM_GROUPING
//       push button "OK"                                      ROLE_SYSTEM_PUSHBUTTON
//       push button "Cancel"                                  ROLE_SYSTEM_PUSHBUTTON
//       check box "Remember me"               checked         ROLE_SYSTEM_CHECKBUTTON
//       check box "Send reports"              unchecked       ROLE_SYSTEM_CHECKBUTTON
//     list "Items" with simple elements (child ids 1-4):      ROLE_SYSTEM_LIST
//       1 "Alpha"  check box, checked                         ROLE_SYSTEM_CHECKBUTTON
//       2 "Beta"   check box, unchecked                       ROLE_SYSTEM_CHECKBUTTON
//       3 "Gamma"  check box, checked and selected            ROLE_SYSTEM_CHECKBUTTON
//       4 "Delta"  list item                                  ROLE_SYSTEM_LISTITEM
//     push button "Help"                                      ROLE_SYSTEM_PUSHBUTTON
//
// Every mouse button press and double click on the controls, the list and the
// "Internet Explorer_Server" windows is written to the /log file, one line each:
//   <down|dblclk> <name> button=<left|middle|right> x=<screen x> y=<screen y> shift=<0|1> ctrl=<0|1> alt=<0|1>
// where <name> is the control's name, or the row's name for the list.
#include "AccNode.h"
#include "HtmlDocument.h"
#include "HtmlWindow.h"
#include <windows.h>
#include <oleacc.h>
#include <richedit.h>
#include <shellapi.h>
#include <cstdio>
#include <string>

namespace {

const wchar_t kMainClass[] = L"TevrinAccApp";
const wchar_t kControlClass[] = L"TevrinAccControl";
const wchar_t kListClass[] = L"TevrinAccList";
const wchar_t kHtmlClass[] = L"Internet Explorer_Server";
const int kRowHeight = 22;
const wchar_t* const kRows[] = {L"Alpha", L"Beta", L"Gamma", L"Delta"};

struct Options {
    std::wstring logPath;
    std::wstring title = L"Accessible Test";
    DWORD loadingMs = 0;
};

Options g_options;
FILE* g_log = nullptr;
UINT g_htmlGetObject = 0;
accapp::AccNode* g_root = nullptr;
accapp::HtmlDocument* g_document = nullptr;
accapp::HtmlDocument* g_accessibleDocument = nullptr;

void Record(const wchar_t* event, const std::wstring& name, const wchar_t* button, HWND window, LPARAM lParam,
            WPARAM keys) {
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ::ClientToScreen(window, &point);
    wchar_t line[512];
    swprintf(line, 512, L"%ls %ls button=%ls x=%ld y=%ld shift=%d ctrl=%d alt=%d", event, name.c_str(), button,
             point.x, point.y, (keys & MK_SHIFT) ? 1 : 0, (keys & MK_CONTROL) ? 1 : 0,
             ::GetKeyState(VK_MENU) < 0 ? 1 : 0);
    if (g_log) {
        fwprintf(g_log, L"%ls\n", line);
        fflush(g_log);
    }
}

// Records a mouse press; true when the message was one.
bool RecordMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const std::wstring& name) {
    const wchar_t* event = nullptr;
    const wchar_t* button = nullptr;
    switch (message) {
    case WM_LBUTTONDOWN: event = L"down"; button = L"left"; break;
    case WM_MBUTTONDOWN: event = L"down"; button = L"middle"; break;
    case WM_RBUTTONDOWN: event = L"down"; button = L"right"; break;
    case WM_LBUTTONDBLCLK: event = L"dblclk"; button = L"left"; break;
    case WM_MBUTTONDBLCLK: event = L"dblclk"; button = L"middle"; break;
    case WM_RBUTTONDBLCLK: event = L"dblclk"; button = L"right"; break;
    default: return false;
    }
    Record(event, name, button, window, lParam, wParam);
    return true;
}

std::wstring WindowName(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam) {
    auto* node = reinterpret_cast<accapp::AccNode*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (node && static_cast<LONG>(lParam) == OBJID_WINDOW)
        return ::LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(node));
    return ::DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
}

void PaintText(HWND window, const wchar_t* text) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT rect;
    ::GetClientRect(window, &rect);
    ::FillRect(dc, &rect, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    ::FrameRect(dc, &rect, reinterpret_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::EndPaint(window, &paint);
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (RecordMouse(window, message, wParam, lParam, WindowName(window))) return 0;
    switch (message) {
    case WM_GETOBJECT: return AnswerGetObject(window, wParam, lParam);
    case WM_PAINT: PaintText(window, WindowName(window).c_str()); return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int row = static_cast<short>(HIWORD(lParam)) / kRowHeight;
    const std::wstring name = row >= 0 && row < 4 ? kRows[row] : WindowName(window);
    if (RecordMouse(window, message, wParam, lParam, name)) return 0;
    switch (message) {
    case WM_GETOBJECT: return AnswerGetObject(window, wParam, lParam);
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        RECT rect;
        ::GetClientRect(window, &rect);
        ::FillRect(dc, &rect, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        ::SetBkMode(dc, TRANSPARENT);
        for (int i = 0; i < 4; ++i) {
            RECT line{rect.left + 4, i * kRowHeight, rect.right, (i + 1) * kRowHeight};
            ::DrawTextW(dc, kRows[i], -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
        ::EndPaint(window, &paint);
        return 0;
    }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK HtmlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_htmlGetObject && g_htmlGetObject) {
        // Only the "Document" window serves one; "Blank" stands for a browser window
        // without a document.
        if (::GetDlgCtrlID(window) == 301 && g_document)
            return ::LresultFromObject(IID_IHTMLDocument2, wParam, static_cast<IHTMLDocument2*>(g_document));
        return 0;
    }
    if (RecordMouse(window, message, wParam, lParam, WindowName(window))) return 0;
    if (message == WM_GETOBJECT) return AnswerGetObject(window, wParam, lParam);
    if (message == WM_PAINT) {
        PaintText(window, WindowName(window).c_str());
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The screen rectangle of a part of `window`'s rectangle.
RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

HWND CreateControl(HWND parent, const wchar_t* name, int x, int y, int width) {
    return ::CreateWindowExW(0, kControlClass, name, WS_CHILD | WS_VISIBLE, x, y, width, 26, parent, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

accapp::AccNode* WindowNode(LONG role, HWND window, LONG state) {
    auto* node = new accapp::AccNode(role, WindowName(window), state, window, nullptr);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(node));
    return node;
}

void BuildTree(HWND main) {
    HWND ok = CreateControl(main, L"OK", 10, 10, 80);
    HWND cancel = CreateControl(main, L"Cancel", 100, 10, 80);
    HWND remember = CreateControl(main, L"Remember me", 190, 10, 110);
    HWND reports = CreateControl(main, L"Send reports", 310, 10, 110);
    HWND help = CreateControl(main, L"Help", 430, 10, 80);
    HWND list = ::CreateWindowExW(WS_EX_CLIENTEDGE, kListClass, L"Items", WS_CHILD | WS_VISIBLE, 10, 50, 200, 100,
                                  main, nullptr, ::GetModuleHandleW(nullptr), nullptr);

    g_root = new accapp::AccNode(ROLE_SYSTEM_DIALOG, g_options.title, STATE_SYSTEM_FOCUSABLE, main, nullptr);
    ::SetWindowLongPtrW(main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g_root));
    g_root->addChild(new accapp::AccNode(ROLE_SYSTEM_TITLEBAR, g_options.title, STATE_SYSTEM_INVISIBLE, nullptr,
                                         [main](int) {
                                             RECT r = WindowRect(main);
                                             r.bottom = r.top + 20;
                                             return r;
                                         }));
    g_root->addChild(new accapp::AccNode(ROLE_SYSTEM_SCROLLBAR, L"Vertical", STATE_SYSTEM_INVISIBLE, nullptr,
                                         [main](int) {
                                             RECT r = WindowRect(main);
                                             r.left = r.right - 16;
                                             return r;
                                         }));
    g_root->addChild(new accapp::AccNode(ROLE_SYSTEM_SCROLLBAR, L"Horizontal", STATE_SYSTEM_INVISIBLE, nullptr,
                                         [main](int) {
                                             RECT r = WindowRect(main);
                                             r.top = r.bottom - 16;
                                             return r;
                                         }));
    auto* options = new accapp::AccNode(ROLE_SYSTEM_GROUPING, L"Options", 0, nullptr, [ok, reports](int) {
        RECT first = WindowRect(ok), last = WindowRect(reports);
        return RECT{first.left, first.top, last.right, last.bottom};
    });
    options->addChild(WindowNode(ROLE_SYSTEM_PUSHBUTTON, ok, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_DEFAULT));
    options->addChild(WindowNode(ROLE_SYSTEM_PUSHBUTTON, cancel, STATE_SYSTEM_FOCUSABLE));
    options->addChild(WindowNode(ROLE_SYSTEM_CHECKBUTTON, remember, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED));
    options->addChild(WindowNode(ROLE_SYSTEM_CHECKBUTTON, reports, STATE_SYSTEM_FOCUSABLE));
    g_root->addChild(options);

    auto* items = new accapp::AccNode(ROLE_SYSTEM_LIST, L"Items", STATE_SYSTEM_FOCUSABLE, list, [list](int index) {
        RECT client{};
        ::GetClientRect(list, &client);
        POINT origin{0, 0};
        ::ClientToScreen(list, &origin);
        if (index < 0) return WindowRect(list);
        return RECT{origin.x, origin.y + index * kRowHeight, origin.x + client.right,
                    origin.y + (index + 1) * kRowHeight};
    });
    ::SetWindowLongPtrW(list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(items));
    const LONG selectable = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    items->addElement({L"Alpha", ROLE_SYSTEM_CHECKBUTTON, selectable | STATE_SYSTEM_CHECKED});
    items->addElement({L"Beta", ROLE_SYSTEM_CHECKBUTTON, selectable});
    items->addElement({L"Gamma", ROLE_SYSTEM_CHECKBUTTON, selectable | STATE_SYSTEM_CHECKED | STATE_SYSTEM_SELECTED});
    items->addElement({L"Delta", ROLE_SYSTEM_LISTITEM, selectable});
    g_root->addChild(items);
    g_root->addChild(WindowNode(ROLE_SYSTEM_PUSHBUTTON, help, STATE_SYSTEM_FOCUSABLE));
}

void CreateDocumentWindows(HWND main) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    HWND wide = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", L"Wide rich text",
                                  WS_CHILD | WS_VISIBLE | ES_MULTILINE, 220, 50, 200, 60, main,
                                  reinterpret_cast<HMENU>(201), instance, nullptr);
    ::CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "Ansi rich text", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 220,
                      120, 200, 60, main, reinterpret_cast<HMENU>(202), instance, nullptr);
    (void)wide;
    ::CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"plain edit", WS_CHILD | WS_VISIBLE, 430, 50, 150, 24, main,
                      reinterpret_cast<HMENU>(203), instance, nullptr);
    ::CreateWindowExW(WS_EX_CLIENTEDGE, kHtmlClass, L"Document", WS_CHILD | WS_VISIBLE, 10, 200, 300, 150, main,
                      reinterpret_cast<HMENU>(301), instance, nullptr);
    ::CreateWindowExW(WS_EX_CLIENTEDGE, kHtmlClass, L"Blank", WS_CHILD | WS_VISIBLE, 320, 200, 150, 150, main,
                      reinterpret_cast<HMENU>(302), instance, nullptr);
    HWND accessible = ::CreateWindowExW(WS_EX_CLIENTEDGE, kHtmlClass, L"Accessible", WS_CHILD | WS_VISIBLE, 480, 200,
                                        150, 150, main, reinterpret_cast<HMENU>(303), instance, nullptr);
    accapp::AccNode* pane = WindowNode(ROLE_SYSTEM_PANE, accessible, 0);
    auto* htmlWindow = new accapp::HtmlWindow(g_accessibleDocument);
    pane->setHtmlWindow(htmlWindow);
    htmlWindow->Release();
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_GETOBJECT: return AnswerGetObject(window, wParam, lParam);
    case WM_DESTROY: ::PostQuitMessage(0); return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void ParseOptions() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        std::wstring arg = args[i];
        if (arg == L"/log" && i + 1 < count)
            g_options.logPath = args[++i];
        else if (arg == L"/title" && i + 1 < count)
            g_options.title = args[++i];
        else if (arg == L"/loading" && i + 1 < count)
            g_options.loadingMs = static_cast<DWORD>(_wtol(args[++i]));
    }
    if (args) ::LocalFree(args);
}

ATOM Register(const wchar_t* name, WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return ::RegisterClassExW(&wc);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    ParseOptions();
    if (!g_options.logPath.empty()) g_log = _wfopen(g_options.logPath.c_str(), L"a");
    ::OleInitialize(nullptr);
    ::LoadLibraryW(L"riched20.dll");
    g_htmlGetObject = ::RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
    const ULONGLONG loaded = ::GetTickCount64() + g_options.loadingMs;
    g_document = accapp::HtmlDocument::completingAt(loaded, L"Served Document");
    g_accessibleDocument = accapp::HtmlDocument::completingAt(loaded, L"Accessible Document");

    Register(kMainClass, MainProc);
    Register(kControlClass, ControlProc);
    Register(kListClass, ListProc);
    Register(kHtmlClass, HtmlProc);
    HWND main = ::CreateWindowExW(0, kMainClass, g_options.title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                  nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    BuildTree(main);
    CreateDocumentWindows(main);
    ::ShowWindow(main, SW_SHOWNORMAL);
    ::UpdateWindow(main);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    // Clients may still hold proxies; the objects stay until the process ends.
    if (g_log) fclose(g_log);
    ::OleUninitialize();
    return 0;
}
