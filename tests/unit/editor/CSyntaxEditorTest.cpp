#include "editor/CSyntaxEditor.h"
#include "EditorWindow.h"
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <tuple>
#include <vector>

using editortest::EditorWindow;
using namespace editortest;

namespace {

std::wstring NumberedLines(int count, const std::wstring& content) {
    std::wstring text;
    for (int i = 0; i < count; ++i) text += content + L"\r";
    return text;
}

class Colouring : public EditorWindow {};

TEST_F(Colouring, AttachFailsWithoutInitialisationFiles) {
    HWND edit = ::CreateWindowExW(0, L"RichEdit20W", L"", WS_CHILD | ES_MULTILINE, 0, 0, 100, 100, host_, nullptr,
                                  nullptr, nullptr);
    editor::CSyntaxEditor other;
    EXPECT_EQ(E_FAIL, other.Attach(edit, L"edtest_missing_languages", L"edtest_tagclass", nullptr, nullptr));
    ::DestroyWindow(edit);
}

TEST_F(Colouring, VbsTokensGetTheirClassesInAnyCase) {
    editor_->SetLanguageByExtension(L"VBS");
    ASSERT_EQ(L"vbs", editor_->Language());
    SetText(L"DIM x ' note\rs = \"str\" + 42\r");
    ASSERT_EQ(S_OK, editor_->ColorVisible());
    EXPECT_EQ(kKeywordColor, ForeColorAt(0));
    EXPECT_TRUE(BoldAt(2));
    EXPECT_EQ(kDefaultColor, ForeColorAt(4));
    EXPECT_FALSE(BoldAt(4));
    EXPECT_EQ(kCommentColor, ForeColorAt(6));
    const long line2 = LineStart(1);
    EXPECT_EQ(kStringColor, ForeColorAt(line2 + 4));
    EXPECT_EQ(kNumberColor, ForeColorAt(line2 + 12));
}

// The template of every format call is the first character's font: a bold keyword
// there must not make plain text heavy.
TEST_F(Colouring, ABoldFirstCharacterLeavesPlainTextAtNormalWeight) {
    editor_->SetLanguageByExtension(L"vbs");
    SetText(L"Dim x\rx = 1\r");
    ASSERT_EQ(S_OK, editor_->ColorVisible());
    ASSERT_TRUE(BoldAt(0));
    ASSERT_EQ(S_OK, editor_->RecolorVisible());
    EXPECT_EQ(FW_BOLD, WeightAt(0));
    EXPECT_FALSE(BoldAt(4));
    EXPECT_EQ(FW_NORMAL, WeightAt(4));
    EXPECT_EQ(FW_NORMAL, WeightAt(LineStart(1)));
}

// Runs of one style with only blanks between them are formatted in one call, so the
// blanks take the style, unless it would show on them (underline, background).
TEST_F(Colouring, BlanksBetweenRunsOfOneStyleTakeItOnlyWhereItDoesNotShow) {
    editor_->SetLanguageByExtension(L"vbs");
    SetText(L"End If x\rs = 1 \"a\"\r");
    ASSERT_EQ(S_OK, editor_->ColorVisible());
    EXPECT_EQ(kKeywordColor, ForeColorAt(3));  // between End and If
    EXPECT_EQ(kKeywordColor, ForeColorAt(4));
    EXPECT_EQ(kDefaultColor, ForeColorAt(6));  // after If
    const long line2 = LineStart(1);
    EXPECT_EQ(kNumberColor, ForeColorAt(line2 + 4));
    EXPECT_EQ(kDefaultColor, ForeColorAt(line2 + 5));  // between a number and a string
    EXPECT_EQ(kStringColor, ForeColorAt(line2 + 6));

    WriteIni(L"edtest_underlined", "[default]\nForeColor=101010\n[keyword]\nForeColor=FF\nUnderline=1\n");
    HWND edit = ::CreateWindowExW(0, L"RichEdit20W", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 100,
                                  host_, nullptr, nullptr, nullptr);
    editor::CSyntaxEditor underlined;
    ASSERT_EQ(S_OK, underlined.Attach(edit, L"edtest_languages", L"edtest_underlined", nullptr, nullptr));
    underlined.SetLanguageByExtension(L"vbs");
    ::SetWindowTextW(edit, L"End If x\r");
    ASSERT_EQ(S_OK, underlined.ColorVisible());
    ComPtr<ITextDocument> document;
    ASSERT_EQ(S_OK, underlined.GetTextDocument(&document));
    auto underlineAt = [&](long pos) {
        ComPtr<ITextRange> range;
        ComPtr<ITextFont> font;
        long value = 0;
        if (SUCCEEDED(document->Range(pos, pos + 1, &range)) && SUCCEEDED(range->GetFont(&font)))
            font->GetUnderline(&value);
        return value != tomFalse;
    };
    EXPECT_TRUE(underlineAt(0));
    EXPECT_FALSE(underlineAt(3));
    EXPECT_TRUE(underlineAt(4));
    ::DestroyWindow(edit);
}

TEST_F(Colouring, UnknownExtensionLeavesTextAloneAndPlainLanguageGetsDefaultOnly) {
    SetText(L"dim x ' note\r");
    const long before = ForeColorAt(0);
    editor_->SetLanguageByExtension(L"xyz");
    EXPECT_EQ(L"", editor_->Language());
    editor_->ColorVisible();
    EXPECT_EQ(before, ForeColorAt(0));
    EXPECT_EQ(0ul, editor_->ColorPasses());

    editor_->SetLanguageByExtension(L"txt");
    editor_->ForgetColored(0, -1);
    editor_->ColorVisible();
    EXPECT_EQ(kDefaultColor, ForeColorAt(0));
    EXPECT_EQ(kDefaultColor, ForeColorAt(6));
    EXPECT_FALSE(BoldAt(0));
}

TEST_F(Colouring, NewDocumentUsesCapitalCppSection) {
    editor_->SetLanguageByExtension(L"");
    EXPECT_EQ(L"CPP", editor_->Language());
    SetText(L"int x; // c\r");
    editor_->ColorVisible();
    EXPECT_EQ(kKeywordColor, ForeColorAt(0));
    EXPECT_EQ(kCommentColor, ForeColorAt(7));
}

TEST_F(Colouring, ScrollingColoursEachNewScreenOnce) {
    editor_->SetLanguageByExtension(L"vbs");
    SetText(NumberedLines(600, L"dim value"));
    editor_->ForgetColored(0, -1);
    const unsigned long before = editor_->ColorPasses();
    ASSERT_EQ(S_OK, editor_->ColorVisible());
    const unsigned long afterFirst = editor_->ColorPasses();
    EXPECT_EQ(before + 1, afterFirst);
    const long firstScreenEnd = editor_->Colored().Intervals().begin()->second;
    EXPECT_LT(firstScreenEnd, LineStart(100));  // only the visible lines

    ::SendMessageW(edit_, WM_VSCROLL, SB_PAGEDOWN, 0);
    Pump();
    EXPECT_EQ(afterFirst + 1, editor_->ColorPasses());
    const long firstVisible = static_cast<long>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_GT(firstVisible, 0);
    EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(firstVisible + 2)));

    ::SendMessageW(edit_, WM_VSCROLL, SB_TOP, 0);
    Pump();
    editor_->ColorVisible();
    EXPECT_EQ(afterFirst + 1, editor_->ColorPasses());  // nothing new to colour
    // Far below, never shown: untouched.
    EXPECT_NE(kKeywordColor, ForeColorAt(LineStart(590)));
}

