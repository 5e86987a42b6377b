#pragma once
// CTevrinApp: the application object of the interactive program. It gets the one
// ScriptHost from the program's entry (which owns it), keeps the profile under
// Software\Norwend\Tevrin with four recent files, makes script documents with
// CChildFrame frames and creates the main frame. It handles the run commands (Run, Go,
// Step Into, Step Over, Stop, Break) with their enabling by run state, and makes sure
// that nothing closes under a running script.
//     CTevrinApp app(scriptHost);
//     return app.Start();
#include "framework/Application.h"
#include "frame/WindowApplication.h"
#include <string>

namespace host { class ScriptHost; }
class CMainFrame;
class CView;

class CTevrinApp : public CApplication {
public:
    explicit CTevrinApp(host::ScriptHost& host);
    ~CTevrinApp() override;

    bool InitInstance() override;
    int ExitInstance() override;

    host::ScriptHost& scriptHost() { return host_; }
    CMainFrame* mainFrame() const;
    WindowApplication& windowApplication() { return window_; }

    // Run, and Go with no script running: saves, clears the results, starts the run of
    // the active script and reports how its start went.
    void StartRun();
    // The save-all before anything closes: while a script runs, asks whether to stop it
    // and stops it; then the framework's prompts for modified documents.
    bool ConfirmCloseWhileRunning();
    bool SaveAllModified() override { return ConfirmCloseWhileRunning(); }

    // The run-state rules of the run commands.
    static bool CanRun(bool running) { return !running; }
    static bool CanGo(bool running, bool atBreak) { return !running || atBreak; }
    static bool CanStep(bool running, bool atBreak) { return running && atBreak; }
    static bool CanStop(bool running) { return running; }
    static bool CanBreak(bool running, bool atBreak) { return running && !atBreak; }

    // Longest waits of the run commands.
    static const DWORD kStartTimeout = 300000;
    static const DWORD kStopTimeout = 30000;

private:
    void OnGo();
    void OnStep(bool over);
    void OnStop();
    void OnBreak();
    void UpdateTitle();
    // The view a run would start from: the active child frame's view.
    CView* ActiveView() const;
    void ShowResource(UINT stringId);

    host::ScriptHost& host_;
    WindowApplication window_;
    host::HostApplication* previousApplication_ = nullptr;
};

// Waits for an event while dispatching only messages sent by other threads (log records,
// position requests), never user input; true when it was signalled in time.
bool WaitDispatchingSent(HANDLE handle, DWORD milliseconds);
