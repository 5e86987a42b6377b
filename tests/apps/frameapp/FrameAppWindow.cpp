#include "FrameAppWindow.h"
#include "FrameAppIds.h"
#include "frame/CDockPaneFloatFrame.h"
#include "framework/BarPlaces.h"
#include "framework/DocTemplate.h"
#include "framework/MDIChildWnd.h"
#include "framework/RichEditDoc.h"
#include "framework/RichEditView.h"
#include <commctrl.h>
#include <memory>

CFrameAppWindow::CFrameAppWindow() {
    AddCommand(ID_VIEW_OUTPUT, [this] { TogglePane(outputPane); });
    AddCommand(ID_VIEW_WATCH, [this] { TogglePane(watchPane); });
    AddCommand(ID_VIEW_TREE, [this] { TogglePane(treePane); });
    AddUpdate(ID_VIEW_OUTPUT, [this](CCmdUI& ui) { ui.SetCheck(outputPane.IsBarVisible()); });
    AddUpdate(ID_VIEW_WATCH, [this](CCmdUI& ui) { ui.SetCheck(watchPane.IsBarVisible()); });
    AddUpdate(ID_VIEW_TREE, [this](CCmdUI& ui) { ui.SetCheck(treePane.IsBarVisible()); });
    AddCommand(ID_RUN, [this] {
        ++runCount;
        SetMessageText(L"Run " + std::to_wstring(runCount));
    });
    AddUpdate(ID_RUN, [this](CCmdUI& ui) { ui.Enable(runEnabled); });
    AddCommand(ID_TOGGLE_RUN_ENABLED, [this] { runEnabled = !runEnabled; });
    AddUpdate(ID_TOGGLE_RUN_ENABLED, [this](CCmdUI& ui) { ui.SetCheck(runEnabled); });
    AddCommand(ID_APP_ABOUT, [this] {
        if (CApplication* app = CApplication::Get())
            app->DoMessageBox(L"Frame Test: the application framework's test program.", MB_OK | MB_ICONINFORMATION);
    });
}

void CFrameAppWindow::TogglePane(CDockPane& pane) { ShowControlBar(&pane, !pane.IsBarVisible()); }

int CFrameAppWindow::OnCreate(CREATESTRUCTW* cs) {
    if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
    if (!toolBar.Create(this, IDW_TOOLBAR)) return -1;
    toolBar.SetButtons({ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SEPARATOR, ID_EDIT_CUT, ID_EDIT_COPY,
                        ID_EDIT_PASTE, ID_SEPARATOR, ID_HELP, ID_VIEW_OUTPUT, ID_RUN});
    toolBar.SetImageLists(CToolBar::LoadImageList(IDB_TOOLBAR, 20, RGB(255, 255, 255)),
                          CToolBar::LoadImageList(IDB_TOOLBAR_HOT, 20, RGB(255, 128, 64)));
    if (!statusBar.Create(this, IDW_STATUS_BAR)) return -1;
    statusBar.SetIndicators({ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL});
    SetStatusBar(&statusBar);
    DockControlBar(&toolBar, IDW_DOCKBAR_TOP);
    SetFloatingFrameFactory([] { return new CDockPaneFloatFrame; });

    if (!outputPane.Create(L"Output", this, &outputDialog, IDD_OUTPUT_PANE)) return -1;
    outputDialog.SetAnchor(IDC_OUTPUT_LIST, ANCHOR_ALL);
    DockControlBar(&outputPane, IDW_DOCKBAR_BOTTOM);
    if (!watchPane.Create(L"Watch", this, &watchDialog, IDD_WATCH_PANE)) return -1;
    watchDialog.SetAnchor(IDC_WATCH_EDIT, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_TOP);
    watchDialog.SetAnchor(IDC_WATCH_ADD, ANCHOR_RIGHT | ANCHOR_TOP);
    watchDialog.SetAnchor(IDC_WATCH_LIST, ANCHOR_ALL);
    watchDialog.AddTooltip(IDC_WATCH_ADD, L"Adds the expression to the watch list");
    RecalcLayout();
    RECT beside = outputPane.layoutRect;
    ::OffsetRect(&beside, 300, 0);
    DockControlBar(&watchPane, IDW_DOCKBAR_BOTTOM, &beside);
    watchPane.EnableDocking(DOCK_LEFT | DOCK_RIGHT | DOCK_BOTTOM);
    if (!treePane.Create(L"Tree", this, &treeDialog, IDD_TREE_PANE)) return -1;
    treeDialog.SetAnchor(IDC_TREE, ANCHOR_ALL);
    DockControlBar(&treePane, IDW_DOCKBAR_RIGHT);
    FillSamples();
    LoadPaneState();
    return 0;
}

