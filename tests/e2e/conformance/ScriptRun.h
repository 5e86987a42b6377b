#pragma once
#include <windows.h>
#include <map>
#include <string>
#include <vector>

namespace conformance {

// How one run of a script ended, judged as a tester would: passed, or why not.
struct Verdict {
    bool passed = false;
    std::string why;
    DWORD exitCode = 0;
    std::string output;
};

// Scripts of the suite, and the texts appended to them per engine.
std::wstring SourcePath(const std::wstring& relative);
std::vector<std::wstring> ScriptNames();
std::string ReadFileText(const std::wstring& path);
bool WriteFileText(const std::wstring& path, const std::string& text);
// A folder of the temporary folder (created), ending in a backslash.
std::wstring WorkFolder(const std::wstring& name);
std::string Narrow(const std::wstring& text);

// Runs a script file headless through Tevrin.exe. A conformance script passes when it
// exits with 0 (no error record) and wrote its end marker.
Verdict RunOnTevrin(const std::wstring& path, DWORD timeoutMs);
// Runs a script file through Wine's cscript.exe and its VBScript engine.
Verdict RunOnCscript(const std::wstring& path, DWORD timeoutMs);
// The first error record of a Tevrin run ("" when none).
std::string FirstErrorRecord(const std::string& output);

// Scripts and bad-input cases known to fail, each with its reason: one per line,
// "name reason", '#' starts a comment line.
class ExpectedFailures {
public:
    static ExpectedFailures Load(const std::wstring& path);
    // Null when the name is not listed.
    const std::string* reasonOf(const std::string& name) const;
    const std::map<std::string, std::string>& entries() const { return entries_; }

private:
    std::map<std::string, std::string> entries_;
};

// Where a listed case stands against its verdict: a failure it must not be, or a line
// to print. Empty when it passed and is not listed.
struct Standing {
    bool unexpectedFailure = false;
    std::string note;
};
Standing Judge(const std::string& name, const Verdict& verdict, const ExpectedFailures& expected);

} // namespace conformance
