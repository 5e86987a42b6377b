// Recording a test: Tevrin's Record command watches real input (SendInput from this test)
// in Notepad and writes script lines into its script document; the recorded script, run
// by Tevrin.exe on the command line against a fresh Notepad, does the same again.
#include "tests/e2e/ProcessRunner.h"
#include "tests/e2e/frame/WindowText.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>

#include <cwchar>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

using e2e::DistPath;
using e2e::ProcessRunner;

namespace {

using frame_e2e::kTimeout;
const wchar_t kFrameClass[] = L"TevrinFrame";
const UINT ID_TOOLS_RECORD = 32788;
const UINT ID_TOOLS_STOP_RECORDING = 32789;

using frame_e2e::ClassOf;
using frame_e2e::TextOf;
using frame_e2e::WaitUntil;

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> found;
    ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct TopLevelQuery {
    DWORD pid;
    const wchar_t* cls;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<TopLevelQuery*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == query->pid && ::IsWindowVisible(window) && ClassOf(window) == query->cls) {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND TopLevelOf(DWORD pid, const wchar_t* cls) {
    TopLevelQuery query{pid, cls, nullptr};
    ::EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"tevrin-recorder-e2e";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::wstring& path, const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) {
        if (c == L'\r') continue;
        if (c == L'\n') bytes += "\r\n";
        else bytes += static_cast<char>(c);
    }
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
}

// Real key presses: a virtual key with the Shift the character needs.
void PressKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof(INPUT));
}

void TypeKeys(const std::wstring& text) {
    for (wchar_t c : text) {
        const SHORT scan = ::VkKeyScanW(c);
        const bool shift = (scan & 0x100) != 0;
        if (shift) PressKey(VK_SHIFT, false);
        PressKey(static_cast<WORD>(scan & 0xFF), false);
        PressKey(static_cast<WORD>(scan & 0xFF), true);
        if (shift) PressKey(VK_SHIFT, true);
        ::Sleep(10);
    }
}

void Chord(WORD modifier, WORD key) {
    PressKey(modifier, false);
    PressKey(key, false);
    PressKey(key, true);
    PressKey(modifier, true);
}

