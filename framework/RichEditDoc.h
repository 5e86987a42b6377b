#pragma once
// CRichEditDoc: a plain-text document shown in a CRichEditView. Files are text in the
// ANSI code page; characters the code page lacks are written as its replacement
// character, never dropped, and embedded NULs are kept.
#include "framework/Document.h"
#include <string>

class CRichEditView;

class CRichEditDoc : public CDocument {
public:
    bool OnOpenDocument(const std::wstring& path) override;
    bool OnSaveDocument(const std::wstring& path) override;
    CRichEditView* richEditView() const;

    // The conversions used for the files (also for derived documents).
    static std::string ToAnsi(const std::wstring& text);
    static std::wstring FromAnsi(const std::string& bytes);
};
