// Tevrin's main window as a tester uses it: scripts opened from the recent-file list or
// the Open dialog, run with the keyboard, stopped at breakpoints, stepped and stopped;
// panes toggled, resized and remembered; the questions it asks before closing.
//
// Set TEVRIN_SCREENSHOT_DIR to a Windows folder to keep screenshots of the window at
// start, at a break and with a floating pane.
#include "tests/apps/ScreenBitmap.h"
#include "tests/e2e/ProcessRunner.h"
#include "tests/e2e/frame/WindowText.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using e2e::DistPath;
using e2e::ProcessRunner;

namespace {

using frame_e2e::kTimeout;
const wchar_t kProfileKey[] = L"Software\\Norwend\\Tevrin";
const wchar_t kFrameClass[] = L"TevrinFrame";
const wchar_t kBarClass[] = L"TevrinControlBar";

// Commands and resources of the window.
enum : UINT {
    ID_VIEW_APPLICATIONS = 32771,
    ID_VIEW_CALLSTACK = 32772,
    ID_VIEW_VARIABLES = 32773,
    ID_VIEW_THREADS = 32774,
    ID_VIEW_BREAKPOINTS = 32775,
    ID_VIEW_WATCH = 32776,
    ID_DEBUG_GO = 32778,
    ID_DEBUG_TOGGLE_BREAKPOINT = 32782,
    ID_DEBUG_BREAK = 32783,
    ID_VIEW_RESULTS = 32784,
    ID_FILE_OPEN = 57601,
    ID_FILE_MRU_FILE1 = 57616,
    IDW_TOOLBAR = 0xE800,
    IDW_DEBUGBAR = 0xE806,
    IDC_RESULTS_EDIT = 1010,
    IDC_WATCH_LIST = 1006,
};
enum : UINT { THREADS = 130, VARIABLES = 131, CALLSTACK = 132, APPLICATIONS = 133, BREAKPOINTS = 134, WATCH = 135,
              RESULTS = 141 };

using frame_e2e::ClassOf;
using frame_e2e::TextOf;
using frame_e2e::WaitUntil;

struct WindowsOfProcess {
    DWORD pid;
    std::vector<HWND> found;
};

// Enumeration callbacks are stdcall functions (lambdas do not convert to them in 32-bit builds).
BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<WindowsOfProcess*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == query->pid) query->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
    WindowsOfProcess query{processId, {}};
    ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> found;
    ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ScriptFolder() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"tevrin-frame-e2e";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// For failure messages.
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring Lower(std::wstring text) {
    ::CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// Writes a script (lines joined with CR LF) and returns its full path.
std::wstring WriteScript(const wchar_t* name, const std::vector<std::wstring>& lines) {
    const std::wstring path = ScriptFolder() + L"\\" + name;
    std::string bytes;
    for (const std::wstring& line : lines) {
        for (wchar_t c : line) bytes += static_cast<char>(c);
        bytes += "\r\n";
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return path;
}

std::wstring GoFile() { return ScriptFolder() + L"\\go.txt"; }

void CreateGoFile() {
    HANDLE file = ::CreateFileW(GoFile().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(file);
}

// A script that logs, then waits until the test creates the go file.
std::wstring WaitingScript(const wchar_t* name) {
    return WriteScript(name, {
        L"#language StepScript",
        L"Dim fso",
        L"Set fso = CreateObject(\"Scripting.FileSystemObject\")",
        L"Env.LogInfo \"first record\"",
        L"Env.LogWarning \"second record\"",
        L"Do While Not fso.FileExists(\"" + GoFile() + L"\")",
        L"    Env.Sleep 50",
        L"Loop",
        L"Env.LogInfo \"last record\"",
    });
}

// A script whose lines 5 to 8 each log their own text.
std::wstring SteppingScript(const wchar_t* name) {
    return WriteScript(name, {
        L"#language StepScript",
        L"' Stepping through four records.",
        L"Dim n",
        L"n = 1",
        L"Env.LogInfo \"before\"",
        L"Env.LogInfo \"at breakpoint\"",
        L"Env.LogInfo \"stepped once\"",
        L"Env.LogInfo \"stepped twice\"",
        L"Env.LogInfo \"after\"",
    });
}

void SetRecentFiles(const std::vector<std::wstring>& files) {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(kProfileKey) + L"\\Recent File List";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0)
        return;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::wstring entry = L"File" + std::to_wstring(i + 1);
        ::RegSetValueExW(key, entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(files[i].c_str()),
                         static_cast<DWORD>((files[i].size() + 1) * sizeof(wchar_t)));
    }
    ::RegCloseKey(key);
}

std::wstring ProfileString(const std::wstring& section, const wchar_t* entry) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    const std::wstring key = std::wstring(kProfileKey) + L"\\" + section;
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), entry, RRF_RT_REG_SZ, nullptr, value, &size) != 0) return {};
    return value;
}

