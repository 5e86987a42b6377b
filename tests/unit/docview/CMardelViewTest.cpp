#include "DocAppFixture.h"
#include "editor/LanguageDefinitions.h"
#include "framework/PrintPreview.h"
#include <algorithm>
#include <map>

namespace host {

class ScriptHostTestAccess {
public:
    static void SetRunning(ScriptHost& scriptHost, bool running) { scriptHost.running_ = running; }
};

} // namespace host

namespace docview {

namespace {

std::string Lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "Env.LogInfo \"line " + std::to_string(i) + "\"\n";
    return text;
}

// 0-based first and last fully visible lines of a control.
void VisibleLines(HWND edit, long& first, long& last) {
    first = static_cast<long>(::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
    RECT rect{};
    ::SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&rect));
    POINTL bottom{rect.left, rect.bottom - 1};
    const long lastChar = static_cast<long>(::SendMessageW(edit, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom)));
    last = static_cast<long>(::SendMessageW(edit, EM_EXLINEFROMCHAR, 0, lastChar)) - 1;
}

} // namespace

class ViewTest : public DocAppFixture {
protected:
    host::ScriptHost& host() { return app->host; }
    std::vector<host::BreakpointRecord> Breakpoints() { return host().breakpoints(); }
    // Puts the caret on a 0-based line (a few characters in) and presses F9.
    void ToggleOnLine(CMardelDoc* doc, long line0) {
        HWND edit = EditOf(doc);
        const long start = LineStart(edit, line0);
        Select(edit, start + 2, start + 2);
        PressKey(edit, VK_F9);
    }
};

