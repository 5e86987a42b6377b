#include "editor/TextModel.h"
#include "common/Bstr.h"
#include "common/ComError.h"
#include <algorithm>
#include <cwctype>

namespace editor {

// {8CC497C0-A1DF-11CE-8098-00AA0047BE5D}
const IID kIID_ITextDocument = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

using common::ThrowIfFailed;

namespace {

bool Unimplemented(HRESULT hr) { return hr == E_NOTIMPL; }

bool IsWordChar(wchar_t c) { return std::iswalnum(c) || c == L'_'; }

} // namespace

ComPtr<ITextRange> TextModel::Range(long start, long end) const {
    if (!document_) throw common::ComError(E_POINTER);
    ComPtr<ITextRange> range;
    ThrowIfFailed(document_->Range(start, end, &range));
    if (!range) throw common::ComError(E_POINTER);
    return range;
}

ComPtr<ITextSelection> TextModel::Selection() const {
    if (!document_) throw common::ComError(E_POINTER);
    ComPtr<ITextSelection> selection;
    ThrowIfFailed(document_->GetSelection(&selection));
    if (!selection) throw common::ComError(E_POINTER);
    return selection;
}

long TextModel::StoryLength() const {
    auto range = Range(0, 0);
    long delta = 0;
    ThrowIfFailed(range->Expand(tomStory, &delta));
    long end = 0;
    ThrowIfFailed(range->GetEnd(&end));
    return end;
}

std::wstring TextModel::Text(long start, long end) const {
    common::Bstr text;
    ThrowIfFailed(Range(start, end)->GetText(text.put()));
    return text.str();
}

long TextModel::LineFromChar(long pos) const {
    auto range = Range(pos, pos);
    long index = 0;
    HRESULT hr = range->GetIndex(tomLine, &index);
    if (!Unimplemented(hr)) {
        ThrowIfFailed(hr);
        return index - 1;
    }
    return static_cast<long>(::SendMessageW(window_, EM_EXLINEFROMCHAR, 0, pos));
}

long TextModel::LineStart(long line) const {
    auto range = Range(0, 0);
    long moved = 0;
    HRESULT hr = range->Move(tomLine, line, &moved);
    if (!Unimplemented(hr)) {
        ThrowIfFailed(hr);
        long start = 0;
        ThrowIfFailed(range->GetStart(&start));
        return start;
    }
    LRESULT start = ::SendMessageW(window_, EM_LINEINDEX, line, 0);
    return start < 0 ? StoryLength() : static_cast<long>(start);
}

long TextModel::LineCount() const {
    return static_cast<long>(::SendMessageW(window_, EM_GETLINECOUNT, 0, 0));
}

void TextModel::LineBounds(long line, long& start, long& end) const {
    auto range = Range(0, 0);
    HRESULT hr = range->SetIndex(tomLine, line + 1, 1);
    if (!Unimplemented(hr)) {
        ThrowIfFailed(hr);
        ThrowIfFailed(range->GetStart(&start));
        ThrowIfFailed(range->GetEnd(&end));
        return;
    }
    start = static_cast<long>(::SendMessageW(window_, EM_LINEINDEX, line, 0));
    if (start < 0) start = StoryLength();
    LRESULT next = ::SendMessageW(window_, EM_LINEINDEX, line + 1, 0);
    end = next < 0 ? StoryLength() : static_cast<long>(next);
}

void TextModel::ExpandToLines(long& start, long& end) const {
    auto range = Range(start, end);
    long delta = 0;
    HRESULT hr = range->Expand(tomLine, &delta);
    if (!Unimplemented(hr)) {
        ThrowIfFailed(hr);
        ThrowIfFailed(range->GetStart(&start));
        ThrowIfFailed(range->GetEnd(&end));
        return;
    }
    const long first = LineFromChar(start);
    const long last = end > start ? LineFromChar(end - 1) : first;
    long ignored = 0;
    LineBounds(first, start, ignored);
    LineBounds(last, ignored, end);
}

void TextModel::VisibleRange(long& start, long& end) const {
    auto range = Range(0, 0);
    long delta = 0;
    HRESULT hr = range->Expand(tomWindow, &delta);
    if (!Unimplemented(hr)) {
        ThrowIfFailed(hr);
        ThrowIfFailed(range->GetStart(&start));
        ThrowIfFailed(range->GetEnd(&end));
        return;
    }
    const long firstLine = static_cast<long>(::SendMessageW(window_, EM_GETFIRSTVISIBLELINE, 0, 0));
    RECT rect{};
    ::SendMessageW(window_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
    POINTL bottom{rect.left, rect.bottom - 1};
    const long last = static_cast<long>(::SendMessageW(window_, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom)));
    long ignored = 0;
    LineBounds(firstLine, start, ignored);
    LineBounds(std::max(firstLine, LineFromChar(std::max(0L, last))), ignored, end);
}

bool TextModel::Freeze(bool turnDrawingOff) const {
    long count = 0;
    if (!Unimplemented(document_->Freeze(&count))) return true;
    if (!turnDrawingOff) return false;
    ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    return true;
}

void TextModel::Unfreeze() const {
    long count = 0;
    if (Unimplemented(document_->Unfreeze(&count))) ::SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
}

void TextModel::SuspendUndo() const { document_->Undo(tomSuspend, nullptr); }
void TextModel::ResumeUndo() const { document_->Undo(tomResume, nullptr); }

bool TextModel::Writable() const {
    if (!window_) return false;
    if (runState_) FollowRunState(window_, WM_NULL, *runState_);
    return (::GetWindowLongPtrW(window_, GWL_STYLE) & ES_READONLY) == 0;
}

void TextModel::TypeText(const std::wstring& text) const {
    if (!Writable()) throw common::ComError(E_ACCESSDENIED);
    common::Bstr value(text);
    HRESULT hr = Selection()->TypeText(value.get());
    if (!Unimplemented(hr)) {
        ThrowIfFailed(hr);
        return;
    }
    ::SendMessageW(window_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TextModel::SetRangeText(long start, long end, const std::wstring& text) const {
    // Through the selection, as typing would: one undo step each, and reliable where a
    // range's own SetText is not. The control's own messages ignore read-only.
    if (!Writable()) throw common::ComError(E_ACCESSDENIED);
    SetSelection(start, end);
    ::SendMessageW(window_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TextModel::GetSelection(long& start, long& end) const {
    auto selection = Selection();
    ThrowIfFailed(selection->GetStart(&start));
    ThrowIfFailed(selection->GetEnd(&end));
}

void TextModel::SetSelection(long start, long end) const {
    CHARRANGE range{start, end};
    ::SendMessageW(window_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

long TextModel::FindText(long start, long end, const std::wstring& text, long count, long flags,
                         long& foundStart, long& foundEnd) const {
    auto range = Range(start, end);
    common::Bstr value(text);
    long length = 0;
    HRESULT hr = range->FindText(value.get(), count, flags, &length);
    if (!Unimplemented(hr)) {
        ThrowIfFailed(hr);
        ThrowIfFailed(range->GetStart(&foundStart));
        ThrowIfFailed(range->GetEnd(&foundEnd));
        return length;
    }

    // Same contract by hand: forward from start, backward from end, never past the
    // count, and not the range itself when it is already a match.
    const long n = static_cast<long>(text.size());
    if (n == 0 || count == 0) return 0;
    const long storyLength = StoryLength();
    std::wstring story = Text(0, storyLength);
    std::wstring pattern = text;
    if (!(flags & tomMatchCase)) {
        std::transform(story.begin(), story.end(), story.begin(), [](wchar_t c) { return std::towlower(c); });
        std::transform(pattern.begin(), pattern.end(), pattern.begin(), [](wchar_t c) { return std::towlower(c); });
    }
    const long storySize = static_cast<long>(story.size());
    auto matchesAt = [&](long p) {
        if (p < 0 || p + n > storySize) return false;
        if (story.compare(static_cast<size_t>(p), static_cast<size_t>(n), pattern) != 0) return false;
        if (flags & tomMatchWord) {
            if (p > 0 && IsWordChar(story[p - 1])) return false;
            if (p + n < storySize && IsWordChar(story[p + n])) return false;
        }
        return true;
    };
    const bool rangeIsMatch = end - start == n && matchesAt(start);
    long found = -1;
    if (count > 0) {
        const long from = rangeIsMatch ? start + 1 : start;
        const long limit = std::min(storySize, from + count);
        for (long p = from; p + n <= limit; ++p) {
            if (matchesAt(p)) { found = p; break; }
        }
    } else {
        const long from = rangeIsMatch ? end - 1 : end;
        const long limit = std::max(0L, from + count);
        for (long p = std::min(from, storySize) - n; p >= limit; --p) {
            if (matchesAt(p)) { found = p; break; }
        }
    }
    if (found < 0) return 0;
    foundStart = found;
    foundEnd = found + n;
    return n;
}

} // namespace editor