int ProfileInt(const std::wstring& section, const wchar_t* entry, int missing) {
    DWORD value = 0, size = sizeof(value);
    const std::wstring key = std::wstring(kProfileKey) + L"\\" + section;
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), entry, RRF_RT_REG_DWORD, nullptr, &value, &size) != 0)
        return missing;
    return static_cast<int>(value);
}

void SendKeys(std::vector<WORD> modifiers, WORD key) {
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD m : modifiers) add(m, false);
    add(key, false);
    add(key, true);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) add(*it, true);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The whole screen as a 24-bit BMP, when screenshots are wanted.
void Screenshot(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"TEVRIN_SCREENSHOT_DIR", folder, MAX_PATH)) return;
    const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    testing_apps::SaveScreenBitmap(screen, std::wstring(folder) + L"\\" + name + L".bmp");
}

class FrameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Every test starts from the initial layout and an empty recent-file list.
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
        ::DeleteFileW(GoFile().c_str());
    }

    void TearDown() override {
        // A test that failed half-way must not leave a script waiting.
        CreateGoFile();
        if (tevrin_ && frame_ && ::IsWindow(frame_)) {
            ::PostMessageW(frame_, WM_CLOSE, 0, 0);
            // A question about a running script or a modified document: answer it.
            WaitUntil([this] {
                if (HWND box = MessageBox()) Answer(box, IDYES);
                return !::IsWindow(frame_);
            }, 20000);
            tevrin_->wait(20000);
        }
        tevrin_.reset();
        ::DeleteFileW(GoFile().c_str());
    }

    void Start() {
        tevrin_.reset(new ProcessRunner);
        ASSERT_TRUE(tevrin_->start(L"\"" + DistPath(L"Tevrin.exe") + L"\""));
        frame_ = tevrin_->waitForWindow(kFrameClass, kTimeout);
        ASSERT_NE(frame_, nullptr) << "Tevrin.exe showed no main window";
    }

    // Closes the window (no script running, nothing modified) and waits for the exit.
    void Close() {
        ::PostMessageW(frame_, WM_CLOSE, 0, 0);
        ASSERT_TRUE(tevrin_->wait(kTimeout)) << "Tevrin.exe did not end after WM_CLOSE";
        EXPECT_EQ(tevrin_->exitCode(), 0u);
        frame_ = nullptr;
    }

    void Command(UINT id) { ::PostMessageW(frame_, WM_COMMAND, id, 0); }

    std::wstring Caption() const {
        wchar_t text[512] = {};
        ::GetWindowTextW(frame_, text, 512);
        return text;
    }

    bool CaptionEndsWith(const std::wstring& suffix) const {
        const std::wstring caption = Caption();
        return caption.size() >= suffix.size() && caption.compare(caption.size() - suffix.size(), suffix.size(), suffix) == 0;
    }

    HWND Bar(UINT id) const {
        for (HWND top : TopLevelWindows(tevrin_->processId()))
            for (HWND child : Descendants(top))
                if (ClassOf(child) == kBarClass && static_cast<UINT>(::GetDlgCtrlID(child)) == id) return child;
        return nullptr;
    }

    bool BarVisible(UINT id) const {
        HWND bar = Bar(id);
        return bar && ::IsWindowVisible(bar);
    }

    SIZE BarSize(UINT id) const {
        RECT r{};
        ::GetWindowRect(Bar(id), &r);
        return SIZE{r.right - r.left, r.bottom - r.top};
    }

    std::wstring Results() const {
        HWND bar = Bar(RESULTS);
        if (!bar) return {};
        for (HWND child : Descendants(bar))
            if (::GetDlgCtrlID(child) == IDC_RESULTS_EDIT) return TextOf(child);
        return {};
    }

    bool ResultsContain(const wchar_t* text) const { return Results().find(text) != std::wstring::npos; }

    // The rich edit of the active script view.
    HWND ScriptEdit() const {
        for (HWND child : Descendants(frame_))
            if (ClassOf(child) == L"MDIClient") {
                HWND active = reinterpret_cast<HWND>(::SendMessageW(child, WM_MDIGETACTIVE, 0, 0));
                if (!active) return nullptr;
                for (HWND view : Descendants(active))
                    if (Lower(ClassOf(view)).find(L"richedit") == 0) return view;
            }
        return nullptr;
    }

    // A visible message box of the program, or null.
    HWND MessageBox() const {
        if (!tevrin_) return nullptr;
        for (HWND top : TopLevelWindows(tevrin_->processId()))
            if (ClassOf(top) == L"#32770" && ::IsWindowVisible(top) && ::GetDlgItem(top, IDOK) == nullptr &&
                (::GetDlgItem(top, IDYES) || ::GetDlgItem(top, IDNO)))
                return top;
        for (HWND top : TopLevelWindows(tevrin_->processId()))
            if (ClassOf(top) == L"#32770" && ::IsWindowVisible(top) && ::GetDlgItem(top, 0xFFFF)) return top;
        return nullptr;
    }

    HWND WaitForMessageBox() const {
        HWND box = nullptr;
        WaitUntil([&] { return (box = MessageBox()) != nullptr; });
        return box;
    }

    static std::wstring MessageText(HWND box) {
        std::wstring text;
        for (HWND child : Descendants(box))
            if (ClassOf(child) == L"Static") text += TextOf(child);
        return text;
    }

    static void Answer(HWND box, int button) {
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
    }

    void Keys(std::vector<WORD> modifiers, WORD key) {
        ::SetForegroundWindow(frame_);
        WaitUntil([this] { return ::GetForegroundWindow() == frame_; }, 5000);
        SendKeys(std::move(modifiers), key);
    }

    // Opens the n-th entry (0-based) of the recent-file list and waits for its view.
    void OpenRecent(size_t index, const std::wstring& path) {
        Command(ID_FILE_MRU_FILE1 + static_cast<UINT>(index));
        const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
        ASSERT_TRUE(WaitUntil([&] { return Caption().find(name) != std::wstring::npos && ScriptEdit(); }))
            << "no view for " << Narrow(name) << "; caption "
            << Narrow(Caption());
    }

    // The caret on a line (1-based), then the toolbar's Toggle Breakpoint command.
    void SetBreakpointOnLine(int line) {
        HWND edit = ScriptEdit();
        ASSERT_NE(edit, nullptr);
        const LRESULT start = ::SendMessageW(edit, EM_LINEINDEX, line - 1, 0);
        ::SendMessageW(edit, EM_SETSEL, start, start);
        Command(ID_DEBUG_TOGGLE_BREAKPOINT);
    }

    // Opens a script through the Open dialog, typing its path.
    void OpenWithDialog(const std::wstring& path) {
        Command(ID_FILE_OPEN);
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            for (HWND top : TopLevelWindows(tevrin_->processId()))
                if (ClassOf(top) == L"#32770" && ::IsWindowVisible(top) && ::GetDlgItem(top, IDOK)) dialog = top;
            return dialog != nullptr;
        })) << "no Open dialog";
        // The file name field of the common dialog: edt1, or the edit inside cmb13.
        HWND name = nullptr;
        for (HWND child : Descendants(dialog)) {
            const int id = ::GetDlgCtrlID(child);
            if (ClassOf(child) == L"Edit" && (id == 0x480 || id == 0x47C)) name = child;
        }
        ASSERT_NE(name, nullptr) << "no file name field";
        ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK)));
        const std::wstring file = path.substr(path.find_last_of(L'\\') + 1);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog) && Caption().find(file) != std::wstring::npos; }))
            << "the Open dialog did not open " << Narrow(file);
    }

    std::unique_ptr<ProcessRunner> tevrin_;
    HWND frame_ = nullptr;
};