void ClickAt(POINT at) {
    ::SetCursorPos(at.x, at.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(2, inputs, sizeof(INPUT));
}

void ClickCentre(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

bool Foreground(HWND window) {
    ::SetForegroundWindow(window);
    return WaitUntil([window] { return ::GetForegroundWindow() == window; }, 10000);
}

class RecorderTest : public ::testing::Test {
protected:
    void TearDown() override {
        // Tevrin asks to save the recorded document; the test does not keep it.
        if (tevrin_) tevrin_.reset();
    }

    void StartTevrin() {
        tevrin_.reset(new ProcessRunner);
        ASSERT_TRUE(tevrin_->start(L"\"" + DistPath(L"Tevrin.exe") + L"\""));
        frame_ = tevrin_->waitForWindow(kFrameClass, kTimeout);
        ASSERT_NE(frame_, nullptr) << "Tevrin.exe showed no main window";
    }

    HWND MdiClient() const {
        for (HWND child : Descendants(frame_))
            if (ClassOf(child) == L"MDIClient") return child;
        return nullptr;
    }

    int DocumentCount() const {
        int count = 0;
        HWND client = MdiClient();
        for (HWND child = ::GetWindow(client, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (::IsWindowVisible(child)) ++count;
        return count;
    }

    HWND ScriptEdit() const {
        HWND client = MdiClient();
        HWND active = client ? reinterpret_cast<HWND>(::SendMessageW(client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
        if (!active) return nullptr;
        for (HWND view : Descendants(active)) {
            std::wstring cls = ClassOf(view);
            for (wchar_t& c : cls) c = static_cast<wchar_t>(::towlower(c));
            if (cls.find(L"richedit") == 0) return view;
        }
        return nullptr;
    }

    // What a message box of the program says, for failure messages.
    std::string MessageBoxText() const {
        HWND box = tevrin_ ? TopLevelOf(tevrin_->processId(), L"#32770") : nullptr;
        if (!box) {
            std::wstring state = L"(no message box; frame \"" + TextOf(frame_) + L"\", documents ";
            state += std::to_wstring(DocumentCount()) + L")";
            return Narrow(state);
        }
        std::wstring text = TextOf(box) + L": ";
        for (HWND child : Descendants(box))
            if (ClassOf(child) == L"Static") text += TextOf(child) + L" ";
        return Narrow(text);
    }

    std::wstring Recorded() const {
        HWND edit = ScriptEdit();
        return edit ? TextOf(edit) : std::wstring();
    }

    // A command as the menu gives it, once the window answers (a program that is still
    // starting counts as hung, and a message for a hung window is dropped).
    void Command(UINT id) {
        WaitUntil([this] {
            return ::SendMessageTimeoutW(frame_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr) != 0;
        }, 30000);
        ::SendMessageTimeoutW(frame_, WM_COMMAND, id, 0, SMTO_NORMAL, 30000, nullptr);
    }

    // Notepad started fresh, in front, with its window.
    HWND StartNotepad(ProcessRunner& notepad) {
        if (!notepad.start(L"notepad.exe")) return nullptr;
        HWND window = notepad.waitForWindow(L"Notepad", kTimeout);
        if (window && !Foreground(window)) return nullptr;
        return window;
    }

    std::unique_ptr<ProcessRunner> tevrin_;
    HWND frame_ = nullptr;
};

size_t Count(const std::wstring& text, const std::wstring& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST_F(RecorderTest, NotepadSaveAsIsRecordedAndTheRecordedScriptDoesItAgain) {
    const std::wstring folder = TempFolder();
    const std::wstring saved = folder + L"\\recorded-note.txt";
    ::DeleteFileW(saved.c_str());

    StartTevrin();
    // No script document is open: Record makes one.
    ASSERT_EQ(0, DocumentCount());
    Command(ID_TOOLS_RECORD);
    // Record pressed twice: still one recording.
    Command(ID_TOOLS_RECORD);
    ASSERT_TRUE(WaitUntil([this] { return ScriptEdit() != nullptr; }, 10000))
        << "Record made no script document: " << MessageBoxText();
    EXPECT_EQ(1, DocumentCount());
    // Keys in Tevrin's own window are not recorded (F6 moves between its panes).
    ASSERT_TRUE(Foreground(frame_));
    Chord(VK_SHIFT, VK_F6);
    ::Sleep(300);
    Chord(VK_SHIFT, VK_F6);
    ::Sleep(300);

    ProcessRunner notepad;
    HWND main = StartNotepad(notepad);
    ASSERT_NE(main, nullptr) << "no Notepad window in front";
    HWND text = nullptr;
    for (HWND child : Descendants(main))
        if (ClassOf(child) == L"Edit") text = child;
    ASSERT_NE(text, nullptr);
    ClickCentre(text);
    TypeKeys(L"Hello recorder");
    ASSERT_TRUE(WaitUntil([&] { return TextOf(text) == L"Hello recorder"; }, 10000)) << Narrow(TextOf(text));

    // File > Save As with the keyboard: the menu, then the item's letter.
    Chord(VK_MENU, 'F');
    ::Sleep(500);
    TypeKeys(L"a");
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = TopLevelOf(notepad.processId(), L"#32770")) != nullptr; }, 20000))
        << "no Save As dialog";
    ASSERT_TRUE(Foreground(dialog));
    HWND name = nullptr;
    HWND save = nullptr;
    for (HWND child : Descendants(dialog)) {
        if (!name && ClassOf(child) == L"Edit" && ::IsWindowVisible(child)) name = child;
        if (ClassOf(child) == L"Button" && TextOf(child).find(L"Save") != std::wstring::npos) save = child;
    }
    ASSERT_NE(name, nullptr);
    ASSERT_NE(save, nullptr);
    ClickCentre(name);
    Chord(VK_CONTROL, 'A');
    TypeKeys(saved);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(name) == saved; }, 10000)) << Narrow(TextOf(name));
    ClickCentre(save);
    ASSERT_TRUE(WaitUntil([&] { return ReadFile(saved) == "Hello recorder"; }, 20000)) << ReadFile(saved);

    Command(ID_TOOLS_STOP_RECORDING);
    const std::wstring script = Recorded();
    std::printf("Recorded script:\n%s\n", Narrow(script).c_str());
    EXPECT_EQ(1u, Count(script, L"CreateObject(\"Wrappers.WNDWrapper\")")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.appAttach \"\\.* - Notepad\"")) << Narrow(script);
    EXPECT_EQ(1u, Count(script, L"app.edit(0).value = \"Hello recorder\"")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.menu.menu(\"&File\").select")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"Set dlg = app.waitForWindow(\"Save As\", \"#32770\", 10)"))
        << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L".value = \"" + saved + L"\"")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L".push")) << Narrow(script);
    // One line per action: no keys line for the letters typed into fields.
    EXPECT_EQ(std::wstring::npos, script.find(L".keys")) << Narrow(script);

    // Again, from the script, against a fresh Notepad.
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(notepad.wait(20000)) << "Notepad did not close";
    ::DeleteFileW(saved.c_str());
    const std::wstring scriptPath = folder + L"\\recorded.vbs";
    WriteFile(scriptPath, script);

    ProcessRunner replayed;
    ASSERT_NE(StartNotepad(replayed), nullptr);
    ProcessRunner run;
    ASSERT_TRUE(run.start(L"\"" + DistPath(L"Tevrin.exe") + L"\" \"" + scriptPath + L"\""));
    ASSERT_TRUE(run.wait(120000)) << "the recorded script did not end";
    EXPECT_EQ(0u, run.exitCode()) << run.output() << run.errors();
    EXPECT_EQ(std::string::npos, run.output().find("Error")) << run.output();
    EXPECT_TRUE(WaitUntil([&] { return ReadFile(saved) == "Hello recorder"; }, 20000))
        << "the replay saved: '" << ReadFile(saved) << "'\n" << run.output();
}

