#include "host/SuiteRunner.h"
#include "host/Components.h"
#include "host/ConsoleOutput.h"
#include "host/ScriptLoader.h"
#include "host/Suite.h"
#include "common/ComError.h"
#include "common/TextConv.h"
#include "common/UniqueHandle.h"
#include "common/Variant.h"
#include "TevrinVersion.h"
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>
#include <cstdio>
#include <cwchar>

namespace host {
namespace {

using common::UniqueHandle;

// A script that names no limit of its own gets ten minutes.
const unsigned kDefaultTimeoutSeconds = 600;

void Say(const std::wstring& line) { ConsoleOutput::WriteLine(line); }

int CannotStart(const std::wstring& why) {
    Say(L"Fatal Error: " + why);
    return 2;
}

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH * 4] = {};
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return std::wstring(path, n);
}

std::wstring SecondsText(double seconds) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.1f s", seconds);
    return text;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

// The file name of a script's screenshot: its suite name with the folder separators
// and the characters file names cannot hold replaced.
std::wstring ScreenshotName(const std::wstring& scriptName) {
    std::wstring name = scriptName;
    for (wchar_t& c : name)
        if (c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' ||
            c == L'|')
            c = L'_';
    return name + L".bmp";
}

// The whole screen, through the wrappers' own screenshot member, so that a suite's images
// are the ones scripts take.
bool TakeScreenshot(const std::wstring& file) {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"Wrappers.WNDWrapper", &clsid))) return false;
    Microsoft::WRL::ComPtr<IDispatch> wrapper;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                  reinterpret_cast<void**>(wrapper.GetAddressOf()))))
        return false;
    LPOLESTR name = const_cast<LPOLESTR>(L"screenshot");
    DISPID id = 0;
    if (FAILED(wrapper->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return false;
    // Arguments go in reverse order: the file name, then "window only".
    common::Variant arguments[2] = {common::Variant(file), common::Variant()};
    arguments[1].get()->vt = VT_BOOL;
    arguments[1].get()->boolVal = VARIANT_FALSE;
    VARIANT raw[2] = {*arguments[0].get(), *arguments[1].get()};
    DISPPARAMS parameters = {raw, nullptr, 2, 0};
    common::Variant result;
    return SUCCEEDED(wrapper->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, result.get(),
                                     nullptr, nullptr)) &&
           ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void EndLeftovers(HANDLE job);

class Runner {
public:
    Runner(unsigned defaultTimeout, std::wstring screenshots)
        : defaultTimeout_(defaultTimeout), screenshots_(std::move(screenshots)) {}

    SuiteResult Run(const SuiteScript& script) {
        SuiteResult result;
        result.script = script;
        if (!script.problem.empty()) {
            result.message = script.problem;
            result.output = L"Fatal Error: " + script.problem + L"\n";
            return result;
        }
        const unsigned timeout = TimeoutOf(script);
        wchar_t folder[MAX_PATH] = {}, outputPath[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, folder);
        ::GetTempFileNameW(folder, L"tvs", 0, outputPath);
        outputPath_ = outputPath;

        LARGE_INTEGER start, end, frequency;
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        DWORD exitCode = 0;
        const bool finished = Execute(script, outputPath, timeout, &exitCode, &result);
        ::QueryPerformanceCounter(&end);
        result.seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        result.output += common::AnsiToWide(ReadFileBytes(outputPath));
        ::DeleteFileW(outputPath);
        if (finished && exitCode == 0) result.outcome = SuiteOutcome::Passed;
        return result;
    }

private:
    unsigned TimeoutOf(const SuiteScript& script) const {
        std::wstring text;
        ScriptLoader::ReadScriptText(common::WideToAnsi(script.path), text);
        const unsigned own = ScriptTimeoutSeconds(text);
        return own ? own : defaultTimeout_;
    }

    // Runs the script in a Tevrin process of its own, inside a job so that a run over its
    // limit ends with every process it started. False when the run did not end by itself.
    bool Execute(const SuiteScript& script, const wchar_t* outputPath, unsigned timeout, DWORD* exitCode,
                 SuiteResult* result) {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        common::UniqueFileHandle output(::CreateFileW(outputPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output ? output.get() : nullptr;
        startup.hStdError = startup.hStdOutput;
        startup.hStdInput = nullptr;
        PROCESS_INFORMATION process = {};
        std::wstring commandLine = L"\"" + ProgramPath() + L"\" /noserver \"" + script.path + L"\"";
        if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr, nullptr,
                              &startup, &process)) {
            result->message = L"Cannot start Tevrin for " + script.path + L": " + common::SystemMessage(::GetLastError());
            result->output = L"Fatal Error: " + result->message + L"\n";
            return false;
        }
        UniqueHandle processHandle(process.hProcess);
        UniqueHandle thread(process.hThread);
        if (job) ::AssignProcessToJobObject(job.get(), process.hProcess);
        ::ResumeThread(process.hThread);
        output.reset();  // the child holds its own copy

        const DWORD limit = timeout >= MAXDWORD / 1000 ? INFINITE : timeout * 1000;
        if (::WaitForSingleObject(process.hProcess, limit) == WAIT_OBJECT_0) {
            ::GetExitCodeProcess(process.hProcess, exitCode);
            // A run that failed half-way left its applications behind; the next script
            // must not find them. The picture of what it left comes first.
            if (*exitCode != 0) {
                Judge(*exitCode, *result);
                EndLeftovers(job.get());
            }
            return true;
        }
        // The picture of the hang comes before the hang is ended.
        Screenshot(*result);
        EndLeftovers(job.get());
        ::TerminateProcess(process.hProcess, 1);
        ::WaitForSingleObject(process.hProcess, 30000);
        result->outcome = SuiteOutcome::Error;
        result->message = L"Timed out: the script ran longer than its limit of " + std::to_wstring(timeout) +
                          L" s and was ended, with the applications it started";
        return false;
    }

    // A failed run's outcome and message, from its exit code and what it printed so far.
    void Judge(DWORD exitCode, SuiteResult& result) {
        const std::wstring first = FirstErrorRecord(common::AnsiToWide(ReadFileBytes(outputPath_)));
        if (exitCode == 1) {
            result.outcome = SuiteOutcome::Failed;
            result.message = first.empty() ? L"The script reported errors" : first;
        } else if (exitCode == 2) {
            result.outcome = SuiteOutcome::Error;
            result.message = first.empty() ? L"The script could not start" : first;
        } else {
            wchar_t code[16];
            std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(exitCode));
            result.outcome = SuiteOutcome::Error;
            result.message = std::wstring(L"Tevrin ended abnormally (exit code ") + code + L") while running the script";
        }
        Screenshot(result);
    }

    void Screenshot(SuiteResult& result) {
        if (screenshots_.empty() || !result.screenshot.empty()) return;
        const std::wstring file = screenshots_ + ScreenshotName(result.script.name);
        if (TakeScreenshot(file)) result.screenshot = file;
    }

    unsigned defaultTimeout_;
    std::wstring screenshots_;
    std::wstring outputPath_;  // the running script's output file
};

