#include "FrameAppWindow.h"
#include "framework/Document.h"
#include <cwchar>

// frameapp [/float] [file...]: opens the files (or a new document) in the test frame;
// /float shows the Tree pane floating.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CFrameApp app;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!app.InitInstance()) return 1;
    bool opened = false;
    for (int i = 1; i < argc; ++i) {
        if (::lstrcmpiW(argv[i], L"/float") == 0) {
            // Shows a floating pane, for looking at the floating frame.
            auto* frame = static_cast<CFrameAppWindow*>(app.mainWnd());
            frame->FloatControlBar(&frame->treePane, POINT{600, 300});
        } else {
            opened = app.OpenDocumentFile(argv[i]) != nullptr || opened;
        }
    }
    if (!opened) app.OnFileNew();
    ::LocalFree(argv);
    return app.Run();
}