TEST_F(Colouring, TypingRecoloursTheWholeVisibleRange) {
    editor_->SetLanguageByExtension(L"js");
    SetText(NumberedLines(20, L"var x = 1;"));
    editor_->ColorVisible();
    ASSERT_EQ(kKeywordColor, ForeColorAt(LineStart(19)));
    const unsigned long passes = editor_->ColorPasses();

    // A comment opened on line 4 takes in every line below it on the screen...
    Select(LineStart(3), LineStart(3));
    TypeChars(L"/*");
    EXPECT_GT(editor_->ColorPasses(), passes);
    EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(2)));
    for (long line = 3; line < 20; ++line) EXPECT_EQ(kCommentColor, ForeColorAt(LineStart(line) + 2)) << line;

    // ...and closed on line 7 gives the lines after it their own colours back.
    Select(LineStart(6), LineStart(6));
    TypeChars(L"*/");
    EXPECT_EQ(kCommentColor, ForeColorAt(LineStart(5)));
    for (long line = 7; line < 20; ++line) EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(line))) << line;
    // The recoloured range is the whole visible one, not just the edited line.
    ASSERT_EQ(1u, editor_->Colored().Intervals().size());
    EXPECT_LE(editor_->Colored().Intervals().begin()->first, LineStart(0));
    EXPECT_GE(editor_->Colored().Intervals().begin()->second, LineStart(19));

    // Typing that opens and closes no comment leaves the other lines as they are known.
    const auto known = editor_->Colored().Intervals();
    Select(LineStart(10) + 4, LineStart(10) + 4);
    TypeChars(L"y");
    EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(10)));
    EXPECT_EQ(known.begin()->first, editor_->Colored().Intervals().begin()->first);
}