TEST_F(FrameWindowTest, StartsWithToolbarsInOneRowAndTheInitialPanes) {
    Start();
    EXPECT_EQ(Caption(), L"Tevrin");
    HWND mainBar = Bar(IDW_TOOLBAR), debugBar = Bar(IDW_DEBUGBAR);
    ASSERT_NE(mainBar, nullptr);
    ASSERT_NE(debugBar, nullptr);
    RECT mainRect{}, debugRect{};
    ::GetWindowRect(mainBar, &mainRect);
    ::GetWindowRect(debugBar, &debugRect);
    EXPECT_EQ(mainRect.top, debugRect.top) << "the debug toolbar is not in the main toolbar's row";
    EXPECT_GT(debugRect.left, mainRect.left);

    for (UINT shown : {CALLSTACK, VARIABLES, WATCH, BREAKPOINTS}) EXPECT_TRUE(BarVisible(shown)) << shown;
    for (UINT hidden : {RESULTS, THREADS, APPLICATIONS}) EXPECT_FALSE(BarVisible(hidden)) << hidden;
    // Call Stack, Variables and Watch share the bottom row, left to right.
    RECT stack{}, variables{}, watch{}, breakpoints{};
    ::GetWindowRect(Bar(CALLSTACK), &stack);
    ::GetWindowRect(Bar(VARIABLES), &variables);
    ::GetWindowRect(Bar(WATCH), &watch);
    ::GetWindowRect(Bar(BREAKPOINTS), &breakpoints);
    EXPECT_EQ(stack.top, variables.top);
    EXPECT_EQ(variables.top, watch.top);
    EXPECT_LT(stack.left, variables.left);
    EXPECT_LT(variables.left, watch.left);
    EXPECT_LT(breakpoints.bottom, stack.bottom);
    // The floating panes live in frames of their own.
    EXPECT_NE(::GetAncestor(Bar(THREADS), GA_ROOT), frame_);
    EXPECT_NE(::GetAncestor(Bar(APPLICATIONS), GA_ROOT), frame_);
    Screenshot(L"fw-start");
    Close();
}

