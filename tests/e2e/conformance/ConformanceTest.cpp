// The VBScript conformance suite: every script of tests/conformance/scripts runs on
// StepScript through Tevrin.exe and, for comparison, on Wine's VBScript through
// cscript.exe. A StepScript failure fails the test unless the script is listed in
// tests/conformance/expected_failures.txt; Wine's results are only reported.
#include "ScriptRun.h"
#include <gtest/gtest.h>
#include <cstdio>

using namespace conformance;

namespace {

constexpr DWORD kScriptTimeoutMs = 60000;

// The script's own lines first, so that records name the lines as written.
std::string Compose(const std::string& script, const std::string& prelude) {
    std::string text = script;
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    return text + prelude;
}

ExpectedFailures LoadExpected() {
    return ExpectedFailures::Load(SourcePath(L"tests\\conformance\\expected_failures.txt"));
}

} // namespace

TEST(Conformance, EveryScriptOnStepScriptAndOnWinesVBScript) {
    const std::vector<std::wstring> names = ScriptNames();
    ASSERT_GE(names.size(), 40u) << "the suite's scripts were not found";
    const ExpectedFailures expected = LoadExpected();
    const std::string stepPrelude = ReadFileText(SourcePath(L"tests\\conformance\\prelude\\stepscript.vbs"));
    const std::string winePrelude = ReadFileText(SourcePath(L"tests\\conformance\\prelude\\wine.vbs"));
    ASSERT_FALSE(stepPrelude.empty());
    ASSERT_FALSE(winePrelude.empty());
    const std::wstring stepFolder = WorkFolder(L"conformance_stepscript");
    const std::wstring wineFolder = WorkFolder(L"conformance_wine");

    int stepPassed = 0, winePassed = 0;
    std::vector<std::string> notes;
    for (const std::wstring& name : names) {
        const std::string script = ReadFileText(SourcePath(L"tests\\conformance\\scripts\\" + name + L".vbs"));
        const std::wstring stepPath = stepFolder + name + L".vbs";
        const std::wstring winePath = wineFolder + name + L".vbs";
        ASSERT_TRUE(WriteFileText(stepPath, Compose(script, stepPrelude)));
        ASSERT_TRUE(WriteFileText(winePath, Compose(script, winePrelude)));

        const Verdict onStep = RunOnTevrin(stepPath, kScriptTimeoutMs);
        const Verdict onWine = RunOnCscript(winePath, kScriptTimeoutMs);
        stepPassed += onStep.passed;
        winePassed += onWine.passed;
        const std::string shortName = Narrow(name);
        std::printf("%-32s StepScript %-4s  Wine VBScript %-4s  %s\n", shortName.c_str(), onStep.passed ? "pass" : "FAIL",
                    onWine.passed ? "pass" : "FAIL", onStep.passed ? "" : onStep.why.c_str());
        const Standing standing = Judge(shortName, onStep, expected);
        if (standing.unexpectedFailure) ADD_FAILURE() << standing.note << "\n" << onStep.output;
        else if (!standing.note.empty()) notes.push_back(standing.note);
    }
    for (const std::string& note : notes) std::printf("%s\n", note.c_str());
    std::printf("StepScript: %d of %zu; Wine VBScript: %d of %zu\n", stepPassed, names.size(), winePassed, names.size());
    std::fflush(stdout);
}

// A list entry that names no script or case is a typo that would hide a failure.
TEST(Conformance, ExpectedFailuresNameExistingCases) {
    const ExpectedFailures expected = LoadExpected();
    const std::vector<std::wstring> names = ScriptNames();
    for (const auto& entry : expected.entries()) {
        EXPECT_FALSE(entry.second.empty()) << entry.first << " is listed without a reason";
        if (entry.first.compare(0, 10, "bad_input.") == 0) continue;
        bool found = false;
        for (const std::wstring& name : names) found = found || Narrow(name) == entry.first;
        EXPECT_TRUE(found) << entry.first << " is listed but there is no such script";
    }
}
