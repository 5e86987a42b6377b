// StepScript speed measured in one run:
// - with and without a debugger: a loop of about 100 000 statements runs once on its
//   own and once under a debugger that stops at every statement and resumes each stop
//   with step-into from another thread (as Tevrin's break watcher does);
// - beside the platform's VBScript engine: a loop over an array, string building and a
//   Scripting.Dictionary runs on each engine through the same kind of site, no debugger.
// Prints statements per second of each and their ratios.
#include "common/ComObject.h"
#include "host/Components.h"
#include "common/ExcepInfo.h"
#include "common/ScriptingGuids.h"
#include "common/UniqueHandle.h"
#include <wrl/client.h>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t* const kScript =
    L"Dim i, x\n"
    L"x = 0\n"
    L"For i = 1 To 50000\n"
    L"  x = x + 1\n"
    L"Next\n";
// x = 0, the For head, and per round the body and the Next.
constexpr double kStatements = 2 + 2 * 50000;

// A workload for both engines: the statements it runs, counted alike for both.
struct Workload {
    const wchar_t* name;
    const wchar_t* script;
    double statements;
};

// 30 000 rounds; per round 7 statements (j, the array element, s, If, d, total, Next)
// and every 201st round the reset of s; before the loop 4 statements and the For head.
constexpr int kRounds = 30000;
const Workload kFullWorkload = {
    L"an array, string building and a Dictionary",
    L"Dim i, j, parts(99), s, d, total\n"
    L"Set d = CreateObject(\"Scripting.Dictionary\")\n"
    L"s = \"\"\n"
    L"total = 0\n"
    L"For i = 1 To 30000\n"
    L"  j = i Mod 100\n"
    L"  parts(j) = i\n"
    L"  s = s & \"x\"\n"
    L"  If Len(s) > 200 Then s = \"\"\n"
    L"  d.Item(j) = total\n"
    L"  total = total + parts(j)\n"
    L"Next\n",
    3 + 1 + kRounds * 7.0 + kRounds / 201};
// The same without the array, for an engine that has no arrays yet.
const Workload kReducedWorkload = {
    L"string building and a Dictionary (no array)",
    L"Dim i, j, s, d, total\n"
    L"Set d = CreateObject(\"Scripting.Dictionary\")\n"
    L"s = \"\"\n"
    L"total = 0\n"
    L"For i = 1 To 30000\n"
    L"  j = i Mod 100\n"
    L"  total = total + j\n"
    L"  s = s & \"x\"\n"
    L"  If Len(s) > 200 Then s = \"\"\n"
    L"  d.Item(j) = total\n"
    L"Next\n",
    3 + 1 + kRounds * 6.0 + kRounds / 201};

class Site : public common::ComObject<IActiveScriptSite, IActiveScriptSiteDebug> {
public:
    ComPtr<IDebugApplication> app;
    std::atomic<int> errors{0};
    std::wstring firstError;

    STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemInfo(LPCOLESTR, DWORD, IUnknown**, ITypeInfo**) override { return TYPE_E_ELEMENTNOTFOUND; }
    STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override {
        if (errors++ == 0 && error) {
            common::ExcepInfo info;
            error->GetExceptionInfo(info.put());
            info.fillIn();
            ULONG line = 0;
            LONG column = 0;
            DWORD context = 0;
            error->GetSourcePosition(&context, &line, &column);
            firstError = L"line " + std::to_wstring(line + 1) + L": " +
                         (info->bstrDescription ? info.description() : L"(no description)");
        }
        return E_FAIL;
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

// Hands every break to the resuming thread.
class Debugger : public common::ComObject<IApplicationDebugger> {
public:
    common::UniqueHandle breakEvent{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    ComPtr<IRemoteDebugApplicationThread> thread;
    std::atomic<long> breaks{0};

    STDMETHODIMP QueryAlive() override { return S_OK; }
    STDMETHODIMP CreateInstanceAtDebugger(REFCLSID, IUnknown*, DWORD, REFIID, IUnknown**) override { return E_NOTIMPL; }
    STDMETHODIMP onDebugOutput(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP onHandleBreakPoint(IRemoteDebugApplicationThread* t, BREAKREASON, IActiveScriptErrorDebug*) override {
        if (!thread) thread = t;
        ++breaks;
        ::SetEvent(breakEvent.get());
        return S_OK;
    }
    STDMETHODIMP onClose() override { return S_OK; }
    STDMETHODIMP onDebuggerEvent(REFIID, IUnknown*) override { return E_NOTIMPL; }
};

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

// Runs a script once on the engine of the ProgID; answers the seconds it took, or a
// negative value on failure (with the reason in *failure).
double RunOnce(const wchar_t* progId, const wchar_t* script, IDebugApplication* app, std::wstring* failure) {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(progId, &clsid)) && !host::Components::ResolveOwnLanguage(progId, &clsid)) {
        *failure = std::wstring(progId) + L" is not registered";
        return -1;
    }
    ComPtr<IActiveScript> engine;
    if (FAILED(host::Components::CreateEngine(clsid, engine.GetAddressOf()))) {
        *failure = std::wstring(L"cannot create ") + progId;
        return -1;
    }
    ComPtr<IActiveScriptParse> parse;
    engine.As(&parse);
    ComPtr<Site> site;
    site.Attach(new Site());
    site->app = app;
    engine->SetScriptSite(site.Get());
    parse->InitNew();
    HRESULT hr = parse->ParseScriptText(script, nullptr, nullptr, nullptr, 1, 0, SCRIPTTEXT_ISVISIBLE, nullptr, nullptr);
    if (SUCCEEDED(hr) && app) app->CauseBreak();
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    if (SUCCEEDED(hr)) hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    ::QueryPerformanceCounter(&end);
    engine->Close();
    if (FAILED(hr) || site->errors) {
        *failure = site->firstError.empty() ? L"failed with " + std::to_wstring(static_cast<long>(hr)) : site->firstError;
        return -1;
    }
    return Seconds(start, end);
}

double RunOnce(IDebugApplication* app) {
    std::wstring failure;
    const double seconds = RunOnce(L"StepScript", kScript, app, &failure);
    if (seconds < 0) std::fprintf(stderr, "the script failed: %ls\n", failure.c_str());
    return seconds;
}

// The workload on StepScript and on the platform's VBScript; answers false when neither
// could run it.
bool CompareWithPlatform(const Workload& workload, bool* stepScriptRan) {
    std::wstring stepFailure, platformFailure;
    // One untimed round each first: the first run loads DLLs and type libraries.
    RunOnce(L"StepScript", workload.script, nullptr, &stepFailure);
    RunOnce(L"VBScript", workload.script, nullptr, &platformFailure);
    const double step = RunOnce(L"StepScript", workload.script, nullptr, &stepFailure);
    const double platform = RunOnce(L"VBScript", workload.script, nullptr, &platformFailure);
    *stepScriptRan = step > 0;
    std::printf("%ls, %.0f statements\n", workload.name, workload.statements);
    if (step > 0)
        std::printf("  StepScript:                    %10.0f statements/s (%.3f s)\n", workload.statements / step, step);
    else
        std::printf("  StepScript cannot run it yet:  %ls\n", stepFailure.c_str());
    if (platform > 0)
        std::printf("  the platform's VBScript:       %10.0f statements/s (%.3f s)\n", workload.statements / platform,
                    platform);
    else
        std::printf("  the platform's VBScript failed: %ls\n", platformFailure.c_str());
    if (step > 0 && platform > 0)
        std::printf("  ratio StepScript/VBScript:     %10.2f (1 or more: StepScript is as fast or faster)\n",
                    platform / step);
    return step > 0 || platform > 0;
}

} // namespace

int main() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int rc = 1;
    {
        double plain = RunOnce(nullptr);

        ComPtr<IProcessDebugManager> pdm;
        ComPtr<IDebugApplication> app;
        ComPtr<Debugger> debugger;
        debugger.Attach(new Debugger());
        if (FAILED(host::Components::CreateDebugManager(pdm.GetAddressOf())) ||
            FAILED(pdm->GetDefaultApplication(app.GetAddressOf())) || FAILED(app->ConnectDebugger(debugger.Get()))) {
            std::fprintf(stderr, "no process debug manager\n");
            ::CoUninitialize();
            return 1;
        }
        std::atomic<bool> stop{false};
        IDebugApplication* rawApp = app.Get();
        Debugger* rawDebugger = debugger.Get();
        std::thread resumer([&] {
            ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            while (!stop) {
                if (::WaitForSingleObject(rawDebugger->breakEvent.get(), 100) != WAIT_OBJECT_0) continue;
                rawApp->ResumeFromBreakPoint(rawDebugger->thread.Get(), BREAKRESUMEACTION_STEP_INTO,
                                             ERRORRESUMEACTION_SkipErrorStatement);
            }
            ::CoUninitialize();
        });
        double debugged = RunOnce(app.Get());
        stop = true;
        resumer.join();
        app->DisconnectDebugger();
        debugger->thread.Reset();

        if (plain > 0 && debugged > 0) {
            double plainRate = kStatements / plain;
            double debuggedRate = static_cast<double>(debugger->breaks) / debugged;
            std::printf("StepScript, %.0f statements\n", kStatements);
            std::printf("  without a debugger:            %10.0f statements/s (%.3f s)\n", plainRate, plain);
            std::printf("  step-into at every statement:  %10.0f statements/s (%.3f s, %ld breaks)\n", debuggedRate,
                        debugged, static_cast<long>(debugger->breaks));
            std::printf("  ratio without/with debugger:   %10.1f\n", plainRate / debuggedRate);
            rc = 0;
        }
        bool ran = false;
        const bool full = CompareWithPlatform(kFullWorkload, &ran);
        if (!ran) {
            std::printf("StepScript cannot run the full workload yet: measuring the part it can\n");
            CompareWithPlatform(kReducedWorkload, &ran);
        }
        if (!full) rc = 1;
    }
    ::CoUninitialize();
    return rc;
}
