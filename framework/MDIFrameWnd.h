#pragma once
// CMDIFrameWnd: the program's main window. It holds the MDI client, the control bars
// docked in rows on its four sides (the MDI client gets the rest of the client area),
// the floating bars' frames, the menu of the active document, the accelerators and the
// status-bar prompts; it routes commands to the active child frame, its view and
// document, then to itself and the application, and updates menus before they open and
// toolbars and the status bar at idle.
//
// A program derives its main frame, builds its bars in OnCreate and registers its own
// commands with AddCommand/AddUpdate:
//     int CMainFrame::OnCreate(CREATESTRUCTW* cs) {
//         if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
//         toolBar_.Create(this, IDW_TOOLBAR); ... DockControlBar(&toolBar_, IDW_DOCKBAR_TOP);
//         return 0; }
// Docking: DockControlBar(bar, side) puts the bar in a new row at the inner end of that
// side; with a rectangle (frame client coordinates) it joins the row the rectangle
// falls in, ordered along the row. Bars in one row share its length: each keeps the
// length it wants and the last stretchable bar takes the rest.
#include "framework/CmdTarget.h"
#include "framework/FrameworkIds.h"
#include "framework/Window.h"
#include <functional>
#include <vector>

class CControlBar;
class CMDIChildWnd;
class CMiniDockFrame;
class CStatusBar;
class CDocument;

class CMDIFrameWnd : public CWindow, public CCmdTarget {
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    // Creates the frame with the menu and accelerator table of resource `resourceId`.
    virtual bool LoadFrame(UINT resourceId, const wchar_t* title,
                           DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    HWND mdiClient() const { return mdiClient_; }
    HMENU defaultMenu() const { return defaultMenu_; }

    // Control bars.
    bool DockControlBar(CControlBar* bar, UINT side, const RECT* where = nullptr);
    bool FloatControlBar(CControlBar* bar, POINT screenTopLeft);
    void ShowControlBar(CControlBar* bar, bool show);
    void RecalcLayout();
    // Bars of one side, row by row (outermost row first).
    const std::vector<std::vector<CControlBar*>>& Rows(UINT side) const;
    // The row holding the bar, or null when it floats.
    const std::vector<CControlBar*>* RowOf(const CControlBar* bar) const;
    void SetStatusBar(CStatusBar* bar);
    CStatusBar* statusBar() const { return statusBar_; }
    CControlBar* FindBar(UINT id) const;
    // A bar object going away before the frame.
    void ForgetBar(CControlBar* bar);
    // Installs the program's floating-frame class.
    void SetFloatingFrameFactory(std::function<CMiniDockFrame*()> factory) { floatFactory_ = std::move(factory); }

    // MDI.
    CMDIChildWnd* MDIGetActive() const;
    CDocument* GetActiveDocument() const;
    // Puts the menu of the active child (or the frame's own) into the menu bar.
    void UpdateMenu();
    // Called when children change; refreshes menu and title.
    void OnChildActivated();

    // Status-bar prompt of a command (the string resource text before '\n'); 0 = Ready.
    void ShowCommandPrompt(UINT id);
    void SetMessageText(const std::wstring& text);

    // Updates toolbar buttons and status-bar indicators (idle time).
    void UpdateBarsCmdUI();
    // Updates the entries of a popup menu as before it opens.
    void UpdateMenuCmdUI(HMENU popup);
    // Caption: the application title, followed by " - " and the active document's title.
    virtual void OnUpdateFrameTitle();

    bool RouteCommand(UINT id, Route route, CCmdUI* ui) override;
    // Whether a WM_COMMAND from `source` (its lParam) is a command for `frame` to
    // route: a menu or accelerator (no source), the frame itself or any window outside
    // it, as a test tool sends for a menu item. A child control's notification is not.
    static bool IsCommandSource(HWND frame, HWND source);
    bool PreTranslateMessage(MSG* msg) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    int OnCreate(CREATESTRUCTW* cs) override;
    // Closing: asks the application to save modified documents, then destroys the frame.
    virtual void OnClose();
    void OnDestroy() override;
    void PostNcDestroy() override;

    HMENU defaultMenu_ = nullptr;
    HACCEL accel_ = nullptr;

private:
    struct Side { UINT id; std::vector<std::vector<CControlBar*>> rows; };
    Side* SideOf(UINT id);
    void RemoveFromRows(CControlBar* bar);
    void ToggleBar(UINT id);
    void DestroyFloatFrame(CControlBar* bar);

    HWND mdiClient_ = nullptr;
    HMENU activeMenu_ = nullptr;
    Side sides_[4];
    CStatusBar* statusBar_ = nullptr;
    std::vector<CControlBar*> allBars_;
    std::function<CMiniDockFrame*()> floatFactory_;
    bool inLayout_ = false;
};
