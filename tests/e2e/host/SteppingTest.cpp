// The run controller and the debug session driven in-process, as the window's
// commands drive them, on StepScript scripts.
#include "host/ScriptHost.h"
#include "common/ComInit.h"
#include "host/ConsoleApplication.h"
#include "host/Env.h"
#include "common/TextConv.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>
#include <mutex>
#include <vector>

namespace {

struct Record {
    host::RecordKind kind;
    std::wstring text;
    std::string file;
    int line;
};

// The window side, recorded: the log, the stops shown, the questions asked.
class RecordingApplication : public host::HostApplication {
public:
    explicit RecordingApplication(host::ScriptHost& host) : host_(host) {}

    void LogRecord(host::RecordKind kind, const std::wstring& text) override {
        std::lock_guard<std::mutex> guard(mutex_);
        records_.push_back({kind, text, host_.currentFile(), host_.currentLine()});
    }
    void ShowPosition(const std::string&, int line, bool) override { shownLines_.push_back(line); }
    void RefreshDebugPanes() override {}
    void UpdateScriptViews(int) override {}
    bool AskYesNo(const std::wstring& question) override {
        questions_.push_back(question);
        return answer_;
    }
    void ShowMessage(const std::wstring& text) override { messages_.push_back(text); }
    void SetWaitCursor(bool) override {}

    std::vector<Record> records() {
        std::lock_guard<std::mutex> guard(mutex_);
        return records_;
    }
    bool HasText(const std::wstring& text) {
        for (const Record& r : records())
            if (r.text == text) return true;
        return false;
    }

    bool answer_ = false;
    std::vector<std::wstring> questions_;
    std::vector<std::wstring> messages_;
    std::vector<int> shownLines_;

private:
    host::ScriptHost& host_;
    std::mutex mutex_;
    std::vector<Record> records_;
};

std::string WriteScript(const char* name, const std::string& text) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    std::string path = common::WideToAnsi(common::LowerFullPath(common::AnsiToWide(std::string(dir) + name)));
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
}

// Waits for a condition while serving this thread's messages (the break handling
// sends none in these tests, but the host lock expects its waiters to dispatch).
bool WaitFor(const std::function<bool()>& condition, DWORD milliseconds = 30000) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > milliseconds) return false;
        host::DispatchWaitingMessages();
        ::Sleep(10);
    }
    return true;
}

class Stepping : public ::testing::Test {
protected:
    const common::ComInit apartment_{COINIT_APARTMENTTHREADED};

    void SetUp() override {
        app_ = std::make_unique<RecordingApplication>(host_);
        host_.setApplication(app_.get());
        host::Env::SetHost(&host_);
    }
    void TearDown() override {
        if (host_.hasScriptThread()) {
            host_.Stop();
            host_.WaitForScriptThread(30000);
        }
        host_.setApplication(nullptr);
        host::Env::SetHost(nullptr);
    }

    void Start(const std::string& path) {
        ASSERT_EQ(host_.Run(path), S_OK);
        ASSERT_EQ(::WaitForSingleObject(host_.startedEvent(), 60000), WAIT_OBJECT_0);
        ASSERT_EQ(host_.errorText(), L"");
    }
    bool AtBreak() { return WaitFor([&] { return host_.running() && host_.atBreak(); }); }
    bool Ended() { return host_.WaitForScriptThread(30000) && !host_.hasScriptThread(); }
    void BreakAt(const std::string& file, int line1) {
        host_.EditBreakpoints([&](std::vector<host::BreakpointRecord>& list) { list.push_back({line1 - 1, 0, true, file}); });
    }

    host::ScriptHost host_;
    std::unique_ptr<RecordingApplication> app_;
};

const char kProcedureScript[] =
    "#language StepScript\r\n"          // 1
    "Dim total\r\n"                     // 2
    "Sub Work(n)\r\n"                   // 3
    "  total = total + n\r\n"           // 4
    "  Env.LogInfo \"in work\"\r\n"     // 5
    "End Sub\r\n"                       // 6
    "total = 1\r\n"                     // 7
    "Call Work(2)\r\n"                  // 8
    "Env.LogInfo \"after \" & total\r\n"  // 9
    "total = 0\r\n";                    // 10

} // namespace