// Keys typed into a line whose styles are known format only what changes; what they
// leave must be what a whole pass gives, character by character: tokens that grow,
// split and join, strings and comments opened and closed, deletions, typing over a
// selection, keys at the line's ends.
TEST_F(Colouring, KeysInAColouredLineLeaveWhatAWholePassGives) {
    editor_->SetLanguageByExtension(L"vbs");
    SetText(NumberedLines(12, L"Dim total ' sum") + L"x = \"a\" & 12\r");
    editor_->ColorVisible();
    auto looks = [&](long from, long to) {
        std::vector<std::tuple<long, long, long, long>> result;
        for (long pos = from; pos < to; ++pos) {
            ComPtr<ITextFont> font = FontAt(pos);
            long color = 0, bold = 0, italic = 0, weight = 0;
            font->GetForeColor(&color);
            font->GetBold(&bold);
            font->GetItalic(&italic);
            font->GetWeight(&weight);
            result.emplace_back(color, bold, italic, weight);
        }
        return result;
    };
    struct Step {
        long at, selectTo;  // in the line; selectTo > at selects text the keys replace
        std::wstring chars;
        UINT key;  // pressed after the chars, 0 for none
    };
    const Step steps[] = {
        {3, 3, L"x", 0},            // "Dimx": the keyword becomes a name
        {4, 4, L"", VK_BACK},       // and back to a keyword
        {0, 0, L"'", 0},            // the whole line becomes a comment
        {0, 0, L"", VK_DELETE},     // and code again
        {4, 4, L"\"", 0},           // a string opened to the line's end
        {10, 10, L"\"", 0},         // and closed
        {4, 11, L"1", 0},           // a selection typed over: a number
        {0, 3, L"If", 0},           // one keyword for another
        {16, 16, L" Then", 0},      // a keyword typed at the end of the line
        {0, 0, L"", VK_DELETE},
    };
    const long line = LineStart(5);
    // A line coloured alone has its styles known.
    editor_->ColorRange(line, LineStart(6));
    for (const Step& step : steps) {
        Select(line + step.at, line + step.selectTo);
        TypeChars(step.chars);
        if (step.key) PressKey(step.key);
        const long end = LineStart(6);
        const auto typed = looks(line, end);
        ASSERT_EQ(S_OK, editor_->RecolorVisible());
        EXPECT_EQ(looks(line, end), typed) << "after \"" << std::string(step.chars.begin(), step.chars.end())
                                           << "\" at " << step.at << ": " << std::string(
                                                  text_.Text(line, end).begin(), text_.Text(line, end).end());
        editor_->ColorRange(line, LineStart(6));
    }
    // The keys coloured the line and nothing else.
    EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(4)));
    EXPECT_EQ(kCommentColor, ForeColorAt(LineStart(4) + 10));
}

TEST_F(Colouring, ATypedKeyColoursItsLineBeforeAnyPaint) {
    editor_->SetLanguageByExtension(L"vbs");
    SetText(NumberedLines(30, L"x = 1"));
    editor_->ColorVisible();
    const long line = LineStart(12);
    ASSERT_NE(kKeywordColor, ForeColorAt(line));
    Select(line, line);
    // Sent straight to the control: no message loop, no paint in between.
    for (wchar_t c : std::wstring(L"Dim ")) ::SendMessageW(edit_, WM_CHAR, c, 1);
    EXPECT_EQ(L"Dim x = 1", text_.Text(line, line + 9));
    EXPECT_EQ(kKeywordColor, ForeColorAt(line));
    EXPECT_TRUE(BoldAt(line + 1));
    EXPECT_EQ(kDefaultColor, ForeColorAt(line + 4));
    EXPECT_NE(kKeywordColor, ForeColorAt(LineStart(13)));
    // The pass keeps what the typing did to the document.
    EXPECT_NE(0, ::SendMessageW(edit_, EM_GETMODIFY, 0, 0));
    EXPECT_EQ((CHARRANGE{line + 4, line + 4}).cpMin, Selection().cpMin);
}

