#pragma once
#include "host/RecordKind.h"
#include <string>

namespace host {

// What the script host needs from the program around it: the log, the window-side
// display of positions and panes, and the questions it may ask the user. The window
// program and the command-line runner each provide one.
class HostApplication {
public:
    virtual ~HostApplication() = default;

    // Shows or writes one log record. ScriptHost::Log, which counts the errors, is its
    // only caller.
    virtual void LogRecord(RecordKind kind, const std::wstring& text) = 0;
    // Shows a script position (file = lower-cased path, line 1-based or -1).
    virtual void ShowPosition(const std::string& file, int line, bool markFrame) = 0;
    virtual void RefreshDebugPanes() = 0;
    // hint 0: breakpoints changed; hint 1: current position changed.
    virtual void UpdateScriptViews(int hint) = 0;
    // Breakpoint markers of the script views and the Breakpoints pane.
    virtual void RefreshBreakpointViews() { UpdateScriptViews(0); }
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::wstring& question) = 0;
    virtual void ShowMessage(const std::wstring& text) = 0;
    virtual void SetWaitCursor(bool on) = 0;
};

} // namespace host
