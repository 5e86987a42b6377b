#pragma once
// A small frame hosting the Window Explorer as the program's main frame will: the
// explorer is created hidden with the frame, Tools > Window Explorer (32785) toggles
// between them, Help (57670) opens the help file and About (57664) the about box.
#include "framework/Application.h"
#include "framework/MDIFrameWnd.h"

class CDialog;

#define ID_TOOLS_WINDOW_EXPLORER 32785
#define IDR_EXPLORERAPP 128

class CExplorerHostFrame : public CMDIFrameWnd {
public:
    CExplorerHostFrame();
    // The explorer, or null when it could not be created. Owned by its window.
    CDialog* explorer() const { return explorer_; }
    // Command 32785.
    void ToggleExplorer();

protected:
    int OnCreate(CREATESTRUCTW* cs) override;

private:
    CDialog* explorer_ = nullptr;
};

class CExplorerApp : public CApplication {
public:
    CExplorerApp() : CApplication(L"Explorer Test") {}
    bool InitInstance() override;
    CExplorerHostFrame* frame() const { return static_cast<CExplorerHostFrame*>(mainWnd()); }
};