TEST_F(FrameWindowTest, EveryViewCommandTwiceLeavesThePaneAsItWas) {
    Start();
    const std::pair<UINT, UINT> commands[] = {
        {ID_VIEW_CALLSTACK, CALLSTACK}, {ID_VIEW_VARIABLES, VARIABLES}, {ID_VIEW_THREADS, THREADS},
        {ID_VIEW_BREAKPOINTS, BREAKPOINTS}, {ID_VIEW_WATCH, WATCH}, {ID_VIEW_APPLICATIONS, APPLICATIONS},
        {ID_VIEW_RESULTS, RESULTS}};
    for (const auto& command : commands) {
        const bool before = BarVisible(command.second);
        Command(command.first);
        EXPECT_TRUE(WaitUntil([&] { return BarVisible(command.second) != before; }, 10000)) << command.first;
        if (command.first == ID_VIEW_THREADS) Screenshot(L"fw-floating");
        Command(command.first);
        EXPECT_TRUE(WaitUntil([&] { return BarVisible(command.second) == before; }, 10000)) << command.first;
    }
    Close();
}

TEST_F(FrameWindowTest, CtrlF5RunsTheScriptWithRecordsAndRunStateInTheCaption) {
    const std::wstring script = WaitingScript(L"waiting.vbs");
    SetRecentFiles({script});
    Start();
    OpenRecent(0, script);
    const std::wstring title = Caption();
    EXPECT_EQ(title.find(L"[run]"), std::wstring::npos);

    Keys({VK_CONTROL}, VK_F5);
    ASSERT_TRUE(WaitUntil([&] { return ResultsContain(L"second record"); })) << "no records; results: "
        << Narrow(Results());
    EXPECT_TRUE(BarVisible(RESULTS));
    EXPECT_TRUE(ResultsContain(L"Script started."));
    EXPECT_TRUE(CaptionEndsWith(L" - [run]")) << Narrow(Caption());
    // The records carry the script's position.
    EXPECT_TRUE(Results().find(L"waiting.vbs") != std::wstring::npos) << Narrow(Results());

    CreateGoFile();
    ASSERT_TRUE(WaitUntil([&] { return ResultsContain(L"Script ended with no errors."); }));
    EXPECT_TRUE(ResultsContain(L"last record"));
    EXPECT_TRUE(WaitUntil([&] { return Caption() == title; }, 10000)) << Narrow(Caption());
    const std::wstring results = Results();
    EXPECT_LT(results.find(L"Script started."), results.find(L"last record"));
    Close();
}