TEST_F(Colouring, AnOpenedCommentReachesLinesScrolledIntoViewLater) {
    editor_->SetLanguageByExtension(L"js");
    SetText(NumberedLines(300, L"var x = 1;"));
    ASSERT_EQ(S_OK, editor_->ColorAll());
    Select(LineStart(2), LineStart(2));
    TypeChars(L"/*");
    ::SendMessageW(edit_, EM_LINESCROLL, 0, 245);
    Pump();
    editor_->ColorVisible();
    EXPECT_EQ(kCommentColor, ForeColorAt(LineStart(250)));

    // Deleting the opening gives them their colours back.
    ::SendMessageW(edit_, EM_LINESCROLL, 0, -245);
    Select(LineStart(2), LineStart(2) + 2);
    PressKey(VK_DELETE);
    ::SendMessageW(edit_, EM_LINESCROLL, 0, 245);
    Pump();
    editor_->ColorVisible();
    EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(250)));
}

TEST_F(Colouring, APassAfterAnEditColoursItsLineAndKeepsWhatWaitsToBePainted) {
    editor_->SetLanguageByExtension(L"vbs");
    SetText(NumberedLines(100, L"Dim x"));
    Pump();
    ASSERT_EQ(S_OK, editor_->ColorVisible());
    ::UpdateWindow(edit_);
    // Something else waits to be painted (a scroll, say) when a typed character makes
    // its line a gap in the colouring; the key's pass colours that line alone and the
    // whole window is still painted afterwards.
    ::InvalidateRect(edit_, nullptr, FALSE);
    Select(LineStart(3), LineStart(3));
    const unsigned long passes = editor_->ColorPasses();
    ::SendMessageW(edit_, WM_CHAR, L'x', 1);
    EXPECT_EQ(passes + 1, editor_->ColorPasses());
    ASSERT_EQ(S_OK, editor_->ColorVisible());
    EXPECT_EQ(passes + 1, editor_->ColorPasses());  // nothing left to colour
    EXPECT_NE(kKeywordColor, ForeColorAt(LineStart(3)));  // "xDim"
    EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(4)));
    RECT client{}, waiting{};
    ::GetClientRect(edit_, &client);
    ::GetUpdateRect(edit_, &waiting, FALSE);
    EXPECT_EQ(client.top, waiting.top);
    EXPECT_EQ(client.bottom, waiting.bottom);
}

TEST_F(Colouring, BlockCommentLookBackReaches500Lines) {
    editor_->SetLanguageByExtension(L"cpp");
    for (int above : {400, 600}) {
        std::wstring text = L"/* opened above\r" + NumberedLines(above, L"text") + L"closed */ int x;\r" +
                            NumberedLines(50, L"int y;");
        SetText(text);
        editor_->ForgetColored(0, -1);
        const long closing = LineStart(above + 1);
        ::SendMessageW(edit_, EM_LINESCROLL, 0, above + 1);
        Pump();
        editor_->ForgetColored(0, -1);
        ASSERT_EQ(S_OK, editor_->ColorVisible());
        if (above == 400) {
            EXPECT_EQ(kCommentColor, ForeColorAt(closing)) << above;
        } else {
            EXPECT_NE(kCommentColor, ForeColorAt(closing)) << above;
        }
        EXPECT_EQ(kKeywordColor, ForeColorAt(closing + 10)) << above;  // "int" after the comment
    }
}

TEST_F(Colouring, GuardedPassKeepsReadOnlyModifiedAndUndo) {
    editor_->SetLanguageByExtension(L"vbs");
    SetText(NumberedLines(50, L"dim a"));
    ::SendMessageW(edit_, EM_EMPTYUNDOBUFFER, 0, 0);
    ::SendMessageW(edit_, EM_SETREADONLY, TRUE, 0);
    ASSERT_EQ(S_OK, editor_->ColorAll());
    EXPECT_TRUE(::GetWindowLongPtrW(edit_, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(0, ::SendMessageW(edit_, EM_GETMODIFY, 0, 0));
    EXPECT_EQ(0, ::SendMessageW(edit_, EM_CANUNDO, 0, 0));
    EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(49)));  // ColorAll reaches unseen text

    ::SendMessageW(edit_, EM_SETREADONLY, FALSE, 0);
    ::SendMessageW(edit_, EM_SETMODIFY, TRUE, 0);
    editor_->ForgetColored(0, -1);
    editor_->RecolorVisible();
    EXPECT_NE(0, ::SendMessageW(edit_, EM_GETMODIFY, 0, 0));
    EXPECT_FALSE(::GetWindowLongPtrW(edit_, GWL_STYLE) & ES_READONLY);
}

