#pragma once
// The input application started through a root wrapper, as a script starts it, and the
// lines of its event log.
#include "AutomationClient.h"
#include <functional>
#include <string>
#include <vector>

namespace e2e {

class InputAppSession {
public:
    // Starts inputapp.exe with a fresh log and binds a new root wrapper to its window.
    explicit InputAppSession(const wchar_t* title = L"Input App");
    // Ends the application if it still runs.
    ~InputAppSession();
    InputAppSession(const InputAppSession&) = delete;
    InputAppSession& operator=(const InputAppSession&) = delete;

    bool started() const { return main_ != nullptr; }
    IDispatch* root() const { return root_.Get(); }
    HWND main() const { return main_; }
    // A descendant window of the main window by class (first one).
    HWND child(const wchar_t* className) const;

    std::vector<std::string> lines() const;
    // The lines written since the last mark.
    std::vector<std::string> linesSinceMark() const;
    void mark() { mark_ = lines().size(); }
    // Waits until a line since the mark satisfies `done`; false after the timeout.
    bool waitFor(const std::function<bool(const std::vector<std::string>&)>& done, DWORD milliseconds = 10000) const;
    // Waits for a line since the mark that begins with `prefix`.
    bool waitForLine(const std::string& prefix, DWORD milliseconds = 10000) const;

    // Waits until the application has ended.
    bool waitForExit(DWORD milliseconds) const;

private:
    Microsoft::WRL::ComPtr<IDispatch> root_;
    HWND main_ = nullptr;
    DWORD processId_ = 0;
    std::wstring logPath_;
    size_t mark_ = 0;
};

// "X,Y" of a screen point, as the application writes it.
std::string PointText(LONG x, LONG y);

} // namespace e2e