TEST_F(RecorderTest, AnApplicationClosedDuringTheRecordingLeavesACommentAndTheRecordingGoesOn) {
    StartTevrin();
    Command(ID_TOOLS_RECORD);
    ASSERT_TRUE(WaitUntil([this] { return ScriptEdit() != nullptr; }, 10000)) << MessageBoxText();

    ProcessRunner first;
    HWND main = StartNotepad(first);
    ASSERT_NE(main, nullptr);
    HWND text = nullptr;
    for (HWND child : Descendants(main))
        if (ClassOf(child) == L"Edit") text = child;
    ASSERT_NE(text, nullptr);
    ClickCentre(text);
    TypeKeys(L"first");
    ASSERT_TRUE(WaitUntil([&] { return TextOf(text) == L"first"; }, 10000));
    // The text is read inside Notepad just after the last key; a process killed in that
    // instant takes its last letter with it.
    ::Sleep(500);
    // Gone without a word (no save question).
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, first.processId());
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(::TerminateProcess(process, 1));
    ::CloseHandle(process);
    ASSERT_TRUE(first.wait(20000));
    ASSERT_TRUE(WaitUntil([&] { return Recorded().find(L"ended here") != std::wstring::npos; }, 20000))
        << Narrow(Recorded());

    // A second Notepad in the same recording: its own variable and attach.
    ProcessRunner second;
    main = StartNotepad(second);
    ASSERT_NE(main, nullptr);
    for (HWND child : Descendants(main))
        if (ClassOf(child) == L"Edit") text = child;
    ClickCentre(text);
    TypeKeys(L"second");
    ASSERT_TRUE(WaitUntil([&] { return TextOf(text) == L"second"; }, 10000));
    Command(ID_TOOLS_STOP_RECORDING);
    const std::wstring script = Recorded();
    std::printf("Recorded script:\n%s\n", Narrow(script).c_str());
    EXPECT_NE(std::wstring::npos, script.find(L"app.edit(0).value = \"first\"")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"' notepad.exe (process ")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"Set app2 = CreateObject(\"Wrappers.WNDWrapper\")")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app2.edit(0).value = \"second\"")) << Narrow(script);
    EXPECT_LT(script.find(L"ended here"), script.find(L"app2.appAttach")) << Narrow(script);
}

// The screen rectangle of a tab of another process's tab control.
RECT TabRect(HWND tabs, int index) {
    RECT rect{};
    DWORD pid = 0;
    ::GetWindowThreadProcessId(tabs, &pid);
    HANDLE process = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return rect;
    void* remote = ::VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    if (remote) {
        if (::SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote)))
            ::ReadProcessMemory(process, remote, &rect, sizeof(rect), nullptr);
        ::VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    ::CloseHandle(process);
    ::MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

const wchar_t kX11Key[] = L"Software\\Wine\\X11 Driver";

std::wstring GrabFullscreen() {
    wchar_t value[16] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kX11Key, L"GrabFullscreen", RRF_RT_REG_SZ, nullptr, value, &size) != 0)
        return L"(none)";
    return value;
}

void ForgetGrabFullscreen() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kX11Key, 0, KEY_SET_VALUE, &key) == 0) {
        ::RegDeleteValueW(key, L"GrabFullscreen");
        ::RegCloseKey(key);
    }
}

HWND ButtonWith(HWND top, const wchar_t* part) {
    for (HWND child : Descendants(top))
        if (ClassOf(child) == L"Button" && ::IsWindowVisible(child) && TextOf(child).find(part) != std::wstring::npos)
            return child;
    return nullptr;
}

