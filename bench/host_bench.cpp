// Cost of a debugged, single-stepped run per statement, measured in one run beside:
//   a plain two-thread event round trip (one hand-over between the script thread and the
//   watcher when each sleeps on an event; they spin briefly for each other first, so a
//   run of quick statements hands over below it),
//   StepScript stepping on its own thread (a debugger that resumes every break at once,
//   on the breaking thread: the engine's and debug services' share of a stepped statement),
//   the same loop run by the engine alone, without a debugger.
// The stepped statement's cost is the difference of two command-line runs of Tevrin.exe
// (the loop and an empty script), so process start-up is not counted in it; measured
// with one frame on the stack and with 50.
//   scripts/wine-run build/bin/host_bench.exe [iterations]
// TEVRIN_BENCH_DIST names another release folder to measure (see BenchSupport.h).
#include "bench/BenchSupport.h"
#include "host/Components.h"
#include "common/ComObject.h"
#include "common/ScriptingGuids.h"
#include <wrl/client.h>
#include <atomic>
#include <cstdlib>
#include <thread>

using Microsoft::WRL::ComPtr;

namespace {

std::string LoopScript(int iterations) {
    return "#language StepScript\r\nDim i, s\r\ns = 0\r\ni = 0\r\nDo While i < " + std::to_string(iterations) +
           "\r\ni = i + 1\r\nLoop\r\n";
}

// The same loop run with `depth` frames on the stack: the global code and depth - 1
// nested calls of a Sub. With 0 iterations it is the baseline of the deep runs.
std::string DeepLoopScript(int iterations, int depth) {
    return "#language StepScript\r\nDim i\r\ni = 0\r\n"
           "Sub Deep(n)\r\n"
           "If n > 1 Then\r\nDeep n - 1\r\nElse\r\n"
           "Do While i < " + std::to_string(iterations) + "\r\ni = i + 1\r\nLoop\r\n"
           "End If\r\nEnd Sub\r\n"
           "Deep " + std::to_string(depth - 1) + "\r\n";
}

class Site : public common::ComObject<IActiveScriptSite, IActiveScriptSiteDebug> {
public:
    ComPtr<IDebugApplication> app;
    std::atomic<int> errors{0};

    STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemInfo(LPCOLESTR, DWORD, IUnknown**, ITypeInfo**) override { return TYPE_E_ELEMENTNOTFOUND; }
    STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError*) override {
        ++errors;
        return S_OK;
    }
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }
    STDMETHODIMP GetDocumentContextFromPosition(DWORD_PTR, ULONG, ULONG, IDebugDocumentContext**) override {
        return E_FAIL;
    }
    STDMETHODIMP GetApplication(IDebugApplication** result) override {
        if (!app) return E_FAIL;
        return app.CopyTo(result);
    }
    STDMETHODIMP GetRootApplicationNode(IDebugApplicationNode**) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptErrorDebug(IActiveScriptErrorDebug*, BOOL* enter, BOOL* call) override {
        if (enter) *enter = FALSE;
        if (call) *call = TRUE;
        return S_OK;
    }
};

// Resumes every break with a step into, on the thread that broke.
class InPlaceDebugger : public common::ComObject<IApplicationDebugger> {
public:
    ComPtr<IDebugApplication> app;
    long breaks = 0;