TEST_F(FrameWindowTest, BreakpointStopsTheRunThenF10AndF11StepAndShiftF5Stops) {
    const std::wstring script = SteppingScript(L"stepping.vbs");
    SetRecentFiles({script});
    Start();
    OpenRecent(0, script);
    SetBreakpointOnLine(6);

    Keys({VK_CONTROL}, VK_F5);
    ASSERT_TRUE(WaitUntil([&] { return CaptionEndsWith(L" - [break]"); }))
        << Narrow(Caption());
    EXPECT_TRUE(ResultsContain(L"before"));
    EXPECT_FALSE(ResultsContain(L"at breakpoint"));
    Screenshot(L"fw-break");

    Keys({}, VK_F10);
    ASSERT_TRUE(WaitUntil([&] { return ResultsContain(L"at breakpoint") && CaptionEndsWith(L" - [break]"); }));
    EXPECT_FALSE(ResultsContain(L"stepped once"));
    Keys({}, VK_F11);
    ASSERT_TRUE(WaitUntil([&] { return ResultsContain(L"stepped once") && CaptionEndsWith(L" - [break]"); }));
    EXPECT_FALSE(ResultsContain(L"stepped twice"));

    Keys({VK_SHIFT}, VK_F5);
    ASSERT_TRUE(WaitUntil([&] { return Caption().find(L"[") == std::wstring::npos; }))
        << Narrow(Caption());
    EXPECT_FALSE(ResultsContain(L"stepped twice"));
    EXPECT_FALSE(ResultsContain(L"after"));
    Close();
}

TEST_F(FrameWindowTest, BreakStopsARunningScriptAndGoResumesIt) {
    const std::wstring script = WaitingScript(L"breaking.vbs");
    SetRecentFiles({script});
    Start();
    OpenRecent(0, script);
    Keys({VK_CONTROL}, VK_F5);
    ASSERT_TRUE(WaitUntil([&] { return ResultsContain(L"second record") && CaptionEndsWith(L" - [run]"); }));

    Command(ID_DEBUG_BREAK);
    ASSERT_TRUE(WaitUntil([&] { return CaptionEndsWith(L" - [break]"); }))
        << Narrow(Caption()) << "; message box: "
        << (MessageBox() ? Narrow(MessageText(MessageBox())) : std::string("none"));
    // Go as the toolbar sends it: keys pressed while Break still waits for the stop are
    // dispatched by that wait without the accelerators.
    Command(ID_DEBUG_GO);
    ASSERT_TRUE(WaitUntil([&] { return CaptionEndsWith(L" - [run]"); }))
        << Narrow(Caption());
    CreateGoFile();
    ASSERT_TRUE(WaitUntil([&] { return ResultsContain(L"Script ended with no errors."); }));
    Close();
}

