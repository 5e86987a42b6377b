#include "editor/CSyntaxEditor.h"
#include "common/GdiOwners.h"
#include "common/ComObject.h"
#include "common/Bstr.h"
#include "common/ComError.h"
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

// MinGW's richole.h gives the interface no IID for __uuidof.
__CRT_UUID_DECL(IRichEditOleCallback, 0x00020d03, 0x0000, 0x0000, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)

namespace editor {

using common::ComBoundary;
using common::ThrowIfFailed;

namespace {

// The editor of each window it subclasses. Every message the control gets looks its editor
// up; a window property would cost a round trip to the window server each time under Wine.
// Editors are few (one a script view), so a short list does.
std::mutex g_editorsLock;
std::vector<std::pair<HWND, CSyntaxEditor*>> g_editors;

CSyntaxEditor* EditorOf(HWND window) {
    std::lock_guard<std::mutex> lock(g_editorsLock);
    for (const auto& [w, editor] : g_editors)
        if (w == window) return editor;
    return nullptr;
}

void SetEditorOf(HWND window, CSyntaxEditor* editor) {
    std::lock_guard<std::mutex> lock(g_editorsLock);
    g_editors.erase(std::remove_if(g_editors.begin(), g_editors.end(), [&](const auto& e) { return e.first == window; }),
                    g_editors.end());
    if (editor) g_editors.emplace_back(window, editor);
}
constexpr DWORD kEventMask = ENM_CHANGE | ENM_UPDATE | ENM_KEYEVENTS | ENM_MOUSEEVENTS | ENM_SELCHANGE | ENM_LINK;

bool KeyDown(int key) { return ::GetKeyState(key) < 0; }

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool IsUndoOrRedo(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_UNDO:
    case EM_UNDO:
    case EM_REDO:
        return true;
    case WM_KEYDOWN:
        return KeyDown(VK_CONTROL) && (wParam == 'Z' || wParam == 'Y');
    case WM_SYSKEYDOWN:
        return wParam == VK_BACK;  // Alt+Backspace
    default:
        return false;
    }
}

// The delimiter characters of a text in order, runs of them kept apart ("/ *" is not
// "/*"): texts with equal sequences open and close the same block comments.
std::wstring DelimiterSequence(const std::wstring& text, const std::wstring& delimiters) {
    std::wstring sequence;
    bool apart = true;
    for (wchar_t c : text) {
        if (delimiters.find(c) != std::wstring::npos) {
            sequence += c;
            apart = false;
        } else if (!apart) {
            sequence += L' ';
            apart = true;
        }
    }
    return sequence;
}

// Every paste and drop arrives as plain text.
class PlainTextOleCallback final : public common::ComObject<IRichEditOleCallback> {
public:
    STDMETHODIMP GetNewStorage(LPSTORAGE*) override { return E_NOTIMPL; }
    STDMETHODIMP GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*, LPOLEINPLACEFRAMEINFO) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP ShowContainerUI(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteObject(LPOLEOBJECT) override { return E_NOTIMPL; }
    STDMETHODIMP QueryAcceptData(LPDATAOBJECT, CLIPFORMAT* format, DWORD, BOOL, HGLOBAL) override {
        if (format) *format = CF_TEXT;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetDragDropEffect(BOOL, DWORD, LPDWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*) override { return E_NOTIMPL; }
};

void ApplyStyle(ITextFont* font, const StyleDef& style) {
    auto flag = [](bool on) { return on ? tomTrue : tomFalse; };
    ThrowIfFailed(font->SetBold(flag(style.Bold)));
    // The weight too: a template copied from a bold character carries its weight, which
    // some controls draw by in place of the bold flag.
    ThrowIfFailed(font->SetWeight(style.Bold ? FW_BOLD : FW_NORMAL));
    ThrowIfFailed(font->SetItalic(flag(style.Italic)));
    ThrowIfFailed(font->SetUnderline(flag(style.Underline)));
    ThrowIfFailed(font->SetSubscript(flag(style.Subscript)));
    ThrowIfFailed(font->SetSuperscript(flag(style.Superscript)));
    ThrowIfFailed(font->SetBackColor(style.BackColor));
    ThrowIfFailed(font->SetForeColor(style.ForeColor));
}

} // namespace

CSyntaxEditor::CSyntaxEditor() = default;

CSyntaxEditor::~CSyntaxEditor() {
    if (window_ && ::IsWindow(window_)) {
        ::SendMessageW(window_, EM_SETOLECALLBACK, 0, 0);
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window_, GWLP_WNDPROC)) == &CSyntaxEditor::WindowProc) {
            ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
        }
    }
    if (window_ && EditorOf(window_) == this) SetEditorOf(window_, nullptr);
}

