#include "host/ResultsPane.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"
#include <richedit.h>

namespace host {

ResultsPane::ResultsPane(ScriptHost& host) : host_(host) { ::LoadLibraryW(L"riched20.dll"); }

bool ResultsPane::OnInitDialog() {
    CAnchorDialog::OnInitDialog();
    SetAnchor(IDC_RESULTS_EDIT, ANCHOR_ALL);
    return true;
}

HWND ResultsPane::richEdit() const { return Item(IDC_RESULTS_EDIT); }

void ResultsPane::AddRecord(int, const std::wstring& text) {
    HWND edit = richEdit();
    if (!edit) return;
    const LRESULT length = ::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    ::SendMessageW(edit, EM_SETSEL, length, length);
    const std::wstring line = text + L"\r";
    ::SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

void ResultsPane::Clear() {
    if (HWND edit = richEdit()) ::SetWindowTextW(edit, L"");
}

} // namespace host