TEST_F(Colouring, CaretMovesRecolourNothing) {
    editor_->SetLanguageByExtension(L"vbs");
    SetText(NumberedLines(60, L"dim value ' note"));
    ASSERT_EQ(S_OK, editor_->ColorVisible());
    const unsigned long passes = editor_->ColorPasses();
    const auto intervals = editor_->Colored().Intervals();
    ASSERT_FALSE(intervals.empty());

    Select(LineStart(5), LineStart(5));
    Pump();
    PressKey(VK_DOWN);
    PressKey(VK_END);
    Select(LineStart(2), LineStart(4));  // a selection is a caret move too
    Pump();
    ::UpdateWindow(edit_);
    editor_->ColorVisible();  // what the next screen update does
    EXPECT_EQ(passes, editor_->ColorPasses());
    EXPECT_EQ(intervals, editor_->Colored().Intervals());
}

TEST_F(Colouring, AnEditForgetsOnlyTheLinesItTouched) {
    editor_->SetLanguageByExtension(L"vbs");
    SetText(NumberedLines(300, L"x = 1"));
    ASSERT_EQ(S_OK, editor_->ColorVisible());
    ::SendMessageW(edit_, WM_VSCROLL, SB_PAGEDOWN, 0);
    Pump();
    editor_->ColorVisible();
    const long first = static_cast<long>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    ASSERT_GT(first, 0);
    ASSERT_EQ(1u, editor_->Colored().Intervals().size());  // both screens

    Select(LineStart(first + 3), LineStart(first + 3));
    Pump();
    TypeChars(L"dim ");
    EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(first + 3)));
    // The first screen is still known to be coloured; the edited line was coloured again
    // and the text after it moved with its colours.
    ASSERT_EQ(1u, editor_->Colored().Intervals().size());
    EXPECT_EQ(0, editor_->Colored().Intervals().begin()->first);
    EXPECT_GE(editor_->Colored().Intervals().begin()->second, LineStart(first + 10));
}

