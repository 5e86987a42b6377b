#include "recorder/Recorder.h"
#include "ostrel/ostrel.h"

namespace recorder {

namespace {

const wchar_t kWindowClass[] = L"TevrinRecorderSink";
const UINT_PTR kWatchTimer = 1;
// How often ended applications are noticed.
const UINT kWatchInterval = 500;
// A report larger than this is not one of the hook library's.
const DWORD kMaxReport = 1u << 20;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    const size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

} // namespace

Recorder::Recorder(Sink sink) : sink_(std::move(sink)) {}

Recorder::~Recorder() {
    Stop();
    if (window_) ::DestroyWindow(window_);
}

bool Recorder::Start(std::wstring& error) {
    if (recording_) {
        error = L"A recording is already running; stop it first.";
        return false;
    }
    if (!hookLibrary_) {
        const std::wstring path = ProgramFolder() + L"ostrel.dll";
        hookLibrary_.reset(::LoadLibraryW(path.c_str()));
        if (!hookLibrary_) {
            error = L"Cannot load the hook library " + path + L"; recording needs it.";
            return false;
        }
        start_ = reinterpret_cast<BOOL(WINAPI*)(HWND)>(
            reinterpret_cast<void*>(::GetProcAddress(hookLibrary_.get(), "OstrelStartRecording")));
        stop_ = reinterpret_cast<void(WINAPI*)()>(
            reinterpret_cast<void*>(::GetProcAddress(hookLibrary_.get(), "OstrelStopRecording")));
        if (!start_ || !stop_) {
            hookLibrary_.reset();
            start_ = nullptr;
            stop_ = nullptr;
            error = L"The hook library beside the program cannot record (an older ostrel.dll?).";
            return false;
        }
    }
    if (!window_) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
        if (!window_) {
            error = L"Cannot create the recorder's window.";
            return false;
        }
    }
    if (!start_(window_)) {
        error = L"Cannot install the recording hooks (is another Tevrin recording?).";
        return false;
    }
    recording_ = true;
    ::SetTimer(window_, kWatchTimer, kWatchInterval, nullptr);
    return true;
}

void Recorder::Stop() {
    if (!recording_) return;
    stop_();
    recording_ = false;
    if (window_) ::KillTimer(window_, kWatchTimer);
    Deliver(writer_.Flush());
    writer_ = ScriptWriter();
    applications_.clear();
}

bool Recorder::StartApplication(const std::wstring& commandLine, std::wstring& error) {
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (line.empty() || !::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                          &info)) {
        error = L"Cannot run command line '" + commandLine + L"'";
        return false;
    }
    common::UniqueHandle thread(info.hThread);
    common::UniqueHandle process(info.hProcess);
    writer_.StartedApplication(commandLine);
    return true;
}

LRESULT CALLBACK Recorder::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    Recorder* self = reinterpret_cast<Recorder*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
        if (msg == WM_COPYDATA && lParam) {
            self->OnReport(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            return TRUE;
        }
        if (msg == WM_TIMER && wParam == kWatchTimer) {
            self->CheckApplications();
            return 0;
        }
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void Recorder::OnReport(const COPYDATASTRUCT& data) {
    if (!recording_ || data.dwData != kOstrelRecordTag || !data.lpData || data.cbData > kMaxReport) return;
    const ActionRecord action =
        ActionRecord::Parse(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t));
    const DWORD pid = static_cast<DWORD>(action.number(L"pid"));
    if (pid == ::GetCurrentProcessId()) return;
    if (pid && !applications_.count(pid)) {
        Watched watched;
        watched.process.reset(::OpenProcess(SYNCHRONIZE, FALSE, pid));
        watched.exe = action.text(L"exe");
        applications_.emplace(pid, std::move(watched));
    }
    Deliver(writer_.Add(action));
}

void Recorder::CheckApplications() {
    for (auto it = applications_.begin(); it != applications_.end();) {
        if (it->second.process && ::WaitForSingleObject(it->second.process.get(), 0) == WAIT_OBJECT_0) {
            Deliver(writer_.ApplicationEnded(it->first, it->second.exe));
            it = applications_.erase(it);
        } else {
            ++it;
        }
    }
}

void Recorder::Deliver(const std::vector<std::wstring>& lines) {
    if (!lines.empty() && sink_) sink_(lines);
}

} // namespace recorder
