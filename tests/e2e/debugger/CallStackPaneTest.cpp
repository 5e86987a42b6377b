// The Call Stack, Threads and Applications panes, and the choice of a frame.
#include "DebuggerFixture.h"
#include <algorithm>
#include <cwctype>

using namespace debuggertest;

namespace {

class CallStack : public DebuggerTest {
protected:
    std::vector<std::wstring> VariableNames() {
        return Column(panes_->variables().list(), debugger::VariablesPane::kNameColumn);
    }
    static bool Has(const std::vector<std::wstring>& texts, const std::wstring& text) {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
};

bool IsThreadId(const std::wstring& text) {
    if (text.size() != 10 || text.compare(0, 2, L"0x") != 0) return false;
    for (size_t i = 2; i < text.size(); ++i)
        if (!std::iswxdigit(text[i]) || std::iswlower(text[i])) return false;
    return true;
}

} // namespace

TEST_F(CallStack, ABreakInAProcedureListsEveryFrameAndTheChosenFrameRules) {
    const std::string path = WriteScript("tevrin_cs_frames.vbs", kProcedureScript);
    const std::wstring wide = common::AnsiToWide(path);
    BreakAt(path, kProcedureScript, 6);
    BreakAt(path, kProcedureScript, 12);
    Start(path);
    ASSERT_TRUE(Stopped());
    auto& stack = panes_->callStack();
    ASSERT_EQ(stack.list().RowCount(), 2);
    EXPECT_EQ(stack.list().Text(0, 0), L"Work - " + wide + L" (6)");
    EXPECT_EQ(stack.list().Text(1, 0), L"Global code - " + wide + L" (11)");
    EXPECT_EQ(stack.MarkOf(0), 2);
    EXPECT_EQ(stack.MarkOf(1), 1);
    EXPECT_TRUE(Has(VariableNames(), L"doubled"));
    EXPECT_TRUE(Has(VariableNames(), L"n"));
    EXPECT_FALSE(Has(VariableNames(), L"total"));

    // The caller's row.
    DoubleClick(stack, 1);
    EXPECT_EQ(host_.selectedFrame(), 1);
    EXPECT_EQ(stack.MarkOf(0), 1);
    EXPECT_EQ(stack.MarkOf(1), 2);
    auto shown = app_->Positions();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().file, path);
    EXPECT_EQ(shown.back().line, 11);
    EXPECT_TRUE(shown.back().markFrame);
    EXPECT_TRUE(Has(VariableNames(), L"total"));
    EXPECT_FALSE(Has(VariableNames(), L"doubled"));

    // Go: the next stop starts from the top frame again.
    Go();
    EXPECT_EQ(host_.selectedFrame(), 0);
    ASSERT_TRUE(Stopped());
    EXPECT_EQ(host_.currentLine(), 12);
    ASSERT_EQ(stack.list().RowCount(), 1);
    EXPECT_EQ(stack.list().Text(0, 0), L"Global code - " + wide + L" (12)");
    EXPECT_EQ(stack.MarkOf(0), 2);
    EXPECT_TRUE(Has(VariableNames(), L"total"));
    Go();
    ASSERT_TRUE(Ended());
}

TEST_F(CallStack, ThreadsPaneShowsTheScriptThreadAtABreak) {
    const std::string path = WriteScript("tevrin_cs_threads.vbs", kProcedureScript);
    BreakAt(path, kProcedureScript, 7);
    Start(path);
    ASSERT_TRUE(Stopped());
    auto& threads = panes_->threads().list();
    ASSERT_GE(threads.RowCount(), 1);
    bool work = false;
    for (int row = 0; row < threads.RowCount(); ++row) {
        EXPECT_TRUE(IsThreadId(threads.Text(row, 0))) << threads.Text(row, 0);
        EXPECT_EQ(threads.Text(row, 2), L"0");
        work = work || threads.Text(row, 3) == L"Work";
    }
    EXPECT_TRUE(work);
    Go();
    ASSERT_TRUE(Ended());
}

// A script that sleeps on line 4.
const char kSleepingScript[] =
    "#language StepScript\r\n"
    "Dim x\r\n"
    "x = 1\r\n"
    "Env.Sleep 1500\r\n"
    "x = 2\r\n";