TEST_F(FrameWindowTest, ClosingWhileAScriptRunsAsksAndNoKeepsItRunning) {
    const std::wstring script = SteppingScript(L"closing.vbs");
    SetRecentFiles({script});
    Start();
    OpenRecent(0, script);
    SetBreakpointOnLine(6);
    Keys({VK_CONTROL}, VK_F5);
    ASSERT_TRUE(WaitUntil([&] { return CaptionEndsWith(L" - [break]"); }));

    ::PostMessageW(frame_, WM_CLOSE, 0, 0);
    HWND box = WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), L"This operation will close the debugger. Continue?");
    Answer(box, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    EXPECT_TRUE(::IsWindow(frame_));
    EXPECT_TRUE(CaptionEndsWith(L" - [break]"));

    ::PostMessageW(frame_, WM_CLOSE, 0, 0);
    box = WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);
    ASSERT_TRUE(tevrin_->wait(kTimeout)) << "Tevrin.exe did not end after the script was stopped";
    EXPECT_EQ(tevrin_->exitCode(), 0u);
    frame_ = nullptr;
}

// Yes while the script executes (no break): the script is interrupted and the program
// ends, however the watcher and the stop race for the end of the run.
TEST_F(FrameWindowTest, ClosingWhileAScriptExecutesStopsItAndEnds) {
    const std::wstring script = WaitingScript(L"closing_run.vbs");
    SetRecentFiles({script});
    Start();
    OpenRecent(0, script);
    Keys({VK_CONTROL}, VK_F5);
    ASSERT_TRUE(WaitUntil([&] { return ResultsContain(L"second record") && CaptionEndsWith(L" - [run]"); }));

    ::PostMessageW(frame_, WM_CLOSE, 0, 0);
    HWND box = WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), L"This operation will close the debugger. Continue?");
    Answer(box, IDYES);
    ASSERT_TRUE(tevrin_->wait(kTimeout)) << "Tevrin.exe did not end after the script was stopped";
    EXPECT_EQ(tevrin_->exitCode(), 0u);
    frame_ = nullptr;
}

TEST_F(FrameWindowTest, RunWithoutAScriptWindowSaysSo) {
    Start();
    Keys({VK_CONTROL}, VK_F5);
    HWND box = WaitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageText(box), L"Cannot execute script: no script window is active.");
    Answer(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    Close();
}

TEST_F(FrameWindowTest, ResizedPaneKeepsItsSizeAcrossRestartsUntilItsSectionIsDeleted) {
    Start();
    const SIZE initial = BarSize(BREAKPOINTS);
    // Drag the Breakpoints pane's left edge (it borders the script area) 80 pixels left.
    RECT bar{};
    ::GetWindowRect(Bar(BREAKPOINTS), &bar);
    const int x = bar.left + 2, y = (bar.top + bar.bottom) / 2;
    auto mouse = [](int px, int py, DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = px * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = py * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
        ::SendInput(1, &input, sizeof(input));
    };
    ::SetForegroundWindow(frame_);
    mouse(x, y, 0);
    mouse(x, y, MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= 8; ++step) mouse(x - 10 * step, y, 0);
    mouse(x - 80, y, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitUntil([&] { return BarSize(BREAKPOINTS).cx > initial.cx + 40; }, 10000))
        << "the pane did not grow: " << BarSize(BREAKPOINTS).cx << " from " << initial.cx;
    const SIZE resized = BarSize(BREAKPOINTS);
    Close();
    EXPECT_EQ(ProfileInt(L"Breakpoints-Pane-134", L"sizeVertCX", -1), resized.cx);
    for (const wchar_t* section : {L"CallStack-Pane-132", L"Variables-Pane-131", L"Watch-Pane-135",
                                   L"Breakpoints-Pane-134", L"Threads-Pane-130", L"Applications-Pane-133",
                                   L"Results-Pane-141"})
        EXPECT_NE(ProfileInt(section, L"sizeFloatCX", -1), -1) << std::string(section, section + wcslen(section));

    Start();
    EXPECT_EQ(BarSize(BREAKPOINTS).cx, resized.cx);
    Close();

    const std::wstring section = std::wstring(kProfileKey) + L"\\Breakpoints-Pane-134";
    ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, section.c_str()), ERROR_SUCCESS);
    Start();
    EXPECT_EQ(BarSize(BREAKPOINTS).cx, initial.cx);
    Close();
}

