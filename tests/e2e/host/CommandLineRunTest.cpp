// Tevrin.exe as a command-line runner: what a tester sees on standard output and in
// the exit code.
#include "ProcessRunner.h"
#include "common/ComInit.h"
#include "common/Bstr.h"
#include "common/TextConv.h"
#include "mardel.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <wrl/client.h>

namespace {

// A folder of its own for each test's scripts; paths are lower-cased full paths.
class CommandLineRun : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ::GetTempPathA(MAX_PATH, temp);
        dir_ = common::ToLower(std::string(temp) + "tevrin_" +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\");
        ::CreateDirectoryA(dir_.c_str(), nullptr);
        ::CreateDirectoryA((dir_ + "lib").c_str(), nullptr);
    }

    std::string Write(const std::string& name, const std::string& text) {
        std::string path = dir_ + name;
        FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        return path;
    }

    // Runs a script to its end; returns the exit code.
    DWORD RunScript(const std::string& path) {
        if (!tevrin_.start(L"\"" + e2e::DistPath(L"Tevrin.exe") + L"\" \"" + common::AnsiToWide(path) + L"\""))
            return static_cast<DWORD>(-1);
        if (!tevrin_.wait(120000)) return STILL_ACTIVE;
        return tevrin_.exitCode();
    }

    const std::string& out() const { return tevrin_.output(); }
    bool Printed(const std::string& line) const { return out().find(line + "\n") != std::string::npos; }

    std::string dir_;
    e2e::ProcessRunner tevrin_;
};

} // namespace

TEST_F(CommandLineRun, RecordsCarryFileAndLineAndErrorsAreCountedInTheExitCode) {
    Write("lib\\helpers.vbs",
          "Sub Report(text)\r\n"
          "  Env.LogError text\r\n"
          "End Sub\r\n"
          "Env.LogWarning \"from include\"\r\n");
    const std::string main = Write("main.vbs",
                                   "#language StepScript\r\n"
                                   "#include \"lib/helpers.vbs\"\r\n"
                                   "Env.LogInfo \"hello\"\r\n"
                                   "Env.LogError \"first\"\r\n"
                                   "Call Report(\"second\")\r\n");
    EXPECT_EQ(RunScript(main), 1u) << out();
    const std::string inc = dir_ + "lib\\helpers.vbs";
    EXPECT_TRUE(Printed("Warning: " + inc + " (4): from include")) << out();
    EXPECT_TRUE(Printed("Info: " + main + " (3): hello")) << out();
    EXPECT_TRUE(Printed("Error: " + main + " (4): first")) << out();
    EXPECT_TRUE(Printed("Error: " + inc + " (2): second")) << out();
    EXPECT_TRUE(Printed("Info: Script ended, 2 errors were reported.\r")) << out();
    // The include runs before the file that includes it.
    EXPECT_LT(out().find("from include"), out().find("hello"));
}

TEST_F(CommandLineRun, CleanRunExitsZeroAndIncludeCyclesLoadOnce) {
    Write("a.vbs", "#include \"b.vbs\"\r\nEnv.LogInfo \"a\"\r\n");
    Write("b.vbs", "#include \"a.vbs\"\r\n#include \"b.vbs\"\r\nEnv.LogInfo \"b\"\r\n");
    const std::string main = Write("cycle.vbs", "#language StepScript\r\n#include \"a.vbs\"\r\n#include \"b.vbs\"\r\n");
    EXPECT_EQ(RunScript(main), 0u) << out();
    EXPECT_EQ(out().find("Info: " + dir_ + "a.vbs (2): a"), out().rfind("Info: " + dir_ + "a.vbs (2): a"));
    EXPECT_TRUE(Printed("Info: Script ended with no errors.\r")) << out();
}

TEST_F(CommandLineRun, SyntaxErrorInAnIncludedFileNamesThatFileAndLine) {
    Write("lib\\broken.vbs", "Dim a\r\na = 1\r\na = = 2\r\n");
    const std::string main = Write("main.vbs", "#language StepScript\r\n\r\n\r\n\r\n#include \"lib/broken.vbs\"\r\n");
    EXPECT_EQ(RunScript(main), 2u) << out();
    const std::string expected = "Fatal Error: " + dir_ + "lib\\broken.vbs (3): In " + dir_ + "lib\\broken.vbs (line 3 char ";
    EXPECT_EQ(out().rfind(expected, 0), 0u) << out();
    EXPECT_NE(out().find("\na = = 2"), std::string::npos) << out();
    EXPECT_EQ(out().find("Script ended"), std::string::npos) << out();
}

TEST_F(CommandLineRun, PreparationFailuresArePrintedWithExitCode2) {
    EXPECT_EQ(RunScript(Write("missing_include.vbs", "#language StepScript\r\n#include \"nothere.vbs\"\r\n")), 2u);
    EXPECT_TRUE(Printed("Fatal Error: Cannot find " + dir_ + "nothere.vbs")) << out();
}

