#pragma once
// Starting an application and ending it again (appExecute, appRelease).
#include <windows.h>
#include <optional>
#include <string>

namespace wrappers {

struct LaunchResult {
    HWND mainWindow = nullptr;           // found main window (not when waiting)
    std::optional<DWORD> exitCode;       // exit code (only when waiting)
};

// Starts the command line; with `wait` waits for its end, otherwise for its main window
// (on its primary thread, title matching `title`). Throws WrapperError with the user's
// message on failure.
LaunchResult launchApplication(const std::wstring& commandLine, const std::wstring& title,
                               const std::wstring& startIn, bool wait);

// Working folder of a command line without an explicit one: drive and folder of the
// full path of the whole command line.
std::string workingFolderOf(const std::string& ansiCommandLine);

// Asks the process owning `window` to end through the hook library and waits up to
// 30 s; the exit code, or none when it did not end (the error information then says so).
std::optional<DWORD> terminateApplication(HWND window);

} // namespace wrappers
