#pragma once
#include "editor/RunStateFollower.h"
#include <windows.h>
#include <richedit.h>
#include <richole.h>
#include <tom.h>
#include <wrl/client.h>
#include <string>

namespace editor {

using Microsoft::WRL::ComPtr;

// Positions and ranges of a rich edit control through its text object model. Some text
// object model implementations leave units other than characters and the story
// unimplemented (E_NOTIMPL); each operation then falls back to the control's own messages,
// which count in the same character positions (a paragraph mark is one character).
class TextModel {
public:
    TextModel() = default;
    TextModel(HWND window, ComPtr<ITextDocument> document)
        : window_(window), document_(std::move(document)) {}

    HWND Window() const { return window_; }
    // With a run state, the control follows it before every edit, so that a script
    // started since the last key or click already counts.
    void SetRunState(const IScriptRunState* runState) { runState_ = runState; }
    // False while the control is read-only (a script runs): the edits below then throw
    // E_ACCESSDENIED and change nothing.
    bool Writable() const;
    ITextDocument* Document() const { return document_.Get(); }
    explicit operator bool() const { return document_ != nullptr; }

    ComPtr<ITextRange> Range(long start, long end) const;
    ComPtr<ITextSelection> Selection() const;

    // End of the story (its length, the final paragraph mark included).
    long StoryLength() const;
    // Text of [start, end).
    std::wstring Text(long start, long end) const;

    // [start, end) of the text visible in the window.
    void VisibleRange(long& start, long& end) const;
    // 0-based line of a position, first position of a 0-based line, number of lines.
    long LineFromChar(long pos) const;
    long LineStart(long line) const;
    long LineCount() const;
    // [start, end) of a whole line including its end mark.
    void LineBounds(long line, long& start, long& end) const;
    // Widens [start, end) to whole lines (Expand by lines).
    void ExpandToLines(long& start, long& end) const;

    // Display freezing and undo suspension; both are undone by the matching call. Where
    // the control has no freeze of its own, Freeze turns its drawing off instead, only
    // when `turnDrawingOff`; it returns false when it froze nothing (no Unfreeze then).
    bool Freeze(bool turnDrawingOff = true) const;
    void Unfreeze() const;
    void SuspendUndo() const;
    void ResumeUndo() const;

    // Types text in place of the selection, as the keyboard would (one undo step).
    void TypeText(const std::wstring& text) const;
    // Replaces [start, end) with text; the caret ends after the new text.
    void SetRangeText(long start, long end, const std::wstring& text) const;

    // ITextRange::FindText on [start, end): forward (count > 0) from start, backward
    // (count < 0) from end. Returns the match length (0 = not found) and its bounds.
    long FindText(long start, long end, const std::wstring& text, long count, long flags,
                  long& foundStart, long& foundEnd) const;

    void GetSelection(long& start, long& end) const;
    void SetSelection(long start, long end) const;

private:
    HWND window_ = nullptr;
    ComPtr<ITextDocument> document_;
    const IScriptRunState* runState_ = nullptr;
};

// IID_ITextDocument is missing from MinGW's uuid library.
extern const IID kIID_ITextDocument;

} // namespace editor