TEST_F(FrameWindowTest, RecentFileListHoldsTheLastFourScriptsOpened) {
    std::vector<std::wstring> scripts;
    for (int i = 1; i <= 5; ++i)
        scripts.push_back(WriteScript((L"recent" + std::to_wstring(i) + L".vbs").c_str(),
                                      {L"#language StepScript", L"Env.LogInfo \"recent\""}));
    Start();
    for (const std::wstring& script : scripts) OpenWithDialog(script);
    Close();
    // Most recent first; the first script opened fell off the end.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Lower(ProfileString(L"Recent File List", (L"File" + std::to_wstring(i + 1)).c_str())),
                  Lower(scripts[4 - i]))
            << i;
    EXPECT_EQ(ProfileString(L"Recent File List", L"File5"), L"");

    // The list's entries open their scripts.
    Start();
    OpenRecent(3, scripts[1]);
    Close();
    EXPECT_EQ(Lower(ProfileString(L"Recent File List", L"File1")), Lower(scripts[1]));
}

void TypeText(const std::wstring& text) {
    for (wchar_t c : text) {
        INPUT inputs[2] = {};
        for (int i = 0; i < 2; ++i) {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wScan = c;
            inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        ::SendInput(2, inputs, sizeof(INPUT));
    }
}

void Click(POINT at) {
    ::SetCursorPos(at.x, at.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

TEST_F(FrameWindowTest, KeysTypedIntoAWatchStayInItsEditAndEscapeCancelsIt) {
    const std::wstring path = WriteScript(L"watchkeys.vbs", {L"#language StepScript", L"Dim a", L"a = 1"});
    SetRecentFiles({path});
    Start();
    OpenRecent(0, path);
    HWND script = ScriptEdit();
    ASSERT_NE(script, nullptr);
    const std::wstring scriptText = TextOf(script);
    HWND list = nullptr;
    for (HWND child : Descendants(Bar(WATCH)))
        if (::GetDlgCtrlID(child) == IDC_WATCH_LIST) list = child;
    ASSERT_NE(list, nullptr);

    // A click on the empty row, F2: the row's in-place edit.
    ::SetForegroundWindow(frame_);
    ASSERT_TRUE(WaitUntil([this] { return ::GetForegroundWindow() == frame_; }, 5000));
    RECT header{};
    ::GetWindowRect(reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0)), &header);
    Click(POINT{header.left + 20, header.bottom + 6});
    SendKeys({}, VK_F2);
    HWND edit = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        return (edit = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0))) != nullptr;
    }, 10000)) << "no in-place edit";

    TypeText(L"abc");
    EXPECT_TRUE(WaitUntil([&] { return TextOf(edit) == L"abc"; }, 5000)) << Narrow(TextOf(edit));
    // Cut, paste, paste again and undo: each the edit box's own.
    for (int i = 0; i < 3; ++i) SendKeys({VK_SHIFT}, VK_LEFT);
    SendKeys({VK_CONTROL}, 'X');
    EXPECT_TRUE(WaitUntil([&] { return TextOf(edit).empty(); }, 5000)) << Narrow(TextOf(edit));
    SendKeys({VK_CONTROL}, 'V');
    EXPECT_TRUE(WaitUntil([&] { return TextOf(edit) == L"abc"; }, 5000)) << Narrow(TextOf(edit));
    SendKeys({VK_SHIFT}, VK_INSERT);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(edit) == L"abcabc"; }, 5000)) << Narrow(TextOf(edit));
    Screenshot(L"fw-watch-keys");
    SendKeys({VK_CONTROL}, 'Z');
    EXPECT_TRUE(WaitUntil([&] { return TextOf(edit) == L"abc"; }, 5000)) << Narrow(TextOf(edit));
    SendKeys({}, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(edit); }, 5000)) << "Escape left the edit open";
    // Nothing became a watch, and the script saw none of the keys.
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(TextOf(script), scriptText);
    EXPECT_EQ(Caption().find(L"*"), std::wstring::npos) << Narrow(Caption());
    Close();
}