TEST_F(ViewTest, ReadOnlyWhileAScriptRuns) {
    CMardelDoc* doc = Open(L"run.vbs", "Dim a\n");
    ASSERT_NE(nullptr, doc);
    HWND edit = EditOf(doc);
    Select(edit, 0, 0);
    host::ScriptHostTestAccess::SetRunning(host(), true);
    TypeChars(edit, L"x");
    EXPECT_NE(0, ::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(L"Dim a\r", TextOf(doc));
    EXPECT_FALSE(doc->IsModified());

    // Editable again at the first key after the run.
    host::ScriptHostTestAccess::SetRunning(host(), false);
    TypeChars(edit, L"y");
    EXPECT_EQ(0, ::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
    EXPECT_EQ(L"yDim a\r", TextOf(doc));
}

TEST_F(ViewTest, NoKeyOrCommandChangesTheTextWhileAScriptRuns) {
    CMardelDoc* doc = Open(L"locked.vbs", "Dim a\nDim b\n  Dim c\nEnv.LogInfo a\n");
    ASSERT_NE(nullptr, doc);
    HWND edit = EditOf(doc);
    ToggleOnLine(doc, 3);
    Select(edit, 0, 0);
    TypeChars(edit, L"x");  // something to undo
    ASSERT_TRUE(testing_apps::SetClipboardText(L"pasted\r\n", edit));
    const std::wstring before = TextOf(doc);

    // The run starts after the last key: nothing has made the control read-only yet.
    host::ScriptHostTestAccess::SetRunning(host(), true);
    ASSERT_EQ(0, ::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
    Select(edit, LineStart(edit, 0), LineStart(edit, 2));
    PressKey(edit, VK_TAB);
    PressKeyWith(edit, VK_TAB, {VK_SHIFT});
    Select(edit, LineStart(edit, 2) + 2, LineStart(edit, 2) + 2);
    PressKey(edit, VK_RETURN);
    PressKey(edit, VK_DELETE);
    PressKey(edit, VK_BACK);
    TypeChars(edit, L"q\t");
    EXPECT_EQ(before, TextOf(doc));

    editor::FindReplace& finder = ViewOf(doc)->syntaxEditor().Finder();
    finder.SetSearchText("Dim");
    finder.SetReplaceText("Const");
    Select(edit, 0, 0);
    finder.Replace();
    finder.ReplaceAll();
    EXPECT_EQ(before, TextOf(doc));

    // The edit keys (the frame's accelerators) and the menu's edit commands.
    Select(edit, 1, 4);
    for (UINT key : {UINT('V'), UINT('X'), UINT('Z'), UINT('Y')}) {
        PressKeyWith(edit, key, {VK_CONTROL});
        EXPECT_EQ(before, TextOf(doc)) << "Ctrl+" << static_cast<char>(key);
    }
    PressKeyWith(edit, VK_INSERT, {VK_SHIFT});
    EXPECT_EQ(before, TextOf(doc)) << "Shift+Insert";
    PressKeyWith(edit, VK_DELETE, {VK_SHIFT});
    EXPECT_EQ(before, TextOf(doc)) << "Shift+Delete";
    PressKeyWith(edit, VK_BACK, {VK_MENU});
    EXPECT_EQ(before, TextOf(doc)) << "Alt+Backspace";
    for (UINT command : {ID_EDIT_PASTE, ID_EDIT_CUT, ID_EDIT_UNDO}) {
        ::SendMessageW(app->frame()->hwnd(), WM_COMMAND, command, 0);
        Pump();
        EXPECT_EQ(before, TextOf(doc)) << command;
    }
    ASSERT_EQ(1u, Breakpoints().size());
    EXPECT_EQ(3, Breakpoints()[0].line);

    // After the run every path edits again.
    host::ScriptHostTestAccess::SetRunning(host(), false);
    Select(edit, 0, 0);
    finder.ReplaceAll();
    EXPECT_EQ(0u, TextOf(doc).find(L"xConst a\rConst b"));
}

TEST_F(ViewTest, ShowLineScrollsWithFiveLinesOfContextAndMarksTheFrame) {
    CMardelDoc* doc = Open(L"long.vbs", Lines(300));
    ASSERT_NE(nullptr, doc);
    HWND edit = EditOf(doc);
    CMardelView* view = ViewOf(doc);
    long first = 0, last = 0;
    VisibleLines(edit, first, last);
    ASSERT_EQ(0, first);
    ASSERT_LT(last, 150);

    // Downwards: line 200 comes in with lines 195-205.
    view->ShowLine(200, false);
    VisibleLines(edit, first, last);
    EXPECT_LE(first, 194);
    EXPECT_EQ(204, last);
    EXPECT_EQ(-1, view->syntaxEditor().FrameLine());

    // A visible line does not scroll; the frame mark follows the request.
    const long before = first;
    view->ShowLine(200, true);
    VisibleLines(edit, first, last);
    EXPECT_EQ(before, first);
    EXPECT_EQ(200, view->syntaxEditor().FrameLine());

    // Upwards: line 20 comes in with lines 15-25, at the top.
    view->ShowLine(20, true);
    VisibleLines(edit, first, last);
    EXPECT_EQ(14, first);
    EXPECT_EQ(20, view->syntaxEditor().FrameLine());

    // The last line of the script.
    view->ShowLine(300, false);
    VisibleLines(edit, first, last);
    EXPECT_LE(first, 299);
    EXPECT_GE(last, 299);
}

TEST_F(ViewTest, CurrentLineMarkerOnlyInTheViewOfTheCurrentFile) {
    CMardelDoc* one = Open(L"one.vbs", Lines(10));
    CMardelDoc* two = Open(L"two.vbs", Lines(10));
    ASSERT_NE(nullptr, one);
    ASSERT_NE(nullptr, two);
    // The host knows files lower-cased; the comparison ignores case anyway.
    host().setCurrentFile(common::WideToAnsi(common::ToLower(PathOf(L"ONE.vbs"))));
    host().setCurrentLine(4);
    app->UpdateScriptViews(1);
    EXPECT_EQ(4, ViewOf(one)->syntaxEditor().CurrentLine());
    EXPECT_EQ(-1, ViewOf(two)->syntaxEditor().CurrentLine());

    host().setCurrentFile(two->HostPath());
    host().setCurrentLine(7);
    app->UpdateScriptViews(1);
    EXPECT_EQ(-1, ViewOf(one)->syntaxEditor().CurrentLine());
    EXPECT_EQ(7, ViewOf(two)->syntaxEditor().CurrentLine());

    // Hint 0 is about breakpoints: the position stays.
    host().setCurrentLine(2);
    app->UpdateScriptViews(0);
    EXPECT_EQ(7, ViewOf(two)->syntaxEditor().CurrentLine());
}

TEST_F(ViewTest, F9AddsAndRemovesTheBreakpointWithItsMarker) {
    CMardelDoc* doc = Open(L"toggle.vbs", Lines(10));
    ASSERT_NE(nullptr, doc);
    CMardelView* view = ViewOf(doc);
    ToggleOnLine(doc, 2);
    auto list = Breakpoints();
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(2, list[0].line);
    EXPECT_EQ(LineStart(EditOf(doc), 2) + 2, list[0].charPosition);
    EXPECT_TRUE(list[0].enabled);
    EXPECT_EQ(doc->HostPath(), list[0].file);
    EXPECT_EQ(common::WideToAnsi(common::ToLower(PathOf(L"toggle.vbs"))), list[0].file);
    EXPECT_EQ((std::map<int, bool>{{3, true}}), view->syntaxEditor().Breakpoints());
    EXPECT_GE(app->breakpointRefreshes, 1);

    ToggleOnLine(doc, 5);
    EXPECT_EQ((std::map<int, bool>{{3, true}, {6, true}}), view->syntaxEditor().Breakpoints());

    // Anywhere on the same line removes it.
    const long start = LineStart(EditOf(doc), 2);
    Select(EditOf(doc), start + 9, start + 9);
    PressKey(EditOf(doc), VK_F9);
    list = Breakpoints();
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(5, list[0].line);
    EXPECT_EQ((std::map<int, bool>{{6, true}}), view->syntaxEditor().Breakpoints());
    EXPECT_EQ(1u, view->anchorCount());
}

TEST_F(ViewTest, BreakpointFollowsItsLineWhenLinesAreInsertedAbove) {
    CMardelDoc* doc = Open(L"follow.vbs", Lines(10));
    ASSERT_NE(nullptr, doc);
    HWND edit = EditOf(doc);
    CMardelView* view = ViewOf(doc);
    ToggleOnLine(doc, 4);
    const int refreshes = app->breakpointRefreshes;

    // Two new lines at the start of line 2.
    Select(edit, LineStart(edit, 1), LineStart(edit, 1));
    PressKey(edit, VK_RETURN);
    PressKey(edit, VK_RETURN);
    auto list = Breakpoints();
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ(6, list[0].line);
    EXPECT_EQ((std::map<int, bool>{{7, true}}), view->syntaxEditor().Breakpoints());
    EXPECT_GT(app->breakpointRefreshes, refreshes);

    // Another breakpoint change reloads the anchors: this one stays with its text.
    ToggleOnLine(doc, 8);
    EXPECT_EQ((std::map<int, bool>{{7, true}, {9, true}}), view->syntaxEditor().Breakpoints());
    list = Breakpoints();
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(6, list[0].line);

    // Deleting the new lines brings it back.
    Select(edit, LineStart(edit, 1), LineStart(edit, 3));
    PressKey(edit, VK_DELETE);
    list = Breakpoints();
    EXPECT_EQ(4, list[0].line);
    EXPECT_EQ(6, list[1].line);
    EXPECT_EQ((std::map<int, bool>{{5, true}, {7, true}}), view->syntaxEditor().Breakpoints());
}

TEST_F(ViewTest, MarkersShowDisabledBreakpointsAndOnlyThoseOfTheFile) {
    CMardelDoc* doc = Open(L"marks.vbs", Lines(10));
    ASSERT_NE(nullptr, doc);
    const std::string file = doc->HostPath();
    const long line3 = LineStart(EditOf(doc), 2);
    const long line6 = LineStart(EditOf(doc), 5);
    host().EditBreakpoints([&](std::vector<host::BreakpointRecord>& list) {
        list.push_back(host::BreakpointRecord{2, line3, false, file});
        list.push_back(host::BreakpointRecord{5, line6, true, file});
        list.push_back(host::BreakpointRecord{1, 10, true, "c:\\elsewhere\\other.vbs"});
    });
    app->UpdateScriptViews(0);
    EXPECT_EQ((std::map<int, bool>{{3, false}, {6, true}}), ViewOf(doc)->syntaxEditor().Breakpoints());

    // Closed and opened again, the script shows its breakpoints again.
    doc->OnCloseDocument();
    Pump();
    CMardelDoc* again = dynamic_cast<CMardelDoc*>(app->OpenDocumentFile(PathOf(L"marks.vbs")));
    ASSERT_NE(nullptr, again);
    Pump();
    EXPECT_EQ((std::map<int, bool>{{3, false}, {6, true}}), ViewOf(again)->syntaxEditor().Breakpoints());
    // Opening did not move them.
    auto list = Breakpoints();
    EXPECT_EQ(2, list[0].line);
    EXPECT_EQ(5, list[1].line);
}

TEST_F(ViewTest, AnUnnamedScriptTakesNoBreakpoint) {
    CMardelDoc* doc = NewDocument();
    ASSERT_NE(nullptr, doc);
    TypeChars(EditOf(doc), L"Dim a");
    PressKey(EditOf(doc), VK_F9);
    EXPECT_TRUE(Breakpoints().empty());
}

namespace {

// A page of paper as a 24-bit bitmap at the screen's resolution, white to start with.
class PageBitmap {
public:
    PageBitmap(SIZE twips) : dc_(::CreateCompatibleDC(nullptr)) {
        dpiX_ = ::GetDeviceCaps(dc_, LOGPIXELSX);
        dpiY_ = ::GetDeviceCaps(dc_, LOGPIXELSY);
        width_ = ::MulDiv(twips.cx, dpiX_, 1440);
        height_ = ::MulDiv(twips.cy, dpiY_, 1440);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = ::SelectObject(dc_, bitmap_);
        RECT all{0, 0, width_, height_};
        ::FillRect(dc_, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
    ~PageBitmap() {
        ::SelectObject(dc_, old_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF Pixel(int x, int y) const {
        ::GdiFlush();
        const BYTE* p = bits_ + y * (((width_ * 3) + 3) & ~3) + x * 3;
        return RGB(p[2], p[1], p[0]);
    }
    // The box of everything that is not white, in pixels.
    RECT Ink() const {
        RECT box{width_, height_, -1, -1};
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (Pixel(x, y) != RGB(255, 255, 255)) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x);
                    box.bottom = std::max<LONG>(box.bottom, y);
                }
        return box;
    }
    bool Has(COLORREF color) const {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (Pixel(x, y) == color) return true;
        return false;
    }
    int PixelsX(int twips) const { return ::MulDiv(twips, dpiX_, 1440); }
    int PixelsY(int twips) const { return ::MulDiv(twips, dpiY_, 1440); }
    // Kept as a BMP file when TEVRIN_SCREENSHOT_DIR names a folder.
    void Keep(const wchar_t* name) const {
        wchar_t folder[MAX_PATH] = {};
        if (!::GetEnvironmentVariableW(L"TEVRIN_SCREENSHOT_DIR", folder, MAX_PATH)) return;
        const DWORD stride = ((width_ * 3) + 3) & ~3, size = stride * height_;
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        file.bfSize = file.bfOffBits + size;
        BITMAPINFOHEADER header{};
        header.biSize = sizeof(header);
        header.biWidth = width_;
        header.biHeight = -height_;
        header.biPlanes = 1;
        header.biBitCount = 24;
        ::GdiFlush();
        HANDLE out = ::CreateFileW((std::wstring(folder) + L"\\" + name + L".bmp").c_str(), GENERIC_WRITE, 0,
                                   nullptr, CREATE_ALWAYS, 0, nullptr);
        if (out == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        ::WriteFile(out, &file, sizeof(file), &written, nullptr);
        ::WriteFile(out, &header, sizeof(header), &written, nullptr);
        ::WriteFile(out, bits_, size, &written, nullptr);
        ::CloseHandle(out);
    }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    BYTE* bits_ = nullptr;
    int dpiX_ = 96, dpiY_ = 96, width_ = 0, height_ = 0;
};

} // namespace

TEST_F(ViewTest, PrintedPagesKeepHalfInchMarginsAndTheScriptsColours) {
    std::string text;
    for (int i = 1; i <= 300; ++i) text += "Dim value" + std::to_string(i) + "\t' line " + std::to_string(i) + "\n";
    CMardelDoc* doc = Open(L"printed.vbs", text);
    ASSERT_NE(nullptr, doc);
    CMardelView* view = ViewOf(doc);
    const SIZE letter{12240, 15840};  // 8.5 by 11 inches
    PageBitmap counting(letter);
    const int pages = view->LayOutPages(counting.dc(), letter, -1);
    EXPECT_GE(pages, 3);
    EXPECT_LT(pages, 30);

    // A page far below anything shown on screen: its keywords are coloured, and the
    // text keeps half an inch from every edge.
    PageBitmap page(letter);
    EXPECT_EQ(pages, view->LayOutPages(page.dc(), letter, 2));
    page.Keep(L"printed-page-3");
    const COLORREF keyword = static_cast<COLORREF>(view->syntaxEditor().Definitions().Style(editor::kKeyword).ForeColor);
    EXPECT_TRUE(page.Has(keyword)) << std::hex << keyword;
    const RECT ink = page.Ink();
    ASSERT_LT(ink.left, ink.right) << "nothing was drawn";
    EXPECT_GE(ink.left, page.PixelsX(720) - 1);
    EXPECT_GE(ink.top, page.PixelsY(720) - 1);
    EXPECT_LE(ink.right, page.PixelsX(letter.cx - 720) + 1);
    EXPECT_LE(ink.bottom, page.PixelsY(letter.cy - 720) + 1);
    // The screen's text is where it was.
    EXPECT_EQ(0, ::SendMessageW(EditOf(doc), EM_GETFIRSTVISIBLELINE, 0, 0));
}

TEST_F(ViewTest, PrintPreviewShowsThePagesAsTheyPrintOneOrTwoAtATime) {
    std::string text;
    for (int i = 1; i <= 300; ++i) text += "Dim value" + std::to_string(i) + "\t' line " + std::to_string(i) + "\n";
    CMardelDoc* doc = Open(L"preview.vbs", text);
    ASSERT_NE(nullptr, doc);
    const auto command = [&](UINT id) {
        ::SendMessageW(app->frame()->hwnd(), WM_COMMAND, id, 0);
        Pump();
    };
    command(ID_FILE_PRINT_PREVIEW);
    CPrintPreview* preview = CPrintPreview::Current();
    ASSERT_NE(nullptr, preview);
    const int pages = preview->PageCount();
    EXPECT_GE(pages, 3);
    EXPECT_EQ(1, preview->PagesShown());
    EXPECT_EQ(L"Print Preview - Page 1 of " + std::to_wstring(pages), preview->GetText());

    // A page far below the screen's lines keeps its colours and its margins.
    const SIZE letter{12240, 15840};
    PageBitmap page(letter);
    {
        const common::UniqueGdiObject rendered = preview->RenderPage(2);
        ASSERT_TRUE(rendered);
        const HDC source = ::CreateCompatibleDC(page.dc());
        const HGDIOBJ old = ::SelectObject(source, rendered.get());
        ::BitBlt(page.dc(), 0, 0, page.PixelsX(letter.cx), page.PixelsY(letter.cy), source, 0, 0, SRCCOPY);
        ::SelectObject(source, old);
        ::DeleteDC(source);
    }
    page.Keep(L"preview-page-3");
    const CMardelView* view = ViewOf(doc);
    EXPECT_TRUE(page.Has(static_cast<COLORREF>(view->syntaxEditor().Definitions().Style(editor::kKeyword).ForeColor)));
    EXPECT_GE(page.Ink().top, page.PixelsY(720) - 1);

    // Its buttons and keys: next page, two pages (kept for the next preview), Escape.
    const HWND window = preview->hwnd();
    ::SendMessageW(window, WM_COMMAND, CPrintPreview::kNext, 0);
    EXPECT_EQ(1, preview->FirstPage());
    ::SendMessageW(window, WM_COMMAND, CPrintPreview::kPageCount, 0);
    EXPECT_EQ(2, preview->PagesShown());
    EXPECT_EQ(L"Print Preview - Pages 2-3 of " + std::to_wstring(pages), preview->GetText());
    ::SendMessageW(window, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(0, preview->FirstPage());
    for (int i = 0; i < pages; ++i) ::SendMessageW(window, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_LT(preview->FirstPage(), pages);
    ::SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_EQ(nullptr, CPrintPreview::Current());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(2, app->previewPages());
    command(ID_FILE_PRINT_PREVIEW);
    ASSERT_NE(nullptr, CPrintPreview::Current());
    EXPECT_EQ(2, CPrintPreview::Current()->PagesShown());

    // Closing the script leaves no preview of it behind to print.
    ::SendMessageW(CPrintPreview::Current()->hwnd(), WM_COMMAND, CPrintPreview::kClose, 0);
    Pump();
    EXPECT_EQ(nullptr, CPrintPreview::Current());
}

TEST_F(ViewTest, AltEnterShowsTheScriptsPropertiesAsTheyAreNow) {
    CMardelDoc* doc = Open(L"props.vbs", "Dim a\nDim b\nEnv.LogInfo a\n");
    ASSERT_NE(nullptr, doc);
    HWND edit = EditOf(doc);
    ToggleOnLine(doc, 2);
    const auto properties = [&] {
        app->messages.clear();
        ::SendMessageW(app->frame()->hwnd(), WM_COMMAND, CMardelView::kPropertiesCommand, 0);
        Pump();
        return app->messages.empty() ? std::wstring() : app->messages.back();
    };
    std::wstring shown = properties();
    EXPECT_NE(std::wstring::npos, shown.find(L"File: " + PathOf(L"props.vbs"))) << shown;
    EXPECT_NE(std::wstring::npos, shown.find(L"Language: VBScript\n")) << shown;
    EXPECT_NE(std::wstring::npos, shown.find(L"Breakpoints: 1\n")) << shown;
    EXPECT_NE(std::wstring::npos, shown.find(L"Unsaved changes: no")) << shown;
    EXPECT_NE(std::wstring::npos, shown.find(L"On disk: 26 bytes, written ")) << shown;

    // An edit shows at once; the disk keeps its size until the script is saved.
    Select(edit, 0, 0);
    TypeChars(edit, L"' x");
    PressKey(edit, VK_RETURN);
    shown = properties();
    EXPECT_NE(std::wstring::npos, shown.find(L"Lines: 5\n")) << shown;
    EXPECT_NE(std::wstring::npos, shown.find(L"Unsaved changes: yes")) << shown;
    EXPECT_NE(std::wstring::npos, shown.find(L"On disk: 26 bytes")) << shown;

    // The file gone from under the editor.
    ASSERT_TRUE(::DeleteFileW(PathOf(L"props.vbs").c_str()));
    EXPECT_NE(std::wstring::npos, properties().find(L"On disk: the file is missing"));
}

TEST_F(ViewTest, PrintMarginsAreHalfAnInch) {
    CMardelDoc* doc = Open(L"print.vbs", "Dim a\n");
    ASSERT_NE(nullptr, doc);
    const RECT& margins = ViewOf(doc)->printMargins();
    EXPECT_EQ(720, margins.left);
    EXPECT_EQ(720, margins.top);
    EXPECT_EQ(720, margins.right);
    EXPECT_EQ(720, margins.bottom);
}

} // namespace docview

namespace docview {

// Moves the program's languages.ini aside for one test and puts it back in any case.
class LanguagesAside {
public:
    LanguagesAside()
        : path_(common::AnsiToWide(editor::LanguageDefinitions::IniPathBesideProgram(L"languages"))),
          aside_(path_ + L".aside") {
        moved_ = ::MoveFileExW(path_.c_str(), aside_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~LanguagesAside() {
        if (moved_) ::MoveFileExW(aside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    bool moved() const { return moved_; }

private:
    std::wstring path_, aside_;
    bool moved_ = false;
};

TEST_F(ViewTest, WithoutItsInitializationFilesTheScriptDoesNotOpen) {
    WriteBytes(PathOf(L"lost.vbs"), "Dim a\n");
    {
        LanguagesAside aside;
        ASSERT_TRUE(aside.moved());
        EXPECT_EQ(nullptr, app->OpenDocumentFile(PathOf(L"lost.vbs")));
        Pump();
    }
    ASSERT_FALSE(app->messages.empty());
    EXPECT_EQ(L"Cannot find initialization files", app->messages.front());
    EXPECT_TRUE(app->Documents().empty());
    // With the files back, the same script opens.
    EXPECT_NE(nullptr, Open(L"lost.vbs", "Dim a\n"));
}

} // namespace docview