TEST_F(Colouring, KeepsTextSelectionScrollAndUndo) {
    editor_->SetLanguageByExtension(L"vbs");
    std::wstring text = L"s = \"{braces} \\ back\" ' \x00e9t\x00e9 \x4e2d\tend\r";
    text += NumberedLines(300, L"If x Then y = \"a\" ' c");
    SetText(text);
    ::SendMessageW(edit_, EM_EMPTYUNDOBUFFER, 0, 0);
    const std::wstring before = Text();
    ::SendMessageW(edit_, EM_LINESCROLL, 0, 100);
    Select(LineStart(110), LineStart(112) + 3);
    Pump();
    const long firstVisible = static_cast<long>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    const CHARRANGE selection = Selection();
    ComPtr<ITextRange> marker = text_.Range(LineStart(115), LineStart(115));  // a breakpoint marker

    editor_->ForgetColored(0, -1);
    ASSERT_EQ(S_OK, editor_->ColorVisible());
    ASSERT_EQ(S_OK, editor_->ColorAll());

    EXPECT_EQ(before, Text());
    EXPECT_EQ(firstVisible, ::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_EQ(selection.cpMin, Selection().cpMin);
    EXPECT_EQ(selection.cpMax, Selection().cpMax);
    EXPECT_EQ(0, ::SendMessageW(edit_, EM_CANUNDO, 0, 0));
    long markerStart = 0;
    marker->GetStart(&markerStart);
    EXPECT_EQ(LineStart(115), markerStart);
    EXPECT_EQ(kStringColor, ForeColorAt(5));   // inside the string with braces
    EXPECT_EQ(kCommentColor, ForeColorAt(static_cast<long>(text.find(L'\'', 20))));
    EXPECT_EQ(kKeywordColor, ForeColorAt(LineStart(200)));
    EXPECT_TRUE(BoldAt(LineStart(200)));
    EXPECT_EQ(kDefaultColor, ForeColorAt(LineStart(200) + 3));  // "x"
}

class Keys : public EditorWindow {
protected:
    void SetUp() override {
        EditorWindow::SetUp();
        editor_->SetLanguageByExtension(L"vbs");
    }
};

TEST_F(Keys, TabIndentsTheSelectedLines) {
    const std::wstring lines = L"l1\rl2\rl3\r\rl5\rl6\rl7";
    SetText(lines);
    Select(LineStart(2), LineStart(5));  // start of line 3 to start of line 6
    PressKey(VK_TAB);
    EXPECT_EQ(L"l1\rl2\r\tl3\r\t\r\tl5\rl6\rl7", Text());

    SetText(lines);
    Select(LineStart(2) + 1, LineStart(4) + 1);  // middle of line 3 to middle of line 5
    PressKey(VK_TAB);
    EXPECT_EQ(L"l1\rl2\r\tl3\r\t\rl5\rl6\rl7", Text());

    SetText(lines);
    Select(LineStart(2) + 1, LineStart(3));  // middle of line 3 to (the empty) line 4
    PressKey(VK_TAB);
    EXPECT_EQ(lines, Text());

    SetText(lines);
    Select(LineStart(1) + 1, LineStart(1) + 1);  // caret inside a line: the tab is typed
    PressKey(VK_TAB);
    EXPECT_EQ(L"l1\rl\t2\rl3\r\rl5\rl6\rl7", Text());
}

TEST_F(Keys, ShiftTabRemovesOneTabOrUpToFourBlanks) {
    SetText(L"      six\r\r\t\tt2\r  two\rend");
    Select(0, LineStart(4));
    PressKey(VK_TAB, true);
    EXPECT_EQ(L"  six\r\r\tt2\rtwo\rend", Text());
}

TEST_F(Keys, EnterCopiesTheIndentationLeftOfTheCaret) {
    SetText(L"\t\tcall x\rnext");
    Select(LineStart(0) + 8, LineStart(0) + 8);
    PressKey(VK_RETURN);
    EXPECT_EQ(L"\t\tcall x\r\t\t\rnext", Text());
    EXPECT_EQ(11, Selection().cpMin);

    SetText(L"\t\tcall x");
    Select(1, 1);  // inside the indentation
    PressKey(VK_RETURN);
    EXPECT_EQ(L"\t\r\t\tcall x", Text());
}

TEST_F(Keys, HomeAlternatesBetweenTextAndLineStart) {
    SetText(L"first\r    dim x\rlast");
    const long line = LineStart(1);
    Select(line + 9, line + 9);
    PressKey(VK_HOME);
    EXPECT_EQ(line + 4, Selection().cpMin);
    EXPECT_EQ(line + 4, Selection().cpMax);
    PressKey(VK_HOME);
    EXPECT_EQ(line, Selection().cpMin);
    PressKey(VK_HOME);
    EXPECT_EQ(line + 4, Selection().cpMin);

    Select(line + 9, line + 9);
    PressKey(VK_HOME, true);  // Shift extends
    EXPECT_EQ(line + 4, Selection().cpMin);
    EXPECT_EQ(line + 9, Selection().cpMax);

    Select(line, line);
    PressKey(VK_END);
    EXPECT_EQ(line + 9, Selection().cpMin);  // before the line's end mark
    Select(line + 2, line + 2);
    PressKey(VK_END, true);
    EXPECT_EQ(line + 2, Selection().cpMin);
    EXPECT_EQ(line + 9, Selection().cpMax);
}

TEST_F(Keys, VerticalScrollingSnapsToWholeLines) {
    SetText(NumberedLines(300, L"dim x"));
    const int step = editor_->LineStep();
    ASSERT_GT(step, 0);
    ::SendMessageW(edit_, WM_VSCROLL, SB_LINEDOWN, 0);
    Pump();
    POINT pos{};
    ::SendMessageW(edit_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(step, pos.y);
    EXPECT_EQ(1, ::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    ::SendMessageW(edit_, WM_VSCROLL, SB_PAGEDOWN, 0);
    Pump();
    ::SendMessageW(edit_, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&pos));
    EXPECT_EQ(0, pos.y % step);
    EXPECT_GT(pos.y, step);
}

TEST_F(Keys, PagingKeepsMovingThroughTextTallerThanTheScrollBarsRange) {
    // 10 000 lines are far more than 65535 pixels: the scroll bar's units are scaled.
    SetText(NumberedLines(10000, L"dim x"));
    const int step = editor_->LineStep();
    ASSERT_GT(step, 0);
    ASSERT_GT(10000L * step, 65535L);
    const auto firstVisible = [&] { return static_cast<long>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0)); };
    long previous = -1;
    for (int page = 0; page < 12; ++page) {
        ::SendMessageW(edit_, WM_VSCROLL, SB_PAGEDOWN, 0);
        Pump();
        ASSERT_GT(firstVisible(), previous) << "page down " << page << " did not move";
        previous = firstVisible();
    }

    // The bottom is the end of the text, not the end of the bar's range; paging up from
    // there moves a screen at a time.
    ::SendMessageW(edit_, WM_VSCROLL, SB_BOTTOM, 0);
    Pump();
    previous = firstVisible();
    EXPECT_GT(previous, 9900);
    for (int page = 0; page < 5; ++page) {
        ::SendMessageW(edit_, WM_VSCROLL, SB_PAGEUP, 0);
        Pump();
        ASSERT_LT(firstVisible(), previous) << "page up " << page << " did not move";
        EXPECT_GT(firstVisible(), previous - 100) << "page up " << page << " jumped";
        previous = firstVisible();
    }
}

