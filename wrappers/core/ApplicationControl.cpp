#include "wrappers/core/ApplicationControl.h"
#include "common/TextConv.h"
#include "common/UniqueHandle.h"
#include "wrappers/core/WindowSearch.h"
#include "wrappers/core/WrapperError.h"
#include "wrappers/hook/SendRemote.h"
#include <cstdlib>
#include <vector>

namespace wrappers {
namespace {

const int kMainWindowTries = 100;
const DWORD kMainWindowPause = 200;
const DWORD kTerminateTimeout = 30000;
const size_t kMaxPath = 1024;

const wchar_t kWaitFailed[] = L"Failed to wait for process to finish.";

} // namespace

std::string workingFolderOf(const std::string& ansiCommandLine) {
    // The program's own folder: the whole command line would make its arguments part of
    // the folder ("C:\Tools\app.exe \" for "C:\Tools\app.exe /x"), a folder that does
    // not exist and makes the start fail.
    std::string program;
    if (!ansiCommandLine.empty() && ansiCommandLine[0] == '"') {
        size_t end = ansiCommandLine.find('"', 1);
        program = ansiCommandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    } else {
        program = ansiCommandLine.substr(0, ansiCommandLine.find_first_of(" \t"));
    }
    if (program.empty()) return {};
    char full[kMaxPath] = {};
    if (!::_fullpath(full, program.c_str(), kMaxPath)) return {};
    char drive[_MAX_DRIVE] = {};
    char folder[kMaxPath] = {};
    if (::_splitpath_s(full, drive, sizeof drive, folder, sizeof folder, nullptr, 0, nullptr, 0) != 0) return {};
    return std::string(drive) + folder;
}

LaunchResult launchApplication(const std::wstring& commandLine, const std::wstring& title,
                               const std::wstring& startIn, bool wait) {
    const std::string ansiCommand = common::WideToAnsi(commandLine);
    std::string folder;
    if (!startIn.empty()) {
        folder = common::WideToAnsi(startIn);
        if (folder.size() > kMaxPath) folder.resize(kMaxPath);
    } else {
        folder = workingFolderOf(ansiCommand);
        // A bare program name found on the path has no folder of its own here.
        if (::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) folder.clear();
    }

    std::vector<char> mutableCommand(ansiCommand.begin(), ansiCommand.end());
    mutableCommand.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (ansiCommand.empty() ||
        !::CreateProcessA(nullptr, mutableCommand.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        throw WrapperError(L"Cannot run command line '" + commandLine + L"'");
    common::UniqueHandle process(info.hProcess);
    common::UniqueHandle thread(info.hThread);

    LaunchResult result;
    if (wait) {
        ::WaitForSingleObject(process.get(), INFINITE);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process.get(), &code);
        if (code == STILL_ACTIVE)
            SetErrorText(kWaitFailed);
        else
            result.exitCode = code;
        return result;
    }

    if (::WaitForInputIdle(process.get(), INFINITE) == WAIT_FAILED) {
        // A program that ended already has nothing to wait for; the window search below
        // then reports it the way it reports every missing window.
        DWORD code = STILL_ACTIVE;
        if (!::GetExitCodeProcess(process.get(), &code) || code == STILL_ACTIVE)
            throw WrapperError(L"Process failed to initialize");
    }
    for (int attempt = 1;; ++attempt) {
        if (HWND found = findMainWindow(title, info.dwThreadId, info.dwProcessId)) {
            result.mainWindow = found;
            return result;
        }
        if (attempt == kMainWindowTries) break;
        ::Sleep(kMainWindowPause);
        DWORD code = STILL_ACTIVE;
        if (::GetExitCodeProcess(process.get(), &code) && code != STILL_ACTIVE) break;
    }
    throw WrapperError(L"Could not find main window");
}

std::optional<DWORD> terminateApplication(HWND window) {
    DWORD processId = 0;
    if (window) ::GetWindowThreadProcessId(window, &processId);
    if (!processId) return DWORD{0};  // the application has gone already
    common::UniqueHandle process(::OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    sendTerminate(window, false);
    if (!process) return DWORD{0};
    ::WaitForSingleObject(process.get(), kTerminateTimeout);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.get(), &code);
    if (code == STILL_ACTIVE) {
        SetErrorText(kWaitFailed);
        return std::nullopt;
    }
    return code;
}

} // namespace wrappers