// Memory in another process for the messages whose data is a pointer.
class RemoteBlock {
public:
    RemoteBlock(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        process_ = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) address_ = ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) ::CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    LPARAM address() const { return reinterpret_cast<LPARAM>(address_); }
    void write(const void* data, size_t size, size_t offset = 0) {
        ::WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
    }
    void read(void* data, size_t size, size_t offset = 0) const {
        ::ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

// The values of registry keys, kept to compare and to put back.
class RegistryValues {
public:
    struct Value {
        DWORD type = 0;
        std::vector<BYTE> data;
        bool operator==(const Value& other) const { return type == other.type && data == other.data; }
    };
    using Values = std::map<std::wstring, Value>;

    RegistryValues(HKEY root, const wchar_t* path) : root_(root), path_(path) {}

    Values read() const {
        Values values;
        HKEY key = nullptr;
        if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &key) != 0) return values;
        for (DWORD i = 0;; ++i) {
            wchar_t name[512] = {};
            DWORD nameLength = 512;
            BYTE data[4096] = {};
            DWORD size = sizeof(data);
            DWORD type = 0;
            if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != 0) break;
            values[name] = Value{type, std::vector<BYTE>(data, data + size)};
        }
        ::RegCloseKey(key);
        return values;
    }

    void write(const Values& values) const {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != 0)
            return;
        for (const auto& now : read())
            if (!values.count(now.first)) ::RegDeleteValueW(key, now.first.c_str());
        for (const auto& value : values)
            ::RegSetValueExW(key, value.first.c_str(), 0, value.second.type, value.second.data.data(),
                             static_cast<DWORD>(value.second.data.size()));
        ::RegCloseKey(key);
    }

private:
    HKEY root_;
    std::wstring path_;
};

