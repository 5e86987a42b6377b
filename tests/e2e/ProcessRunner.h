#pragma once
#include "common/UniqueHandle.h"
#include <windows.h>
#include <string>

namespace e2e {

// A child process started by a test, with its standard output and error captured.
class ProcessRunner {
public:
    ProcessRunner() = default;
    ProcessRunner(const ProcessRunner&) = delete;
    ProcessRunner& operator=(const ProcessRunner&) = delete;
    // Ends a child that is still running: a failed test must not leave processes behind.
    ~ProcessRunner();

    bool start(const std::wstring& commandLine);
    DWORD processId() const { return processId_; }
    // True when the process ended within the timeout.
    bool wait(DWORD milliseconds);
    DWORD exitCode() const;
    // Complete once wait() returned true.
    const std::string& output() const { return output_; }
    const std::string& errors() const { return errors_; }

    // First visible top-level window of the process with the given class, waiting for it.
    HWND waitForWindow(const wchar_t* className, DWORD milliseconds) const;

private:
    void collectOutput();

    common::UniqueHandle process_;
    DWORD processId_ = 0;
    // The child writes to files, not pipes: a process it starts (a COM service, say) may
    // inherit the handles and keep a pipe open long after the child is gone.
    std::wstring outputPath_;
    std::wstring errorPath_;
    std::string output_;
    std::string errors_;
};

// Path of a shipped file in the release folder.
std::wstring DistPath(const wchar_t* fileName);

} // namespace e2e