// Ends every process left in a run's job: what the script started and did not end.
void EndLeftovers(HANDLE job) {
    if (job) ::TerminateJobObject(job, 1);
}

const wchar_t* OutcomeText(SuiteOutcome outcome) {
    switch (outcome) {
        case SuiteOutcome::Passed: return L"passed";
        case SuiteOutcome::Failed: return L"FAILED";
        default: return L"ERROR";
    }
}

// Tevrin's version and the components a run uses, as report properties.
std::vector<std::pair<std::wstring, std::wstring>> Properties() {
    std::vector<std::pair<std::wstring, std::wstring>> properties = {{L"tevrin.version", TEVRIN_VERSION_WIDE}};
    const std::wstring described = Components::Describe();
    const std::pair<const wchar_t*, const wchar_t*> names[] = {
        {L"Debug manager: ", L"tevrin.debugManager"}, {L".vbs engine: ", L"tevrin.vbsEngine"},
        {L".js engine: ", L"tevrin.jsEngine"}};
    size_t start = 0;
    while (start < described.size()) {
        size_t end = described.find(L"\r\n", start);
        if (end == std::wstring::npos) end = described.size();
        const std::wstring line = described.substr(start, end - start);
        for (const auto& name : names) {
            const size_t length = std::wcslen(name.first);
            if (line.compare(0, length, name.first) == 0) properties.emplace_back(name.second, line.substr(length));
        }
        start = end + 2;
    }
    return properties;
}

