#include "AccAppSession.h"
#include <fstream>
#include <sstream>
#include <vector>

namespace e2e {

AccAppSession::AccAppSession(const std::wstring& title, DWORD loadingMs) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    wchar_t file[MAX_PATH] = {};
    ::GetTempFileNameW(temp, L"acc", 0, file);
    logPath_ = file;
    std::wstring command = L"\"" + BinPath(L"accapp.exe") + L"\" /log \"" + logPath_ + L"\" /title \"" + title +
                           L"\" /loading " + std::to_wstring(loadingMs);
    if (!process_.start(command)) return;
    main_ = process_.waitForWindow(L"TevrinAccApp", 30000);
    if (!main_) return;
    root_ = newWrapper();
    if (root_) call(root_.Get(), L"connect", {common::Variant(static_cast<long>(reinterpret_cast<LONG_PTR>(main_)))});
}

AccAppSession::~AccAppSession() {
    root_.Reset();
    if (main_) ::PostMessageW(main_, WM_CLOSE, 0, 0);
    process_.wait(10000);  // the runner ends it if it is still there
    ::DeleteFileW(logPath_.c_str());
}

HWND AccAppSession::control(const wchar_t* text) const { return ::FindWindowExW(main_, nullptr, nullptr, text); }

std::wstring AccAppSession::readLog() const {
    std::vector<char> bytes;
    HANDLE file = ::CreateFileW(logPath_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.insert(bytes.end(), buffer, buffer + read);
    ::CloseHandle(file);
    // The application writes its lines with the C runtime in the ANSI code page.
    std::string text(bytes.begin(), bytes.end());
    std::wstring wide(text.size(), L'\0');
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                  static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return wide;
}

void AccAppSession::clearLog() { logStart_ = readLog().size(); }

std::wstring AccAppSession::waitForLogLine(const std::wstring& prefix, DWORD milliseconds) const {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        std::wstring log = readLog();
        std::wistringstream lines(log.size() > logStart_ ? log.substr(logStart_) : std::wstring());
        std::wstring line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == L'\r') line.pop_back();
            if (line.compare(0, prefix.size(), prefix) == 0) return line;
        }
        if (::GetTickCount64() - start >= milliseconds) return {};
        ::Sleep(50);
    }
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

} // namespace e2e