HRESULT CSyntaxEditor::Attach(HWND window, const std::wstring& languagesName, const std::wstring& stylesName,
                              MarginDrawCallback drawCallback, void* callbackData) {
    return ComBoundary([&]() -> HRESULT {
        if (!window || window_) return E_INVALIDARG;
        drawCallback_ = drawCallback ? drawCallback : &CSyntaxEditor::DrawMarginLine;
        callbackData_ = drawCallback ? callbackData : this;

        ComPtr<IRichEditOle> ole;
        if (!::SendMessageW(window, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.GetAddressOf())) || !ole) {
            return E_NOINTERFACE;
        }
        ComPtr<ITextDocument> document;
        HRESULT hr = ole->QueryInterface(kIID_ITextDocument, reinterpret_cast<void**>(document.GetAddressOf()));
        if (FAILED(hr)) return hr;

        if (!definitions_.Load(languagesName, stylesName)) return E_FAIL;

        window_ = window;
        text_ = TextModel(window, document);
        text_.SetRunState(runState_);
        finder_.Attach(window, &text_);
        SetEditorOf(window, this);
        previousProc_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSyntaxEditor::WindowProc)));

        ::SendMessageW(window, EM_SETEVENTMASK, 0, kEventMask);
        ::SendMessageW(window, EM_SETTARGETDEVICE, 0, 1);  // no word wrap
        RECT rect{};
        ::SendMessageW(window, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
        rect.left = kMarginWidth;
        ::SendMessageW(window, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&rect));

        language_.clear();

        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_BOLD | CFM_COLOR | CFM_FACE;
        format.dwEffects = CFE_AUTOCOLOR;
        wcscpy(format.szFaceName, L"Courier New");
        ::SendMessageW(window, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));

        const int height = -::MulDiv(8, ::GetDeviceCaps(common::WindowDc(window).get(), LOGPIXELSY), 72);
        marginFont_.reset(::CreateFontW(height, 0, 0, 0, 100, FALSE, FALSE, FALSE, OEM_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, L"Arial"));
        images_.reset(::ImageList_LoadImageW(::GetModuleHandleW(nullptr), L"IDB_STACKIMAGESLIST", 16, 1,
                                             RGB(255, 255, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION));

        oleCallback_ = common::Adopt(new PlainTextOleCallback);
        ::SendMessageW(window, EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(oleCallback_.Get()));
        UpdateLineStep();
        return S_OK;
    });
}

void CSyntaxEditor::SetLanguageByExtension(const std::wstring& extension) {
    language_ = definitions_.LanguageForExtension(extension);
    lineStyles_ = LineStyles{};
    blockDelimiters_ = language_.empty() ? std::wstring() : definitions_.Lookup(language_).BlockDelimiters;
}

void CSyntaxEditor::SetRunState(const IScriptRunState* runState) {
    runState_ = runState;
    text_.SetRunState(runState);
}

HRESULT CSyntaxEditor::GetTextDocument(ITextDocument** document) {
    if (!document) return E_POINTER;
    *document = text_.Document();
    if (!*document) return E_FAIL;
    (*document)->AddRef();
    return S_OK;
}

// ---- colouring ----

template <typename Pass>
HRESULT CSyntaxEditor::GuardedPass(Pass&& pass, bool oneLine) {
    if (busy_) return S_FALSE;  // formatting raised the notification again
    return ComBoundary([&]() -> HRESULT {
        if (!text_) throw common::ComError(E_POINTER);
        busy_ = true;
        const bool modified = ::SendMessageW(window_, EM_GETMODIFY, 0, 0) != 0;
        const bool readOnly = (::GetWindowLongPtrW(window_, GWL_STYLE) & ES_READONLY) != 0;
        // Turning drawing off may drop what was waiting to be painted (the text an edit
        // moved, say): it is painted afterwards, beside what the pass changed.
        HRGN pending = ::CreateRectRgn(0, 0, 0, 0);
        if (pending && ::GetUpdateRgn(window_, pending, FALSE) == NULLREGION) {
            ::DeleteObject(pending);
            pending = nullptr;
        }
        // A pass over one line leaves drawing on where the control has no freeze of its own:
        // turning drawing back on has such a control repaint the whole window at its next
        // paint, many times what the line costs, while it draws formatting changes only at
        // that paint anyway.
        const bool frozen = text_.Freeze(!oneLine);
        text_.SuspendUndo();
        if (readOnly) ::SendMessageW(window_, EM_SETREADONLY, FALSE, 0);
        struct Restore {
            CSyntaxEditor* self;
            bool frozen, readOnly, modified;
            HRGN pending;
            ~Restore() {
                if (readOnly) ::SendMessageW(self->window_, EM_SETREADONLY, TRUE, 0);
                self->text_.ResumeUndo();
                if (frozen) self->text_.Unfreeze();
                if (pending) {
                    ::InvalidateRgn(self->window_, pending, FALSE);
                    ::DeleteObject(pending);
                }
                ::SendMessageW(self->window_, EM_SETMODIFY, modified, 0);
                self->busy_ = false;
            }
        } restore{this, frozen, readOnly, modified, pending};
        pass();
        return S_OK;
    });
}

HRESULT CSyntaxEditor::ColorVisible() {
    // Most paints find every visible line coloured already: no pass then, since a pass
    // turns drawing off and on again in the middle of the paint.
    bool oneLine = false, known = false;
    long start = 0, end = 0;
    std::vector<std::pair<long, long>> gaps;
    if (text_ && !busy_ && !language_.empty()) {
        try {
            text_.VisibleRange(start, end);
            gaps = colored_.Gaps(start, end);
            if (gaps.empty()) return S_OK;
            const auto [from, to] = gaps.front();
            oneLine = gaps.size() == 1 && text_.LineFromChar(from) == text_.LineFromChar(std::max(from, to - 1));
            known = true;
        } catch (const common::ComError&) {
            // The pass reports it.
        }
    }
    return GuardedPass([&] {
        if (!known) {
            text_.VisibleRange(start, end);
            gaps = colored_.Gaps(start, end);
        }
        ColorGaps(start, end, gaps, true);
    }, oneLine);
}