// Where winecfg keeps the Windows version it reports to programs.
std::vector<RegistryValues> VersionKeys() {
    return {RegistryValues(HKEY_CURRENT_USER, L"Software\\Wine"),
            RegistryValues(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion"),
            RegistryValues(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Windows"),
            RegistryValues(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\ProductOptions")};
}

std::vector<RegistryValues::Values> ReadAll(const std::vector<RegistryValues>& keys) {
    std::vector<RegistryValues::Values> all;
    for (const auto& key : keys) all.push_back(key.read());
    return all;
}

void WriteAll(const std::vector<RegistryValues>& keys, const std::vector<RegistryValues::Values>& values) {
    for (size_t i = 0; i < keys.size() && i < values.size(); ++i) keys[i].write(values[i]);
}

// Puts the prefix's Windows version back whatever the test did.
class VersionRestorer {
public:
    VersionRestorer() : keys_(VersionKeys()), saved_(ReadAll(keys_)) {}
    ~VersionRestorer() { WriteAll(keys_, saved_); }
    const std::vector<RegistryValues::Values>& saved() const { return saved_; }
    void restore() const { WriteAll(keys_, saved_); }
    std::vector<RegistryValues::Values> now() const { return ReadAll(keys_); }

private:
    std::vector<RegistryValues> keys_;
    std::vector<RegistryValues::Values> saved_;
};

// Chooses another item of a drop-down combo box with the mouse: the list dropped with a
// click, an item of it clicked. Returns the item's text, empty when it could not.
std::wstring ChooseAnotherItem(HWND combo, DWORD pid) {
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    const int current = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (count < 2) return {};
    ClickCentre(combo);
    HWND list = nullptr;
    if (!WaitUntil([&] { return (list = TopLevelOf(pid, L"ComboLBox")) != nullptr; }, 10000)) return {};
    RECT client{};
    ::GetClientRect(list, &client);
    for (int pick : {current + 1, current - 1, current + 2, current - 2}) {
        if (pick < 0 || pick >= count) continue;
        // List and combo box messages carry their data across processes themselves.
        RECT rect{};
        if (::SendMessageW(list, LB_GETITEMRECT, pick, reinterpret_cast<LPARAM>(&rect)) == LB_ERR) continue;
        if (rect.top < client.top || rect.bottom > client.bottom) continue;
        const int length = static_cast<int>(::SendMessageW(combo, CB_GETLBTEXTLEN, pick, 0));
        if (length <= 0 || length > 1000) continue;
        std::wstring name(static_cast<size_t>(length) + 1, L'\0');
        ::SendMessageW(combo, CB_GETLBTEXT, pick, reinterpret_cast<LPARAM>(&name[0]));
        name.resize(static_cast<size_t>(length));
        POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ::ClientToScreen(list, &at);
        ClickAt(at);
        if (WaitUntil([&] { return ::SendMessageW(combo, CB_GETCURSEL, 0, 0) == pick; }, 10000)) return name;
        return {};
    }
    return {};
}

TEST_F(RecorderTest, WinecfgComboTabCheckBoxAndOkAreRecordedAndTheReplaySavesTheSettings) {
    ForgetGrabFullscreen();
    const VersionRestorer version;
    StartTevrin();
    Command(ID_TOOLS_RECORD);
    ASSERT_TRUE(WaitUntil([this] { return ScriptEdit() != nullptr; }, 10000)) << MessageBoxText();

    ProcessRunner winecfg;
    ASSERT_TRUE(winecfg.start(L"winecfg.exe"));
    HWND sheet = winecfg.waitForWindow(L"#32770", kTimeout);
    ASSERT_NE(sheet, nullptr);
    ASSERT_TRUE(Foreground(sheet));
    // The first page shows the Windows version of the default settings in a combo box.
    HWND versions = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND child : Descendants(sheet))
            if (ClassOf(child) == L"ComboBox" && ::IsWindowVisible(child)) return (versions = child) != nullptr;
        return false;
    }, 10000)) << "no combo box on winecfg's first page";
    const std::wstring chosen = ChooseAnotherItem(versions, winecfg.processId());
    ASSERT_FALSE(chosen.empty()) << "no other Windows version could be chosen";
    HWND tabs = nullptr;
    for (HWND child : Descendants(sheet))
        if (ClassOf(child) == L"SysTabControl32") tabs = child;
    ASSERT_NE(tabs, nullptr);
    // The tab whose text is Graphics, clicked.
    int graphics = -1;
    const int count = static_cast<int>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count && graphics < 0; ++i) {
        const RECT r = TabRect(tabs, i);
        ClickAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        HWND grab = nullptr;
        if (WaitUntil([&] { return (grab = ButtonWith(sheet, L"capture the")) != nullptr; }, 3000)) graphics = i;
    }
    ASSERT_GE(graphics, 0) << "no tab showed the Graphics page";
    HWND grab = ButtonWith(sheet, L"capture the");
    ASSERT_EQ(0, ::SendMessageW(grab, BM_GETCHECK, 0, 0)) << "the box is ticked already";
    ClickCentre(grab);
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(grab, BM_GETCHECK, 0, 0) != 0; }, 10000));
    HWND ok = nullptr;
    for (HWND child : Descendants(sheet))
        if (ClassOf(child) == L"Button" && ::GetParent(child) == sheet && TextOf(child) == L"OK") ok = child;
    ASSERT_NE(ok, nullptr);
    ClickCentre(ok);
    ASSERT_TRUE(winecfg.wait(30000)) << "winecfg did not close with OK";
    EXPECT_EQ(L"Y", GrabFullscreen());
    const auto chosenVersion = version.now();
    ASSERT_TRUE(chosenVersion != version.saved()) << "winecfg saved no other version";

    Command(ID_TOOLS_STOP_RECORDING);
    const std::wstring script = Recorded();
    std::printf("Recorded script:\n%s\n", Narrow(script).c_str());
    EXPECT_NE(std::wstring::npos, script.find(L"app.appAttach \"Wine configuration\"")) << Narrow(script);
    // The tab control is a dialog item of the sheet; the tabs clicked on the way are one line.
    EXPECT_NE(std::wstring::npos, script.find(L".curSel = \"Graphics\"")) << Narrow(script);
    EXPECT_EQ(1u, Count(script, L".curSel = ")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L".check = True")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"Sync.async = True")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.button(\"OK\").push")) << Narrow(script);
    // The version chosen in the list, as a choice winecfg hears of; the click that
    // dropped the list makes no line.
    EXPECT_NE(std::wstring::npos, script.find(L".combobox(0).select \"" + chosen + L"\"")) << Narrow(script);
    EXPECT_EQ(std::wstring::npos, script.find(L".click")) << Narrow(script);

    // The replay against a fresh winecfg saves the same settings.
    ForgetGrabFullscreen();
    version.restore();
    const std::wstring scriptPath = TempFolder() + L"\\recorded-winecfg.vbs";
    WriteFile(scriptPath, script);
    ProcessRunner fresh;
    ASSERT_TRUE(fresh.start(L"winecfg.exe"));
    ASSERT_NE(fresh.waitForWindow(L"#32770", kTimeout), nullptr);
    ProcessRunner run;
    ASSERT_TRUE(run.start(L"\"" + DistPath(L"Tevrin.exe") + L"\" \"" + scriptPath + L"\""));
    ASSERT_TRUE(run.wait(120000)) << "the recorded script did not end";
    EXPECT_EQ(0u, run.exitCode()) << run.output() << run.errors();
    EXPECT_TRUE(fresh.wait(30000)) << "the replay did not close winecfg\n" << run.output();
    EXPECT_EQ(L"Y", GrabFullscreen()) << run.output();
    EXPECT_TRUE(version.now() == chosenVersion) << "the replay did not save the version " << Narrow(chosen);
    ForgetGrabFullscreen();
}