    STDMETHODIMP QueryAlive() override { return S_OK; }
    STDMETHODIMP CreateInstanceAtDebugger(REFCLSID, IUnknown*, DWORD, REFIID, IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP onDebugOutput(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP onHandleBreakPoint(IRemoteDebugApplicationThread* thread, BREAKREASON, IActiveScriptErrorDebug*) override {
        ++breaks;
        return app->ResumeFromBreakPoint(thread, BREAKRESUMEACTION_STEP_INTO, ERRORRESUMEACTION_SkipErrorStatement);
    }
    STDMETHODIMP onClose() override { return S_OK; }
    STDMETHODIMP onDebuggerEvent(REFIID, IUnknown*) override { return E_NOTIMPL; }
};

// Runs the loop in StepScript on this thread, with the debug application when given;
// answers the seconds it took, or a negative value on failure.
double RunInEngine(const std::string& script, IDebugApplication* app) {
    ComPtr<IActiveScript> engine;
    if (FAILED(host::Components::CreateEngine(CLSID_StepScript, engine.GetAddressOf()))) return -1;
    ComPtr<IActiveScriptParse> parse;
    if (FAILED(engine.As(&parse))) return -1;
    ComPtr<Site> site;
    site.Attach(new Site());
    site->app = app;
    engine->SetScriptSite(site.Get());
    parse->InitNew();
    // The directive line is the host's; the engine gets the code after it.
    const std::string code = script.substr(script.find('\n') + 1);
    std::wstring text(code.begin(), code.end());
    if (FAILED(parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 1, 0, SCRIPTTEXT_ISVISIBLE, nullptr,
                                      nullptr)))
        return -1;
    if (app) app->CauseBreak();
    const bench::Clock::time_point start = bench::Clock::now();
    HRESULT hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    const double seconds = bench::SecondsSince(start);
    engine->Close();
    return FAILED(hr) || site->errors ? -1 : seconds;
}

// Stepping with every break resumed in place: answers seconds per break.
double InPlaceStepping(const std::string& script) {
    ComPtr<IProcessDebugManager> pdm;
    ComPtr<IDebugApplication> app;
    if (FAILED(host::Components::CreateDebugManager(pdm.GetAddressOf())) ||
        FAILED(pdm->GetDefaultApplication(app.GetAddressOf())))
        return -1;
    ComPtr<InPlaceDebugger> debugger;
    debugger.Attach(new InPlaceDebugger());
    debugger->app = app;
    if (FAILED(app->ConnectDebugger(debugger.Get()))) return -1;
    const double seconds = RunInEngine(script, app.Get());
    app->DisconnectDebugger();
    debugger->app.Reset();
    return seconds < 0 || debugger->breaks == 0 ? -1 : seconds / debugger->breaks;
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
    const bench::Clock::time_point start = bench::Clock::now();
    for (int i = 0; i < rounds; ++i) {
        ::SetEvent(ping);
        ::WaitForSingleObject(pong, INFINITE);
    }
    const double seconds = bench::SecondsSince(start);
    other.join();
    ::CloseHandle(ping);
    ::CloseHandle(pong);
    return seconds;
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 10000;
    // Each iteration is two statements: the loop test and the increment.
    const int statements = iterations * 2;
    ::CoInitialize(nullptr);
    const std::string script = LoopScript(iterations);
    const double alone = RunInEngine(script, nullptr);
    const double inPlace = InPlaceStepping(script);
    const std::string loopPath = bench::WriteTempFile("tevrin_bench_loop.vbs", script);
    const std::string emptyPath = bench::WriteTempFile("tevrin_bench_empty.vbs", "#language StepScript\r\nDim i\r\n");
    const double empty = bench::RunTevrin(emptyPath);
    const double run = bench::RunTevrin(loopPath);
    const int kDeep = 50;
    const std::string deepPath = bench::WriteTempFile("tevrin_bench_deep.vbs", DeepLoopScript(iterations, kDeep));
    const std::string deepEmptyPath = bench::WriteTempFile("tevrin_bench_deep_empty.vbs", DeepLoopScript(0, kDeep));
    const double deepEmpty = bench::RunTevrin(deepEmptyPath);
    const double deepRun = bench::RunTevrin(deepPath);
    const double pingPong = PingPong(statements) / statements;
    ::CoUninitialize();
    if (alone < 0 || inPlace < 0 || run < 0 || empty < 0 || deepRun < 0 || deepEmpty < 0) {
        std::printf("benchmark failed: engine alone %.3f s, in-place stepping %.6f s, runs %.3f s / %.3f s\n", alone,
                    inPlace, run, empty);
        return 1;
    }
    const double perStep = (run - empty) / statements;
    const double perDeepStep = (deepRun - deepEmpty) / statements;
    std::printf("statements                                %d\n", statements);
    std::printf("console run of the loop (Tevrin.exe)      %10.2f s, %.0f statements/s (start-up included)\n", run,
                statements / run);
    std::printf("console run of an empty script            %10.2f s\n", empty);
    std::printf("stepped statement (difference of the two) %10.1f us\n", perStep * 1e6);
    std::printf("StepScript stepping on its own thread     %10.1f us/statement\n", inPlace * 1e6);
    std::printf("engine alone, no debugger                 %10.2f us/statement\n", alone / statements * 1e6);
    std::printf("two-thread event round trip               %10.1f us\n", pingPong * 1e6);
    std::printf("stepped statement %d frames deep          %10.1f us\n", kDeep, perDeepStep * 1e6);
    std::printf("ratio stepped statement / event round trip at depth 1: %.1f\n", perStep / pingPong);
    std::printf("ratio stepped statement / event round trip at depth %d: %.1f\n", kDeep, perDeepStep / pingPong);
    std::printf("ratio stepped statement / own-thread stepping   %8.1f\n", perStep / inPlace);
    return 0;
}
