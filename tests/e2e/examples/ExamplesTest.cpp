// The example scripts a tester starts from, run the way a tester runs them: the suite
// folder through Tevrin.exe /suite, the other examples one by one. Each example drives
// Wine's own programs and writes an Info record for every check that holds.
#include "ProcessRunner.h"
#include "common/TextConv.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <memory>
#include <string>
#include <vector>

namespace {

const DWORD kSuiteTimeout = 300000;
const DWORD kScriptTimeout = 120000;

// The programs the examples start; each example must end what it started.
const wchar_t* const kApplications[] = {L"notepad.exe", L"regedit.exe", L"winecfg.exe", L"wordpad.exe",
                                        L"accapp.exe"};

std::vector<DWORD> ProcessesNamed(const wchar_t* name) {
    std::vector<DWORD> ids;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = ::Process32FirstW(snapshot, &entry); ok; ok = ::Process32NextW(snapshot, &entry))
        if (::lstrcmpiW(entry.szExeFile, name) == 0) ids.push_back(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return ids;
}

// The names of the applications still running after a grace period (a program closed
// through its own Cancel button takes a moment to exit). Those are then ended, so that
// a failing example does not disturb the next test.
std::string ApplicationsLeft(DWORD graceMilliseconds) {
    const DWORD start = ::GetTickCount();
    std::string left;
    for (;;) {
        left.clear();
        for (const wchar_t* name : kApplications)
            if (!ProcessesNamed(name).empty()) left += common::WideToAnsi(name) + " ";
        if (left.empty() || ::GetTickCount() - start >= graceMilliseconds) break;
        ::Sleep(200);
    }
    for (const wchar_t* name : kApplications) {
        for (DWORD id : ProcessesNamed(name)) {
            HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (!process) continue;
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, 10000);
            ::CloseHandle(process);
        }
    }
    return left;
}

// Records name their file lower-cased, as Tevrin reports it.
std::string ExamplePath(const std::string& relative) {
    return common::ToLower(common::WideToAnsi(TEVRIN_SOURCE_DIR) + "\\examples\\" + relative);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        begin = end + 1;
    }
    return lines;
}

class Examples : public ::testing::Test {
protected:
    // Programs an earlier test left behind would be counted against the examples.
    void SetUp() override { ApplicationsLeft(0); }
    void TearDown() override {
        const std::string left = ApplicationsLeft(10000);
        EXPECT_TRUE(left.empty()) << "left running: " << left;
    }

    DWORD Run(const std::wstring& commandLine, DWORD timeout) {
        runner_ = std::make_unique<e2e::ProcessRunner>();
        if (!runner_->start(commandLine)) return static_cast<DWORD>(-1);
        if (!runner_->wait(timeout)) return STILL_ACTIVE;
        return runner_->exitCode();
    }
    DWORD RunTevrin(const std::wstring& arguments, DWORD timeout = kScriptTimeout) {
        return Run(L"\"" + e2e::DistPath(L"Tevrin.exe") + L"\" " + arguments, timeout);
    }
    const std::string& out() const { return runner_->output(); }

    // True when the output holds an Info record of the file, from any line, whose text
    // begins with the given text.
    bool HasInfo(const std::string& file, const std::string& text) const {
        const std::string head = "Info: " + file + " (";
        for (const std::string& line : Lines(out())) {
            if (line.compare(0, head.size(), head) != 0) continue;
            const size_t close = line.find("): ", head.size());
            if (close != std::string::npos && line.compare(close + 3, text.size(), text) == 0) return true;
        }
        return false;
    }
    // The Error, Fatal Error and Warning records, for the failure messages.
    std::string Complaints() const {
        std::string found;
        for (const std::string& line : Lines(out()))
            if (line.rfind("Error: ", 0) == 0 || line.rfind("Fatal Error: ", 0) == 0 || line.rfind("Warning: ", 0) == 0)
                found += line + "\n";
        return found;
    }

    std::unique_ptr<e2e::ProcessRunner> runner_;
};

} // namespace