std::wstring TreeItemText(HWND tree, HTREEITEM item) {
    RemoteBlock block(tree, sizeof(TVITEMW) + 512 * sizeof(wchar_t));
    TVITEMW request{};
    request.mask = TVIF_TEXT;
    request.hItem = item;
    request.pszText = reinterpret_cast<wchar_t*>(block.address() + sizeof(TVITEMW));
    request.cchTextMax = 512;
    block.write(&request, sizeof(request));
    if (!::SendMessageW(tree, TVM_GETITEMW, 0, block.address())) return {};
    wchar_t text[512] = {};
    block.read(text, sizeof(text) - sizeof(wchar_t), sizeof(TVITEMW));
    return text;
}

// A visible tree item with the given text, searched among the expanded items.
HTREEITEM FindTreeItem(HWND tree, HTREEITEM first, const std::wstring& text) {
    for (HTREEITEM item = first; item;
         item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        if (TreeItemText(tree, item) == text) return item;
        HTREEITEM child =
            reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
        if (child)
            if (HTREEITEM found = FindTreeItem(tree, child, text)) return found;
    }
    return nullptr;
}

POINT TreeItemCentre(HWND tree, HTREEITEM item) {
    RemoteBlock block(tree, sizeof(RECT));
    block.write(&item, sizeof(item));
    RECT rect{};
    if (::SendMessageW(tree, TVM_GETITEMRECT, TRUE, block.address())) block.read(&rect, sizeof(rect));
    POINT p{rect.left + 8, (rect.top + rect.bottom) / 2};
    ::ClientToScreen(tree, &p);
    return p;
}

POINT ListRowCentre(HWND list, int row) {
    RemoteBlock block(list, sizeof(RECT));
    RECT rect{};
    rect.left = LVIR_LABEL;
    block.write(&rect, sizeof(rect));
    if (::SendMessageW(list, LVM_GETITEMRECT, row, block.address())) block.read(&rect, sizeof(rect));
    POINT p{rect.left + 10, (rect.top + rect.bottom) / 2};
    ::ClientToScreen(list, &p);
    return p;
}

// Clicks a row until the list shows it selected: a list still filling under a loaded
// machine may move its rows between the reading of the place and the click.
bool ClickRowUntilSelected(HWND list, int row) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        ClickAt(ListRowCentre(list, row));
        if (WaitUntil([&] { return ::SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED) == row; }, 5000))
            return true;
    }
    return false;
}

const wchar_t kNewKey[] = L"New Key #1";

// Regedit opens the key it showed last when it closed: the tests start from the top.
void ForgetRegeditLastKey() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit", 0,
                        KEY_SET_VALUE, &key) == 0) {
        ::RegDeleteValueW(key, L"LastKey");
        ::RegCloseKey(key);
    }
}

bool NewKeyExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kNewKey, 0, KEY_READ, &key) != 0) return false;
    ::RegCloseKey(key);
    return true;
}

