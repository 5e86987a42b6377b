#pragma once
// ResultsPane: the content of the "Results" docking pane (dialog resource 141): the log
// of the current run in a read-only rich edit control, coloured by record kind, with a
// link "file (line)" above every record written at a script position.
//     ResultsPane results(scriptHost);
//     resultsPane.Create(L"Results", frame, &results, IDD_RESULTS_PANE);
//     results.AddRecord(RecordKind::Info, L"Script started.");
#include "frame/CAnchorDialog.h"
#include <string>

namespace host {

class ScriptHost;

class ResultsPane : public CAnchorDialog {
public:
    explicit ResultsPane(ScriptHost& host);
    // The one sink of all records in the window; any thread.
    void AddRecord(int kind, const std::wstring& text);
    // Empties the log (start of a run).
    void Clear();
    HWND richEdit() const;

protected:
    bool OnInitDialog() override;

private:
    ScriptHost& host_;
};

} // namespace host
