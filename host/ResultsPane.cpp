#include "host/ResultsPane.h"
#include "common/TextConv.h"
#include "host/ConsoleApplication.h"
#include "host/ConsoleOutput.h"
#include "host/RecordKind.h"
#include "host/ScriptHost.h"
#include "resources/panes/panesids.h"
#include <commctrl.h>
#include <richedit.h>

namespace host {

ResultsPane::ResultsPane(ScriptHost& host) : host_(host) { ::LoadLibraryW(L"riched20.dll"); }

bool ResultsPane::OnInitDialog() {
    CAnchorDialog::OnInitDialog();
    SetAnchor(IDC_RESULTS_EDIT, ANCHOR_ALL);
    if (HWND edit = richEdit()) {
        ::SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_LINK);
        ::SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    }
    return true;
}

HWND ResultsPane::richEdit() const { return hwnd_ ? Item(IDC_RESULTS_EDIT) : nullptr; }

COLORREF ResultsPane::KindColor(RecordKind kind) {
    switch (kind) {
    case RecordKind::Warning: return RGB(50, 200, 50);
    case RecordKind::Error: return RGB(200, 50, 50);
    case RecordKind::FatalError: return RGB(50, 50, 200);
    default: return CLR_DEFAULT;
    }
}

void ResultsPane::SetInsertionFormat(DWORD mask, DWORD effects, COLORREF color) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = mask;
    format.dwEffects = effects;
    if (color == CLR_DEFAULT)
        format.dwEffects |= CFE_AUTOCOLOR;
    else
        format.crTextColor = color;
    ::SendMessageW(richEdit(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
}

void ResultsPane::Insert(const std::wstring& text) {
    ::SendMessageW(richEdit(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void ResultsPane::AddRecord(RecordKind kind, const std::wstring& text) {
    const std::string file = host_.currentFile();
    const int line = host_.currentLine();
    if (host_.consoleMode()) {
        ConsoleOutput::Write(FormatConsoleRecord(kind, text, file, line) + L"\n");
        return;
    }
    HWND edit = richEdit();
    if (!edit || !::IsWindow(edit)) return;

    ::SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(edit, EM_HIDESELECTION, TRUE, 0);
    CHARRANGE selection{};
    ::SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    POINT scroll{};
    ::SendMessageW(edit, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    GETTEXTLENGTHEX lengthOf{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const LONG length = static_cast<LONG>(::SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0));
    // The view follows new text only when the caret was at the end.
    const bool follow = selection.cpMax >= length - 2;

    CHARRANGE end{length, length};
    ::SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&end));
    const COLORREF color = KindColor(kind);
    bool prefixed = false;
    if (line != -1) {
        const size_t slash = file.find_last_of("\\/");
        const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
        SetInsertionFormat(CFM_LINK, CFE_LINK, 0);
        Insert(common::AnsiToWide(name) + L" (" + std::to_wstring(line) + L")");
        CHARRANGE at{};
        ::SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&at));
        const int controlLine = static_cast<int>(::SendMessageW(edit, EM_EXLINEFROMCHAR, 0, at.cpMin));
        {
            std::lock_guard<std::mutex> guard(linksMutex_);
            links_[controlLine] = Link{file, line, kind};
        }
        prefixed = true;
    }
    // Only the prefix is a link: the text after it takes the kind's colour without it.
    SetInsertionFormat(CFM_COLOR | CFM_LINK, 0, color);
    if (prefixed) Insert(L"\r");
    SetInsertionFormat(CFM_COLOR | CFM_LINK, 0, color);
    // What the window shows is what the ANSI code page holds (its default character for
    // the rest), the same as the files and the console.
    Insert(common::AnsiToWide(common::WideToAnsi(text)) + L"\r");

    if (!follow) {
        ::SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
        ::SendMessageW(edit, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    }
    ::SendMessageW(edit, EM_HIDESELECTION, FALSE, 0);
    ::SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    if (follow) ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    ::InvalidateRect(edit, nullptr, TRUE);
}

void ResultsPane::Clear() {
    if (HWND edit = richEdit()) ::SetWindowTextW(edit, L"");
}

bool ResultsPane::LinkAt(int controlLine, Link* link) const {
    std::lock_guard<std::mutex> guard(linksMutex_);
    auto it = links_.find(controlLine);
    if (it == links_.end()) return false;
    if (link) *link = it->second;
    return true;
}

bool ResultsPane::OnNotify(NMHDR* header, LRESULT* result) {
    if (header->code != EN_LINK || header->hwndFrom != richEdit()) return false;
    const auto* link = reinterpret_cast<ENLINK*>(header);
    if (link->msg != WM_LBUTTONDOWN) return false;
    const int controlLine = static_cast<int>(::SendMessageW(header->hwndFrom, EM_EXLINEFROMCHAR, 0, link->chrg.cpMin));
    Link target;
    if (LinkAt(controlLine, &target))
        if (HostApplication* application = host_.application()) application->ShowPosition(target.file, target.line, true);
    *result = 0;
    return true;
}

bool ResultsPane::PreTranslateMessage(MSG* msg) {
    HWND edit = richEdit();
    if (msg->message == WM_LBUTTONDOWN && edit && ::GetFocus() != edit &&
        (msg->hwnd == hwnd_ || msg->hwnd == edit)) {
        // One click on a link must work even when another window had the focus.
        ::SetFocus(edit);
        if (msg->hwnd == hwnd_) {
            POINT at{static_cast<short>(LOWORD(msg->lParam)), static_cast<short>(HIWORD(msg->lParam))};
            ::MapWindowPoints(hwnd_, edit, &at, 1);
            ::SendMessageW(edit, WM_LBUTTONDOWN, msg->wParam, MAKELPARAM(at.x, at.y));
        }
    }
    return CAnchorDialog::PreTranslateMessage(msg);
}

} // namespace host
