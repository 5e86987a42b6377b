#pragma once
// CMainFrame: the program's MDI frame. It carries the two toolbars, the status bar, the
// seven docking panes of the debugger and the results (their contents come from the
// panes' owners), and the Window Explorer; it toggles the panes, shows the run state in
// its caption, keeps the pane sizes in the profile and shows script positions that the
// script host asks for with WM_SHOW_POSITION.
//
// Threads: the frame lives on the user-interface thread. Other threads reach it only
// through sent messages (WM_SHOW_POSITION, WM_REFRESH_DEBUG_PANES, WM_UPDATE_SCRIPT_VIEWS),
// each with a time-out so that a busy frame never holds the script host for long.
#include "frame/CDockPaneCF.h"
#include "framework/MDIFrameWnd.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include <memory>
#include <string>
#include <vector>

namespace host { class ScriptHost; class ResultsPane; }
namespace recorder { class Recorder; }
namespace debugger { class DebugPanes; }
class CDialog;
class CView;

// wParam: const ShowPositionRequest*; returns 1.
const UINT WM_SHOW_POSITION = WM_USER + 1234;
// Pane refresh after a stop or at the end of a run, on the frame's thread.
const UINT WM_REFRESH_DEBUG_PANES = WM_USER + 1235;
// wParam: the update hint (0 breakpoints, 1 current line).
const UINT WM_UPDATE_SCRIPT_VIEWS = WM_USER + 1236;
// Breakpoint markers and the Breakpoints pane.
const UINT WM_REFRESH_BREAKPOINTS = WM_USER + 1237;

// A place in a script that the frame is asked to show.
struct ShowPositionRequest {
    std::string file;       // lower-cased full path; empty: nothing to open
    int line = -1;          // 1-based; -1 only brings the document forward
    bool markFrame = false; // also mark the line as the selected stack frame's
};

class CMainFrame : public CMDIFrameWnd {
public:
    explicit CMainFrame(host::ScriptHost& host);
    ~CMainFrame() override;

    // The frame's own pane table, in creation order.
    enum PaneIndex { CallStack, Variables, Watch, Breakpoints, Results, Threads, Applications, PaneCount };
    CDockPaneCF& pane(PaneIndex index) { return panes_[index]; }
    static const wchar_t* ProfileName(PaneIndex index);
    host::ResultsPane& results() { return *results_; }
    debugger::DebugPanes& debugPanes() { return *debugPanes_; }
    CToolBar& mainToolBar() { return mainBar_; }
    CToolBar& debugToolBar() { return debugBar_; }
    CDialog* explorer() const { return explorer_; }
    recorder::Recorder& recorder() { return *recorder_; }

    // Record, Stop Recording and Start Application: the tester's actions in other
    // applications become lines of the active script document, at the caret (a new
    // document when none is open). Record while recording changes nothing.
    void StartRecording();
    void StopRecording();
    void StartApplicationForRecording();
    // Writes recorded lines at the caret of the active script view, each on its own line.
    void InsertRecordedLines(const std::vector<std::wstring>& lines);

    // Shows or hides a pane (the View commands).
    void TogglePane(PaneIndex index);
    // F6 and Shift+F6: the keyboard focus goes to the next (or previous) of the active
    // script view and the visible panes, in the pane table's order, round the end.
    void FocusNextPane(bool forward);
    void SavePaneStates();

    // Runs on the frame's thread: directly when called there, otherwise through a sent
    // message (bounded wait).
    void RefreshDebugPanes();
    void UpdateScriptViews(int hint);
    void RefreshBreakpointViews();
    // Sends a show-position request with the 3000 ms bound; false when the frame did not
    // answer in time.
    bool SendShowPosition(const ShowPositionRequest& request);

    // Caption: the framework's title, with " - [run]" or " - [break]" while a script runs.
    void OnUpdateFrameTitle() override;
    // The run-state suffix for the host's current state ("" when no script runs).
    static std::wstring RunStateSuffix(bool running, bool atBreak);
    // The button ids of a toolbar resource (0 for a separator).
    static std::vector<UINT> LoadToolBarButtons(UINT resourceId);

protected:
    int OnCreate(CREATESTRUCTW* cs) override;
    void OnClose() override;
    void OnDestroy() override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool CreateToolBars();
    bool CreatePanes();
    void LoadPaneStates();
    LRESULT OnShowPosition(const ShowPositionRequest* request);
    void ToggleExplorer();
    // The active script view; with `create`, a new script document when none is active.
    CView* ActiveScriptView(bool create);
    void DoRefreshDebugPanes();
    void DoUpdateScriptViews(int hint);
    void DoRefreshBreakpointViews();
    bool OnFrameThread() const;
    bool SendBounded(UINT msg, WPARAM wParam, DWORD milliseconds);

    host::ScriptHost& host_;
    CToolBar mainBar_;
    CToolBar debugBar_;
    CStatusBar statusBar_;
    CDockPaneCF panes_[PaneCount];
    std::unique_ptr<host::ResultsPane> results_;
    std::unique_ptr<debugger::DebugPanes> debugPanes_;
    CDialog* explorer_ = nullptr;
    std::unique_ptr<recorder::Recorder> recorder_;
    DWORD thread_ = 0;
};
