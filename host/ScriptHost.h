#pragma once
#include "common/ScriptingGuids.h"
#include "host/HostApplication.h"
#include "host/HostLock.h"
#include "host/ScriptSite.h"
#include <wrl/client.h>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace host {

using Microsoft::WRL::ComPtr;


// A script file of the run: its debugger document and the cookie of its script block.
struct ScriptFileRecord {
    std::string path;
    DWORD_PTR cookie = 0;
    ComPtr<IDebugDocumentHelper> helper;
};

// Lower-cased full path -> record, ordered by the key's bytes.
using FileMap = std::map<std::string, ScriptFileRecord>;

struct BreakpointRecord {
    int line = 0;            // 0-based
    long charPosition = 0;
    bool enabled = true;
    std::string file;        // lower-cased full path
};

// Everything that belongs to one run. A killed run's script thread keeps its own
// context, so its late teardown never touches a newer run.
struct RunContext {
    unsigned generation = 0;
    std::string scriptPath;
    std::mutex mutex;                  // guards the references below against teardown
    std::atomic<bool> threadActive{false};
    ComPtr<IProcessDebugManager> debugManager;
    ComPtr<IDebugApplication> debugApplication;
    ComPtr<IDebugSessionProvider> sessionProvider;
    ComPtr<IActiveScript> engine;
    ComPtr<IActiveScriptDebug> engineDebug;
    ComPtr<ScriptSite> site;
    FileMap fileMap;
    HANDLE scriptThread = nullptr;   // owned by the context, closed with it
    HANDLE watcherThread = nullptr;
    ~RunContext();

    ComPtr<IDebugApplication> application() {
        std::lock_guard<std::mutex> guard(mutex);
        return debugApplication;
    }
    ComPtr<IActiveScript> script() {
        std::lock_guard<std::mutex> guard(mutex);
        return engine;
    }
};

// Runs one script file at a time on a script thread, single-stepped under Active
// Script Debugging, with a watcher thread that decides at every statement whether
// to step on or stop.
class SynchronizerCall;

class ScriptHost {
public:
    ScriptHost();
    virtual ~ScriptHost();
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;

    void setApplication(HostApplication* application) { application_ = application; }
    HostApplication* application() const { return application_; }

    // Run control (user-interface thread).
    HRESULT Run(const std::string& path);
    HRESULT Break();
    HRESULT Stop();
    HRESULT Kill();
    HRESULT Continue();
    HRESULT StepInto();
    HRESULT StepOver();
    ComPtr<IRemoteDebugApplicationThread> FindScriptThread();

    // Breakpoints (debugger/Breakpoints.cpp). ToggleBreakpoint adds the breakpoint or
    // removes the equal one (same line and file); ApplyBreakpoints places the list on the
    // engine's code at the start of a run. Both lock the list.
    void ToggleBreakpoint(BreakpointRecord record);
    void ApplyBreakpoints(RunContext& run);
    // A copy of the breakpoint list, and a change of it under the list's lock.
    std::vector<BreakpointRecord> breakpoints() const;
    void EditBreakpoints(const std::function<void(std::vector<BreakpointRecord>&)>& edit);

    // Called by the debugger object while the script thread waits inside a break.
    void OnHandleBreakPoint(IRemoteDebugApplicationThread* thread, BREAKREASON reason,
                            IActiveScriptErrorDebug* error);

    HostLock& hostLock() { return hostLock_; }

    // True while a script thread exists (also while it tears down).
    bool hasScriptThread();
    // Waits for the current script thread to end, dispatching messages; true when it
    // ended (or none exists).
    bool WaitForScriptThread(DWORD milliseconds);

    // Position of the current statement (or of the last error).
    std::string currentFile() const;
    void setCurrentFile(const std::string& file);
    std::wstring errorText() const;
    void setErrorText(const std::wstring& text);

    // Queries on the run's file map (script thread).
    std::string PathOfCookie(DWORD_PTR cookie);
    ComPtr<IDebugDocumentHelper> HelperOfCookie(DWORD_PTR cookie);

    // The one way records reach the log: counts the errors of the run, then hands the
    // record to the application's sink.
    void Log(RecordKind kind, const std::wstring& text);
    unsigned errorCount() const { return errorCount_; }