TEST_F(Examples, SuiteFolderRunsGreenAndEveryExampleChecksWhatItSays) {
    const std::wstring folder = std::wstring(TEVRIN_SOURCE_DIR) + L"\\examples\\suite";
    ASSERT_EQ(RunTevrin(L"/suite \"" + folder + L"\"", kSuiteTimeout), 0u) << out();
    EXPECT_EQ(Complaints(), "") << out();
    for (const char* script : {"notepad_menu.vbs", "notepad_open_dialog.vbs", "regedit_tree_and_values.vbs",
                               "screenshot.vbs", "winecfg_tabs_and_check_box.vbs", "wordpad_text_object_model.vbs"})
        EXPECT_NE(out().find(std::string("Suite: passed ") + script + " ("), std::string::npos) << script << "\n" << out();
    EXPECT_NE(out().find("Suite: 6 scripts, 6 passed, 0 failed, 0 errors"), std::string::npos) << out();
    // The shared helpers are included, not run as a test.
    EXPECT_EQ(out().find("Suite: passed _lib"), std::string::npos) << out();

    const std::string regedit = ExamplePath("suite\\regedit_tree_and_values.vbs");
    EXPECT_TRUE(HasInfo(regedit, "HKEY_CURRENT_USER expanded")) << out();
    EXPECT_TRUE(HasInfo(regedit, "HKEY_CURRENT_USER\\Software has the key Wine")) << out();
    EXPECT_TRUE(HasInfo(regedit, "Value row: TEMP | REG_")) << out();
    EXPECT_TRUE(HasInfo(regedit, "findItem matches name and type together")) << out();

    const std::string winecfg = ExamplePath("suite\\winecfg_tabs_and_check_box.vbs");
    EXPECT_TRUE(HasInfo(winecfg, "Windows version: ")) << out();
    EXPECT_TRUE(HasInfo(winecfg, "Switched to Graphics")) << out();
    EXPECT_TRUE(HasInfo(winecfg, "The box was ticked over")) << out();
    EXPECT_TRUE(HasInfo(winecfg, "The box is back as it was")) << out();
    EXPECT_TRUE(HasInfo(winecfg, "Switched to About by index")) << out();
    EXPECT_TRUE(HasInfo(winecfg, "winecfg closed with Cancel")) << out();

    const std::string wordpad = ExamplePath("suite\\wordpad_text_object_model.vbs");
    EXPECT_TRUE(HasInfo(wordpad, "tom is the text document")) << out();
    EXPECT_TRUE(HasInfo(wordpad, "The story reads back: Tevrin writes here. / A second paragraph. / ")) << out();
    EXPECT_TRUE(HasInfo(wordpad, "The first word is bold")) << out();
    EXPECT_TRUE(HasInfo(wordpad, "The selection holds the word writes")) << out();

    const std::string menu = ExamplePath("suite\\notepad_menu.vbs");
    EXPECT_TRUE(HasInfo(menu, "Edit > Select all, Edit > Delete emptied the text")) << out();
    EXPECT_TRUE(HasInfo(menu, "Edit > Time/Date typed: ")) << out();
    EXPECT_TRUE(HasInfo(menu, "The About box is open")) << out();
    EXPECT_TRUE(HasInfo(menu, "The About box closed with OK")) << out();

    const std::string dialog = ExamplePath("suite\\notepad_open_dialog.vbs");
    EXPECT_TRUE(HasInfo(dialog, "The select used up async")) << out();
    EXPECT_TRUE(HasInfo(dialog, "The Open dialog is there")) << out();
    EXPECT_TRUE(HasInfo(dialog, "Files of type: Text files (*.txt)")) << out();
    EXPECT_TRUE(HasInfo(dialog, "Cancel closed the dialog")) << out();

    const std::string screenshot = ExamplePath("suite\\screenshot.vbs");
    EXPECT_TRUE(HasInfo(screenshot, "Window screenshot: ")) << out();
    EXPECT_TRUE(HasInfo(screenshot, "Screen screenshot: ")) << out();
    EXPECT_TRUE(HasInfo(screenshot, "The window's picture is smaller than the screen's")) << out();

    // The screenshots were deleted again.
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    for (const wchar_t* file : {L"tevrin_example_window.bmp", L"tevrin_example_screen.bmp"})
        EXPECT_EQ(::GetFileAttributesW((std::wstring(temp) + file).c_str()), INVALID_FILE_ATTRIBUTES)
            << common::WideToAnsi(file);
}

// Wine's programs serve no accessible objects of their own: the example drives the
// accessible test application, named by an environment variable.
TEST_F(Examples, AccessibleObjectsExampleFindsTheTestApplicationsControls) {
    const std::wstring accapp = std::wstring(TEVRIN_BIN_DIR) + L"\\accapp.exe";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"TEVRIN_ACCAPP", accapp.c_str()));
    const DWORD exitCode = RunTevrin(L"\"" + std::wstring(TEVRIN_SOURCE_DIR) + L"\\examples\\accessible_objects.vbs\"");
    ::SetEnvironmentVariableW(L"TEVRIN_ACCAPP", nullptr);
    EXPECT_EQ(exitCode, 0u) << out();
    EXPECT_EQ(Complaints(), "") << out();
    const std::string script = ExamplePath("accessible_objects.vbs");
    EXPECT_TRUE(HasInfo(script, "accPushButton found Cancel")) << out();
    EXPECT_TRUE(HasInfo(script, "Its window is the Cancel control")) << out();
    EXPECT_TRUE(HasInfo(script, "The third push button is Help")) << out();
    EXPECT_TRUE(HasInfo(script, "In the list, Alpha is checked and Beta is not")) << out();
    EXPECT_TRUE(HasInfo(script, "Help received the click")) << out();
}

TEST_F(Examples, AccessibleObjectsExampleFailsWhenItsApplicationIsNotNamed) {
    ::SetEnvironmentVariableW(L"TEVRIN_ACCAPP", nullptr);
    EXPECT_EQ(RunTevrin(L"\"" + std::wstring(TEVRIN_SOURCE_DIR) + L"\\examples\\accessible_objects.vbs\""), 1u) << out();
    EXPECT_NE(out().find("Error: " + ExamplePath("accessible_objects.vbs") + " ("), std::string::npos) << out();
    EXPECT_NE(out().find("TEVRIN_ACCAPP is not set"), std::string::npos) << out();
}

TEST_F(Examples, DemoRunsInTevrinAndTheNotepadScriptInCscript) {
    EXPECT_EQ(RunTevrin(L"\"" + std::wstring(TEVRIN_SOURCE_DIR) + L"\\examples\\demo.vbs\""), 0u) << out();
    EXPECT_TRUE(HasInfo(ExamplePath("demo.vbs"), "Notepad read back: Hello from Tevrin")) << out();

    // notepad.vbs is written for the platform's script host, without Tevrin.
    EXPECT_EQ(Run(L"cscript.exe //nologo \"" + std::wstring(TEVRIN_SOURCE_DIR) + L"\\examples\\notepad.vbs\"",
                  kScriptTimeout),
              0u)
        << out() << runner_->errors();
    EXPECT_NE(out().find("Notepad read back: Hello from Tevrin"), std::string::npos) << out();
}