HRESULT CSyntaxEditor::RecolorVisible() {
    return GuardedPass([&] {
        long start = 0, end = 0;
        text_.VisibleRange(start, end);
        ColorGaps(start, end, {{start, end}}, false);
    });
}

HRESULT CSyntaxEditor::ColorAll() {
    HRESULT hr = GuardedPass([&] {
        long start = 0;
        const long end = text_.StoryLength();
        if (colored_.Add(start, end)) ColorLines(start, end);
    });
    if (hr == S_OK) Invalidate();
    return hr;
}

HRESULT CSyntaxEditor::ColorRange(long start, long end) {
    return ComBoundary([&]() -> HRESULT {
        ColorLines(start, end);
        return S_OK;
    });
}

void CSyntaxEditor::ForgetColored(long, long) {
    colored_.Clear();
    lineStyles_ = LineStyles{};
}

void CSyntaxEditor::ColorGaps(long start, long end, const std::vector<std::pair<long, long>>& gaps, bool onlyGaps) {
    if (gaps.empty()) return;
    colored_.Add(start, end);
    for (const auto& [from, to] : gaps) ColorLines(from, std::max(to, from + 1));
    // The pass ran with drawing off: show the new formatting, where it changed.
    if (gaps.size() == 1 && onlyGaps) {
        InvalidateLines(gaps.front().first, gaps.front().second);
    } else {
        Invalidate();
    }
}

void CSyntaxEditor::ColorLines(long start, long end) {
    if (start == end || language_.empty()) return;
    ++colorPasses_;
    long linesStart = start, linesEnd = end;
    text_.ExpandToLines(linesStart, linesEnd);
    std::wstring lines = text_.Text(linesStart, linesEnd);
    std::replace(lines.begin(), lines.end(), L'\r', L'\n');

    LanguageDef& language = definitions_.Lookup(language_);
    // The styles of one line are kept for the keys that edit it next; a comment block
    // colours lines beyond the pass, so with one nothing is kept.
    const bool oneLine = language.BlockCommentExpression.empty() && lines.find(L'\n') + 1 >= lines.size();
    const LineStyles known = std::move(lineStyles_);
    lineStyles_ = LineStyles{};

    std::vector<StyleSpan> spans;
    if (!language.MainExpression.empty()) {
        baseOffset_ = linesStart;
        styleRuns_.clear();
        boost::regex_grep(
            [this](const boost::match_results<std::wstring::const_iterator>& match) {
                for (int group = 1; group <= 5; ++group) {
                    if (match[group].matched) {
                        const long s = baseOffset_ + static_cast<long>(match.position(static_cast<std::size_t>(group)));
                        styleRuns_[group - 1].emplace_back(s, s + static_cast<long>(match.length(group)));
                        break;
                    }
                }
                return true;
            },
            lines.cbegin(), lines.cend(), language.MainExpression);
        spans = StyleSpans(lines);
    }

    // What the line holds once formatted, whichever way; kept only when that succeeded.
    LineStyles wanted;
    if (oneLine) {
        wanted = LineStyles{linesStart, lines, std::vector<int>(lines.size(), kDefault)};
        for (const StyleSpan& span : spans) {
            for (long i = std::max(span.start, linesStart); i < std::min(span.end, linesEnd); ++i)
                wanted.classes[static_cast<size_t>(i - linesStart)] = span.styleClass;
        }
        if (ColorEditedLine(known, wanted)) {
            lineStyles_ = std::move(wanted);
            return;
        }
    }

    // The default style goes on as one SetFont of a prepared font: setting the seven
    // properties one by one on the range's own font costs a full formatting pass each on
    // some rich edit controls.
    ComPtr<ITextFont> defaultFont = TemplateFont();
    ApplyStyle(defaultFont.Get(), definitions_.Style(kDefault));
    ThrowIfFailed(text_.Range(linesStart, linesEnd)->SetFont(defaultFont.Get()));
    ApplySpans(spans);

    if (!language.BlockCommentExpression.empty()) {
        // The block-comment pass looks back up to 500 lines for an opening it can close.
        const long firstLine = text_.LineFromChar(linesStart);
        const long lookBackStart = text_.LineStart(std::max(0L, firstLine - 500));
        std::wstring lookBack = text_.Text(lookBackStart, linesEnd);
        std::replace(lookBack.begin(), lookBack.end(), L'\r', L'\n');
        baseOffset_ = lookBackStart;
        styleRuns_.clear();
        boost::regex_grep(
            [this](const boost::match_results<std::wstring::const_iterator>& match) {
                const long s = baseOffset_ + static_cast<long>(match.position(std::size_t{0}));
                styleRuns_[kComment].emplace_back(s, s + static_cast<long>(match.length(0)));
                return true;
            },
            lookBack.cbegin(), lookBack.cend(), language.BlockCommentExpression);
        ApplySpans(StyleSpans(lookBack));
    }
    styleRuns_.clear();
    if (oneLine) lineStyles_ = std::move(wanted);
}

