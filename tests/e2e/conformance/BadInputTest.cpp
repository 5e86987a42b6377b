// Scripts a tester should never write, run on StepScript through Tevrin.exe: each ends
// in time with a clear record and exit code 1 (run-time error) or 2 (could not start),
// never with a crash. Cases listed in tests/conformance/expected_failures.txt as
// "bad_input.<name>" are reported, not failed.
#include "ScriptRun.h"
#include "common/TextConv.h"
#include <gtest/gtest.h>
#include <cstdio>

using namespace conformance;

namespace {

constexpr DWORD kTimeoutMs = 120000;

class BadInput : public ::testing::Test {
protected:
    // Writes the script, runs it and judges the run with the case's own expectation
    // (an empty answer means it behaved). Fails unless the case is an expected failure.
    template <typename Expectation>
    void RunCase(const std::string& text, Expectation expectation) {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        path_ = common::ToLower(Narrow(WorkFolder(L"bad_input")) + name + ".vbs");
        ASSERT_TRUE(WriteFileText(common::AnsiToWide(path_), text));
        Verdict verdict = RunOnTevrin(common::AnsiToWide(path_), kTimeoutMs);
        if (verdict.exitCode == STILL_ACTIVE) {
            verdict.why = "did not end within " + std::to_string(kTimeoutMs / 1000) + " s";
        } else if (verdict.output.find("Unhandled") != std::string::npos || verdict.exitCode > 2) {
            verdict.why = "crashed: " + verdict.why;
        } else {
            verdict.why = expectation(verdict);
        }
        verdict.passed = verdict.why.empty();
        const Standing standing = Judge("bad_input." + name, verdict, ExpectedFailures::Load(
            SourcePath(L"tests\\conformance\\expected_failures.txt")));
        if (standing.unexpectedFailure) ADD_FAILURE() << standing.note << "\n" << verdict.output;
        else if (!standing.note.empty()) std::printf("%s\n", standing.note.c_str());
    }

    // A run-time error record at the line, with the message, and exit code 1.
    std::string RuntimeErrorAt(const Verdict& v, int line, const std::string& message) const {
        const std::string record = "Fatal Error: " + path_ + " (" + std::to_string(line) + "): ";
        const size_t at = v.output.find(record);
        if (v.exitCode != 1) return "exit code " + std::to_string(v.exitCode) + ", not 1";
        if (at == std::string::npos) return "no run-time error record at line " + std::to_string(line);
        const std::string rest = common::ToLower(v.output.substr(at, v.output.find('\n', at) - at));
        if (rest.find(common::ToLower(message)) == std::string::npos) return "the record does not say " + message;
        return {};
    }

    // The syntax error report naming the file, exit code 2, nothing run.
    std::string SyntaxError(const Verdict& v, const std::string& line) const {
        if (v.exitCode != 2) return "exit code " + std::to_string(v.exitCode) + ", not 2";
        if (v.output.rfind("Fatal Error: " + path_ + " (" + line, 0) != 0) return "no syntax error report first";
        if (v.output.find("started") != std::string::npos) return "part of the script ran";
        return {};
    }

    std::string path_;
};

} // namespace

TEST_F(BadInput, DeepRecursion) {
    RunCase("#language StepScript\r\n"
            "Function Down(n)\r\n"
            "    If n = 0 Then\r\n"
            "        Down = 0\r\n"
            "    Else\r\n"
            "        Down = Down(n - 1) + 1\r\n"
            "    End If\r\n"
            "End Function\r\n"
            "Env.LogInfo \"depth \" & Down(100000)\r\n",
            [&](const Verdict& v) { return RuntimeErrorAt(v, 6, "Out of stack space"); });
}

TEST_F(BadInput, HugeReDim) {
    RunCase("#language StepScript\r\n"
            "Dim a()\r\n"
            "Env.LogInfo \"sizing\"\r\n"
            "ReDim a(2000000000)\r\n"
            "Env.LogInfo \"not reached\"\r\n",
            [&](const Verdict& v) {
                if (v.output.find("not reached") != std::string::npos) return std::string("the script went on");
                return RuntimeErrorAt(v, 4, "Out of memory");
            });
}

// Ten megabytes of text are no error: the run ends normally with the right length.
TEST_F(BadInput, TenMegabyteString) {
    RunCase("#language StepScript\r\n"
            "Dim s, i\r\n"
            "s = \"0123456789\"\r\n"
            "For i = 1 To 20\r\n"
            "    s = s & s\r\n"
            "Next\r\n"
            "Env.LogInfo \"length \" & Len(s) & \" ends \" & Right(s, 3)\r\n",
            [&](const Verdict& v) {
                if (v.exitCode != 0) return "exit code " + std::to_string(v.exitCode) + ": " + FirstErrorRecord(v.output);
                if (v.output.find(": length 10485760 ends 789") == std::string::npos) return std::string("wrong length");
                return std::string();
            });
}

TEST_F(BadInput, UnterminatedString) {
    RunCase("#language StepScript\r\n"
            "Env.LogInfo \"started\"\r\n"
            "x = \"abc\r\n"
            "Env.LogInfo \"after\"\r\n",
            [&](const Verdict& v) { return SyntaxError(v, "3)"); });
}

TEST_F(BadInput, IfWithoutEndIf) {
    RunCase("#language StepScript\r\n"
            "Env.LogInfo \"started\"\r\n"
            "Dim x\r\n"
            "If x Then\r\n"
            "    x = 1\r\n"
            "Env.LogInfo \"after\"\r\n",
            [&](const Verdict& v) { return SyntaxError(v, ""); });
}

TEST_F(BadInput, GarbageBytes) {
    std::string garbage = "#language StepScript\r\nEnv.LogInfo \"started\"\r\n";
    for (int i = 0; i < 512; ++i) garbage.push_back(static_cast<char>((i * 167 + 13) % 256));
    RunCase(garbage, [&](const Verdict& v) { return SyntaxError(v, ""); });
}
