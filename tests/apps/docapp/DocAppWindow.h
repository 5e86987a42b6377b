#pragma once
// The script document test application: an MDI frame whose documents are scripts
// (CMardelDoc in CMardelView) and a "Results" pane (ResultsPane), around a script host
// that never runs a script: tests set its run state and position by hand and read what
// the application was asked to do. The unit tests build the same window in-process.
#include "editor/CMardelDoc.h"
#include "editor/CMardelView.h"
#include "frame/CDockPaneCF.h"
#include "framework/Application.h"
#include "framework/MDIFrameWnd.h"
#include "host/HostApplication.h"
#include "host/ResultsPane.h"
#include "host/ScriptHost.h"
#include <deque>
#include <memory>
#include <string>
#include <vector>

class CDocAppWindow : public CMDIFrameWnd {
public:
    explicit CDocAppWindow(host::ScriptHost& host);
    // The content outlives its bar: the bar still reaches it while it goes.
    host::ResultsPane results;
    CDockPaneCF resultsBar;

protected:
    int OnCreate(CREATESTRUCTW* cs) override;
};

class CDocApp : public CApplication, public host::HostApplication {
public:
    CDocApp();
    ~CDocApp() override;
    bool InitInstance() override;
    // The script document template (CMardelDoc in CMardelView).
    void AddScriptTemplate();
    // Creates the frame at the given size (the work area when cx is 0) and shows it.
    bool CreateFrame(int cx = 0, int cy = 0);
    CDocAppWindow* frame() const;
    // The script documents open now.
    std::vector<CMardelDoc*> Documents() const;

    // Message boxes and file dialogs answered from queues (tests), or shown (program).
    int DoMessageBox(const std::wstring& text, UINT type) override;
    bool PromptFileName(std::wstring& path, bool open, const CDocTemplate* docTemplate) override;
    bool interactive = false;
    std::deque<int> answers;
    std::deque<std::wstring> fileNames;
    std::vector<std::wstring> proposedNames;  // what each file dialog would have proposed
    std::vector<std::wstring> messages;

    // HostApplication.
    void LogRecord(host::RecordKind kind, const std::wstring& text) override;
    void ShowPosition(const std::string& file, int line, bool markFrame) override;
    void RefreshDebugPanes() override {}
    void UpdateScriptViews(int hint) override;
    void RefreshBreakpointViews() override;
    bool AskYesNo(const std::wstring& question) override;
    void ShowMessage(const std::wstring& text) override;
    void SetWaitCursor(bool) override {}

    struct ShowCall {
        std::string file;
        int line;
        bool markFrame;
    };
    std::vector<ShowCall> shown;
    int breakpointRefreshes = 0;

    host::ScriptHost host;
};