TEST_F(Stepping, RunWithoutBreakpointsNeverStopsAndReportsTheEnd) {
    Start(WriteScript("tevrin_plain.vbs", kProcedureScript));
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(app_->shownLines_.empty());
    auto records = app_->records();
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[0].text, L"in work");
    EXPECT_EQ(records[0].line, 5);
    EXPECT_EQ(records[1].text, L"after 3");
    EXPECT_EQ(records[1].line, 9);
    EXPECT_EQ(records.back().text, L"Script ended with no errors.\r");
    EXPECT_EQ(records.back().line, -1);
    EXPECT_FALSE(host_.running());
    EXPECT_TRUE(host_.atBreak());
}

TEST_F(Stepping, BreakpointOnTheFirstStatementStopsBeforeIt) {
    const std::string path = WriteScript("tevrin_first.vbs", kProcedureScript);
    BreakAt(path, 7);
    Start(path);
    ASSERT_TRUE(AtBreak());
    EXPECT_EQ(host_.currentLine(), 7);
    EXPECT_EQ(host_.currentFile(), path);
    EXPECT_TRUE(app_->records().empty());
    EXPECT_EQ(host_.Continue(), S_OK);
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(app_->HasText(L"after 3"));
}

TEST_F(Stepping, StepOverTheLastStatementOfAProcedureStopsAtTheCallersNextStatement) {
    const std::string path = WriteScript("tevrin_stepout.vbs", kProcedureScript);
    BreakAt(path, 5);
    Start(path);
    ASSERT_TRUE(AtBreak());
    ASSERT_EQ(host_.currentLine(), 5);
    EXPECT_EQ(host_.StepOver(), S_OK);
    ASSERT_TRUE(AtBreak());
    EXPECT_EQ(host_.currentLine(), 9);
    EXPECT_TRUE(app_->HasText(L"in work"));
    EXPECT_FALSE(app_->HasText(L"after 3"));
    host_.Continue();
    ASSERT_TRUE(Ended());
}

TEST_F(Stepping, StepOverAcrossACallStopsAtABreakpointInside) {
    const std::string path = WriteScript("tevrin_stepover.vbs", kProcedureScript);
    BreakAt(path, 8);
    BreakAt(path, 4);
    Start(path);
    ASSERT_TRUE(AtBreak());
    ASSERT_EQ(host_.currentLine(), 8);
    host_.StepOver();
    ASSERT_TRUE(AtBreak());
    EXPECT_EQ(host_.currentLine(), 4);
    // Step Into goes statement by statement from there.
    host_.StepInto();
    ASSERT_TRUE(AtBreak());
    EXPECT_EQ(host_.currentLine(), 5);
    // The breakpoint ended the step over: Go runs to the end.
    host_.Continue();
    ASSERT_TRUE(Ended());
}

TEST_F(Stepping, StopAtABreakEndsTheRunWithoutRunningFurther) {
    const std::string path = WriteScript("tevrin_stop.vbs", kProcedureScript);
    BreakAt(path, 9);
    Start(path);
    ASSERT_TRUE(AtBreak());
    host_.Stop();
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(app_->HasText(L"in work"));
    EXPECT_FALSE(app_->HasText(L"after 3"));
    EXPECT_FALSE(host_.running());
}

TEST_F(Stepping, RuntimeErrorEndsTheRunWithAFatalErrorAtItsStatement) {
    const std::string path = WriteScript("tevrin_error.vbs",
                                         "#language StepScript\r\n"
                                         "Env.LogInfo \"before\"\r\n"
                                         "Err.Raise 5, \"MySource\", \"it broke\"\r\n"
                                         "Env.LogInfo \"after\"\r\n");
    Start(path);
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(app_->shownLines_.empty()) << "a run-time error must not stop in the debugger";
    auto records = app_->records();
    bool found = false;
    for (const Record& r : records) {
        if (r.kind == host::RecordKind::FatalError) {
            found = true;
            EXPECT_EQ(r.text, L"MySource: it broke");
            EXPECT_EQ(r.line, 3);
            EXPECT_EQ(r.file, path);
        }
    }
    EXPECT_TRUE(found);
    EXPECT_FALSE(app_->HasText(L"after"));
    EXPECT_EQ(records.back().text, L"Script ended, 1 error was reported.\r");
    EXPECT_TRUE(host_.atBreak());
    EXPECT_FALSE(host_.running());
}

