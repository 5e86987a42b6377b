#pragma once
// CMardelDoc: a script file in the editor. Loading is the rich-edit document's; saving
// writes the text in the ANSI code page with bare line feeds, every character kept
// (a character the code page lacks becomes its default character, a NUL stays a NUL).
// A path change (Save As) switches the views' language and recolours them.
//     app.AddDocTemplate(std::make_unique<CDocTemplate>(129, [] { return new CMardelDoc; },
//         [] { return new CChildFrame; }, [] { return new CMardelView; }));
//     docTemplate->SetDescription(CMardelDoc::kDocString);
#include "framework/RichEditDoc.h"
#include <tom.h>
#include <string>

class CMardelView;

class CMardelDoc : public CRichEditDoc {
public:
    // Document type "Script", no file filter, registry type "Tevrin.Document".
    static constexpr const wchar_t* kDocString = L"\nScript\nScript\n\n\nTevrin.Document\nScript Document";
    // Characters fetched from the control per piece while saving.
    static constexpr long kSaveChunk = 204800;

    bool OnOpenDocument(const std::wstring& path) override;
    bool OnSaveDocument(const std::wstring& path) override;
    void SetPathName(const std::wstring& path, bool addToRecent = true) override;
    // The title without the modified mark its views add to it.
    std::wstring ProposedFileName() const override;
    static constexpr const wchar_t* kModifiedMark = L" *";

    CMardelView* mardelView() const;
    // The path in the form the script host knows files by: ANSI, lower-cased.
    std::string HostPath() const;

    // The bytes a save writes for the text of `document`: the story without its final
    // paragraph mark, carriage returns as line feeds, in the ANSI code page. False when
    // any part of the text cannot be read.
    static bool FileBytes(ITextDocument* document, std::string& bytes);
    // The same for plain text (paragraph marks as carriage returns).
    static std::string FileBytes(const std::wstring& text);
    // Writes the text of `document` to path; false, the file as it was, when the text
    // cannot be read or the file cannot be written.
    static bool SaveText(ITextDocument* document, const std::wstring& path);
};