TEST_F(Keys, PasteInsertsPlainText) {
    SetText(L"x");
    ASSERT_TRUE(::OpenClipboard(host_));
    ::EmptyClipboard();
    const char rtf[] = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b\\fs48 BOLD\\b0}";
    HGLOBAL rich = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(rtf));
    std::memcpy(::GlobalLock(rich), rtf, sizeof(rtf));
    ::GlobalUnlock(rich);
    ::SetClipboardData(::RegisterClipboardFormatW(L"Rich Text Format"), rich);
    const char plain[] = "BOLD";
    HGLOBAL text = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(plain));
    std::memcpy(::GlobalLock(text), plain, sizeof(plain));
    ::GlobalUnlock(text);
    ::SetClipboardData(CF_TEXT, text);
    ::CloseClipboard();
    Select(1, 1);
    PressKey('V', false, true);
    EXPECT_EQ(L"xBOLD", Text());
    EXPECT_FALSE(BoldAt(2));
}

// The default margin drawer: markers instead of the number, the current line over a
// breakpoint.
class Margin : public EditorWindow {
protected:
    // Colour at the centre of the marker position of a 30x16 line drawn into a bitmap.
    COLORREF DrawLine(int line, int frameLine, bool* textDrawn) {
        HDC screen = ::GetDC(nullptr);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 30, 16);
        HGDIOBJ old = ::SelectObject(dc, bitmap);
        RECT rect{0, 0, 30, 16};
        ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        HIMAGELIST images = ::ImageList_LoadImageW(::GetModuleHandleW(nullptr), L"IDB_STACKIMAGESLIST", 16, 1,
                                                   RGB(255, 255, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
        EXPECT_TRUE(images);
        editor::CSyntaxEditor::DrawMarginLine(editor_.get(), dc, line, rect, images, frameLine);
        const COLORREF centre = ::GetPixel(dc, 14 + 8, 8);
        *textDrawn = false;
        for (int x = 0; x < 30; ++x)
            for (int y = 0; y < 16; ++y)
                if (::GetPixel(dc, x, y) != RGB(255, 255, 255)) *textDrawn = true;
        ::ImageList_Destroy(images);
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        ::ReleaseDC(nullptr, screen);
        return centre;
    }
};

TEST_F(Margin, MarkersReplaceTheLineNumber) {
    editor_->SetBreakpoints({{3, true}, {4, false}, {5, true}});
    editor_->SetCurrentLine(5);
    bool drawn = false;
    const COLORREF plain = DrawLine(2, -1, &drawn);
    EXPECT_EQ(RGB(255, 255, 255), plain);  // a line number is drawn to the right, thin
    EXPECT_TRUE(drawn);
    const COLORREF enabled = DrawLine(3, -1, &drawn);
    EXPECT_GT(GetRValue(enabled), 150);
    EXPECT_LT(GetGValue(enabled), 100);
    const COLORREF disabled = DrawLine(4, -1, &drawn);
    EXPECT_EQ(RGB(255, 255, 255), disabled);  // a ring: the centre stays clear
    const COLORREF current = DrawLine(5, -1, &drawn);
    EXPECT_GT(GetGValue(current), 150);  // yellow arrow over the red breakpoint
    EXPECT_GT(GetRValue(current), 150);
    const COLORREF frame = DrawLine(6, 6, &drawn);
    EXPECT_GT(GetGValue(frame), 120);
    EXPECT_LT(GetRValue(frame), 120);

    editor_->SetFrameLine(6);
    EXPECT_EQ(6, editor_->FrameLine());
    editor_->SetCurrentLine(7);
    EXPECT_EQ(-1, editor_->FrameLine());  // a new position clears the frame mark
}

// The rectangle the margin gives each line, recorded by a drawer of our own.
class MarginPlaces : public EditorWindow {
protected:
    static void Record(void* data, HDC, int line, const RECT& rect, HIMAGELIST, int) {
        (*static_cast<std::map<int, RECT>*>(data))[line] = rect;
    }
    void AttachRecorder() {
        Reattach(&Record, &drawn_);
        editor_->SetLanguageByExtension(L"vbs");
    }
    // Draws the margin again and checks every line drawn against where the control
    // shows that line's first character.
    void ExpectLinesWhereTheControlShowsThem() {
        drawn_.clear();
        ::InvalidateRect(edit_, nullptr, FALSE);
        ::UpdateWindow(edit_);
        ASSERT_GT(drawn_.size(), 5u);
        for (const auto& [line, rect] : drawn_) {
            POINTL top{};
            ::SendMessageW(edit_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&top), LineStart(line - 1));
            EXPECT_EQ(top.y, rect.top) << "line " << line;
            if (drawn_.count(line + 1)) {
                EXPECT_EQ(drawn_[line + 1].top, rect.bottom) << "line " << line;
            }
        }
    }
    std::map<int, RECT> drawn_;
};