    // Run state, as the window and the panes see it.
    bool running() const { return running_; }
    bool atBreak() const { return atBreak_; }
    // Console runs ask nobody and show nothing.
    bool consoleMode() const { return consoleMode_; }
    void setConsoleMode(bool on) { consoleMode_ = on; }
    // The breakpoints of the last run's start were switched off or moved to code lines.
    bool breakpointsDisabled() const { return breakpointsDisabled_; }
    bool breakpointsMoved() const { return breakpointsMoved_; }
    // The last run never started executing (its errorText says why).
    bool preparationFailed() const { return preparationFailed_; }
    // 1-based line of the current statement; -1 when there is none.
    int currentLine() const { return currentLine_; }
    void setCurrentLine(int line) { currentLine_ = line; }
    // The call-stack frame that the Variables pane and watches evaluate in (0 = top).
    int selectedFrame() const { return selectedFrame_; }
    void selectFrame(int index) { selectedFrame_ = index; }
    // Signalled when a run has started executing or failed to.
    HANDLE startedEvent() const { return startedEvent_; }
    // Language name or CLSID of the run's script, as its #language line gave it.
    std::wstring languageName() const;

    // The run in progress (or the last one); null before the first run.
    std::shared_ptr<RunContext> currentRun();

protected:
    // Steps of a run's start that the platform may refuse; tests make them fail.
    virtual HRESULT CreateDebugManager(ComPtr<IProcessDebugManager>& manager);
    virtual HANDLE CreateWatcherThread(LPTHREAD_START_ROUTINE procedure, void* parameter);

private:
    friend class ScriptLoader;
    // Lets the editor's tests stage a run state without running a script.
    friend class ScriptHostTestAccess;

    static DWORD WINAPI ScriptThreadProc(void* param);
    static DWORD WINAPI WatcherThreadProc(void* param);
    void ScriptThreadMain(const std::shared_ptr<RunContext>& run);
    void WatcherMain(const std::shared_ptr<RunContext>& run);
    void WatcherPass(const std::shared_ptr<RunContext>& run, const SynchronizerCall* synchronize, bool stepPass);
    // Where the script stands at a break: its thread, the document name and 1-based line
    // of the top frame, and the number of frames. Taken on the breaking thread while it
    // waits inside the break, where the debug services answer without a thread switch.
    struct BreakPosition {
        ComPtr<IRemoteDebugApplicationThread> thread;
        bool framesRead = false;  // the stack could be enumerated
        bool located = false;     // file (and line, when >= 0) were found
        std::string file;
        int line = -1;
        int depth = -1;           // frames on the stack, when they were counted
    };
    static BreakPosition ReadBreakPosition(IRemoteDebugApplicationThread* thread, bool countFrames);
    BreakPosition breakPosition();
    void setBreakPosition(BreakPosition position);
    bool IsCurrent(const RunContext& run);
    void EndRunState(const RunContext& run);
    HRESULT SetUpDebugger(RunContext& run);
    void TearDown(RunContext& run);
    bool BreakpointHit(const std::string& file, int line);
    HRESULT StepFromBreak(bool over);
    bool Ask(const std::wstring& question);
    void setLanguageName(const std::wstring& name);

    std::atomic<bool> running_{false};
    std::atomic<bool> atBreak_{true};
    // The break waiting for the watcher's judgement (a step or halt, or any other
    // reason), taken by the watcher; and whether the watcher sleeps on the events.
    static constexpr int kStepPass = 1, kBreakPass = 2;
    std::atomic<int> pendingBreak_{0};
    std::atomic<bool> watcherAsleep_{false};
    std::atomic<bool> stepping_{false};
    std::atomic<bool> consoleMode_{false};
    std::atomic<bool> breakpointsDisabled_{false};
    std::atomic<bool> breakpointsMoved_{false};
    std::atomic<bool> preparationFailed_{false};
    std::atomic<int> currentLine_{-1};
    std::atomic<int> selectedFrame_{0};
    std::atomic<int> stepOverDepth_{-1};
    std::atomic<unsigned> errorCount_{0};

    // Auto-reset events of the run.
    HANDLE breakEvent_;
    HANDLE stepEvent_;
    HANDLE endEvent_;
    HANDLE pauseEvent_;
    HANDLE startedEvent_;

    mutable std::recursive_mutex breakpointMutex_;
    std::vector<BreakpointRecord> breakpointList_;
    std::wstring languageName_;

    HostApplication* application_ = nullptr;
    HostLock hostLock_;
    mutable std::mutex stateMutex_;
    std::string currentFile_;
    std::wstring errorText_;
    std::wstring breakThreadName_;
    BreakPosition breakPosition_;
    std::shared_ptr<RunContext> run_;
    unsigned generation_ = 0;
};

// Counts the frames of a thread's stack; -1 when they cannot be enumerated.
int CountStackFrames(IDebugApplicationThread* thread);

} // namespace host
