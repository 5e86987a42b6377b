#include "editor/CMardelDoc.h"
#include "common/Bstr.h"
#include "common/TextConv.h"
#include "editor/CMardelView.h"
#include <algorithm>

CMardelView* CMardelDoc::mardelView() const {
    for (CView* v : views())
        if (auto* view = dynamic_cast<CMardelView*>(v)) return view;
    return nullptr;
}

std::string CMardelDoc::HostPath() const { return common::WideToAnsi(common::ToLower(GetPathName())); }

std::string CMardelDoc::FileBytes(const std::wstring& text) {
    std::wstring lines = text;
    std::replace(lines.begin(), lines.end(), L'\r', L'\n');
    // The code page's default character stands in for what it lacks; NULs are kept.
    return ToAnsi(lines);
}

bool CMardelDoc::FileBytes(ITextDocument* document, std::string& bytes) {
    if (!document) return false;
    Microsoft::WRL::ComPtr<ITextRange> story;
    long length = 0;
    if (FAILED(document->Range(0, 0, &story)) || !story || FAILED(story->GetStoryLength(&length)) || length < 1)
        return false;
    // The final paragraph mark belongs to the control, not to the file.
    const long end = length - 1;
    std::wstring text;
    text.reserve(static_cast<size_t>(end));
    for (long start = 0; start < end; start += kSaveChunk) {
        const long pieceEnd = std::min(start + kSaveChunk, end);
        Microsoft::WRL::ComPtr<ITextRange> chunk;
        common::Bstr piece;
        if (FAILED(document->Range(start, pieceEnd, &chunk)) || !chunk || FAILED(chunk->GetText(piece.put())))
            return false;
        // The whole piece by its length: an embedded NUL must not end it. A short piece
        // is a failed read too; it would cut the file.
        const std::wstring read = piece.str();
        if (read.size() != static_cast<size_t>(pieceEnd - start)) return false;
        text += read;
    }
    // Converted in one go so that a surrogate pair split between pieces stays one character.
    bytes = FileBytes(text);
    return true;
}

bool CMardelDoc::SaveText(ITextDocument* document, const std::wstring& path) {
    std::string bytes;
    return FileBytes(document, bytes) && WriteFileSafely(path, bytes);
}

bool CMardelDoc::OnOpenDocument(const std::wstring& path) {
    // Anchors of the text being replaced would otherwise follow the new text and move
    // their breakpoints; the view places them again after the load.
    if (CMardelView* view = mardelView()) view->DropBreakpointAnchors();
    return CRichEditDoc::OnOpenDocument(path);
}

bool CMardelDoc::OnSaveDocument(const std::wstring& path) {
    CMardelView* view = mardelView();
    if (!view || !SaveText(view->textDocument().Get(), path)) return false;
    SetModifiedFlag(false);
    return true;
}

std::wstring CMardelDoc::ProposedFileName() const {
    if (!GetPathName().empty()) return GetPathName();
    std::wstring name = GetTitle();
    const std::wstring mark = kModifiedMark;
    if (name.size() > mark.size() && name.compare(name.size() - mark.size(), mark.size(), mark) == 0)
        name.resize(name.size() - mark.size());
    return name;
}

void CMardelDoc::SetPathName(const std::wstring& path, bool addToRecent) {
    // Save As may change the language: colour everything again for the new one.
    for (CView* v : std::vector<CView*>(views()))
        if (auto* view = dynamic_cast<CMardelView*>(v)) view->OnPathChanged(path);
    CRichEditDoc::SetPathName(path, addToRecent);
}
