// Program entry: decides between the COM server, the command-line runner and the
// interactive window from the command line.
#include "host/CommandLine.h"
#include "host/ConsoleOutput.h"
#include <windows.h>
#include <objbase.h>
#include <commctrl.h>

namespace {

const wchar_t kMainWindowClass[] = L"TevrinMainWindow";

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int RunInteractive(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(128));
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = kMainWindowClass;
    if (!::RegisterClassExW(&wc)) return 1;
    HWND window = ::CreateWindowExW(0, kMainWindowClass, L"Tevrin", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ::ShowWindow(window, SW_SHOWMAXIMIZED);
    ::UpdateWindow(window);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int RunScript(const std::wstring& fileName) {
    if (::GetFileAttributesW(fileName.c_str()) == INVALID_FILE_ATTRIBUTES) {
        host::ConsoleOutput::WriteErrorLine(L"Tevrin: cannot find the script " + fileName);
        return 2;
    }
    host::ConsoleOutput::WriteErrorLine(L"Tevrin: this build cannot run scripts yet: " + fileName);
    return 3;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);

    const host::CommandLine args = host::ParseCommandLine(host::SplitArguments(commandLine));
    int exitCode = 0;
    if (args.automation) {
        exitCode = 0;  // no class objects are served yet
    } else if (!args.fileName.empty()) {
        exitCode = RunScript(args.fileName);
    } else {
        exitCode = RunInteractive(instance);
    }
    ::CoUninitialize();
    return exitCode;
}
