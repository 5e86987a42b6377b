#include "ExplorerHostFrame.h"
#include "explorer/ExplorerCommands.h"
#include "framework/Dialog.h"
#include "framework/FrameworkIds.h"

CExplorerHostFrame::CExplorerHostFrame() {
    AddCommand(ID_TOOLS_WINDOW_EXPLORER, [this] { ToggleExplorer(); });
    AddUpdate(ID_TOOLS_WINDOW_EXPLORER, [this](CCmdUI& ui) { ui.SetCheck(explorer_ && explorer_->IsVisible()); });
    AddCommand(ID_HELP, [this] { explorer::ShowHelp(hwnd_); });
    AddCommand(ID_APP_ABOUT, [this] { explorer::ShowAbout(hwnd_); });
}

int CExplorerHostFrame::OnCreate(CREATESTRUCTW* cs) {
    if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
    explorer_ = explorer::CreateWindowExplorer(this);
    return 0;
}

void CExplorerHostFrame::ToggleExplorer() { explorer::ToggleWindowExplorer(explorer_); }

bool CExplorerApp::InitInstance() {
    auto* frame = new CExplorerHostFrame;
    frame->deleteOnDestroy = true;
    if (!frame->LoadFrame(IDR_EXPLORERAPP, L"Explorer Test")) {
        delete frame;
        return false;
    }
    SetMainWnd(frame);
    // Sized to the work area: without a window manager a maximised frame loses its bottom.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::SetWindowPos(frame->hwnd(), nullptr, work.left, work.top, (work.right - work.left) / 2,
                   (work.bottom - work.top) / 2, SWP_NOZORDER);
    return true;
}