TEST_F(CallStack, EveryPaneIsEmptyInTheRunStateAndAfterTheRun) {
    const std::string script = kSleepingScript;
    const std::string path = WriteScript("tevrin_cs_empty.vbs", script);
    BreakAt(path, script, 4);
    Start(path);
    ASSERT_TRUE(Stopped());
    ::SendMessageW(panes_->applications().control(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"left over"));
    EXPECT_EQ(panes_->callStack().list().RowCount(), 1);
    EXPECT_GE(panes_->threads().list().RowCount(), 1);
    EXPECT_GE(panes_->variables().list().RowCount(), 1);

    Go();
    ASSERT_TRUE(WaitFor([&] { return host_.running() && !host_.atBreak(); }));
    panes_->Refresh();
    EXPECT_EQ(panes_->callStack().list().RowCount(), 0);
    EXPECT_EQ(panes_->threads().list().RowCount(), 0);
    EXPECT_EQ(panes_->variables().list().RowCount(), 0);
    EXPECT_EQ(::SendMessageW(panes_->applications().control(), LB_GETCOUNT, 0, 0), 0);

    ASSERT_TRUE(Ended());
    EXPECT_EQ(panes_->callStack().list().RowCount(), 0);
    EXPECT_EQ(panes_->variables().list().RowCount(), 0);
}

TEST_F(CallStack, AKilledRunEmptiesThePanesAsAnyEndOfARun) {
    const std::string path = WriteScript("tevrin_cs_killed.vbs", kSleepingScript);
    BreakAt(path, kSleepingScript, 4);
    Start(path);
    ASSERT_TRUE(Stopped());
    EXPECT_EQ(panes_->callStack().list().RowCount(), 1);
    EXPECT_GE(panes_->variables().list().RowCount(), 1);

    // Going on into the sleep; the stop prompt's "No: Kill script".
    Go();
    ASSERT_TRUE(WaitFor([&] { return host_.running() && !host_.atBreak(); }));
    ::Sleep(300);
    std::shared_ptr<host::RunContext> killed = host_.currentRun();
    const int posted = app_->posted;
    EXPECT_EQ(host_.Kill(), S_OK);
    ASSERT_TRUE(WaitFor([&] { return app_->posted > posted && app_->handled == app_->posted; }));
    EXPECT_EQ(panes_->callStack().list().RowCount(), 0);
    EXPECT_EQ(panes_->variables().list().RowCount(), 0);
    EXPECT_EQ(panes_->threads().list().RowCount(), 0);
    EXPECT_EQ(host_.currentLine(), -1);
    // The abandoned thread finishes on its own.
    ASSERT_TRUE(WaitFor([&] { return !killed->threadActive; }));
}

namespace {

struct SentRefresh {
    host::ScriptHost* host;
    HWND window;
    LRESULT answered = 0;
};

DWORD WINAPI SendRefreshHoldingTheLock(void* param) {
    auto* sent = static_cast<SentRefresh*>(param);
    host::HostLockGuard lock(sent->host->hostLock());
    DWORD_PTR result = 0;
    sent->answered = ::SendMessageTimeoutW(sent->window, WM_SENT_REFRESH, 0, 0, SMTO_NORMAL, 5000, &result);
    return 0;
}

} // namespace

TEST_F(CallStack, ARefreshSentByTheHolderOfTheHostLockDoesNotWaitForIt) {
    const std::string path = WriteScript("tevrin_cs_sent.vbs", kProcedureScript);
    BreakAt(path, kProcedureScript, 6);
    Start(path);
    ASSERT_TRUE(Stopped());
    panes_->callStack().list().DeleteAll();

    SentRefresh sent{&host_, window_};
    HANDLE thread = ::CreateThread(nullptr, 0, SendRefreshHoldingTheLock, &sent, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(host::WaitDispatching(thread, 20000));
    ::CloseHandle(thread);
    EXPECT_NE(sent.answered, 0) << "the sender waited for the refresh until its time-out";
    EXPECT_TRUE(WaitFor([&] { return panes_->callStack().list().RowCount() == 2; }, 5000));
    Go();
    ASSERT_TRUE(Ended());
}