TEST_F(CommandLineRun, UnknownExtensionIsRefused) {
    const std::string path = Write("notes.txt", "Env.LogInfo \"x\"\r\n");
    EXPECT_EQ(RunScript(path), 2u);
    EXPECT_TRUE(Printed("Fatal Error: Unknown language for " + path +
                        ", please use #language <clsid> or a known extension")) << out();
}

TEST_F(CommandLineRun, RuntimeErrorIsAFatalErrorAtTheFailingStatement) {
    const std::string main = Write("fails.vbs",
                                   "#language StepScript\r\n"
                                   "Option Explicit : Dim x\r\n"
                                   "x = y + 1\r\n"
                                   "Env.LogInfo \"not reached\"\r\n");
    EXPECT_EQ(RunScript(main), 1u) << out();
    EXPECT_NE(out().find("Fatal Error: " + main + " (3): "), std::string::npos) << out();
    EXPECT_NE(out().find("Variable is undefined: 'y'"), std::string::npos) << out();
    EXPECT_EQ(out().find("not reached"), std::string::npos);
    EXPECT_TRUE(Printed("Info: Script ended, 1 error was reported.\r")) << out();
}

// Wine's own VBScript, chosen by name, cannot step: its records carry no position, but
// the run works.
TEST_F(CommandLineRun, WinesVBScriptRunsWithoutPositions) {
    const std::string main = Write("PLAIN.VBS",
                                   "#language VBScript\r\n"
                                   "Env.LogInfo \"from vbscript\"\r\n"
                                   "Env.LogError \"counted\"\r\n");
    EXPECT_EQ(RunScript(main), 1u) << out();
    EXPECT_TRUE(Printed("Info: from vbscript")) << out();
    EXPECT_TRUE(Printed("Error: counted")) << out();
    EXPECT_TRUE(Printed("Info: Script ended, 1 error was reported.\r")) << out();
}

// Without a directive a .vbs file runs on the engine that steps (Wine's VBScript cannot),
// so its records carry file and line.
TEST_F(CommandLineRun, PlainVbsFileRunsWithPositions) {
    const std::string main = Write("plain.vbs",
                                   "Dim greeting\r\n"
                                   "greeting = \"plain\"\r\n"
                                   "Env.LogInfo \"from \" & greeting\r\n"
                                   "Env.LogError \"counted\"\r\n");
    EXPECT_EQ(RunScript(main), 1u) << out();
    EXPECT_TRUE(Printed("Info: " + main + " (3): from plain")) << out();
    EXPECT_TRUE(Printed("Error: " + main + " (4): counted")) << out();
    EXPECT_TRUE(Printed("Info: Script ended, 1 error was reported.\r")) << out();
}

TEST_F(CommandLineRun, OutsideClientRecordsJoinTheRunningLogWholeLines) {
    const std::string main = Write("wait.vbs",
                                   "#language StepScript\r\n"
                                   "Env.LogInfo \"waiting\"\r\n"
                                   "Env.Sleep 4000\r\n"
                                   "Env.LogInfo \"done\"\r\n");
    ASSERT_TRUE(tevrin_.start(L"\"" + e2e::DistPath(L"Tevrin.exe") + L"\" \"" + common::AnsiToWide(main) + L"\""));
    ::Sleep(2000);
    {
        const common::ComInit apartment(COINIT_APARTMENTTHREADED);
        Microsoft::WRL::ComPtr<IEnv> env;
        HRESULT hr = ::CoCreateInstance(CLSID_Env, nullptr, CLSCTX_LOCAL_SERVER, IID_IEnv,
                                        reinterpret_cast<void**>(env.GetAddressOf()));
        ASSERT_EQ(hr, S_OK);
        common::Bstr text(L"from outside");
        EXPECT_EQ(env->LogWarning(text.get()), S_OK);
    }
    ASSERT_TRUE(tevrin_.wait(60000));
    EXPECT_EQ(tevrin_.exitCode(), 0u) << out();
    EXPECT_NE(out().find("\nWarning: " + main + " (3): from outside\n"), std::string::npos) << out();
    EXPECT_LT(out().find("waiting"), out().find("from outside"));
    EXPECT_LT(out().find("from outside"), out().find("done"));
}

// The demo a new user runs first: Tevrin drives Wine's Notepad through the wrappers.
TEST_F(CommandLineRun, DemoScriptDrivesNotepad) {
    const std::string demo = common::ToLower(common::WideToAnsi(std::wstring(TEVRIN_SOURCE_DIR) + L"\\examples\\demo.vbs"));
    EXPECT_EQ(RunScript(demo), 0u) << out();
    EXPECT_TRUE(Printed("Info: " + demo + " (17): Notepad read back: Hello from Tevrin")) << out();
    EXPECT_TRUE(Printed("Info: Script ended with no errors.\r")) << out();
}