bool CSyntaxEditor::ColorEditedLine(const LineStyles& known, const LineStyles& wanted) {
    if (!keyEdit_.valid || known.start != wanted.start) return false;
    // The edit in the line's own positions: known.text[start, oldEnd) is now wanted.text[start, newEnd).
    const long start = keyEdit_.start - wanted.start;
    const long oldEnd = keyEdit_.oldEnd - wanted.start;
    const long newEnd = keyEdit_.newEnd - wanted.start;
    const std::wstring& line = wanted.text;
    const long oldSize = static_cast<long>(known.text.size()), newSize = static_cast<long>(line.size());
    if (start < 0 || oldEnd < start || newEnd < start || oldEnd > oldSize || newEnd > newSize ||
        oldSize - oldEnd != newSize - newEnd || known.text.compare(0, start, line, 0, start) != 0 ||
        known.text.compare(oldEnd, std::wstring::npos, line, newEnd, std::wstring::npos) != 0)
        return false;

    // What each character holds now: its old style, unknown (-1) for the new text.
    std::vector<int> now(line.size(), -1);
    std::copy(known.classes.begin(), known.classes.begin() + start, now.begin());
    std::copy(known.classes.begin() + oldEnd, known.classes.end(), now.begin() + newEnd);

    const std::vector<int>& classes = wanted.classes;
    std::map<int, ComPtr<ITextFont>> fonts;
    for (long i = 0; i < newSize;) {
        if (now[i] == classes[i]) {
            ++i;
            continue;
        }
        long j = i + 1;
        while (j < newSize && now[j] != classes[j] && classes[j] == classes[i]) ++j;
        ComPtr<ITextFont>& font = fonts[classes[i]];
        if (!font) {
            font = TemplateFont();
            ApplyStyle(font.Get(), definitions_.Style(classes[i]));
        }
        ThrowIfFailed(text_.Range(wanted.start + i, wanted.start + j)->SetFont(font.Get()));
        i = j;
    }
    return true;
}

ComPtr<ITextFont> CSyntaxEditor::TemplateFont() const {
    // A copy of the first character's font: its face and size, detached from the text.
    ComPtr<ITextFont> first;
    ThrowIfFailed(text_.Range(0, 0)->GetFont(&first));
    if (!first) throw common::ComError(E_POINTER);
    ComPtr<ITextFont> font;
    ThrowIfFailed(first->GetDuplicate(&font));
    if (!font) throw common::ComError(E_POINTER);
    return font;
}

std::vector<CSyntaxEditor::StyleSpan> CSyntaxEditor::StyleSpans(const std::wstring& text) const {
    // Every format call costs the control a pass over the line, so runs of one style with
    // only blanks between them go on together where a blank looks the same in any style.
    auto blanksBetween = [&](long from, long to) {
        from -= baseOffset_;
        to -= baseOffset_;
        if (from < 0 || to < from || to > static_cast<long>(text.size())) return false;
        return std::all_of(text.begin() + from, text.begin() + to, IsBlank);
    };
    std::vector<StyleSpan> spans;
    for (const auto& [styleClass, runs] : styleRuns_) {
        const StyleDef& style = definitions_.Style(styleClass);
        const bool blanksShow = style.Underline || style.BackColor != kAutoColor;
        for (size_t i = 0; i < runs.size();) {
            const long start = runs[i].first;
            long end = runs[i].second;
            for (++i; i < runs.size() && !blanksShow && blanksBetween(end, runs[i].first); ++i)
                end = std::max(end, runs[i].second);
            if (start < end) spans.push_back({styleClass, start, end});
        }
    }
    return spans;
}

void CSyntaxEditor::ApplySpans(const std::vector<StyleSpan>& spans) {
    if (spans.empty()) return;
    ComPtr<ITextFont> font = TemplateFont();
    int fontClass = -1;
    for (const StyleSpan& span : spans) {
        if (span.styleClass != fontClass) {
            ApplyStyle(font.Get(), definitions_.Style(span.styleClass));
            fontClass = span.styleClass;
        }
        ThrowIfFailed(text_.Range(span.start, span.end)->SetFont(font.Get()));
    }
}

// ---- edits ----

CSyntaxEditor::EditKind CSyntaxEditor::KindOfEdit(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case EM_REPLACESEL:
        return EditKind::Selection;
    case WM_KEYDOWN:
        // Undo and redo change text anywhere; other keys edit at the selection, if at all.
        if (KeyDown(VK_CONTROL) && (wParam == 'Z' || wParam == 'Y')) return EditKind::Anywhere;
        return EditKind::Selection;
    case WM_UNDO:
    case EM_UNDO:
    case EM_REDO:
    case WM_SETTEXT:
    case EM_SETTEXTEX:
    case EM_STREAMIN:
        return EditKind::Anywhere;
    default:
        return EditKind::None;
    }
}

