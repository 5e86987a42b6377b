#include "ProcessRunner.h"
#include <vector>

namespace e2e {
namespace {

std::thread ReadAll(HANDLE pipe, std::string& sink) {
    return std::thread([pipe, &sink] {
        char buffer[4096];
        DWORD n = 0;
        while (::ReadFile(pipe, buffer, sizeof(buffer), &n, nullptr) && n > 0) sink.append(buffer, n);
        ::CloseHandle(pipe);
    });
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
    joinReaders();
}

bool ProcessRunner::start(const std::wstring& commandLine) {
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!::CreatePipe(&outRead, &outWrite, &inherit, 0)) return false;
    if (!::CreatePipe(&errRead, &errWrite, &inherit, 0)) {
        ::CloseHandle(outRead);
        ::CloseHandle(outWrite);
        return false;
    }
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi = {};
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    BOOL ok = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    ::CloseHandle(outWrite);
    ::CloseHandle(errWrite);
    if (!ok) {
        ::CloseHandle(outRead);
        ::CloseHandle(errRead);
        return false;
    }
    ::CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    processId_ = pi.dwProcessId;
    outputReader_ = ReadAll(outRead, output_);
    errorReader_ = ReadAll(errRead, errors_);
    return true;
}

bool ProcessRunner::wait(DWORD milliseconds) {
    if (!process_ || ::WaitForSingleObject(process_.get(), milliseconds) != WAIT_OBJECT_0) return false;
    joinReaders();
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

void ProcessRunner::joinReaders() {
    if (outputReader_.joinable()) outputReader_.join();
    if (errorReader_.joinable()) errorReader_.join();
}

std::wstring DistPath(const wchar_t* fileName) { return std::wstring(TEVRIN_DIST_DIR) + L"\\" + fileName; }

} // namespace e2e
