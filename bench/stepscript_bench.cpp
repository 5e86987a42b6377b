// StepScript speed with and without a debugger, measured in one run: a loop of about
// 100 000 statements runs once on its own and once under a debugger that stops at every
// statement and resumes each stop with step-into from another thread (as Tevrin's break
// watcher does). Prints statements per second of each and their ratio.
#include "common/ComObject.h"
#include "common/ScriptingGuids.h"
#include "common/UniqueHandle.h"
#include <wrl/client.h>
#include <atomic>
#include <cstdio>
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

// Runs the script once; answers the seconds it took, or a negative value on failure.
double RunOnce(IDebugApplication* app) {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"StepScript", &clsid))) {
        std::fprintf(stderr, "StepScript is not registered\n");
        return -1;
    }
    ComPtr<IActiveScript> engine;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                  reinterpret_cast<void**>(engine.GetAddressOf()))))
        return -1;
    ComPtr<IActiveScriptParse> parse;
    engine.As(&parse);
    ComPtr<Site> site;
    site.Attach(new Site());
    site->app = app;
    engine->SetScriptSite(site.Get());
    parse->InitNew();
    if (FAILED(parse->ParseScriptText(kScript, nullptr, nullptr, nullptr, 1, 0, SCRIPTTEXT_ISVISIBLE, nullptr, nullptr)))
        return -1;
    if (app) app->CauseBreak();
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    HRESULT hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    ::QueryPerformanceCounter(&end);
    engine->Close();
    if (FAILED(hr) || site->errors) {
        std::fprintf(stderr, "the script failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return -1;
    }
    return Seconds(start, end);
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
        if (FAILED(::CoCreateInstance(CLSID_ProcessDebugManager, nullptr, CLSCTX_ALL, IID_IProcessDebugManager,
                                      reinterpret_cast<void**>(pdm.GetAddressOf()))) ||
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
    }
    ::CoUninitialize();
    return rc;
}