TEST_F(MarginPlaces, LinesOfOneHeightAndTallerLinesAreDrawnWhereTheyStand) {
    AttachRecorder();
    std::wstring text;
    for (int i = 1; i <= 200; ++i) text += L"x = " + std::to_wstring(i) + L"\r";
    SetText(text);
    ::SendMessageW(edit_, EM_LINESCROLL, 0, 90);
    Pump();
    ExpectLinesWhereTheControlShowsThem();

    // A line in a larger font makes the lines uneven: each is placed on its own.
    const long first = static_cast<long>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_SIZE;
    format.yHeight = 40 * 20;
    Select(LineStart(first + 3), LineStart(first + 4) - 1);
    ::SendMessageW(edit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    Pump();
    ExpectLinesWhereTheControlShowsThem();
    EXPECT_GT(drawn_[first + 4].bottom - drawn_[first + 4].top, drawn_[first + 1].bottom - drawn_[first + 1].top);
}

// The margin as the screen shows it, one colour a pixel.
std::vector<COLORREF> MarginPixels(HWND edit, int width, int height) {
    HDC window = ::GetDC(edit);
    HDC memory = ::CreateCompatibleDC(window);
    HBITMAP bitmap = ::CreateCompatibleBitmap(window, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, window, 0, 0, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(::GetPixel(memory, x, y));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(edit, window);
    return pixels;
}

// A paint of one line draws that line's number alone, where it stands: the margin then
// looks as a paint of the whole window left it.
TEST_F(MarginPlaces, APaintOfOneLineDrawsItsNumberAloneInPlace) {
    std::wstring text;
    for (int i = 1; i <= 200; ++i) text += L"x = " + std::to_wstring(i) + L"\r";
    SetText(text);
    ::SendMessageW(edit_, EM_LINESCROLL, 0, 90);
    Pump();
    ::InvalidateRect(edit_, nullptr, FALSE);
    ::UpdateWindow(edit_);
    RECT client{};
    ::GetClientRect(edit_, &client);
    const std::vector<COLORREF> whole = MarginPixels(edit_, 30, client.bottom);

    const long first = static_cast<long>(::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0));
    POINTL top{}, bottom{};
    ::SendMessageW(edit_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&top), LineStart(first + 5));
    ::SendMessageW(edit_, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&bottom), LineStart(first + 6));
    // The line's margin band wiped, so that only a new drawing brings its number back.
    const RECT band{0, top.y, 30, bottom.y};
    HDC dc = ::GetDC(edit_);
    ::FillRect(dc, &band, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::ReleaseDC(edit_, dc);
    ASSERT_NE(whole, MarginPixels(edit_, 30, client.bottom));

    const RECT line{0, top.y, client.right, bottom.y};
    ::InvalidateRect(edit_, &line, FALSE);
    ::UpdateWindow(edit_);
    EXPECT_EQ(whole, MarginPixels(edit_, 30, client.bottom));

    AttachRecorder();
    Pump();
    ::UpdateWindow(edit_);  // what attaching left to paint
    drawn_.clear();
    ::InvalidateRect(edit_, &line, FALSE);
    ::UpdateWindow(edit_);
    ASSERT_EQ(1u, drawn_.size());
    EXPECT_EQ(first + 6, drawn_.begin()->first);
    EXPECT_EQ(top.y, drawn_.begin()->second.top);

    Reattach(nullptr, nullptr);
    // Scrolled text takes its numbers along, however it scrolls.
    auto expectMarginOfWholePaint = [&](const char* how) {
        Pump();
        ::UpdateWindow(edit_);
        const std::vector<COLORREF> scrolled = MarginPixels(edit_, 30, client.bottom);
        ::InvalidateRect(edit_, nullptr, FALSE);
        ::UpdateWindow(edit_);
        EXPECT_EQ(MarginPixels(edit_, 30, client.bottom), scrolled) << how;
    };
    ::SendMessageW(edit_, EM_LINESCROLL, 0, 3);
    expectMarginOfWholePaint("lines scrolled");
    ::SendMessageW(edit_, WM_VSCROLL, SB_PAGEDOWN, 0);
    expectMarginOfWholePaint("a page down");
    Select(LineStart(first + 2), LineStart(first + 2));
    expectMarginOfWholePaint("the caret brought into view");
}

} // namespace
