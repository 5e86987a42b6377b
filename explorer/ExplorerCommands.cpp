#include "explorer/ExplorerCommands.h"
#include "explorer/CAboutDialog.h"
#include "explorer/CWindowExplorer.h"
#include "framework/MDIFrameWnd.h"
#include "resources/explorer/explorerids.h"
#include <htmlhelp.h>
#include <string>

namespace explorer {

namespace {

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

} // namespace

CDialog* CreateWindowExplorer(CMDIFrameWnd* frame) {
    auto* explorer = new CWindowExplorer(frame ? frame->hwnd() : nullptr, common::Oleacc::Instance());
    if (!explorer->Create()) {
        delete explorer;
        return nullptr;
    }
    explorer->deleteOnDestroy = true;
    return explorer;
}

bool ToggleWindowExplorer(CDialog* explorer) {
    auto* windowExplorer = dynamic_cast<CWindowExplorer*>(explorer);
    return windowExplorer && windowExplorer->hwnd() && windowExplorer->Toggle();
}

void ShowAbout(HWND owner, const std::wstring& components) {
    CAboutDialog about(components);
    about.DoModal(IDD_ABOUT, owner);
}

const wchar_t* HelpFileName() { return L"Tevrin.chm"; }

HWND OpenHelpFile(HWND owner, const std::wstring& file) {
    if (::GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
    const std::wstring topic = file + L"::/Tevrin_about.htm>Mainwin";
    return ::HtmlHelpW(owner, topic.c_str(), HH_DISPLAY_TOPIC, 0);
}

void ShowHelp(HWND owner) {
    const std::wstring file = ProgramFolder() + HelpFileName();
    if (!OpenHelpFile(owner, file)) {
        // Silence would look like a dead menu entry.
        const std::wstring text = L"The help file " + file + L" cannot be opened.";
        ::MessageBoxW(owner, text.c_str(), L"Tevrin", MB_OK | MB_ICONEXCLAMATION);
    }
}

} // namespace explorer
