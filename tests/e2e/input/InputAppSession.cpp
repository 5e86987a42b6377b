#include "InputAppSession.h"
#include <gtest/gtest.h>
#include <fstream>

namespace e2e {

namespace {

std::wstring newLogPath() {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    wchar_t file[MAX_PATH] = {};
    ::GetTempFileNameW(folder, L"inp", 0, file);
    return file;
}

struct ChildSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK findChild(HWND window, LPARAM lParam) {
    ChildSearch* search = reinterpret_cast<ChildSearch*>(lParam);
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    if (::lstrcmpW(name, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

std::string PointText(LONG x, LONG y) { return std::to_string(x) + "," + std::to_string(y); }

InputAppSession::InputAppSession(const wchar_t* title) : logPath_(newLogPath()) {
    root_ = newWrapper();
    if (!root_) return;
    const std::wstring command =
        L"\"" + BinPath(L"inputapp.exe") + L"\" /log \"" + logPath_ + L"\" /title \"" + title + L"\"";
    CallResult started = call(root_.Get(), L"appExecute", {common::Variant(command), common::Variant(title)});
    if (!started.ok()) {
        ADD_FAILURE() << "inputapp did not start: " << std::string(started.description.begin(), started.description.end());
        return;
    }
    main_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(call(root_.Get(), L"hwnd").number()));
    ::GetWindowThreadProcessId(main_, &processId_);
}

InputAppSession::~InputAppSession() {
    if (root_ && main_ && ::IsWindow(main_)) call(root_.Get(), L"appRelease", {Bool(true)});
    ::DeleteFileW(logPath_.c_str());
}

HWND InputAppSession::child(const wchar_t* className) const {
    ChildSearch search{className, nullptr};
    ::EnumChildWindows(main_, findChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::string> InputAppSession::lines() const {
    std::vector<std::string> result;
    // The application keeps the file open for writing; share it.
    HANDLE file = ::CreateFileW(logPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return result;
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
    ::CloseHandle(file);
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.push_back(line);
        start = end + 1;
    }
    return result;
}

std::vector<std::string> InputAppSession::linesSinceMark() const {
    std::vector<std::string> all = lines();
    if (all.size() <= mark_) return {};
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(mark_), all.end());
}

bool InputAppSession::waitFor(const std::function<bool(const std::vector<std::string>&)>& done,
                              DWORD milliseconds) const {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        if (done(linesSinceMark())) return true;
        if (::GetTickCount64() - start > milliseconds) return false;
        ::Sleep(50);
    }
}

bool InputAppSession::waitForLine(const std::string& prefix, DWORD milliseconds) const {
    return waitFor(
        [&](const std::vector<std::string>& lines) {
            for (const std::string& line : lines)
                if (line.compare(0, prefix.size(), prefix) == 0) return true;
            return false;
        },
        milliseconds);
}

bool InputAppSession::waitForExit(DWORD milliseconds) const {
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, processId_);
    if (!process) return true;
    const bool ended = ::WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

} // namespace e2e
