// Cost of a debugged, single-stepped run per statement, beside the same loop run by
// the engine alone and beside a plain two-thread event ping-pong (the floor of one
// hand-over between the script thread and the watcher).
//   scripts/wine-run build/bin/host_bench.exe [iterations]
#include "common/ComObject.h"
#include "common/ScriptingGuids.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return t;
}

std::string LoopScript(int iterations) {
    return "#language StepScript\r\nDim i, s\r\ns = 0\r\ni = 0\r\nDo While i < " + std::to_string(iterations) +
           "\r\ni = i + 1\r\nLoop\r\n";
}

// A site with nothing to offer: no debugger, no named items.
class BareSite : public common::ComObject<IActiveScriptSite> {
public:
    STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemInfo(LPCOLESTR, DWORD, IUnknown**, ITypeInfo**) override { return TYPE_E_ELEMENTNOTFOUND; }
    STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError*) override { failed = true; return S_OK; }
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }
    bool failed = false;
};

double EngineAlone(const std::string& script) {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"StepScript", &clsid))) return -1;
    IActiveScript* engine = nullptr;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                  reinterpret_cast<void**>(&engine))))
        return -1;
    IActiveScriptParse* parse = nullptr;
    engine->QueryInterface(IID_IActiveScriptParse, reinterpret_cast<void**>(&parse));
    auto* site = new BareSite;
    engine->SetScriptSite(site);
    parse->InitNew();
    std::wstring text(script.begin(), script.end());
    EXCEPINFO info = {};
    parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISVISIBLE, nullptr, &info);
    LARGE_INTEGER start = Now();
    engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    LARGE_INTEGER end = Now();
    engine->Close();
    parse->Release();
    engine->Release();
    bool failed = site->failed;
    site->Release();
    return failed ? -1 : Seconds(start, end);
}

double CommandLineRun(const std::string& script) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string path = std::string(temp) + "tevrin_bench_loop.vbs";
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(script.data(), 1, script.size(), file);
    std::fclose(file);
    std::wstring line = L"\"" + std::wstring(TEVRIN_DIST_DIR) + L"\\Tevrin.exe\" \"" +
                        std::wstring(path.begin(), path.end()) + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER start = Now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    LARGE_INTEGER end = Now();
    DWORD code = 1;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hProcess);
    ::CloseHandle(pi.hThread);
    return code == 0 ? Seconds(start, end) : -1;
}

double PingPong(int rounds) {
    HANDLE ping = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE pong = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::thread other([&] {
        for (int i = 0; i < rounds; ++i) {
            ::WaitForSingleObject(ping, INFINITE);
            ::SetEvent(pong);
        }
    });
    LARGE_INTEGER start = Now();
    for (int i = 0; i < rounds; ++i) {
        ::SetEvent(ping);
        ::WaitForSingleObject(pong, INFINITE);
    }
    LARGE_INTEGER end = Now();
    other.join();
    ::CloseHandle(ping);
    ::CloseHandle(pong);
    return Seconds(start, end);
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 10000;
    // Each iteration is two statements: the loop test and the increment.
    const int statements = iterations * 2;
    ::CoInitialize(nullptr);
    const std::string script = LoopScript(iterations);
    const double alone = EngineAlone(script);
    const double run = CommandLineRun(script);
    const double pingPong = PingPong(statements);
    ::CoUninitialize();
    if (alone < 0 || run < 0) {
        std::printf("benchmark failed: engine alone %.3f s, command-line run %.3f s\n", alone, run);
        return 1;
    }
    const double perRun = run / statements * 1e6;
    const double perAlone = alone / statements * 1e6;
    const double perPing = pingPong / statements * 1e6;
    std::printf("statements                       %d\n", statements);
    std::printf("command-line run (debugged)      %10.2f us/statement  (%.2f s, process start included)\n", perRun, run);
    std::printf("engine alone, no debugger        %10.2f us/statement  (%.3f s)\n", perAlone, alone);
    std::printf("two-thread event ping-pong       %10.2f us/round trip (%.3f s)\n", perPing, pingPong);
    std::printf("ratio debugged run / engine alone      %8.1f\n", perRun / perAlone);
    std::printf("ratio debugged run / event ping-pong   %8.1f\n", perRun / perPing);
    return 0;
}
