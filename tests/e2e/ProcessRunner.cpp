#include "ProcessRunner.h"
#include <vector>

namespace e2e {
namespace {

std::wstring TempFileName() {
    wchar_t dir[MAX_PATH];
    wchar_t name[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    ::GetTempFileNameW(dir, L"tev", 0, name);
    return name;
}

HANDLE OpenForChild(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                         CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

std::string ReadAndDelete(const std::wstring& path) {
    std::string text;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[4096];
        DWORD n = 0;
        while (::ReadFile(file, buffer, sizeof(buffer), &n, nullptr) && n > 0) text.append(buffer, n);
        ::CloseHandle(file);
    }
    ::DeleteFileW(path.c_str());
    return text;
}

struct WindowQuery {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    if (pid == query->processId && ::IsWindowVisible(window) && wcscmp(name, query->className) == 0) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ProcessRunner::~ProcessRunner() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), 99);
        ::WaitForSingleObject(process_.get(), 10000);
    }
    collectOutput();
}

bool ProcessRunner::start(const std::wstring& commandLine) {
    outputPath_ = TempFileName();
    errorPath_ = TempFileName();
    HANDLE out = OpenForChild(outputPath_);
    HANDLE err = OpenForChild(errorPath_);
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) {
        if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
        if (err != INVALID_HANDLE_VALUE) ::CloseHandle(err);
        return false;
    }
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    BOOL ok = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    ::CloseHandle(out);
    ::CloseHandle(err);
    if (!ok) return false;
    ::CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    processId_ = pi.dwProcessId;
    return true;
}

bool ProcessRunner::wait(DWORD milliseconds) {
    if (!process_ || ::WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0) return false;
    collectOutput();
    return true;
}

DWORD ProcessRunner::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

HWND ProcessRunner::waitForWindow(const wchar_t* className, DWORD milliseconds) const {
    const DWORD start = ::GetTickCount();
    do {
        WindowQuery query = {processId_, className, nullptr};
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
        if (query.found) return query.found;
        if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return nullptr;
        ::Sleep(100);
    } while (::GetTickCount() - start < milliseconds);
    return nullptr;
}

void ProcessRunner::collectOutput() {
    if (!outputPath_.empty()) output_ += ReadAndDelete(outputPath_);
    if (!errorPath_.empty()) errors_ += ReadAndDelete(errorPath_);
    outputPath_.clear();
    errorPath_.clear();
}

std::wstring DistPath(const wchar_t* fileName) { return std::wstring(TEVRIN_DIST_DIR) + L"\\" + fileName; }

} // namespace e2e
