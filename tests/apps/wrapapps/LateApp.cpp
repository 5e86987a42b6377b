// Shows its main window only after a delay, staying idle for input meanwhile.
//   lateapp.exe <delay in ms> [title]
#include <windows.h>
#include <cstdlib>
#include <string>

namespace {

const UINT_PTR kShowTimer = 1;
std::wstring g_title = L"Late Window";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void CALLBACK ShowWindowNow(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    HWND window = ::CreateWindowExW(0, L"TevrinLateApp", g_title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ::CreateWindowExW(0, L"Edit", L"late edit", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 24, window, nullptr,
                      ::GetModuleHandleW(nullptr), nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const UINT delay = argc > 1 ? static_cast<UINT>(_wtoi(argv[1])) : 3000;
    if (argc > 2) g_title = argv[2];
    ::LocalFree(argv);

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TevrinLateApp";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    ::RegisterClassW(&windowClass);
    ::SetTimer(nullptr, kShowTimer, delay, ShowWindowNow);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
