#include "explorer/ExplorerCommands.h"
#include "framework/Dialog.h"
#include <htmlhelp.h>
#include <string>

namespace explorer {

CDialog* CreateWindowExplorer(CMDIFrameWnd*) { return nullptr; }

void ShowAbout(HWND owner) {
    ::MessageBoxW(owner, L"Tevrin test development environment", L"About Tevrin", MB_OK | MB_ICONINFORMATION);
}

void ShowHelp(HWND owner) {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring help(path, n);
    help = help.substr(0, help.find_last_of(L'\\') + 1) + L"Tevrin.chm::/Tevrin_about.htm";
    ::HtmlHelpW(owner, help.c_str(), HH_DISPLAY_TOPIC, 0);
}

} // namespace explorer