TEST_F(FrameWindowTest, F6AndShiftF6MoveTheFocusThroughTheScriptAndTheVisiblePanes) {
    const std::wstring path = WriteScript(L"panefocus.vbs", {L"#language StepScript", L"Dim a"});
    SetRecentFiles({path});
    Start();
    OpenRecent(0, path);
    HWND script = ScriptEdit();
    ASSERT_NE(script, nullptr);
    const DWORD thread = ::GetWindowThreadProcessId(frame_, nullptr);
    const auto focusIn = [thread](HWND area) {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        return ::GetGUIThreadInfo(thread, &info) && info.hwndFocus &&
               (info.hwndFocus == area || ::IsChild(area, info.hwndFocus));
    };
    ::SetForegroundWindow(frame_);
    ASSERT_TRUE(WaitUntil([&] { return focusIn(script); }, 10000)) << "the script view has no focus";

    // Visible at start, in the table's order: Call Stack, Variables, Watch, Breakpoints.
    for (UINT pane : {CALLSTACK, VARIABLES, WATCH, BREAKPOINTS}) {
        Keys({}, VK_F6);
        EXPECT_TRUE(WaitUntil([&] { return focusIn(Bar(pane)); }, 5000)) << pane;
    }
    Keys({}, VK_F6);
    EXPECT_TRUE(WaitUntil([&] { return focusIn(script); }, 5000)) << "F6 did not come round to the script";
    Keys({VK_SHIFT}, VK_F6);
    EXPECT_TRUE(WaitUntil([&] { return focusIn(Bar(BREAKPOINTS)); }, 5000));
    Keys({VK_SHIFT}, VK_F6);
    EXPECT_TRUE(WaitUntil([&] { return focusIn(Bar(WATCH)); }, 5000));
    Close();
}

void MouseButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    ::SendInput(1, &input, sizeof(INPUT));
}

TEST_F(FrameWindowTest, APaneDraggedByItsCaptionShowsWhereItLandsAndDocksThere) {
    Start();
    HWND pane = Bar(BREAKPOINTS);
    ASSERT_NE(pane, nullptr);
    RECT before{};
    ::GetWindowRect(pane, &before);
    // A point of its caption strip.
    POINT grip{};
    for (int dx = 8; dx < 60 && !grip.x; dx += 4) {
        const POINT p{before.left + dx, before.top + 6};
        if (::SendMessageW(pane, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) == HTCAPTION) grip = p;
    }
    ASSERT_NE(grip.x, 0) << "no caption on the pane";
    RECT client{};
    ::GetClientRect(frame_, &client);
    ::MapWindowPoints(frame_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    ::SetForegroundWindow(frame_);
    WaitUntil([this] { return ::GetForegroundWindow() == frame_; }, 5000);

    ::SetCursorPos(grip.x, grip.y);
    MouseButton(true);
    const POINT target{client.left + 6, (client.top + client.bottom) / 2};
    for (int step = 1; step <= 10; ++step) {
        ::SetCursorPos(grip.x + (target.x - grip.x) * step / 10, grip.y + (target.y - grip.y) * step / 10);
        ::Sleep(30);
    }
    ::Sleep(300);
    Screenshot(L"fw-drag-pane");
    MouseButton(false);
    RECT after{};
    EXPECT_TRUE(WaitUntil([&] {
        ::GetWindowRect(pane, &after);
        return after.left < (client.left + client.right) / 2;
    }, 10000)) << "the pane did not dock on the left";
    EXPECT_EQ(::GetAncestor(pane, GA_ROOT), frame_);
    Screenshot(L"fw-drag-pane-docked");
    Close();
}

} // namespace
