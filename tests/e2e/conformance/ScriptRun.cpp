#include "ScriptRun.h"
#include "ProcessRunner.h"
#include "common/TextConv.h"
#include <algorithm>
#include <cstdio>
#include <sstream>

namespace conformance {
namespace {

const char kDoneMarker[] = "conformance: done";
const char kCheckFailed[] = "check failed: ";

bool HasLine(const std::string& output, const std::string& ending) {
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= ending.size() && line.compare(line.size() - ending.size(), ending.size(), ending) == 0)
            return true;
    }
    return false;
}

std::string FirstLineWith(const std::string& output, const std::string& text) {
    size_t at = output.find(text);
    if (at == std::string::npos) return {};
    size_t start = output.rfind('\n', at);
    start = start == std::string::npos ? 0 : start + 1;
    size_t end = output.find_first_of("\r\n", at);
    return output.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string Hex(DWORD value) {
    char buffer[16];
    std::snprintf(buffer, sizeof(buffer), "0x%08lX", static_cast<unsigned long>(value));
    return buffer;
}

// Starts the command and waits; the verdict then only lacks the judgement.
Verdict Run(const std::wstring& commandLine, DWORD timeoutMs) {
    Verdict verdict;
    e2e::ProcessRunner process;
    if (!process.start(commandLine)) {
        verdict.why = "could not start: " + Narrow(commandLine);
        return verdict;
    }
    if (!process.wait(timeoutMs)) {
        verdict.exitCode = STILL_ACTIVE;
        verdict.why = "did not end within " + std::to_string(timeoutMs / 1000) + " s";
        return verdict;
    }
    verdict.exitCode = process.exitCode();
    verdict.output = process.output() + process.errors();
    return verdict;
}

} // namespace

std::string Narrow(const std::wstring& text) { return common::WideToAnsi(text); }

std::wstring SourcePath(const std::wstring& relative) { return std::wstring(TEVRIN_SOURCE_DIR) + L"\\" + relative; }

std::vector<std::wstring> ScriptNames() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(SourcePath(L"tests\\conformance\\scripts\\*.vbs").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = found.cFileName;
        names.push_back(name.substr(0, name.size() - 4));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFileText(const std::wstring& path) {
    std::string text;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return text;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}

bool WriteFileText(const std::wstring& path, const std::string& text) {
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

std::wstring WorkFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"tevrin_" + name + L"\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string FirstErrorRecord(const std::string& output) {
    std::string line = FirstLineWith(output, "Fatal Error: ");
    // A syntax error report says where on its first line and what on the next.
    if (line.find("): In ") != std::string::npos) {
        const size_t next = output.find('\n', output.find(line));
        if (next != std::string::npos) line += " | " + FirstLineWith(output.substr(next + 1), "");
    }
    std::string error = FirstLineWith(output, "\nError: ");
    if (error.empty() && output.compare(0, 7, "Error: ") == 0) error = FirstLineWith(output, "Error: ");
    if (line.empty()) return error;
    if (error.empty()) return line;
    return output.find(line) < output.find(error) ? line : error;
}

Verdict RunOnTevrin(const std::wstring& path, DWORD timeoutMs) {
    Verdict verdict = Run(L"\"" + e2e::DistPath(L"Tevrin.exe") + L"\" \"" + path + L"\"", timeoutMs);
    if (!verdict.why.empty()) return verdict;
    const std::string error = FirstErrorRecord(verdict.output);
    if (verdict.exitCode > 2)
        verdict.why = "Tevrin.exe ended abnormally, exit code " + Hex(verdict.exitCode);
    else if (!error.empty())
        verdict.why = error;
    else if (verdict.exitCode != 0)
        verdict.why = "exit code " + std::to_string(verdict.exitCode);
    else if (!HasLine(verdict.output, kDoneMarker))
        verdict.why = "ended without reaching its end";
    else
        verdict.passed = true;
    return verdict;
}

Verdict RunOnCscript(const std::wstring& path, DWORD timeoutMs) {
    Verdict verdict = Run(L"cscript.exe //nologo \"" + path + L"\"", timeoutMs);
    if (!verdict.why.empty()) return verdict;
    const std::string failed = FirstLineWith(verdict.output, kCheckFailed);
    const std::string runtime = FirstLineWith(verdict.output, "Microsoft VBScript");
    if (!failed.empty())
        verdict.why = failed;
    else if (!runtime.empty())
        verdict.why = runtime;
    else if (!HasLine(verdict.output, kDoneMarker))
        verdict.why = verdict.exitCode > 2 ? "cscript.exe ended abnormally, exit code " + Hex(verdict.exitCode)
                                           : "ended without reaching its end";
    else
        verdict.passed = true;
    return verdict;
}

ExpectedFailures ExpectedFailures::Load(const std::wstring& path) {
    ExpectedFailures list;
    std::istringstream lines(ReadFileText(path));
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const size_t nameEnd = line.find_first_of(" \t", start);
        const std::string name = line.substr(start, nameEnd == std::string::npos ? std::string::npos : nameEnd - start);
        const size_t reason = nameEnd == std::string::npos ? std::string::npos : line.find_first_not_of(" \t", nameEnd);
        list.entries_[name] = reason == std::string::npos ? std::string() : line.substr(reason);
    }
    return list;
}

const std::string* ExpectedFailures::reasonOf(const std::string& name) const {
    auto found = entries_.find(name);
    return found == entries_.end() ? nullptr : &found->second;
}

Standing Judge(const std::string& name, const Verdict& verdict, const ExpectedFailures& expected) {
    Standing standing;
    const std::string* reason = expected.reasonOf(name);
    if (verdict.passed) {
        if (reason) standing.note = name + " passes now: take it off the expected failures";
    } else if (reason) {
        standing.note = name + " fails as expected (" + *reason + "): " + verdict.why;
    } else {
        standing.unexpectedFailure = true;
        standing.note = name + " fails: " + verdict.why;
    }
    return standing;
}

} // namespace conformance
