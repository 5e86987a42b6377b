#pragma once
// CRichEditDoc: a plain-text document shown in one or more CRichEditViews. Files are
// text in the ANSI code page; characters the code page lacks are written as its
// replacement character, never dropped, and embedded NULs are kept.
//
// The text lives in the views' controls, all of them holding the same text: a change
// made in one view is copied into the others as the replacement of the part that
// differs, so their selections, scroll positions and undo steps stay their own.
#include "framework/Document.h"
#include <string>

class CRichEditView;

class CRichEditDoc : public CDocument {
public:
    bool OnOpenDocument(const std::wstring& path) override;
    bool OnSaveDocument(const std::wstring& path) override;
    CRichEditView* richEditView() const;

    // The text of view `source` changed: the other views take the same change.
    void OnViewTextChanged(CRichEditView* source);
    // Makes target's text equal to source's, replacing only the part where they differ.
    void CopyText(const CRichEditView& source, CRichEditView& target);
    // True while a change is being copied between views.
    bool CopyingText() const { return copying_; }

    // The part where two texts differ: [start, oldEnd) of `before` became
    // [start, newEnd) of `after`. All three are equal when the texts are.
    struct Difference {
        long start, oldEnd, newEnd;
    };
    static Difference Differ(const std::wstring& before, const std::wstring& after);

    // Writes bytes beside path and moves them over it, so a failed write keeps the old file.
    static bool WriteFileSafely(const std::wstring& path, const std::string& bytes);
    // The conversions used for the files (also for derived documents).
    static std::string ToAnsi(const std::wstring& text);
    static std::wstring FromAnsi(const std::string& bytes);

private:
    bool copying_ = false;
};