TEST_F(RecorderTest, RegeditTreeListAndMenuCommandAreRecordedAndTheReplayMakesTheSameKey) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kNewKey);
    StartTevrin();
    Command(ID_TOOLS_RECORD);
    ASSERT_TRUE(WaitUntil([this] { return ScriptEdit() != nullptr; }, 10000)) << MessageBoxText();

    ProcessRunner regedit;
    ForgetRegeditLastKey();
    ASSERT_TRUE(regedit.start(L"regedit.exe"));
    HWND main = regedit.waitForWindow(L"RegEdit_RegEdit", kTimeout);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Foreground(main));
    HWND tree = nullptr, list = nullptr;
    for (HWND child : Descendants(main)) {
        if (ClassOf(child) == L"SysTreeView32") tree = child;
        if (ClassOf(child) == L"SysListView32") list = child;
    }
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(list, nullptr);
    HTREEITEM root = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    HTREEITEM hkcu = FindTreeItem(tree, root, L"HKEY_CURRENT_USER");
    ASSERT_NE(hkcu, nullptr);
    ClickAt(TreeItemCentre(tree, hkcu));
    ASSERT_TRUE(WaitUntil([&] {
        return ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) == reinterpret_cast<LRESULT>(hkcu);
    }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0; }, 10000));
    ASSERT_TRUE(ClickRowUntilSelected(list, 0));

    // Edit > New > Key with the keyboard.
    Chord(VK_MENU, 'E');
    ::Sleep(500);
    TypeKeys(L"nk");
    ASSERT_TRUE(WaitUntil(NewKeyExists, 20000)) << "regedit made no new key";
    ::Sleep(500);
    PressKey(VK_ESCAPE, false);
    PressKey(VK_ESCAPE, true);

    Command(ID_TOOLS_STOP_RECORDING);
    const std::wstring script = Recorded();
    std::printf("Recorded script:\n%s\n", Narrow(script).c_str());
    EXPECT_NE(std::wstring::npos, script.find(L"app.appAttach \"Registry Editor\"")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.treectrl(0).curSel = \"HKEY_CURRENT_USER\"")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.listview(0).selected(")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.menu.menu(\"&Edit\").menu(\"&New\").select")) << Narrow(script);
    // What regedit did by itself after the command (selecting the new key, opening its
    // name for editing) is not the tester's.
    EXPECT_EQ(std::wstring::npos, script.find(L"New Key #1")) << Narrow(script);
    regedit.wait(0);
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, regedit.processId());
    if (process) {
        ::TerminateProcess(process, 0);
        ::CloseHandle(process);
    }
    ASSERT_TRUE(regedit.wait(20000));

    // The replay against a fresh regedit makes the same key.
    ASSERT_EQ(ERROR_SUCCESS, ::RegDeleteTreeW(HKEY_CURRENT_USER, kNewKey));
    const std::wstring scriptPath = TempFolder() + L"\\recorded-regedit.vbs";
    WriteFile(scriptPath, script);
    ProcessRunner fresh;
    ForgetRegeditLastKey();
    ASSERT_TRUE(fresh.start(L"regedit.exe"));
    ASSERT_NE(fresh.waitForWindow(L"RegEdit_RegEdit", kTimeout), nullptr);
    ProcessRunner run;
    ASSERT_TRUE(run.start(L"\"" + DistPath(L"Tevrin.exe") + L"\" \"" + scriptPath + L"\""));
    ASSERT_TRUE(run.wait(120000)) << "the recorded script did not end";
    EXPECT_EQ(0u, run.exitCode()) << run.output() << run.errors();
    EXPECT_TRUE(WaitUntil(NewKeyExists, 20000)) << "the replay made no key\n" << run.output();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kNewKey);
}

// A key of the test's own under HKEY_CURRENT_USER, with a value whose name it knows.
const wchar_t kRecordedKey[] = L"Tevrin Recorded";
const wchar_t kKnownValue[] = L"Greeting";
const wchar_t kNewValue[] = L"New Value #1";

bool MakeRecordedKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kRecordedKey);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRecordedKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != 0)
        return false;
    const wchar_t text[] = L"hello";
    const bool made = ::RegSetValueExW(key, kKnownValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                       sizeof(text)) == 0;
    ::RegCloseKey(key);
    return made;
}

bool NewValueExists() {
    return ::RegGetValueW(HKEY_CURRENT_USER, kRecordedKey, kNewValue, RRF_RT_ANY, nullptr, nullptr, nullptr) == 0;
}

bool Expanded(HWND tree, HTREEITEM item) {
    return (::SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) !=
           0;
}

int ListRowOf(HWND list, const std::wstring& text) {
    const int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        RemoteBlock block(list, sizeof(LVITEMW) + 256 * sizeof(wchar_t));
        LVITEMW request{};
        request.iSubItem = 0;
        request.pszText = reinterpret_cast<wchar_t*>(block.address() + sizeof(LVITEMW));
        request.cchTextMax = 256;
        block.write(&request, sizeof(request));
        ::SendMessageW(list, LVM_GETITEMTEXTW, row, block.address());
        wchar_t name[256] = {};
        block.read(name, sizeof(name) - sizeof(wchar_t), sizeof(LVITEMW));
        if (text == name) return row;
    }
    return -1;
}

