#include "editor/FindReplace.h"
#include "common/ComError.h"
#include "common/TextConv.h"
#include <algorithm>
#include <cstring>
#include <cwctype>

namespace editor {

FindReplace::FindReplace() : findMessage_(::RegisterWindowMessageA(FINDMSGSTRINGA)) {
    request_.lStructSize = sizeof(FINDREPLACEA);
    request_.Flags = FR_DOWN;
    request_.lpstrFindWhat = findText_;
    request_.lpstrReplaceWith = replaceText_;
    request_.wFindWhatLen = sizeof(findText_);
    request_.wReplaceWithLen = sizeof(replaceText_);
}

FindReplace::~FindReplace() {
    if (dialog_ && ::IsWindow(dialog_)) ::DestroyWindow(dialog_);
}

void FindReplace::SetSearchText(const char* text) {
    std::strncpy(findText_, text ? text : "", sizeof(findText_) - 1);
    findText_[sizeof(findText_) - 1] = '\0';
}

void FindReplace::SetReplaceText(const char* text) {
    std::strncpy(replaceText_, text ? text : "", sizeof(replaceText_) - 1);
    replaceText_[sizeof(replaceText_) - 1] = '\0';
}

void FindReplace::TakeSearchTextFromSelection() {
    long start = 0, end = 0;
    text_->GetSelection(start, end);
    if (start == end) {
        // The word at the caret, without the blanks after it.
        const long storyLength = text_->StoryLength();
        long lineStart = 0, lineEnd = 0;
        text_->LineBounds(text_->LineFromChar(start), lineStart, lineEnd);
        const std::wstring line = text_->Text(lineStart, std::min(lineEnd, storyLength));
        auto isWord = [](wchar_t c) { return std::iswalnum(c) || c == L'_'; };
        long s = start - lineStart, e = s;
        const long size = static_cast<long>(line.size());
        if (s < size && isWord(line[s])) {
            while (s > 0 && isWord(line[s - 1])) --s;
            while (e < size && isWord(line[e])) ++e;
        } else if (s < size && !std::iswspace(line[s])) {
            e = s + 1;  // a punctuation character is a word of its own
        }
        start = lineStart + s;
        end = lineStart + e;
    }
    if (start == end) return;
    std::string text = common::WideToAnsi(text_->Text(start, end));
    if (text.size() > sizeof(findText_) - 1) text.resize(sizeof(findText_) - 1);
    SetSearchText(text.c_str());
}

void FindReplace::RunDialog(bool replace) {
    if (!text_ || dialog_) return;
    TakeSearchTextFromSelection();
    request_.hwndOwner = window_;
    request_.lCustData = reinterpret_cast<LPARAM>(this);
    // The next dialog opens with the options last used.
    request_.Flags &= ~(FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL | FR_DIALOGTERM | FR_MATCHCASE | FR_WHOLEWORD | FR_DOWN);
    if (matchCase_) request_.Flags |= FR_MATCHCASE;
    if (wholeWord_) request_.Flags |= FR_WHOLEWORD;
    if (down_) request_.Flags |= FR_DOWN;
    result_ = kWaiting;
    dialog_ = replace ? ::ReplaceTextA(&request_) : ::FindTextA(&request_);
    if (!dialog_) return;

    HWND mainWindow = ::GetAncestor(window_, GA_ROOT);
    if (mainWindow) ::EnableWindow(mainWindow, FALSE);
    ::EnableWindow(dialog_, TRUE);
    ::ShowWindow(dialog_, SW_SHOW);
    ::UpdateWindow(dialog_);

    // The dialog's own loop: one button press ends it. GetMessage waits without spinning;
    // a quit request ends the loop and is passed on.
    MSG msg;
    while (result_ == kWaiting && ::IsWindow(dialog_)) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
            result_ = kClosed;
            break;
        }
        if (!::IsDialogMessageA(dialog_, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    if (result_ == kWaiting) result_ = kClosed;

    const bool wasActive = ::GetActiveWindow() == dialog_;
    ::ShowWindow(dialog_, SW_HIDE);
    if (mainWindow) {
        ::EnableWindow(mainWindow, TRUE);
        if (wasActive) ::SetActiveWindow(mainWindow);
    }
    HWND dialog = dialog_;
    dialog_ = nullptr;
    if (::IsWindow(dialog)) ::DestroyWindow(dialog);

    try {
        switch (result_) {
        case kFindNext: FindNext(); break;
        case kReplace: Replace(); break;
        case kReplaceAll: ReplaceAll(); break;
        default: break;
        }
    } catch (const common::ComError&) {
        // Nothing found or a failed text call: the selection stays as it was.
    }
}

void FindReplace::OnDialogNotification() {
    // Once the action is taken the dialog is only being taken down; what it reports then
    // must not overwrite the options the user chose.
    if (!dialog_ || result_ != kWaiting) return;
    const DWORD flags = request_.Flags;
    if (flags & FR_FINDNEXT) {
        result_ = kFindNext;
    } else if (flags & FR_REPLACE) {
        result_ = kReplace;
    } else if (flags & FR_REPLACEALL) {
        result_ = kReplaceAll;
    } else if (flags & FR_DIALOGTERM) {
        result_ = kClosed;
    }
    // The notification is sent, not posted: wake the dialog's loop so that it sees the result.
    if (window_) ::PostMessageW(window_, WM_NULL, 0, 0);
    matchCase_ = (flags & FR_MATCHCASE) != 0;
    wholeWord_ = (flags & FR_WHOLEWORD) != 0;
    down_ = (flags & FR_DOWN) != 0;
}

long FindReplace::SearchFlags() const {
    long flags = 0;
    if (matchCase_) flags |= tomMatchCase;
    if (wholeWord_) flags |= tomMatchWord;
    return flags;
}

void FindReplace::FindNext() {
    if (!text_) return;
    long start = 0, end = 0;
    text_->GetSelection(start, end);
    const long storyLength = text_->StoryLength();
    // Never wraps: down to the end of the text, up to its start (counted from the
    // selection's end, where a backward search begins).
    const long count = down_ ? storyLength - start : -end;
    long foundStart = start, foundEnd = end;
    if (text_->FindText(start, end, common::AnsiToWide(findText_), count, SearchFlags(), foundStart, foundEnd) > 0) {
        text_->SetSelection(foundStart, foundEnd);
    }
    ::SetFocus(window_);
}

void FindReplace::Replace() {
    if (!text_ || !text_->Writable()) return;
    long start = 0, end = 0;
    text_->GetSelection(start, end);
    const std::wstring replacement = common::AnsiToWide(replaceText_);
    text_->SetRangeText(start, end, replacement);
    const long caret = start + static_cast<long>(replacement.size());
    text_->SetSelection(caret, caret);
    FindNext();
}

void FindReplace::ReplaceAll() {
    if (!text_ || !text_->Writable()) return;
    const std::wstring pattern = common::AnsiToWide(findText_);
    const std::wstring replacement = common::AnsiToWide(replaceText_);
    if (pattern.empty()) return;  // an empty pattern would match without end
    for (;;) {
        long start = 0, end = 0;
        text_->GetSelection(start, end);
        const long storyLength = text_->StoryLength();
        long foundStart = 0, foundEnd = 0;
        const long length = text_->FindText(start, end, pattern, storyLength - start, SearchFlags(), foundStart, foundEnd);
        if (length < 1) break;
        text_->SetRangeText(foundStart, foundEnd, replacement);
        const long caret = foundStart + static_cast<long>(replacement.size());
        text_->SetSelection(caret, caret);
    }
    ::SetFocus(window_);
}

} // namespace editor
