#include "DocAppFixture.h"
#include "host/RecordKind.h"
#include "resources/panes/panesids.h"

namespace docview {

struct ThreadArgs {
    host::ResultsPane* pane;
    std::atomic<bool>* done;
};

DWORD WINAPI WriteFromThread(void* param) {
    auto* args = static_cast<ThreadArgs*>(param);
    args->pane->AddRecord(host::RecordKind::Info, L"from the script thread");
    *args->done = true;
    return 0;
}

class ResultsTest : public DocAppFixture {
protected:
    void SetUp() override {
        DocAppFixture::SetUp();
        edit = app->frame()->results.richEdit();
        ASSERT_NE(nullptr, edit);
        script = PathOf(L"login.vbs");
        WriteBytes(script, "Dim a\nEnv.LogInfo \"x\"\n");
        hostPath = common::WideToAnsi(common::ToLower(script));
    }
    host::ResultsPane& results() { return app->frame()->results; }
    void At(int line) {
        app->host.setCurrentFile(line == -1 ? std::string() : hostPath);
        app->host.setCurrentLine(line);
    }
    std::wstring Text() const {
        const int length = ::GetWindowTextLengthW(edit);
        std::wstring text(length + 1, L'\0');
        ::GetWindowTextW(edit, &text[0], length + 1);
        text.resize(::lstrlenW(text.c_str()));
        // Rich edit gives paragraph marks as \r\n through the window text.
        std::wstring plain;
        for (size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == L'\n' && i > 0 && text[i - 1] == L'\r')) plain += text[i];
        return plain;
    }
    CHARFORMAT2W FormatAt(long pos) const {
        CHARRANGE saved{};
        ::SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&saved));
        CHARRANGE one{pos, pos + 1};
        ::SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&one));
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        ::SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        ::SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&saved));
        return format;
    }
    long CharOf(long line, long column) const {
        return static_cast<long>(::SendMessageW(edit, EM_LINEINDEX, line, 0)) + column;
    }
    // A left click on a character of the log.
    void ClickAt(long pos) {
        POINTL point{};
        ::SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), pos);
        const LPARAM where = MAKELPARAM(point.x + 2, point.y + 3);
        ::PostMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, where);
        ::PostMessageW(edit, WM_LBUTTONUP, 0, where);
        Pump();
    }

    HWND edit = nullptr;
    std::wstring script;
    std::string hostPath;
};

TEST_F(ResultsTest, ARecordWithoutPositionIsOneLineInItsColour) {
    At(-1);
    results().AddRecord(host::RecordKind::Warning, L"careful");
    EXPECT_EQ(L"careful\r", Text());
    EXPECT_EQ(RGB(50, 200, 50), FormatAt(0).crTextColor);
    EXPECT_EQ(0u, FormatAt(0).dwEffects & (CFE_LINK | CFE_AUTOCOLOR));

    results().AddRecord(host::RecordKind::Error, L"wrong");
    results().AddRecord(host::RecordKind::FatalError, L"fatal");
    results().AddRecord(host::RecordKind::Info, L"plain");
    EXPECT_EQ(L"careful\rwrong\rfatal\rplain\r", Text());
    EXPECT_EQ(RGB(200, 50, 50), FormatAt(CharOf(1, 0)).crTextColor);
    EXPECT_EQ(RGB(50, 50, 200), FormatAt(CharOf(2, 0)).crTextColor);
    EXPECT_NE(0u, FormatAt(CharOf(3, 0)).dwEffects & CFE_AUTOCOLOR);

    // A text that ends in a carriage return leaves an empty line after it.
    results().AddRecord(host::RecordKind::Info, L"Script started.\r");
    EXPECT_EQ(L"careful\rwrong\rfatal\rplain\rScript started.\r\r", Text());
}

TEST_F(ResultsTest, RecordsAtAPositionGetALinkEach) {
    At(12);
    results().AddRecord(host::RecordKind::Error, L"first");
    results().AddRecord(host::RecordKind::Info, L"second");
    EXPECT_EQ(L"login.vbs (12)\rfirst\rlogin.vbs (12)\rsecond\r", Text());
    host::ResultsPane::Link link;
    ASSERT_TRUE(results().LinkAt(0, &link));
    EXPECT_EQ(hostPath, link.file);
    EXPECT_EQ(12, link.line);
    EXPECT_EQ(host::RecordKind::Error, link.kind);
    ASSERT_TRUE(results().LinkAt(2, &link));
    EXPECT_EQ(12, link.line);
    EXPECT_EQ(host::RecordKind::Info, link.kind);
    EXPECT_FALSE(results().LinkAt(1, nullptr));
    EXPECT_FALSE(results().LinkAt(3, nullptr));

    // The prefix is a link; the text is not, and has its kind's colour.
    EXPECT_NE(0u, FormatAt(CharOf(0, 3)).dwEffects & CFE_LINK);
    EXPECT_EQ(0u, FormatAt(CharOf(1, 2)).dwEffects & CFE_LINK);
    EXPECT_EQ(RGB(200, 50, 50), FormatAt(CharOf(1, 2)).crTextColor);
}

