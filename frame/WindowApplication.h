#pragma once
// WindowApplication: what the script host sees of the interactive program. Records go
// to the Results pane, positions and pane refreshes to the main frame, questions and
// messages to message boxes owned by the frame.
//
// Threads: LogRecord arrives on whichever thread logs (holding the host lock) and drives
// the results pane's rich edit through sent messages; ShowPosition, RefreshDebugPanes
// and UpdateScriptViews may come from the script or watcher thread and reach the frame
// through sent messages with time-outs.
#include "host/HostApplication.h"
#include <atomic>

class CMainFrame;
class CApplication;

class WindowApplication : public host::HostApplication {
public:
    explicit WindowApplication(CApplication& app) : app_(app) {}

    // The frame that shows everything; null before it exists and after it is gone.
    void SetFrame(CMainFrame* frame) { frame_ = frame; }
    CMainFrame* frame() const { return frame_; }

    void LogRecord(host::RecordKind kind, const std::wstring& text) override;
    void ShowPosition(const std::string& file, int line, bool markFrame) override;
    void RefreshDebugPanes() override;
    void UpdateScriptViews(int hint) override;
    void RefreshBreakpointViews() override;
    bool AskYesNo(const std::wstring& question) override;
    void ShowMessage(const std::wstring& text) override;
    void SetWaitCursor(bool on) override;

private:
    CApplication& app_;
    std::atomic<CMainFrame*> frame_{nullptr};
};
