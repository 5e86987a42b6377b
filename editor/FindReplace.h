#pragma once
#include "editor/TextModel.h"
#include <windows.h>
#include <commdlg.h>

namespace editor {

// Find and replace of one editor: the common Find and Replace dialogs, shown for one
// action at a time, and repeated searches without the dialog.
class FindReplace {
public:
    enum Result : int { kWaiting = 0, kFindNext = 1, kReplace = 2, kReplaceAll = 3, kClosed = 4 };

    FindReplace();
    FindReplace(const FindReplace&) = delete;
    FindReplace& operator=(const FindReplace&) = delete;
    ~FindReplace();

    void Attach(HWND window, const TextModel* text) {
        window_ = window;
        text_ = text;
    }

    // The registered FINDMSGSTRING message.
    UINT DialogMessage() const { return findMessage_; }
    // The dialog's notification, reaching the editor's window.
    void OnDialogNotification();

    void OpenFind() { RunDialog(false); }
    void OpenReplace() { RunDialog(true); }
    void FindNext();
    void Replace();
    void ReplaceAll();
    // The selection, or the word at the caret, becomes the search text.
    void TakeSearchTextFromSelection();

    void SetDown(bool down) { down_ = down; }
    void SetOptions(bool matchCase, bool wholeWord) {
        matchCase_ = matchCase;
        wholeWord_ = wholeWord;
    }
    bool Down() const { return down_; }
    bool MatchCase() const { return matchCase_; }
    bool WholeWord() const { return wholeWord_; }
    const char* SearchText() const { return findText_; }
    void SetSearchText(const char* text);
    void SetReplaceText(const char* text);
    HWND DialogWindow() const { return dialog_; }
    DWORD DialogFlags() const { return request_.Flags; }

private:
    void RunDialog(bool replace);
    long SearchFlags() const;

    HWND window_ = nullptr;
    const TextModel* text_ = nullptr;
    UINT findMessage_ = 0;
    char findText_[260] = {};
    char replaceText_[260] = {};
    bool matchCase_ = false;
    bool wholeWord_ = false;
    bool down_ = true;
    FINDREPLACEA request_{};
    HWND dialog_ = nullptr;
    int result_ = kWaiting;
};

} // namespace editor