CSyntaxEditor::EditSnapshot CSyntaxEditor::Snapshot(bool withRegion) const {
    EditSnapshot snapshot;
    CHARRANGE selection{};
    ::CallWindowProcW(previousProc_, window_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    snapshot.selStart = selection.cpMin;
    snapshot.selEnd = selection.cpMax;
    snapshot.length = text_.StoryLength();
    if (withRegion && !blockDelimiters_.empty()) {
        // The selection's lines and one on each side: a deleted line break joins a
        // neighbour, and a word deleted at a line's edge lies in it.
        const long first = std::max(0L, text_.LineFromChar(snapshot.selStart) - 1);
        const long last = std::min(text_.LineFromChar(snapshot.selEnd) + 1, std::max(0L, text_.LineCount() - 1));
        long ignored = 0;
        text_.LineBounds(first, snapshot.regionStart, ignored);
        text_.LineBounds(std::max(first, last), ignored, snapshot.regionEnd);
        snapshot.regionEnd = std::min(snapshot.regionEnd, snapshot.length);
        snapshot.region = text_.Text(snapshot.regionStart, snapshot.regionEnd);
        snapshot.hasRegion = true;
    }
    return snapshot;
}

void CSyntaxEditor::AfterEdit(const EditSnapshot& before, EditKind kind, bool keyDown) {
    const EditSnapshot after = Snapshot(false);
    knownLength_ = after.length;
    const long delta = after.length - before.length;
    if (kind == EditKind::Anywhere) {
        colored_.Clear();
        return;
    }
    // A key that changed no text (a caret key, say) edited nothing; a shortcut that
    // pastes or cuts shows in the length like any other edit at the selection.
    const bool ctrlPaste = keyDown && KeyDown(VK_CONTROL);
    if (keyDown && delta == 0 && !ctrlPaste) return;
    // The selection was replaced: the old text [start, oldEnd) is now [start, newEnd),
    // found from where the selection was and where the caret went.
    const long start = std::max(0L, std::min(before.selStart, after.selStart));
    const long oldEnd = std::max({before.selEnd, after.selStart - delta, after.selEnd - delta, start});
    const long newEnd = std::max(start, oldEnd + delta);
    // Whole lines: the edited ones are coloured again as a whole.
    const long lineStart = text_.LineStart(text_.LineFromChar(start));
    long ignored = 0, lineEnd = 0;
    text_.LineBounds(text_.LineFromChar(newEnd), ignored, lineEnd);
    lineEnd = std::max(lineEnd, newEnd);
    colored_.Replaced(lineStart, std::max(lineStart, lineEnd - delta), lineEnd);
    keyEdit_ = KeyEdit{true, start, oldEnd, newEnd};
    if (before.hasRegion) {
        const long regionEnd = std::max(before.regionStart, std::min(before.regionEnd + delta, after.length));
        const std::wstring region = text_.Text(before.regionStart, regionEnd);
        // Another sequence of delimiters opens or closes a comment: every later line may
        // change colour.
        if (DelimiterSequence(region, blockDelimiters_) != DelimiterSequence(before.region, blockDelimiters_))
            colored_.ForgetFrom(lineStart);
    }
}

// ---- notifications and messages ----

bool CSyntaxEditor::OnNotify(UINT code, NMHDR* header, LRESULT* result) {
    if (!header || !window_) return false;
    if (code == EN_SELCHANGE) {
        // Edits through the control's messages are followed where they happen; a change
        // of length seen here comes from somewhere else and may have touched any line.
        if (!busy_ && editDepth_ == 0) {
            const long length = text_.StoryLength();
            if (length != knownLength_) colored_.Clear();
            knownLength_ = length;
        }
        return false;
    }
    if (code != EN_MSGFILTER) return false;
    const auto* filter = reinterpret_cast<MSGFILTER*>(header);
    bool eaten = false;
    try {
        if (filter->msg == WM_KEYDOWN) {
            eaten = OnKeyDown(filter->wParam);
        } else if (filter->msg == WM_CHAR) {
            eaten = OnChar(filter->wParam);
        }
    } catch (...) {
        eaten = false;  // a failed text call leaves the key to the control
    }
    if (eaten && result) *result = 1;
    return eaten;
}

bool CSyntaxEditor::OnKeyDown(WPARAM key) {
    const bool shift = KeyDown(VK_SHIFT);
    const bool control = KeyDown(VK_CONTROL);
    switch (key) {
    case VK_TAB:
        if (control) return false;
        return IndentLines(shift);
    case VK_RETURN:
        if (control) return false;
        AutoIndent();
        return true;
    case VK_HOME:
        if (control) return false;
        SmartHome(shift);
        return true;
    case VK_END:
        if (control) return false;
        LineEnd(shift);
        return true;
    case 'F':
        if (!control || shift) return false;
        finder_.OpenFind();
        return true;
    case 'H':
        if (!control || shift) return false;
        finder_.OpenReplace();
        return true;
    case VK_F3:
        if (control) finder_.TakeSearchTextFromSelection();
        finder_.SetDown(!shift);
        finder_.FindNext();
        return true;
    default:
        return false;
    }
}

bool CSyntaxEditor::OnChar(WPARAM ch) {
    if (ch != L'\t') return false;
    long first = 0, last = 0, selStart = 0, selEnd = 0;
    SelectionLines(first, last, selStart, selEnd);
    return first != last;
}

void CSyntaxEditor::SelectionLines(long& first, long& last, long& selStart, long& selEnd) const {
    text_.GetSelection(selStart, selEnd);
    first = text_.LineFromChar(selStart);
    last = text_.LineFromChar(selEnd);
}

bool CSyntaxEditor::IndentLines(bool outdent) {
    // Read-only: the key is taken and changes nothing (the control would type the tab).
    if (!text_.Writable()) return true;
    long first = 0, last = 0, selStart = 0, selEnd = 0;
    SelectionLines(first, last, selStart, selEnd);
    if (last == first + 1) {
        long lineStart = 0, lineEnd = 0;
        text_.LineBounds(first, lineStart, lineEnd);
        if (!(selStart == lineStart && selEnd == lineEnd)) return false;
    }
    ::SendMessageW(window_, WM_SETREDRAW, FALSE, 0);
    struct RedrawOn {
        const CSyntaxEditor* self;
        ~RedrawOn() {
            ::SendMessageW(self->window_, WM_SETREDRAW, TRUE, 0);
            self->Invalidate();
        }
    } redrawOn{this};
    for (long line = first; line < last; ++line) {
        long start = 0, end = 0;
        text_.LineBounds(line, start, end);
        if (start >= end) continue;
        if (!outdent) {
            text_.SetRangeText(start, start, L"\t");
            continue;
        }
        const std::wstring content = text_.Text(start, end);
        long remove = 0;
        if (!content.empty() && content[0] == L'\t') {
            remove = 1;
        } else {
            while (remove < 4 && remove < static_cast<long>(content.size()) && IsBlank(content[remove])) ++remove;
        }
        if (remove > 0) text_.SetRangeText(start, start + remove, L"");
    }
    // The indented lines stay selected, so the key can be pressed again.
    const long newStart = text_.LineStart(first);
    long ignored = 0, newEnd = 0;
    text_.LineBounds(last - 1, ignored, newEnd);
    if (last > first) text_.SetSelection(newStart, newEnd);
    return true;
}

void CSyntaxEditor::AutoIndent() {
    if (!text_.Writable()) return;
    long selStart = 0, selEnd = 0;
    text_.GetSelection(selStart, selEnd);
    long lineStart = 0, lineEnd = 0;
    text_.LineBounds(text_.LineFromChar(selStart), lineStart, lineEnd);
    const std::wstring head = text_.Text(lineStart, selStart);
    size_t blanks = 0;
    while (blanks < head.size() && IsBlank(head[blanks])) ++blanks;
    text_.TypeText(L"\r" + head.substr(0, blanks));
}

void CSyntaxEditor::SmartHome(bool extend) {
    long selStart = 0, selEnd = 0;
    text_.GetSelection(selStart, selEnd);
    long lineStart = 0, lineEnd = 0;
    text_.LineBounds(text_.LineFromChar(selStart), lineStart, lineEnd);
    const std::wstring line = text_.Text(lineStart, lineEnd);
    long firstText = lineStart;
    for (wchar_t c : line) {
        if (!IsBlank(c)) break;
        ++firstText;
    }
    if (firstText >= lineEnd) firstText = lineStart;  // a blank line
    const long target = selStart == firstText ? lineStart : firstText;
    if (extend) {
        text_.SetSelection(selEnd, target);
    } else {
        text_.SetSelection(target, target);
    }
}

void CSyntaxEditor::LineEnd(bool extend) {
    long selStart = 0, selEnd = 0;
    text_.GetSelection(selStart, selEnd);
    const long line = text_.LineFromChar(selEnd);
    long lineStart = 0, lineEnd = 0;
    text_.LineBounds(line, lineStart, lineEnd);
    // Stop before the line's end mark; the last line may have none.
    long target = lineEnd;
    if (line + 1 < text_.LineCount() || text_.Text(lineStart, lineEnd).find(L'\r') != std::wstring::npos) {
        target = std::max(lineStart, lineEnd - 1);
    }
    text_.SetSelection(extend ? selStart : target, target);
}

LRESULT CSyntaxEditor::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
    bool dummy = false;
    if (!handled) handled = &dummy;
    *handled = false;
    if (!window_) return 0;
    if (message == finder_.DialogMessage() && message != 0) {
        finder_.OnDialogNotification();
        *handled = true;
        return 0;
    }
    switch (message) {
    case WM_SIZE:
        UpdateLineStep();
        break;
    case WM_PAINT:
        PaintMargin();
        break;  // the control paints its text
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_UPDATE && reinterpret_cast<HWND>(lParam) == window_) {
            ColorVisible();
            *handled = true;
        } else if (LOWORD(wParam) == 32786 && lParam == 0) {
            finder_.OpenFind();
            *handled = true;
        } else if (LOWORD(wParam) == 32787 && lParam == 0) {
            finder_.OpenReplace();
            *handled = true;
        }
        break;
    case WM_VSCROLL:
        if (scrolling_) break;
        OnVScroll(wParam);
        *handled = true;
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CALLBACK CSyntaxEditor::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CSyntaxEditor* self = EditorOf(window);
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC previous = self->previousProc_;
    if (message == WM_DESTROY) {
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC)) == &CSyntaxEditor::WindowProc) {
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        }
        SetEditorOf(window, nullptr);
        self->window_ = nullptr;
        return ::CallWindowProcW(previous, window, message, wParam, lParam);
    }
    // The control undoes and redoes even while it is read-only.
    if (!self->busy_ && self->text_ && IsUndoOrRedo(message, wParam) && !self->text_.Writable()) return 0;
    bool handled = false;
    LRESULT result = self->OnMessage(message, wParam, lParam, &handled);
    if (handled) return result;
    const EditKind kind = self->busy_ || self->editDepth_ > 0 || !self->text_ ? EditKind::None
                                                                             : KindOfEdit(message, wParam);
    if (kind == EditKind::None) return ::CallWindowProcW(previous, window, message, wParam, lParam);
    const EditSnapshot before = self->Snapshot(kind == EditKind::Selection);
    ++self->editDepth_;
    result = ::CallWindowProcW(previous, window, message, wParam, lParam);
    --self->editDepth_;
    // The component may be gone with its window.
    if (EditorOf(window) == self) {
        try {
            self->AfterEdit(before, kind, message == WM_KEYDOWN);
        } catch (...) {
            self->colored_.Clear();
        }
        // A typed key's line is coloured at once, before the paint that shows it: a pass
        // made during the paint turns drawing off and on again in its middle, and the
        // control then does the paint's work over. Other edits (a replace-all, say) wait
        // for the paint, which colours what they changed in one pass.
        if (message == WM_CHAR || message == WM_KEYDOWN) {
            self->ColorVisible();
        } else {
            // Colouring waits for the paint, after edits that may not be known then.
            self->lineStyles_ = LineStyles{};
        }
        self->keyEdit_ = KeyEdit{};
    }
    return result;
}

