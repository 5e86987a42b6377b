#pragma once
#include "editor/ColoredRanges.h"
#include "editor/FindReplace.h"
#include "editor/ISyntaxEditor.h"
#include "editor/LanguageDefinitions.h"
#include "editor/TextModel.h"
#include "common/UniqueHandle.h"
#include <map>
#include <vector>

namespace editor {

// Owner of an image list.
struct ImageListTraits {
    using Handle = HIMAGELIST;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::ImageList_Destroy(h); }
};
using UniqueImageList = common::UniqueHandleT<ImageListTraits>;

class CSyntaxEditor : public ISyntaxEditor {
public:
    static constexpr int kMarginWidth = 32;

    CSyntaxEditor();
    ~CSyntaxEditor() override;
    CSyntaxEditor(const CSyntaxEditor&) = delete;
    CSyntaxEditor& operator=(const CSyntaxEditor&) = delete;

    HRESULT Attach(HWND window, const std::wstring& languagesName, const std::wstring& stylesName,
                   MarginDrawCallback drawCallback, void* callbackData) override;
    void SetLanguageByExtension(const std::wstring& extension) override;
    HRESULT GetTextDocument(ITextDocument** document) override;
    HRESULT ColorAll() override;
    HRESULT ColorVisible() override;
    HRESULT RecolorVisible() override;
    HRESULT ColorRange(long start, long end) override;
    void ForgetColored(long start, long end) override;
    bool OnNotify(UINT code, NMHDR* header, LRESULT* result) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;
    void SetBreakpoints(const std::map<int, bool>& breakpoints) override;
    void SetCurrentLine(int line) override;
    void SetFrameLine(int line) override;

    // What the component asks before every edit of its own (indenting, Enter, replacing):
    // while a script runs the control turns read-only and the edit is refused.
    void SetRunState(const IScriptRunState* runState);

    // The default margin drawer; data is the component.
    static void DrawMarginLine(void* data, HDC dc, int line, const RECT& rect, HIMAGELIST images, int frameLine);

    const std::wstring& Language() const { return language_; }
    const ColoredRanges& Colored() const { return colored_; }
    const LanguageDefinitions& Definitions() const { return definitions_; }
    FindReplace& Finder() { return finder_; }
    int CurrentLine() const { return currentLine_; }
    int FrameLine() const { return frameLine_; }
    const std::map<int, bool>& Breakpoints() const { return breakpoints_; }
    int LineStep() const { return lineStep_; }
    // Number of ColorRange calls that searched text, for tests and measurements.
    unsigned long ColorPasses() const { return colorPasses_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The frame shared by the update notification and ColorAll: frozen display, undo
    // suspended, read-only lifted, modified flag kept. `oneLine`: the pass colours one
    // line, which needs no frozen display where only turning drawing off can freeze it.
    template <typename Pass>
    HRESULT GuardedPass(Pass&& pass, bool oneLine = false);
    // Colours the gaps of the visible [start, end), which then counts as coloured.
    // `onlyGaps`: the gaps are what was not coloured yet (not the whole range).
    void ColorGaps(long start, long end, const std::vector<std::pair<long, long>>& gaps, bool onlyGaps);
    void ColorLines(long start, long end);
    // A style class over [start, end): the format calls of a pass, in their order.
    struct StyleSpan {
        int styleClass;
        long start, end;
    };
    // The spans of styleRuns_; text is the searched text, starting at baseOffset_. Runs
    // of one style with only blanks between them make one span where a blank looks the
    // same in any style.
    std::vector<StyleSpan> StyleSpans(const std::wstring& text) const;
    void ApplySpans(const std::vector<StyleSpan>& spans);
    // One line's text and the style class of each of its characters.
    struct LineStyles {
        long start = -1;
        std::wstring text;
        std::vector<int> classes;
    };
    // The line as `known` held it and the key that just edited it give what it holds
    // now: only the characters whose style must change to `wanted` are formatted. False
    // when the line or the edit does not fit what is known; the caller formats it all.
    bool ColorEditedLine(const LineStyles& known, const LineStyles& wanted);
    ComPtr<ITextFont> TemplateFont() const;

    // Edits: what they touched is forgotten, so that only that is coloured again; moving
    // the caret forgets nothing.
    // With block comments, the text around the selection that an edit can change is kept
    // too: an edit that opens or closes a comment changes the colour of every later line.
    struct EditSnapshot {
        long selStart = 0, selEnd = 0, length = 0;
        bool hasRegion = false;
        long regionStart = 0, regionEnd = 0;
        std::wstring region;
    };
    enum class EditKind { None, Selection, Anywhere };
    static EditKind KindOfEdit(UINT message, WPARAM wParam);
    EditSnapshot Snapshot(bool withRegion) const;
    void AfterEdit(const EditSnapshot& before, EditKind kind, bool keyDown);

    bool OnKeyDown(WPARAM key);
    bool OnChar(WPARAM ch);
    bool IndentLines(bool outdent);
    void SelectionLines(long& first, long& last, long& selStart, long& selEnd) const;
    void AutoIndent();
    void SmartHome(bool extend);
    void LineEnd(bool extend);
    void OnVScroll(WPARAM wParam);
    void PaintMargin();
    void UpdateLineStep();
    void Invalidate() const;
    // Only the lines from start's to end's, the control's whole width.
    void InvalidateLines(long start, long end) const;

    HWND window_ = nullptr;
    WNDPROC previousProc_ = nullptr;
    TextModel text_;
    const IScriptRunState* runState_ = nullptr;
    LanguageDefinitions definitions_;
    std::wstring language_;
    std::wstring blockDelimiters_;  // of the language
    ColoredRanges colored_;
    std::map<int, std::vector<std::pair<long, long>>> styleRuns_;
    // The style class of each character of the last line coloured alone, as it stood
    // then (start -1: none). Every format change of the text goes through the passes,
    // so it holds until another pass or an edit that no pass follows at once.
    LineStyles lineStyles_;
    // The edit of the key being handled: [start, oldEnd) became [start, newEnd).
    struct KeyEdit {
        bool valid = false;
        long start = 0, oldEnd = 0, newEnd = 0;
    } keyEdit_;
    long baseOffset_ = 0;
    bool busy_ = false;
    unsigned long colorPasses_ = 0;
    int editDepth_ = 0;       // inside a message that edits (nested ones are part of it)
    long knownLength_ = -1;   // story length after the last edit seen

    std::map<int, bool> breakpoints_;
    int currentLine_ = -1;
    int frameLine_ = -1;
    common::UniqueGdiObject marginFont_;
    UniqueImageList images_;
    MarginDrawCallback drawCallback_ = nullptr;
    void* callbackData_ = nullptr;
    int lineStep_ = 16;
    // Where the last margin paint found the first visible line.
    long marginFirstLine_ = -1, marginTop_ = 0;
    bool scrolling_ = false;
    ComPtr<IRichEditOleCallback> oleCallback_;
    FindReplace finder_;
};

} // namespace editor
