#pragma once
// The frame test application's main window: a toolbar, a status bar, three docking
// panes holding small anchor dialogs, and text documents in rich-edit views. The unit
// tests build the same window in-process.
#include "frame/CAnchorDialog.h"
#include "frame/CDockPaneCF.h"
#include "framework/Application.h"
#include "framework/MDIFrameWnd.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"

class CFrameAppWindow : public CMDIFrameWnd {
public:
    CFrameAppWindow();
    CToolBar toolBar;
    CStatusBar statusBar;
    CAnchorDialog outputDialog, watchDialog, treeDialog;
    CDockPaneCF outputPane, watchPane, treePane;
    bool runEnabled = true;
    int runCount = 0;

    // Pane sizes are kept under these profile names.
    void SavePaneState();
    void LoadPaneState();

protected:
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnClose() override;

private:
    void TogglePane(CDockPane& pane);
    void FillSamples();
};

class CFrameApp : public CApplication {
public:
    CFrameApp() : CApplication(L"Frame Test") {}
    bool InitInstance() override;
};