TEST_F(ResultsTest, ARecordWrittenWithTheCaretInsideTheLogLeavesCaretAndView) {
    At(-1);
    for (int i = 0; i < 60; ++i) results().AddRecord(host::RecordKind::Info, L"record " + std::to_wstring(i));
    // Followed to the end so far.
    const long firstAtEnd = static_cast<long>(::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_GT(firstAtEnd, 10);

    ::SendMessageW(edit, EM_LINESCROLL, 0, -firstAtEnd);
    Select(edit, CharOf(3, 1), CharOf(3, 4));
    results().AddRecord(host::RecordKind::Warning, L"late");
    CHARRANGE selection{};
    ::SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    EXPECT_EQ(CharOf(3, 1), selection.cpMin);
    EXPECT_EQ(CharOf(3, 4), selection.cpMax);
    EXPECT_EQ(0, ::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0));

    // With the caret at the end, the newest record comes into view.
    const long end = ::GetWindowTextLengthW(edit);
    Select(edit, end, end);
    results().AddRecord(host::RecordKind::Info, L"newest");
    EXPECT_GT(::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), 10);
}

TEST_F(ResultsTest, ClickingTheLinkShowsThePosition) {
    At(2);
    results().AddRecord(host::RecordKind::Info, L"logged");
    At(-1);
    results().AddRecord(host::RecordKind::Info, L"no position");

    // The text of the record and a record without position do nothing.
    ClickAt(CharOf(1, 2));
    ClickAt(CharOf(2, 2));
    EXPECT_TRUE(app->shown.empty());

    ClickAt(CharOf(0, 3));
    ASSERT_EQ(1u, app->shown.size());
    EXPECT_EQ(hostPath, app->shown[0].file);
    EXPECT_EQ(2, app->shown[0].line);
    EXPECT_TRUE(app->shown[0].markFrame);
    // The test application opened the script and marked the line.
    ASSERT_EQ(1u, app->Documents().size());
    EXPECT_EQ(2, ViewOf(app->Documents()[0])->syntaxEditor().FrameLine());
}

TEST_F(ResultsTest, ClearEmptiesTheLog) {
    At(3);
    results().AddRecord(host::RecordKind::Info, L"one");
    results().Clear();
    EXPECT_EQ(L"", Text());
    ClickAt(0);
    EXPECT_TRUE(app->shown.empty());
    // The next run's records start at the top again.
    results().AddRecord(host::RecordKind::Info, L"two");
    EXPECT_EQ(L"login.vbs (3)\rtwo\r", Text());
}

TEST_F(ResultsTest, TextIsShownInTheAnsiCodePage) {
    At(-1);
    CPINFO info{};
    ASSERT_TRUE(::GetCPInfo(CP_ACP, &info));
    results().AddRecord(host::RecordKind::Info, L"a\x4E2D" L"b");
    EXPECT_EQ(std::wstring(L"a") + static_cast<wchar_t>(info.DefaultChar[0]) + L"b\r", Text());
}

TEST_F(ResultsTest, ConsoleModeWritesNothingIntoThePane) {
    At(-1);
    app->host.setConsoleMode(true);
    results().AddRecord(host::RecordKind::Error, L"to standard output");
    app->host.setConsoleMode(false);
    EXPECT_EQ(L"", Text());
}

TEST_F(ResultsTest, RecordsFromAnotherThreadArrive) {
    At(-1);
    std::atomic<bool> done{false};
    ThreadArgs args{&results(), &done};
    HANDLE thread = ::CreateThread(nullptr, 0, &WriteFromThread, &args, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    const DWORD deadline = ::GetTickCount() + 10000;
    while (!done && ::GetTickCount() < deadline) {
        Pump();
        ::MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT);
    }
    ::WaitForSingleObject(thread, 5000);
    ::CloseHandle(thread);
    EXPECT_TRUE(done);
    EXPECT_EQ(L"from the script thread\r", Text());
}

} // namespace docview
