#include "DocAppWindow.h"
#include "host/RecordKind.h"
#include "common/TextConv.h"

// docapp [/demo] [file...]: opens the scripts (or a new one) in the test frame.
// /demo writes a sample log and markers into the first script for looking at them:
// records of every kind with and without a position, a breakpoint on line 3, a disabled
// one on line 5 and the current line 7.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::OleInitialize(nullptr);
    CDocApp app;
    app.interactive = true;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!app.InitInstance()) return 1;
    bool demo = false;
    CMardelDoc* first = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (::lstrcmpiW(argv[i], L"/demo") == 0) {
            demo = true;
        } else if (auto* doc = dynamic_cast<CMardelDoc*>(app.OpenDocumentFile(argv[i]))) {
            if (!first) first = doc;
        }
    }
    if (!first) app.OnFileNew();
    ::LocalFree(argv);
    if (demo && first) {
        host::ScriptHost& host = app.host;
        const std::string file = first->HostPath();
        const long line3 = static_cast<long>(::SendMessageW(first->mardelView()->hwnd(), EM_LINEINDEX, 2, 0));
        const long line5 = static_cast<long>(::SendMessageW(first->mardelView()->hwnd(), EM_LINEINDEX, 4, 0));
        host.EditBreakpoints([&](std::vector<host::BreakpointRecord>& list) {
            list.push_back(host::BreakpointRecord{2, line3, true, file});
            list.push_back(host::BreakpointRecord{4, line5, false, file});
        });
        app.UpdateScriptViews(0);
        host.setCurrentLine(-1);
        app.LogRecord(host::RecordKind::Info, L"Script started.\r");
        host.setCurrentFile(file);
        host.setCurrentLine(4);
        app.LogRecord(host::RecordKind::Info, L"Logging in as tester");
        host.setCurrentLine(6);
        app.LogRecord(host::RecordKind::Warning, L"Window \"Login\" took 1200 ms");
        host.setCurrentLine(7);
        app.LogRecord(host::RecordKind::Error, L"Expected \"Welcome\", found \"Error\"");
        app.LogRecord(host::RecordKind::FatalError, L"Object required: 'dialog'");
        host.setCurrentLine(7);
        app.UpdateScriptViews(1);
        host.setCurrentLine(-1);
        app.LogRecord(host::RecordKind::Info, L"Script ended with 2 errors.\r");
    }
    return app.Run();
}