// ---- scrolling ----

void CSyntaxEditor::UpdateLineStep() {
    if (!window_) return;
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(common::WindowDc(window_).get(), &metrics);
    lineStep_ = metrics.tmHeight + metrics.tmExternalLeading;
    // The text's own line pitch when there are two lines to measure: snapping to the
    // window font's height would not land on line tops in another font.
    if (text_ && text_.LineCount() > 1) {
        POINTL first{}, second{};
        ::SendMessageW(window_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&first), 0);
        const LRESULT next = ::SendMessageW(window_, EM_LINEINDEX, 1, 0);
        if (next > 0) {
            ::SendMessageW(window_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&second), next);
            if (second.y > first.y) lineStep_ = second.y - first.y;
        }
    }
    if (lineStep_ < 1) lineStep_ = 1;
}

void CSyntaxEditor::OnVScroll(WPARAM wParam) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ::GetScrollInfo(window_, SB_VERT, &info);
    UpdateLineStep();
    // Steps are taken from the first visible line: the scroll bar counts in pixels only
    // up to 65535, and in longer text its units (and what EM_GETSCROLLPOS gives back
    // under Wine) are a proportion of the height.
    POINT scroll{};
    ::SendMessageW(window_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    scroll.y = static_cast<LONG>(::SendMessageW(window_, EM_GETFIRSTVISIBLELINE, 0, 0)) * lineStep_;
    RECT client{};
    ::GetClientRect(window_, &client);
    const long page = std::max<long>(lineStep_, client.bottom - client.top);
    const long height = static_cast<long>(::SendMessageW(window_, EM_GETLINECOUNT, 0, 0)) * lineStep_;
    const long range = static_cast<long>(info.nMax) - info.nMin + 1;
    const auto pixelsOf = [&](int barPosition) {
        const long offset = static_cast<long>(barPosition) - info.nMin;
        return range > 0 && height > range ? ::MulDiv(offset, height, range) : offset;
    };
    long position = scroll.y;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: position -= lineStep_; break;
    case SB_LINEDOWN: position += lineStep_; break;
    case SB_PAGEUP: position -= page; break;
    case SB_PAGEDOWN: position += page; break;
    case SB_THUMBTRACK: position = pixelsOf(info.nTrackPos); break;
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = height; break;
    case SB_THUMBPOSITION: return;  // the thumb's release: tracking has placed the text already
    default: break;
    }
    if (position < 1) position = 0;
    position -= position % lineStep_;
    // EM_SETSCROLLPOS carries the full 32-bit position; a scroll-bar message would
    // truncate it to 16 bits in long files.
    scroll.y = position;
    scrolling_ = true;
    ::CallWindowProcW(previousProc_, window_, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    scrolling_ = false;
}

