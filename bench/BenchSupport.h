#pragma once
// Small helpers shared by the benchmarks: a clock, the release folder to measure, and a
// child process run with its standard output kept.
#include <windows.h>
#include <chrono>
#include <cstdio>
#include <string>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The release folder whose Tevrin.exe and wrappers.dll are measured: TEVRIN_BENCH_DIST
// when set (to compare another build in the same run), else this build's.
inline std::wstring DistDir() {
    wchar_t value[MAX_PATH] = {};
    DWORD n = ::GetEnvironmentVariableW(L"TEVRIN_BENCH_DIST", value, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return value;
    return TEVRIN_DIST_DIR;
}

// Writes text to a file of the temporary folder and answers its path.
inline std::string WriteTempFile(const char* name, const std::string& text) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return {};
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
}

// Runs Tevrin.exe of DistDir() on a script as a command-line run; answers the seconds
// from process creation to its end, or a negative value when it failed. The run's
// standard output goes to output when given.
inline double RunTevrin(const std::string& scriptPath, std::string* output = nullptr) {
    std::wstring line = L"\"" + DistDir() + L"\\Tevrin.exe\" \"" + std::wstring(scriptPath.begin(), scriptPath.end()) +
                        L"\"";
    // Output goes to a file: a pipe could be held open by a process the run starts.
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string outPath = std::string(temp) + "tevrin_bench_out.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE out = ::CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                               CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi = {};
    const Clock::time_point start = Clock::now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        ::CloseHandle(out);
        return -1;
    }
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    const double seconds = SecondsSince(start);
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(out);
    if (output) {
        output->clear();
        if (FILE* file = std::fopen(outPath.c_str(), "rb")) {
            char buffer[4096];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) output->append(buffer, n);
            std::fclose(file);
        }
    }
    ::DeleteFileA(outPath.c_str());
    return code == 0 ? seconds : -1;
}

} // namespace bench