TEST_F(RecorderTest, RegeditExpandedKeyValueAndNewStringValueAreRecordedAndTheReplayMakesTheSameValue) {
    ASSERT_TRUE(MakeRecordedKey());
    StartTevrin();
    Command(ID_TOOLS_RECORD);
    ASSERT_TRUE(WaitUntil([this] { return ScriptEdit() != nullptr; }, 10000)) << MessageBoxText();

    ProcessRunner regedit;
    ForgetRegeditLastKey();
    ASSERT_TRUE(regedit.start(L"regedit.exe"));
    HWND main = regedit.waitForWindow(L"RegEdit_RegEdit", kTimeout);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(Foreground(main));
    HWND tree = nullptr, list = nullptr;
    for (HWND child : Descendants(main)) {
        if (ClassOf(child) == L"SysTreeView32") tree = child;
        if (ClassOf(child) == L"SysListView32") list = child;
    }
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(list, nullptr);
    HTREEITEM root = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    HTREEITEM hkcu = FindTreeItem(tree, root, L"HKEY_CURRENT_USER");
    ASSERT_NE(hkcu, nullptr);
    ASSERT_FALSE(Expanded(tree, hkcu)) << "regedit starts with HKEY_CURRENT_USER open";
    ClickAt(TreeItemCentre(tree, hkcu));
    ASSERT_TRUE(WaitUntil([&] {
        return ::SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) == reinterpret_cast<LRESULT>(hkcu);
    }, 10000));
    // Opened with the keyboard: regedit reads the subkeys when the tree tells it.
    PressKey(VK_RIGHT, false);
    PressKey(VK_RIGHT, true);
    HTREEITEM ours = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (ours = FindTreeItem(tree, root, kRecordedKey)) != nullptr; }, 10000))
        << "HKEY_CURRENT_USER did not open";
    ::SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(ours));
    ClickAt(TreeItemCentre(tree, ours));
    int row = -1;
    ASSERT_TRUE(WaitUntil([&] { return (row = ListRowOf(list, kKnownValue)) >= 0; }, 10000))
        << "the key's values did not show";
    ASSERT_TRUE(ClickRowUntilSelected(list, row));

    // Edit > New > String Value with the keyboard.
    Chord(VK_MENU, 'E');
    ::Sleep(500);
    TypeKeys(L"ns");
    ASSERT_TRUE(WaitUntil(NewValueExists, 20000)) << "regedit made no new value";
    ::Sleep(500);
    PressKey(VK_ESCAPE, false);
    PressKey(VK_ESCAPE, true);

    Command(ID_TOOLS_STOP_RECORDING);
    const std::wstring script = Recorded();
    std::printf("Recorded script:\n%s\n", Narrow(script).c_str());
    EXPECT_NE(std::wstring::npos, script.find(L"app.treectrl(0).curSel = \"HKEY_CURRENT_USER\"")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.treectrl(0).expand \"HKEY_CURRENT_USER\""))
        << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.treectrl(0).curSel = \"Tevrin Recorded\"")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.listview(0).selected(\"Greeting\") = True")) << Narrow(script);
    EXPECT_NE(std::wstring::npos, script.find(L"app.menu.menu(\"&Edit\").menu(\"&New\").select")) << Narrow(script);
    // The arrow key is recorded by what it did, not as a key.
    EXPECT_EQ(std::wstring::npos, script.find(L"{RIGHT}")) << Narrow(script);
    EXPECT_EQ(std::wstring::npos, script.find(kNewValue)) << Narrow(script);
    HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, regedit.processId());
    if (process) {
        ::TerminateProcess(process, 0);
        ::CloseHandle(process);
    }
    ASSERT_TRUE(regedit.wait(20000));

    // The replay against a fresh regedit (whose tree starts closed) makes the same value
    // in the same key.
    ASSERT_TRUE(MakeRecordedKey());
    ASSERT_FALSE(NewValueExists());
    const std::wstring scriptPath = TempFolder() + L"\\recorded-regedit-value.vbs";
    WriteFile(scriptPath, script);
    ProcessRunner fresh;
    ForgetRegeditLastKey();
    ASSERT_TRUE(fresh.start(L"regedit.exe"));
    ASSERT_NE(fresh.waitForWindow(L"RegEdit_RegEdit", kTimeout), nullptr);
    ProcessRunner run;
    ASSERT_TRUE(run.start(L"\"" + DistPath(L"Tevrin.exe") + L"\" \"" + scriptPath + L"\""));
    ASSERT_TRUE(run.wait(120000)) << "the recorded script did not end";
    EXPECT_EQ(0u, run.exitCode()) << run.output() << run.errors();
    EXPECT_TRUE(WaitUntil(NewValueExists, 20000)) << "the replay made no value\n" << run.output();
    process = ::OpenProcess(PROCESS_TERMINATE, FALSE, fresh.processId());
    if (process) {
        ::TerminateProcess(process, 0);
        ::CloseHandle(process);
    }
    fresh.wait(20000);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kRecordedKey);
}

} // namespace