// ---- margin ----

void CSyntaxEditor::Invalidate() const {
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void CSyntaxEditor::InvalidateLines(long start, long end) const {
    if (!window_) return;
    RECT band{};
    ::GetClientRect(window_, &band);
    // The band from the top of start's line to the top of the line after end's.
    POINTL top{}, below{};
    const long next = text_.LineFromChar(end) + 1;
    ::SendMessageW(window_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&top), text_.LineStart(text_.LineFromChar(start)));
    if (next < text_.LineCount()) {
        ::SendMessageW(window_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&below), text_.LineStart(next));
        if (below.y > top.y) band.bottom = std::min(band.bottom, static_cast<LONG>(below.y));
    }
    band.top = std::max(band.top, static_cast<LONG>(top.y));
    if (band.top < band.bottom) ::InvalidateRect(window_, &band, FALSE);
}

void CSyntaxEditor::SetBreakpoints(const std::map<int, bool>& breakpoints) {
    breakpoints_ = breakpoints;
    Invalidate();
}

void CSyntaxEditor::SetCurrentLine(int line) {
    currentLine_ = line;
    frameLine_ = -1;
    Invalidate();
}

void CSyntaxEditor::SetFrameLine(int line) {
    frameLine_ = line;
    Invalidate();
}

void CSyntaxEditor::PaintMargin() {
    if (!text_) return;
    try {
        RECT client{};
        ::GetClientRect(window_, &client);
        const int width = kMarginWidth - client.left;
        const int height = client.bottom - client.top;
        if (width <= 0 || height <= 0) return;
        // Only the lines of the margin that wait to be painted (a typed key repaints its
        // own line), unless the text scrolled: the control moves the text's pixels, not
        // the margin's, and leaves the margin out of what it asks to be painted.
        RECT margin{client.left, client.top, kMarginWidth, client.bottom};
        RECT update{};
        if (!::GetUpdateRect(window_, &update, FALSE)) return;
        const bool marginWaits = ::IntersectRect(&update, &update, &margin) != FALSE;

        // Owners give everything back when a text call throws half-way.
        common::WindowDc windowDc(window_);
        common::MemoryDc memory(::CreateCompatibleDC(windowDc.get()));
        const HDC dc = memory.get();
        common::UniqueGdiObject bitmap(::CreateCompatibleBitmap(windowDc.get(), width, height));
        common::SelectedObject selectedBitmap(dc, bitmap.get());
        RECT fill{0, 0, width, height};
        ::FillRect(dc, &fill, ::GetSysColorBrush(COLOR_SCROLLBAR));
        ::SetBkMode(dc, TRANSPARENT);
        common::SelectedObject selectedFont(dc, marginFont_.get());

        long visibleStart = 0, visibleEnd = 0;
        text_.VisibleRange(visibleStart, visibleEnd);
        const long firstLine = text_.LineFromChar(visibleStart);
        const long lastLine = text_.LineFromChar(std::max(visibleStart, visibleEnd - 1));
        const long lineCount = text_.LineCount();
        auto lineTop = [&](long line) {
            POINTL pos{};
            ::SendMessageW(window_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&pos), text_.LineStart(line));
            return static_cast<long>(pos.y);
        };
        long top = lineTop(firstLine);
        if (firstLine != marginFirstLine_ || top != marginTop_) {
            update = margin;
            marginFirstLine_ = firstLine;
            marginTop_ = top;
        } else if (!marginWaits) {
            return;
        }
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        // Asking the control where each line starts costs a walk from the top of the text
        // per line. When the last visible line lies exactly the line pitch apart from the
        // first for every line between, no line between is taller (none wraps, say), and
        // each line's top follows from the pitch.
        const bool evenLines = lastLine > firstLine && lineTop(lastLine) - top == (lastLine - firstLine) * lineStep_;
        for (long line = firstLine; line <= lastLine && top < update.bottom; ++line) {
            long bottom = top + std::max<long>(lineStep_, metrics.tmHeight);
            if (evenLines && line < lastLine) {
                bottom = top + lineStep_;
            } else if (line + 1 < lineCount) {
                const LRESULT next = ::SendMessageW(window_, EM_LINEINDEX, line + 1, 0);
                if (next >= 0) {
                    POINTL nextPos{};
                    ::SendMessageW(window_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&nextPos), next);
                    bottom = nextPos.y;
                }
            }
            RECT rect{0, static_cast<LONG>(top), 30, static_cast<LONG>(bottom)};
            if (bottom > update.top) drawCallback_(callbackData_, dc, static_cast<int>(line + 1), rect, images_.get(), frameLine_);
            top = bottom;
        }

        ::BitBlt(windowDc.get(), client.left, update.top, width, update.bottom - update.top, dc, 0,
                 update.top - client.top, SRCCOPY);
        ::ValidateRect(window_, &update);
    } catch (...) {
        // A margin that cannot be drawn must not stop the text from painting.
    }
}

void CSyntaxEditor::DrawMarginLine(void* data, HDC dc, int line, const RECT& rect, HIMAGELIST images, int frameLine) {
    auto* self = static_cast<CSyntaxEditor*>(data);
    const int y = rect.top + (rect.bottom - rect.top - 16) / 2;
    const int x = rect.right - 16;
    bool drawn = false;
    auto draw = [&](int image) {
        if (images) ::ImageList_Draw(images, image, dc, x, y, ILD_TRANSPARENT);
        drawn = true;
    };
    auto breakpoint = self->breakpoints_.find(line);
    if (breakpoint != self->breakpoints_.end()) draw(breakpoint->second ? kEnabledBreakpointImage : kDisabledBreakpointImage);
    if (line == self->currentLine_) draw(kCurrentLineImage);
    if (line == frameLine) {
        draw(kFrameImage);
    } else if (!drawn) {
        wchar_t number[16];
        wsprintfW(number, L"%d", line);
        RECT r = rect;
        ::DrawTextW(dc, number, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
}

} // namespace editor
