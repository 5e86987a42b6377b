// What a recording costs the application under test: Notepad handles keys typed into its
// text (posted key messages, as input arrives) and plain messages sent from outside, once
// without and once with the recording hooks of ostrel.dll watching every process. Every
// key of the recorded run is reported to this program, as Tevrin's recorder would get it.
//   scripts/wine-run build/bin/recorder_bench.exe [keys]      (default 2000)
// TEVRIN_BENCH_DIST names another release folder to measure (see BenchSupport.h).
#include "bench/BenchSupport.h"
#include "ostrel/ostrel.h"
#include "tests/e2e/ProcessRunner.h"
#include <windows.h>
#include <cstdlib>
#include <string>

namespace {

const int kPlainMessages = 5000;
volatile LONG g_reports = 0;
HWND g_sink = nullptr;
HANDLE g_sinkReady = nullptr;

int Fail(const char* what) {
    std::fprintf(stderr, "recorder_bench: %s\n", what);
    return 1;
}

LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        ::InterlockedIncrement(&g_reports);
        return TRUE;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The reports' receiver runs on a thread of its own that does nothing else, as Tevrin's
// window thread is free while the tester works elsewhere.
DWORD WINAPI SinkThread(LPVOID) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SinkProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RecorderBenchSink";
    ::RegisterClassW(&wc);
    g_sink = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ::SetEvent(g_sinkReady);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
}

LRESULT TextLength(HWND edit) { return ::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0); }

// Seconds for `keys` key presses posted to the edit field until all of them are in its text.
double TypeKeys(HWND edit, int keys) {
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    const bench::Clock::time_point start = bench::Clock::now();
    const LPARAM down = 0x001E0001, up = static_cast<LPARAM>(0xC01E0001u);
    for (int i = 0; i < keys; ++i) {
        ::PostMessageW(edit, WM_KEYDOWN, 'A', down);
        ::PostMessageW(edit, WM_CHAR, 'a', down);
        ::PostMessageW(edit, WM_KEYUP, 'A', up);
        if (i % 64 == 0) Pump();
        if (std::getenv("RECORDER_BENCH_PACE")) ::Sleep(20);
    }
    while (TextLength(edit) < keys) {
        Pump();
        ::Sleep(1);
        if (bench::SecondsSince(start) > 120) return -1;
    }
    return bench::SecondsSince(start);
}

double PlainMessages(HWND edit) {
    const bench::Clock::time_point start = bench::Clock::now();
    for (int i = 0; i < kPlainMessages; ++i) TextLength(edit);
    return bench::SecondsSince(start);
}

} // namespace

int main(int argc, char** argv) {
    const int keys = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (keys <= 0) return Fail("the number of keys must be positive");

    e2e::ProcessRunner notepad;
    if (!notepad.start(L"notepad.exe")) return Fail("cannot start notepad");
    HWND main = notepad.waitForWindow(L"Notepad", 60000);
    HWND edit = main ? ::FindWindowExW(main, nullptr, L"Edit", nullptr) : nullptr;
    if (!edit) return Fail("no Notepad text field");

    const std::wstring library = bench::DistDir() + L"\\ostrel.dll";
    HMODULE ostrel = ::LoadLibraryW(library.c_str());
    if (!ostrel) return Fail("cannot load ostrel.dll");
    auto start = reinterpret_cast<BOOL(WINAPI*)(HWND)>(
        reinterpret_cast<void*>(::GetProcAddress(ostrel, "OstrelStartRecording")));
    auto stop = reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void*>(::GetProcAddress(ostrel, "OstrelStopRecording")));
    if (!start || !stop) return Fail("ostrel.dll cannot record");
    g_sinkReady = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    DWORD sinkThreadId = 0;
    HANDLE sinkThread = ::CreateThread(nullptr, 0, SinkThread, nullptr, 0, &sinkThreadId);
    if (!sinkThread || ::WaitForSingleObject(g_sinkReady, 10000) != WAIT_OBJECT_0 || !g_sink)
        return Fail("no receiver for the reports");

    // A first round warms Notepad up; it is not counted.
    TypeKeys(edit, 100);
    const double plainOff = PlainMessages(edit);
    const double keysOff = TypeKeys(edit, keys);
    if (!start(g_sink)) return Fail("cannot install the recording hooks");
    // The hooks reach Notepad with its next message.
    TypeKeys(edit, 10);
    g_reports = 0;
    const double plainOn = PlainMessages(edit);
    const double keysOn = TypeKeys(edit, keys);
    Pump();
    stop();
    ::PostThreadMessageW(sinkThreadId, WM_QUIT, 0, 0);
    ::WaitForSingleObject(sinkThread, 10000);
    ::CloseHandle(sinkThread);
    ::CloseHandle(g_sinkReady);
    if (keysOff <= 0 || keysOn <= 0) return Fail("Notepad did not take the keys in time");

    std::printf("%d plain messages sent to Notepad: %.3f s without recording, %.3f s recording (ratio %.2f)\n",
                kPlainMessages, plainOff, plainOn, plainOn / plainOff);
    std::printf("%d keys typed into Notepad: %.3f s without recording, %.3f s recording (ratio %.2f), %.1f us per key "
                "more; %ld reports\n",
                keys, keysOff, keysOn, keysOn / keysOff, (keysOn - keysOff) * 1e6 / keys, static_cast<long>(g_reports));
    return 0;
}
