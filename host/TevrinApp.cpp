// Program entry: the COM server of Env, the command-line runner or the interactive
// window, chosen from the command line.
#include "host/AccessibilityLibrary.h"
#include "host/CommandLine.h"
#include "host/ConsoleApplication.h"
#include "host/Env.h"
#include "host/ModuleLock.h"
#include "host/ScriptHost.h"
#include "host/ServerRegistration.h"
#include "common/ScriptingGuids.h"
#include "common/TextConv.h"
#include "mardel.h"
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <wrl/client.h>

namespace {

using Microsoft::WRL::ComPtr;

const wchar_t kMainWindowClass[] = L"TevrinMainWindow";
// A COM-server start that nobody connects to does not live for ever.
const UINT kIdleServerTimeout = 60000;

std::wstring g_startupDirectory;

// The window side until the main frame exists: questions and messages in message boxes.
class WindowApplication : public host::HostApplication {
public:
    void LogRecord(int, const std::wstring& text) override { ::OutputDebugStringW(text.c_str()); }
    void ShowPosition(const std::string&, int, bool) override {}
    void RefreshDebugPanes() override {}
    void UpdateScriptViews(int) override {}
    bool AskYesNo(const std::wstring& question) override {
        return ::MessageBoxW(nullptr, question.c_str(), L"Tevrin", MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    void ShowMessage(const std::wstring& text) override {
        ::MessageBoxW(nullptr, text.c_str(), L"Tevrin", MB_OK | MB_ICONEXCLAMATION);
    }
    void SetWaitCursor(bool on) override {
        ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(on ? IDC_WAIT : IDC_ARROW)));
    }
};

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int MessageLoop() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
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
    return MessageLoop();
}

// Serves Env objects until the last one and the last server lock are released.
int RunComServer() {
    const DWORD mainThread = ::GetCurrentThreadId();
    host::ModuleLock::SetOnZero([mainThread] { ::PostThreadMessageW(mainThread, WM_QUIT, 0, 0); });
    UINT_PTR idle = ::SetTimer(nullptr, 0, kIdleServerTimeout, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == idle) {
            ::KillTimer(nullptr, idle);
            idle = 0;
            if (host::ModuleLock::Count() == 0) break;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

bool DebugComponentsPresent() {
    ComPtr<IProcessDebugManager> manager;
    return SUCCEEDED(::CoCreateInstance(CLSID_ProcessDebugManager, nullptr, CLSCTX_ALL, IID_IProcessDebugManager,
                                        reinterpret_cast<void**>(manager.GetAddressOf())));
}

void RecordStartupDirectory() {
    wchar_t buffer[1025] = {};
    DWORD n = ::GetCurrentDirectoryW(1024, buffer);
    g_startupDirectory.assign(buffer, n <= 1024 ? n : 0);
    if (!g_startupDirectory.empty() && g_startupDirectory.back() != L'\\') g_startupDirectory += L'\\';
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    const host::CommandLine args = host::ParseCommandLine(host::SplitArguments(commandLine));

    // Class objects first: an outside client may create Env while start-up goes on.
    ComPtr<IClassFactory> factory;
    factory.Attach(new host::EnvClassFactory);
    DWORD classCookie = 0;
    const bool classRegistered = SUCCEEDED(::CoRegisterClassObject(
        CLSID_Env, factory.Get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &classCookie));

    RecordStartupDirectory();
    host::AccessibilityLibrary::Instance().Load();

    host::ScriptHost scriptHost;
    host::Env::SetHost(&scriptHost);
    int exitCode = 0;
    if (args.automation) {
        exitCode = RunComServer();
    } else {
        // A headless run must never wait on a message box: it reports the missing
        // components through its own error instead.
        if (args.fileName.empty() && !DebugComponentsPresent())
            ::MessageBoxW(nullptr,
                          L"Tevrin requires Active Script Debug components (pdm.dll and mdm.exe) installed. Please "
                          L"refer to Tevrin's documentation to find out how to install them.\r",
                          L"Tevrin", MB_OK | MB_ICONEXCLAMATION);
        host::RegisterServer();
        if (!args.fileName.empty()) {
            host::ConsoleApplication console(scriptHost);
            scriptHost.setApplication(&console);
            exitCode = console.RunScript(args.fileName);
            scriptHost.setApplication(nullptr);
        } else {
            WindowApplication window;
            scriptHost.setApplication(&window);
            exitCode = RunInteractive(instance);
            scriptHost.setApplication(nullptr);
        }
    }

    if (classRegistered) ::CoRevokeClassObject(classCookie);
    factory.Reset();
    host::Env::SetHost(nullptr);
    ::CoUninitialize();
    return exitCode;
}