TEST_F(Stepping, BreakDuringALongSleepAsksAndNoStopsTheScript) {
    const std::string path = WriteScript("tevrin_sleep.vbs",
                                         "#language StepScript\r\n"
                                         "Env.Sleep 20000\r\n"
                                         "Env.LogInfo \"woke\"\r\n");
    Start(path);
    ASSERT_TRUE(WaitFor([&] { return host_.running() && !host_.atBreak(); }));
    ::Sleep(300);  // let the script enter the sleep
    app_->answer_ = false;
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(host_.Break(), S_OK);
    // No stops the script; the sleep cannot be interrupted either, so the stop asks
    // in turn, and No there kills the run.
    ASSERT_EQ(app_->questions_.size(), 2u);
    EXPECT_EQ(app_->questions_[0].rfind(L"Script failed to break within 5 seconds, would you like to retry?", 0), 0u);
    EXPECT_EQ(app_->questions_[1].rfind(L"Script failed to stop within 5 seconds, would you like to retry?", 0), 0u);
    EXPECT_GE(::GetTickCount() - start, 9800u);
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(app_->HasText(L"woke"));
}

// A Break given while statements run one after the other stops at one of them without
// asking, however its request falls between the script's breaks and the watcher's
// decisions. Repeated, since the request lands at a different point each time.
TEST_F(Stepping, BreakInARunningLoopStopsAtOnceWithoutAsking) {
    const std::string path = WriteScript("tevrin_busy.vbs",
                                         "#language StepScript\r\n"
                                         "Dim i\r\n"
                                         "Do\r\n"
                                         "  i = i + 1\r\n"
                                         "Loop\r\n");
    Start(path);
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(WaitFor([&] { return host_.running() && !host_.atBreak(); }));
        ::Sleep(round % 7);
        const size_t shown = app_->shownLines_.size();
        EXPECT_EQ(host_.Break(), S_OK);
        ASSERT_TRUE(app_->questions_.empty()) << "round " << round;
        ASSERT_TRUE(AtBreak());
        ASSERT_TRUE(WaitFor([&] { return app_->shownLines_.size() > shown; })) << "round " << round;
        EXPECT_EQ(host_.Continue(), S_OK);
    }
    EXPECT_EQ(host_.Stop(), S_OK);
    ASSERT_TRUE(Ended());
}

TEST_F(Stepping, KillThenAnImmediateNewRunIsNotDisturbedByTheOldThread) {
    const std::string slow = WriteScript("tevrin_slow.vbs",
                                         "#language StepScript\r\n"
                                         "Env.Sleep 3000\r\n"
                                         "Env.LogInfo \"old run\"\r\n");
    const std::string quick = WriteScript("tevrin_quick.vbs",
                                          "#language StepScript\r\n"
                                          "Env.Sleep 4000\r\n"
                                          "Env.LogInfo \"new run\"\r\n");
    Start(slow);
    ASSERT_TRUE(WaitFor([&] { return host_.running() && !host_.atBreak(); }));
    ::Sleep(300);
    EXPECT_EQ(host_.Kill(), S_OK);
    EXPECT_FALSE(host_.running());
    EXPECT_FALSE(host_.hasScriptThread());

    Start(quick);
    ::Sleep(3500);  // the old thread wakes and tears down meanwhile
    EXPECT_TRUE(host_.running()) << "the abandoned run ended the new one";
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(app_->HasText(L"new run"));
    EXPECT_FALSE(app_->HasText(L"old run"));
    EXPECT_EQ(app_->records().back().text, L"Script ended with no errors.\r");
}
