#include "framework/RichEditDoc.h"
#include "common/UniqueHandle.h"
#include "framework/RichEditView.h"
#include <algorithm>
#include <vector>

std::string CRichEditDoc::ToAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    return bytes;
}

std::wstring CRichEditDoc::FromAnsi(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

bool CRichEditDoc::WriteFileSafely(const std::wstring& path, const std::string& bytes) {
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

CRichEditDoc::Difference CRichEditDoc::Differ(const std::wstring& before, const std::wstring& after) {
    const size_t shorter = std::min(before.size(), after.size());
    size_t prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < shorter - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) ++suffix;
    return Difference{static_cast<long>(prefix), static_cast<long>(before.size() - suffix),
                      static_cast<long>(after.size() - suffix)};
}

void CRichEditDoc::CopyText(const CRichEditView& source, CRichEditView& target) {
    if (copying_ || !source.hwnd() || !target.hwnd()) return;
    const std::wstring wanted = source.ControlText();
    const Difference change = Differ(target.ControlText(), wanted);
    if (change.start == change.oldEnd && change.start == change.newEnd) return;
    copying_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{copying_};
    target.TakeChange(change.start, change.oldEnd,
                      wanted.substr(static_cast<size_t>(change.start), static_cast<size_t>(change.newEnd - change.start)));
}

void CRichEditDoc::OnViewTextChanged(CRichEditView* source) {
    if (copying_ || !source) return;
    for (CView* view : std::vector<CView*>(views())) {
        auto* other = dynamic_cast<CRichEditView*>(view);
        if (other && other != source) CopyText(*source, *other);
    }
}

CRichEditView* CRichEditDoc::richEditView() const {
    for (CView* v : views())
        if (auto* r = dynamic_cast<CRichEditView*>(v)) return r;
    return nullptr;
}

bool CRichEditDoc::OnOpenDocument(const std::wstring& path) {
    common::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFF0) return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return false;
    if (CRichEditView* view = richEditView()) view->SetWindowTextW(FromAnsi(bytes));
    SetModifiedFlag(false);
    return true;
}

bool CRichEditDoc::OnSaveDocument(const std::wstring& path) {
    // Without a view there is no text to write: an empty file would pass for it.
    CRichEditView* view = richEditView();
    if (!view || !view->hwnd()) return false;
    if (!WriteFileSafely(path, ToAnsi(view->GetWindowTextW()))) return false;
    SetModifiedFlag(false);
    return true;
}
