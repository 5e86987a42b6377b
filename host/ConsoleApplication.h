#pragma once
#include "host/HostApplication.h"

namespace host {

class ScriptHost;

// The application side of a command-line run: every record is one line on standard
// output; nothing is shown and nobody is asked.
class ConsoleApplication : public HostApplication {
public:
    explicit ConsoleApplication(ScriptHost& host) : host_(host) {}

    void LogRecord(RecordKind kind, const std::wstring& text) override;
    void ShowPosition(const std::string&, int, bool) override {}
    void RefreshDebugPanes() override {}
    void UpdateScriptViews(int) override {}
    bool AskYesNo(const std::wstring&) override { return false; }
    void ShowMessage(const std::wstring&) override {}
    void SetWaitCursor(bool) override {}

    // Runs a script to its end; the exit code is 0 without errors, 1 when errors were
    // reported, 2 when the script could not be prepared.
    int RunScript(const std::wstring& fileName);

private:
    ScriptHost& host_;
};

// The console form of a record: "kind: text" or "kind: file (line): text".
std::wstring FormatConsoleRecord(RecordKind kind, const std::wstring& text, const std::string& file, int line);

} // namespace host
