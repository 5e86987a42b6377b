// Runs the platform refuses to start: the run ends with the reason, nothing hangs, and
// the command-line runner prints a Fatal Error and exits 2 instead of passing for a
// run without errors.
#include "host/ScriptHost.h"
#include "common/ComInit.h"
#include "common/ComObject.h"
#include "common/TextConv.h"
#include "host/ConsoleApplication.h"
#include "host/Env.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <vector>

namespace {

// A process debug manager that has no default application to give.
class ManagerWithoutApplication : public common::ComObject<IProcessDebugManager> {
public:
    STDMETHODIMP CreateApplication(IDebugApplication** application) override {
        if (application) *application = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDefaultApplication(IDebugApplication** application) override {
        if (application) *application = nullptr;
        return E_ACCESSDENIED;
    }
    STDMETHODIMP AddApplication(IDebugApplication*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveApplication(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP CreateDebugDocumentHelper(IUnknown*, IDebugDocumentHelper**) override { return E_NOTIMPL; }
};

// A host on a platform that refuses one step of a run's start.
class RefusingHost : public host::ScriptHost {
public:
    bool refuseManager = false;
    bool refuseWatcher = false;

protected:
    HRESULT CreateDebugManager(host::ComPtr<IProcessDebugManager>& manager) override {
        if (!refuseManager) return ScriptHost::CreateDebugManager(manager);
        manager = common::Adopt(new ManagerWithoutApplication);
        return S_OK;
    }
    HANDLE CreateWatcherThread(LPTHREAD_START_ROUTINE procedure, void* parameter) override {
        if (!refuseWatcher) return ScriptHost::CreateWatcherThread(procedure, parameter);
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
};

// The command-line runner with its records kept rather than printed.
class RecordingConsole : public host::ConsoleApplication {
public:
    explicit RecordingConsole(host::ScriptHost& host) : ConsoleApplication(host) {}
    void LogRecord(host::RecordKind kind, const std::wstring& text) override { records.push_back({kind, text}); }
    struct Record {
        host::RecordKind kind;
        std::wstring text;
    };
    std::vector<Record> records;
};

std::wstring WriteScript(const char* name, const std::string& text) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return common::AnsiToWide(path);
}

class RunStartFailure : public ::testing::Test {
protected:
    const common::ComInit apartment_{COINIT_APARTMENTTHREADED};

    void SetUp() override {
        host_.setApplication(&console_);
        host::Env::SetHost(&host_);
    }
    void TearDown() override {
        host_.WaitForScriptThread(30000);
        host_.setApplication(nullptr);
        host::Env::SetHost(nullptr);
    }

    // Runs the script as the command line does; returns the exit code.
    int RunToEnd(const std::wstring& path) { return console_.RunScript(path); }
    bool PrintedFatalError(const std::wstring& start) const {
        for (const auto& record : console_.records)
            if (record.kind == host::RecordKind::FatalError && record.text.rfind(start, 0) == 0) return true;
        return false;
    }
    bool PrintedEnd() const {
        for (const auto& record : console_.records)
            if (record.text.rfind(L"Script ended", 0) == 0) return true;
        return false;
    }

    RefusingHost host_;
    RecordingConsole console_{host_};
};

const char kScript[] = "#language StepScript\r\nEnv.LogInfo \"ran\"\r\n";

} // namespace

TEST_F(RunStartFailure, ADebuggerWithoutADefaultApplicationIsAFatalErrorWithExitCode2) {
    host_.refuseManager = true;
    EXPECT_EQ(RunToEnd(WriteScript("tevrin_no_application.vbs", kScript)), 2);
    EXPECT_TRUE(PrintedFatalError(L"The script debugger could not be set up (GetDefaultApplication): "));
    EXPECT_TRUE(host_.preparationFailed());
    EXPECT_FALSE(host_.running());
    EXPECT_FALSE(PrintedEnd());
}

TEST_F(RunStartFailure, NoWatcherThreadMeansTheScriptNeverStartsAndNothingWaits) {
    host_.refuseWatcher = true;
    EXPECT_EQ(RunToEnd(WriteScript("tevrin_no_watcher.vbs", kScript)), 2);
    EXPECT_TRUE(PrintedFatalError(L"The script could not be started: "));
    for (const auto& record : console_.records) EXPECT_NE(record.text, L"ran");
    EXPECT_FALSE(host_.hasScriptThread());

    // The next run on a willing platform starts as usual.
    host_.refuseWatcher = false;
    console_.records.clear();
    EXPECT_EQ(RunToEnd(WriteScript("tevrin_watcher_again.vbs", kScript)), 0);
    EXPECT_TRUE(PrintedEnd());
}