void CFrameAppWindow::FillSamples() {
    auto columns = [](HWND list, std::initializer_list<std::pair<const wchar_t*, int>> cols) {
        ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        int i = 0;
        for (auto& c : cols) {
            LVCOLUMNW col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.pszText = const_cast<wchar_t*>(c.first);
            col.cx = c.second;
            ::SendMessageW(list, LVM_INSERTCOLUMNW, i++, reinterpret_cast<LPARAM>(&col));
        }
    };
    auto row = [](HWND list, int index, std::initializer_list<const wchar_t*> texts) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        int sub = 0;
        for (const wchar_t* t : texts) {
            item.iSubItem = sub;
            item.pszText = const_cast<wchar_t*>(t);
            ::SendMessageW(list, sub == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            ++sub;
        }
    };
    HWND output = outputDialog.Item(IDC_OUTPUT_LIST);
    columns(output, {{L"Kind", 70}, {L"Message", 260}});
    row(output, 0, {L"Info", L"Script started."});
    row(output, 1, {L"Warning", L"login.vbs(12): window \"Login\" took 1200 ms"});
    row(output, 2, {L"Info", L"Script ended with no errors."});
    HWND watch = watchDialog.Item(IDC_WATCH_LIST);
    columns(watch, {{L"Name", 80}, {L"Value", 120}});
    row(watch, 0, {L"count", L"3"});
    row(watch, 1, {L"title", L"\"Login\""});
    HWND tree = treeDialog.Item(IDC_TREE);
    TVINSERTSTRUCTW ins{};
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<wchar_t*>(L"Desktop");
    HTREEITEM root = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    for (const wchar_t* child : {L"Notepad", L"Login", L"Frame Test"}) {
        ins.hParent = root;
        ins.item.pszText = const_cast<wchar_t*>(child);
        ::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins));
    }
    ::SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

void CFrameAppWindow::SavePaneState() {
    outputPane.SaveState(L"Output");
    watchPane.SaveState(L"Watch");
    treePane.SaveState(L"Tree");
    SaveBarPlace(toolBar, BarSectionName(L"Standard", toolBar.id()));
}

void CFrameAppWindow::LoadPaneState() {
    outputPane.LoadState(L"Output");
    watchPane.LoadState(L"Watch");
    treePane.LoadState(L"Tree");
    LoadBarPlaces(this, {{&toolBar, BarSectionName(L"Standard", toolBar.id())},
                         {&outputPane, outputPane.SectionName(L"Output")},
                         {&watchPane, watchPane.SectionName(L"Watch")},
                         {&treePane, treePane.SectionName(L"Tree")}});
    RecalcLayout();
}

void CFrameAppWindow::OnClose() {
    SavePaneState();
    CMDIFrameWnd::OnClose();
}

bool CFrameApp::InitInstance() {
    SetRegistryKey(L"Norwend");
    LoadStdProfileSettings(4);
    AddDocTemplate(std::make_unique<CDocTemplate>(
        IDR_TEXTTYPE, [] { return new CRichEditDoc; }, [] { return new CMDIChildWnd; },
        [] { return new CRichEditView; }));
    auto* frame = new CFrameAppWindow;
    frame->deleteOnDestroy = true;
    if (!frame->LoadFrame(IDR_MAINFRAME, appTitle().c_str())) {
        delete frame;
        return false;
    }
    SetMainWnd(frame);
    // The work area rather than SW_SHOWMAXIMIZED: without a window manager (Xvfb) Wine
    // maximises the window but not its X window, and the bottom of the frame is cut off.
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::SetWindowPos(frame->hwnd(), nullptr, work.left, work.top, work.right - work.left, work.bottom - work.top,
                   SWP_NOZORDER);
    ::ShowWindow(frame->hwnd(), SW_SHOW);
    ::UpdateWindow(frame->hwnd());
    return true;
}