std::wstring SuiteName(const std::wstring& folderOrList) {
    std::wstring path = folderOrList;
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool WriteReport(const std::wstring& file, const std::string& xml) {
    FILE* out = _wfopen(file.c_str(), L"wb");
    if (!out) return false;
    const bool ok = std::fwrite(xml.data(), 1, xml.size(), out) == xml.size();
    return std::fclose(out) == 0 && ok;
}

} // namespace

int RunSuite(const CommandLine& args) {
    if (!args.badSwitches.empty()) return CannotStart(L"Unknown switch " + args.badSwitches.front());
    if (!args.fileName.empty()) return CannotStart(L"/Suite runs a folder or list file; also given " + args.fileName);
    int index = 1, count = 1;
    if (!args.shard.empty() && !ParseShard(args.shard, &index, &count))
        return CannotStart(L"Bad shard " + args.shard + L": give /Shard i/n with 1 <= i <= n");
    unsigned timeout = kDefaultTimeoutSeconds;
    if (!args.timeout.empty()) {
        wchar_t* end = nullptr;
        const unsigned long seconds = std::wcstoul(args.timeout.c_str(), &end, 10);
        if (!end || *end || seconds == 0 || seconds > 86400)
            return CannotStart(L"Bad time limit " + args.timeout + L": give /Timeout <seconds>, 1 to 86400");
        timeout = static_cast<unsigned>(seconds);
    }
    std::vector<SuiteScript> all;
    std::wstring error;
    if (!CollectSuite(args.suite, all, error)) return CannotStart(error);
    std::wstring screenshots;
    if (!args.screenshotFolder.empty()) {
        wchar_t full[MAX_PATH * 4] = {};
        ::GetFullPathNameW(args.screenshotFolder.c_str(), MAX_PATH * 4, full, nullptr);
        screenshots = full;
        const int made = ::SHCreateDirectoryExW(nullptr, screenshots.c_str(), nullptr);
        if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS)
            return CannotStart(L"Cannot create the screenshot folder " + screenshots);
        if (screenshots.back() != L'\\') screenshots += L'\\';
    }

    const std::vector<SuiteScript> scripts = ShardOf(all, index, count);
    Say(L"Suite: " + std::to_wstring(scripts.size()) + L" of " + std::to_wstring(all.size()) + L" scripts (shard " +
        std::to_wstring(index) + L"/" + std::to_wstring(count) + L")");
    Runner runner(timeout, screenshots);
    std::vector<SuiteResult> results;
    double total = 0;
    size_t passed = 0, failed = 0, errors = 0;
    for (const SuiteScript& script : scripts) {
        Say(L"Suite: running " + script.name);
        SuiteResult result = runner.Run(script);
        ConsoleOutput::Write(result.output);
        std::wstring summary = std::wstring(L"Suite: ") + OutcomeText(result.outcome) + L" " + script.name + L" (" +
                               SecondsText(result.seconds) + L")";
        if (result.outcome != SuiteOutcome::Passed) summary += L": " + result.message;
        Say(summary);
        passed += result.outcome == SuiteOutcome::Passed;
        failed += result.outcome == SuiteOutcome::Failed;
        errors += result.outcome == SuiteOutcome::Error;
        total += result.seconds;
        results.push_back(std::move(result));
    }
    Say(L"Suite: " + std::to_wstring(results.size()) + L" scripts, " + std::to_wstring(passed) + L" passed, " +
        std::to_wstring(failed) + L" failed, " + std::to_wstring(errors) + L" errors (" + SecondsText(total) + L")");
    if (!args.junitFile.empty() &&
        !WriteReport(args.junitFile, JUnitReport(SuiteName(args.suite), results, Properties())))
        return CannotStart(L"Cannot write the JUnit report " + args.junitFile);
    return failed + errors > 0 ? 1 : 0;
}

} // namespace host
