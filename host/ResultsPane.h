#pragma once
// ResultsPane: the content of the "Results" docking pane (dialog resource 141): the log
// of the current run in a read-only rich edit control, coloured by record kind, with a
// link "file (line)" above every record written at a script position; a left click on
// a link shows that line (HostApplication::ShowPosition).
//     ResultsPane results(scriptHost);
//     resultsPane.Create(L"Results", frame, &results, IDD_RESULTS_PANE);
//     results.AddRecord(RecordKind::Info, L"Script started.");
// AddRecord is the whole sink of a record in the window program: in console mode it
// writes the record to standard output instead of the pane, so the application's
// LogRecord only forwards to it. The host counts the errors before a record gets here.
#include "frame/CAnchorDialog.h"
#include "host/RecordKind.h"
#include <map>
#include <mutex>
#include <string>

namespace host {

class ScriptHost;

class ResultsPane : public CAnchorDialog {
public:
    // Where a link leads.
    struct Link {
        std::string file;  // lower-cased full path
        int line = -1;     // 1-based
        RecordKind kind = RecordKind::Info;
    };

    explicit ResultsPane(ScriptHost& host);
    // The one sink of all records in the window; any thread (the control is driven by
    // sent messages, which run on the pane's thread).
    void AddRecord(RecordKind kind, const std::wstring& text);
    // Empties the log (start of a run); the links stay but their text is gone.
    void Clear();
    HWND richEdit() const;

    // The link whose prefix is on a control line, if any.
    bool LinkAt(int controlLine, Link* link) const;
    // Text colour of a record kind (CLR_DEFAULT: the control's automatic colour).
    static COLORREF KindColor(RecordKind kind);

    bool PreTranslateMessage(MSG* msg) override;

protected:
    bool OnInitDialog() override;
    bool OnNotify(NMHDR* header, LRESULT* result) override;

private:
    void SetInsertionFormat(DWORD mask, DWORD effects, COLORREF color);
    void Insert(const std::wstring& text);

    ScriptHost& host_;
    mutable std::mutex linksMutex_;
    std::map<int, Link> links_;
};

} // namespace host
