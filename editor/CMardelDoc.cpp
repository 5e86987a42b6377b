#include "editor/CMardelDoc.h"
#include "common/Bstr.h"
#include "common/TextConv.h"
#include "common/UniqueHandle.h"
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

std::string CMardelDoc::FileBytes(ITextDocument* document) {
    if (!document) return std::string();
    Microsoft::WRL::ComPtr<ITextRange> story;
    long length = 0;
    if (FAILED(document->Range(0, 0, &story)) || !story || FAILED(story->GetStoryLength(&length))) return std::string();
    // The final paragraph mark belongs to the control, not to the file.
    const long end = length - 1;
    std::wstring text;
    text.reserve(end > 0 ? static_cast<size_t>(end) : 0);
    for (long start = 0; start < end; start += kSaveChunk) {
        Microsoft::WRL::ComPtr<ITextRange> chunk;
        common::Bstr piece;
        if (FAILED(document->Range(start, std::min(start + kSaveChunk, end), &chunk)) || !chunk ||
            FAILED(chunk->GetText(piece.put())))
            return std::string();
        // The whole piece by its length: an embedded NUL must not end it.
        text += piece.str();
    }
    // Converted in one go so that a surrogate pair split between pieces stays one character.
    return FileBytes(text);
}

bool CMardelDoc::WriteFileSafely(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = path + L".tmp";
    {
        common::UniqueFileHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!file) return false;
        DWORD written = 0;
        if (!bytes.empty() &&
            (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
             written != bytes.size())) {
            file.reset();
            ::DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!::MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool CMardelDoc::OnOpenDocument(const std::wstring& path) {
    // Anchors of the text being replaced would otherwise follow the new text and move
    // their breakpoints; the view places them again after the load.
    if (CMardelView* view = mardelView()) view->DropBreakpointAnchors();
    return CRichEditDoc::OnOpenDocument(path);
}

bool CMardelDoc::OnSaveDocument(const std::wstring& path) {
    CMardelView* view = mardelView();
    const std::string bytes = view ? FileBytes(view->textDocument().Get()) : std::string();
    if (!WriteFileSafely(path, bytes)) return false;
    SetModifiedFlag(false);
    return true;
}

void CMardelDoc::SetPathName(const std::wstring& path, bool addToRecent) {
    // Save As may change the language: colour everything again for the new one.
    for (CView* v : std::vector<CView*>(views()))
        if (auto* view = dynamic_cast<CMardelView*>(v)) view->OnPathChanged(path);
    CRichEditDoc::SetPathName(path, addToRecent);
}
