#include "FrameAppWindow.h"
#include "framework/Document.h"
#include <cwchar>

// frameapp [file...]: opens the files (or a new document) in the test frame.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CFrameApp app;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!app.InitInstance()) return 1;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) app.OpenDocumentFile(argv[i]);
    } else {
        app.OnFileNew();
    }
    ::LocalFree(argv);
    return app.Run();
}
