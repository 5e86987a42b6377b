// A window with one rich edit control and the script editor component attached, for
// trying and testing the editor before the main frame exists.
//   editorhost [file] [--breakpoint N] [--disabled N] [--current N] [--frame N]
//              [--running] [--capture out.bmp]
// --running keeps the control read-only as during a script run; F9 toggles a breakpoint;
// --capture saves the window as a bitmap once it is painted and exits.
#include "editor/CSyntaxEditor.h"
#include "editor/RunStateFollower.h"
#include "common/TextConv.h"
#include "tests/apps/ScreenBitmap.h"
#include <windows.h>
#include <richedit.h>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

struct Options {
    std::wstring file;
    std::map<int, bool> breakpoints;
    int current = -1;
    int frame = -1;
    bool running = false;
    std::wstring capture;
};

Options g_options;

// The host side of the editor: --running stands for a script run in progress.
class HostRunState : public editor::IScriptRunState {
public:
    bool IsScriptRunning() const override { return g_options.running; }
};
HostRunState g_runState;
HWND g_edit = nullptr;
std::unique_ptr<editor::CSyntaxEditor> g_editor;

void ToggleBreakpoint() {
    CHARRANGE selection{};
    ::SendMessageW(g_edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    const int line = static_cast<int>(::SendMessageW(g_edit, EM_EXLINEFROMCHAR, 0, selection.cpMin)) + 1;
    auto& marks = g_options.breakpoints;
    if (marks.erase(line) == 0) marks[line] = true;
    g_editor->SetBreakpoints(marks);
}

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return testing_apps::SaveScreenBitmap(rect, path);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (g_edit) ::MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (g_edit) ::SetFocus(g_edit);
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (g_editor && header->hwndFrom == g_edit) {
            if (header->code == EN_MSGFILTER) {
                const auto* filter = reinterpret_cast<MSGFILTER*>(lParam);
                editor::FollowRunState(g_edit, filter->msg, g_runState);
                if (filter->msg == WM_KEYDOWN && filter->wParam == VK_F9) {
                    ToggleBreakpoint();
                    return 1;
                }
            }
            LRESULT result = 0;
            if (g_editor->OnNotify(header->code, header, &result)) return result;
        }
        break;
    }
    case WM_COMMAND:
        if (g_editor && reinterpret_cast<HWND>(lParam) == g_edit) {
            bool handled = false;
            LRESULT result = g_editor->OnMessage(message, wParam, lParam, &handled);
            if (handled) return result;
        }
        break;
    case WM_TIMER:
        if (wParam == 1) {
            ::KillTimer(window, 1);
            ::UpdateWindow(window);
            const bool saved = SaveWindowBitmap(window, g_options.capture);
            ::PostQuitMessage(saved ? 0 : 3);
        }
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

Options ParseOptions() {
    Options options;
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : L""; };
        if (arg == L"--breakpoint") options.breakpoints[_wtoi(next().c_str())] = true;
        else if (arg == L"--disabled") options.breakpoints[_wtoi(next().c_str())] = false;
        else if (arg == L"--current") options.current = _wtoi(next().c_str());
        else if (arg == L"--frame") options.frame = _wtoi(next().c_str());
        else if (arg == L"--running") options.running = true;
        else if (arg == L"--capture") options.capture = next();
        else options.file = arg;
    }
    ::LocalFree(argv);
    return options;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
    ::OleInitialize(nullptr);
    g_options = ParseOptions();
    if (!::LoadLibraryW(L"riched20.dll")) return 2;

    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TevrinEditorHost";
    ::RegisterClassW(&wc);
    std::wstring title = L"Editor host";
    if (!g_options.file.empty()) title += L" - " + g_options.file;
    HWND window = ::CreateWindowW(wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                  nullptr, instance, nullptr);
    RECT client{};
    ::GetClientRect(window, &client);
    g_edit = ::CreateWindowExW(0, L"RichEdit20W", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                               0, 0, client.right, client.bottom, window, nullptr, instance, nullptr);
    g_editor = std::make_unique<editor::CSyntaxEditor>();
    if (FAILED(g_editor->Attach(g_edit, L"languages", L"tagclass", nullptr, nullptr))) {
        ::MessageBoxW(window, L"Cannot find initialization files", L"Editor host", MB_OK | MB_ICONERROR);
        return 1;
    }
    if (!g_options.file.empty()) {
        std::ifstream in(common::WideToAnsi(g_options.file), std::ios::binary);
        if (!in) return 1;
        std::stringstream bytes;
        bytes << in.rdbuf();
        ::SetWindowTextW(g_edit, common::AnsiToWide(bytes.str()).c_str());
        const size_t dot = g_options.file.find_last_of(L'.');
        const size_t slash = g_options.file.find_last_of(L"\\/");
        const bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
        g_editor->SetLanguageByExtension(hasExtension ? g_options.file.substr(dot + 1) : L"");
    } else {
        g_editor->SetLanguageByExtension(L"");
    }
    ::SendMessageW(g_edit, EM_SETMODIFY, FALSE, 0);
    g_editor->SetBreakpoints(g_options.breakpoints);
    g_editor->SetCurrentLine(g_options.current);
    if (g_options.frame > 0) g_editor->SetFrameLine(g_options.frame);
    if (g_options.running) ::SendMessageW(g_edit, EM_SETREADONLY, TRUE, 0);

    ::ShowWindow(window, show);
    ::UpdateWindow(window);
    ::SetFocus(g_edit);
    if (!g_options.capture.empty()) ::SetTimer(window, 1, 1500, nullptr);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    g_editor.reset();
    ::OleUninitialize();
    return static_cast<int>(msg.wParam);
}
