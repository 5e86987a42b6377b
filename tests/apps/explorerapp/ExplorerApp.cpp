#include "ExplorerHostFrame.h"
#include <shellapi.h>

// explorerapp [/explorer]: the frame with the Window Explorer; /explorer opens the
// explorer at once (the frame hides), as Tools > Window Explorer does.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::OleInitialize(nullptr);
    int code = 1;
    {
        CExplorerApp app;
        if (app.InitInstance()) {
            bool openExplorer = false;
            int argc = 0;
            LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
            for (int i = 1; argv && i < argc; ++i)
                if (::lstrcmpiW(argv[i], L"/explorer") == 0) openExplorer = true;
            if (argv) ::LocalFree(argv);
            ::ShowWindow(app.frame()->hwnd(), SW_SHOW);
            if (openExplorer) app.frame()->ToggleExplorer();
            code = app.Run();
        }
    }
    ::OleUninitialize();
    return code;
}
