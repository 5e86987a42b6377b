// Program entry: the COM server of Env, the command-line runner or the interactive
// window, chosen from the command line.
#include "frame/CTevrinApp.h"
#include "common/ComObject.h"
#include "common/Oleacc.h"
#include "common/ComInit.h"
#include "host/CommandLine.h"
#include "host/Components.h"
#include "host/ConsoleOutput.h"
#include "host/ConsoleApplication.h"
#include "host/Env.h"
#include "host/ModuleLock.h"
#include "host/ScriptHost.h"
#include "host/ServerRegistration.h"
#include "host/SuiteRunner.h"
#include "common/ScriptingGuids.h"
#include "common/TextConv.h"
#include "mardel.h"
#include "TevrinVersion.h"
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <wrl/client.h>

namespace {

using Microsoft::WRL::ComPtr;

// A COM-server start that nobody connects to does not live for ever.
const UINT kIdleServerTimeout = 60000;

std::wstring g_startupDirectory;

// Serves Env objects until the last one and the last server lock are released.
int RunComServer() {
    const DWORD mainThread = ::GetCurrentThreadId();
    host::ModuleLocks().setOnZero([mainThread] { ::PostThreadMessageW(mainThread, WM_QUIT, 0, 0); });
    UINT_PTR idle = ::SetTimer(nullptr, 0, kIdleServerTimeout, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == idle) {
            ::KillTimer(nullptr, idle);
            idle = 0;
            if (host::ModuleLocks().count() == 0) break;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

bool DebugComponentsPresent() {
    ComPtr<IProcessDebugManager> manager;
    return SUCCEEDED(host::Components::CreateDebugManager(manager.GetAddressOf()));
}

// A headless run that crashes says so on its output and ends, instead of waiting for a
// crash dialog or a debugger that nobody at a CI machine answers. Nothing here may take a
// lock: the crash may have happened inside one.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
    char line[128];
    const unsigned long code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
    const int length = wsprintfA(line, "Fatal Error: Tevrin crashed (exception 0x%08lX)\r\n", code);
    DWORD written = 0;
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output && output != INVALID_HANDLE_VALUE) ::WriteFile(output, line, static_cast<DWORD>(length), &written, nullptr);
    ::TerminateProcess(::GetCurrentProcess(), code ? code : 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

// /Version: what this copy is and which components its runs use.
int PrintVersion() {
    std::wstring text = L"Tevrin " TEVRIN_VERSION_WIDE;
    text += sizeof(void*) == 8 ? L" (64-bit)\r\n" : L" (32-bit)\r\n";
    text += host::Components::Describe();
    text += host::DescribeWrappersRegistration();
    host::ConsoleOutput::WriteLine(text);
    return 0;
}

// /Unregister: what the uninstaller runs before it removes the files.
int Unregister() {
    if (host::UnregisterServers()) return 0;
    host::ConsoleOutput::WriteErrorLine(L"Fatal Error: some of Tevrin's registry entries could not be removed.");
    return 2;
}

void RecordStartupDirectory() {
    wchar_t buffer[1025] = {};
    DWORD n = ::GetCurrentDirectoryW(1024, buffer);
    g_startupDirectory.assign(buffer, n <= 1024 ? n : 0);
    if (!g_startupDirectory.empty() && g_startupDirectory.back() != L'\\') g_startupDirectory += L'\\';
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    const common::ComInit apartment(COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    const host::CommandLine args = host::ParseCommandLine(host::SplitArguments(commandLine));

    // Class objects first: an outside client may create Env while start-up goes on.
    ComPtr<IClassFactory> factory;
    factory = common::Adopt(new host::EnvClassFactory);
    DWORD classCookie = 0;
    // A suite and its runs serve nobody: the suite waits without dispatching calls, and may
    // have to end a run, and a process ended from outside leaves its class registration
    // behind on some platforms (Wine), where it then fails every later client of Env.
    const bool classRegistered =
        !args.noServer && args.suite.empty() && SUCCEEDED(::CoRegisterClassObject(CLSID_Env, factory.Get(), CLSCTX_LOCAL_SERVER,
                                                            REGCLS_MULTIPLEUSE, &classCookie));

    RecordStartupDirectory();
    common::Oleacc::Instance();

    host::ScriptHost scriptHost;
    host::Env::SetHost(&scriptHost);
    int exitCode = 0;
    if (args.automation) {
        exitCode = RunComServer();
    } else if (args.version) {
        exitCode = PrintVersion();
    } else if (args.unregister) {
        exitCode = Unregister();
    } else {
        // A headless run must never wait on a message box: it reports the missing
        // components through its own error instead.
        if (args.fileName.empty() && args.suite.empty() && !DebugComponentsPresent())
            ::MessageBoxW(nullptr,
                          L"Tevrin requires Active Script Debug components (pdm.dll and mdm.exe) installed. Please "
                          L"refer to Tevrin's documentation to find out how to install them.\r",
                          L"Tevrin", MB_OK | MB_ICONEXCLAMATION);
        host::RegisterServer();
        // An unzipped copy registers the wrappers that its scripts create; what cannot be
        // done is said, and the run goes on (a script may not need the wrappers).
        const std::wstring wrappersProblem = host::EnsureWrappersRegistered();
        if (!wrappersProblem.empty()) {
            if (args.fileName.empty() && args.suite.empty())
                ::MessageBoxW(nullptr, wrappersProblem.c_str(), L"Tevrin", MB_OK | MB_ICONEXCLAMATION);
            else
                host::ConsoleOutput::WriteErrorLine(L"Warning: " + wrappersProblem);
        }
        if (!args.suite.empty()) {
            exitCode = host::RunSuite(args);
        } else if (!args.fileName.empty()) {
            ::SetUnhandledExceptionFilter(ReportCrash);
            host::ConsoleApplication console(scriptHost);
            scriptHost.setApplication(&console);
            exitCode = console.RunScript(args.fileName);
            scriptHost.setApplication(nullptr);
        } else {
            // The application object reports the host's records and positions in the window.
            CTevrinApp app(scriptHost);
            exitCode = app.Start();
            scriptHost.setApplication(nullptr);
        }
    }

    if (classRegistered) ::CoRevokeClassObject(classCookie);
    factory.Reset();
    host::Env::SetHost(nullptr);
    return exitCode;
}
