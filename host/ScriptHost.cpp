#include "host/ScriptHost.h"
#include "common/SpinWait.h"
#include "common/ComObject.h"
#include "host/Components.h"
#include "host/ScriptLoader.h"
#include "host/ScriptSite.h"
#include "host/SynchronizerObject.h"
#include "debugger/DebugSessionClient.h"
#include "common/Bstr.h"
#include "common/ComError.h"
#include "common/ComInit.h"
#include "common/DebugOwners.h"
#include "common/ExcepInfo.h"
#include "common/TextConv.h"
#include <ole2.h>

namespace host {

// The wrappers' synchronizer as the watcher calls it: through its dispatch interface,
// with the member's id looked up once. The watcher lives in a single-threaded apartment
// like the script thread, so the apartment-threaded object is called directly.
class SynchronizerCall {
public:
    explicit SynchronizerCall(ComPtr<IDispatch> synchronizer) : synchronizer_(std::move(synchronizer)) {
        LPOLESTR name = const_cast<LPOLESTR>(L"synchronize");
        if (synchronizer_ && FAILED(synchronizer_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id_)))
            synchronizer_.Reset();
    }
    bool available() const { return synchronizer_ != nullptr; }
    HRESULT operator()() const {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        return synchronizer_->Invoke(id_, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr,
                                     nullptr);
    }

private:
    ComPtr<IDispatch> synchronizer_;
    DISPID id_ = 0;
};

namespace {

struct ThreadStart {
    ScriptHost* host;
    std::shared_ptr<RunContext> run;
};

const DWORD kWatcherEndTimeout = 10000;
const DWORD kPromptInterval = 5000;

std::wstring EndOfRunReport(unsigned errors) {
    if (errors == 0) return L"Script ended with no errors.\r";
    if (errors == 1) return L"Script ended, 1 error was reported.\r";
    return L"Script ended, " + std::to_wstring(errors) + L" errors were reported.\r";
}

// Text of a run-time error: "source: description", or the system text of its code.
std::wstring RuntimeErrorText(IActiveScriptErrorDebug* error) {
    if (!error) return L"Unknown script error";
    common::ExcepInfo exception;
    error->GetExceptionInfo(exception.put());
    exception.fillIn();
    const std::wstring description = exception.description();
    if (!description.empty()) return exception.source() + L": " + description;
    std::wstring text = common::SystemMessage(static_cast<DWORD>(exception.code()));
    if (text.size() > 8192) text.resize(8192);
    return text;
}

} // namespace

RunContext::~RunContext() {
    if (scriptThread) ::CloseHandle(scriptThread);
    if (watcherThread) ::CloseHandle(watcherThread);
}

int CountStackFrames(IDebugApplicationThread* thread) {
    ComPtr<IEnumDebugStackFrames> frames;
    if (!thread || FAILED(thread->EnumStackFrames(&frames)) || !frames) return -1;
    frames->Reset();
    int count = 0;
    for (;;) {
        common::StackFrameDescriptor descriptor;
        ULONG fetched = 0;
        if (frames->Next(1, descriptor.put(), &fetched) != S_OK || fetched != 1) break;
        ++count;
    }
    return count;
}

ScriptHost::ScriptHost()
    : breakEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      stepEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      endEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      pauseEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      startedEvent_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

ScriptHost::~ScriptHost() {
    for (HANDLE event : {breakEvent_, stepEvent_, endEvent_, pauseEvent_, startedEvent_}) ::CloseHandle(event);
}

std::string ScriptHost::currentFile() const {
    std::lock_guard<std::mutex> guard(stateMutex_);
    return currentFile_;
}

void ScriptHost::setCurrentFile(const std::string& file) {
    std::lock_guard<std::mutex> guard(stateMutex_);
    currentFile_ = file;
}

std::wstring ScriptHost::errorText() const {
    std::lock_guard<std::mutex> guard(stateMutex_);
    return errorText_;
}

void ScriptHost::setErrorText(const std::wstring& text) {
    std::lock_guard<std::mutex> guard(stateMutex_);
    errorText_ = text;
}

std::shared_ptr<RunContext> ScriptHost::currentRun() {
    std::lock_guard<std::mutex> guard(stateMutex_);
    return run_;
}

bool ScriptHost::IsCurrent(const RunContext& run) {
    std::lock_guard<std::mutex> guard(stateMutex_);
    return run_ && run_->generation == run.generation;
}

bool ScriptHost::hasScriptThread() {
    std::shared_ptr<RunContext> run = currentRun();
    return run && run->threadActive;
}

bool ScriptHost::WaitForScriptThread(DWORD milliseconds) {
    std::shared_ptr<RunContext> run = currentRun();
    if (!run || !run->threadActive || !run->scriptThread) return true;
    return WaitDispatching(run->scriptThread, milliseconds) || !run->threadActive;
}

std::string ScriptHost::PathOfCookie(DWORD_PTR cookie) {
    std::shared_ptr<RunContext> run = currentRun();
    if (!run) return {};
    for (const auto& entry : run->fileMap)
        if (entry.second.cookie == cookie) return entry.second.path;
    return {};
}

ComPtr<IDebugDocumentHelper> ScriptHost::HelperOfCookie(DWORD_PTR cookie) {
    std::shared_ptr<RunContext> run = currentRun();
    if (!run) return nullptr;
    for (const auto& entry : run->fileMap)
        if (entry.second.cookie == cookie) return entry.second.helper;
    return nullptr;
}

void ScriptHost::Log(RecordKind kind, const std::wstring& text) {
    if (CountsAsError(kind)) ++errorCount_;
    HostLockGuard lock(hostLock_);
    if (application_) application_->LogRecord(kind, text);
}

std::wstring ScriptHost::languageName() const {
    std::lock_guard<std::mutex> guard(stateMutex_);
    return languageName_;
}

void ScriptHost::setLanguageName(const std::wstring& name) {
    std::lock_guard<std::mutex> guard(stateMutex_);
    languageName_ = name;
}

bool ScriptHost::Ask(const std::wstring& question) {
    // A headless run has nobody to ask: the answer is the one that ends the wait.
    if (consoleMode_ || !application_) return false;
    return application_->AskYesNo(question);
}

HRESULT ScriptHost::Run(const std::string& path) {
    if (running_ || hasScriptThread()) return S_OK;

    auto run = std::make_shared<RunContext>();
    run->scriptPath = path;
    selectedFrame_ = 0;
    stepOverDepth_ = -1;
    currentLine_ = -1;
    atBreak_ = true;
    stepping_ = false;
    running_ = false;
    errorCount_ = 0;
    preparationFailed_ = false;
    setErrorText(L"");
    {
        std::lock_guard<std::mutex> guard(stateMutex_);
        breakThreadName_.clear();
        breakPosition_ = BreakPosition();
        run->generation = ++generation_;
        run_ = run;
    }
    for (HANDLE event : {breakEvent_, stepEvent_, endEvent_, pauseEvent_, startedEvent_}) ::ResetEvent(event);
    pendingBreak_ = 0;

    run->threadActive = true;
    auto* start = new ThreadStart{this, run};
    run->scriptThread = ::CreateThread(nullptr, 0, ScriptThreadProc, start, 0, nullptr);
    if (!run->scriptThread) {
        delete start;
        run->threadActive = false;
        return HRESULT_FROM_WIN32(::GetLastError());
    }
    return S_OK;
}

DWORD WINAPI ScriptHost::ScriptThreadProc(void* param) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
    start->host->ScriptThreadMain(start->run);
    return 0;
}

HRESULT ScriptHost::CreateDebugManager(ComPtr<IProcessDebugManager>& manager) {
    return Components::CreateDebugManager(manager.ReleaseAndGetAddressOf());
}

HANDLE ScriptHost::CreateWatcherThread(LPTHREAD_START_ROUTINE procedure, void* parameter) {
    return ::CreateThread(nullptr, 0, procedure, parameter, 0, nullptr);
}

HRESULT ScriptHost::SetUpDebugger(RunContext& run) {
    ComPtr<IProcessDebugManager> manager;
    HRESULT hr = CreateDebugManager(manager);
    if (FAILED(hr) || !manager) {
        currentLine_ = -1;
        setErrorText(L"Script debug components (pdm.dll and mdm.exe) not installed. Please refer to Tevrin's "
                     L"documentation about this dependency.\r");
        return FAILED(hr) ? hr : E_POINTER;
    }
    // Each later refusal is reported too: a run that never started must not look like
    // one that ended without errors.
    const auto refused = [this](const wchar_t* step, HRESULT code) {
        if (SUCCEEDED(code)) code = E_POINTER;
        setErrorText(std::wstring(L"The script debugger could not be set up (") + step +
                     L"): " + common::SystemMessage(static_cast<DWORD>(code)));
        return code;
    };
    ComPtr<IDebugApplication> application;
    if (FAILED(hr = manager->GetDefaultApplication(&application)) || !application)
        return refused(L"GetDefaultApplication", hr);
    const std::wstring name = L"Tevrin script test " + std::to_wstring(::GetCurrentProcessId());
    if (FAILED(hr = application->SetName(name.c_str()))) return refused(L"SetName", hr);

    ComPtr<IApplicationDebugger> client;
    client = common::Adopt(new debugger::DebugSessionClient(*this));
    ComPtr<IDebugSessionProvider> provider;
    if (FAILED(hr = client.As(&provider))) return refused(L"IDebugSessionProvider", hr);
    if (FAILED(hr = provider->StartDebugSession(application.Get()))) return refused(L"StartDebugSession", hr);

    ComPtr<ScriptSite> site;
    site = common::Adopt(new ScriptSite(*this));
    site->SetDebugApplication(application.Get());

    std::lock_guard<std::mutex> guard(run.mutex);
    run.debugManager = manager;
    run.debugApplication = application;
    run.sessionProvider = provider;
    run.site = site;
    return S_OK;
}

void ScriptHost::ScriptThreadMain(const std::shared_ptr<RunContext>& run) {
    {
        // The apartment ends with the run's COM objects, before the run is marked over.
        const common::ComInit apartment(COINIT_APARTMENTTHREADED);
        bool executed = false;
        HRESULT hr = SetUpDebugger(*run);
        if (FAILED(hr) && IsCurrent(*run)) preparationFailed_ = true;
        if (SUCCEEDED(hr)) {
            ScriptLoader loader(*this, *run, run->scriptPath);
            hr = loader.PrepareEngine();
            // Breakpoints go onto the loaded code before the first statement runs.
            if (SUCCEEDED(hr)) ApplyBreakpoints(*run);
            if (FAILED(hr)) {
                if (errorText().empty())
                    setErrorText(L"The script could not be prepared: " + common::SystemMessage(static_cast<DWORD>(hr)));
                if (IsCurrent(*run)) {
                    preparationFailed_ = true;
                    running_ = false;
                    ::SetEvent(startedEvent_);
                }
            } else if (SUCCEEDED(hr = run->debugApplication->CauseBreak())) {
                auto* start = new ThreadStart{this, run};
                run->watcherThread = CreateWatcherThread(WatcherThreadProc, start);
                if (!run->watcherThread) {
                    const DWORD error = ::GetLastError();
                    delete start;
                    // Nobody would resume the break just requested: the script must not start.
                    setErrorText(L"The script could not be started: " + common::SystemMessage(error));
                    if (IsCurrent(*run)) preparationFailed_ = true;
                } else {
                    if (IsCurrent(*run)) {
                        atBreak_ = false;
                        running_ = true;
                        ::SetEvent(startedEvent_);
                    }
                    run->engine->SetScriptState(SCRIPTSTATE_CONNECTED);
                    executed = true;
                }
            } else {
                setErrorText(L"The debugger could not break into the script: " +
                             common::SystemMessage(static_cast<DWORD>(hr)));
                if (IsCurrent(*run)) preparationFailed_ = true;
            }
        }

        const bool current = IsCurrent(*run);
        if (executed) {
            if (current) running_ = false;
            if (run->watcherThread) {
                // A killed run's watcher is already gone; a current one leaves on the end event.
                if (current) ::SetEvent(endEvent_);
                if (::WaitForSingleObject(run->watcherThread, kWatcherEndTimeout) != WAIT_OBJECT_0 && !consoleMode_ &&
                    application_)
                    application_->ShowMessage(L"Failed to uninitialize script");
            }
            if (current) {
                atBreak_ = true;
                currentLine_ = -1;
                Log(RecordKind::Info, EndOfRunReport(errorCount_));
            }
        }
        // The last break's thread goes with the run's other debugger objects.
        if (current) setBreakPosition(BreakPosition());
        TearDown(*run);
        if (current && application_) application_->RefreshDebugPanes();
    }

    if (IsCurrent(*run)) {
        running_ = false;
        atBreak_ = true;
        run->threadActive = false;
        ::SetEvent(startedEvent_);
    } else {
        run->threadActive = false;
    }
}

void ScriptHost::TearDown(RunContext& run) {
    ComPtr<IActiveScript> engine;
    ComPtr<IActiveScriptDebug> engineDebug;
    ComPtr<IDebugApplication> application;
    ComPtr<IProcessDebugManager> manager;
    ComPtr<ScriptSite> site;
    ComPtr<IDebugSessionProvider> provider;
    {
        std::lock_guard<std::mutex> guard(run.mutex);
        engine.Swap(run.engine);
        engineDebug.Swap(run.engineDebug);
        application.Swap(run.debugApplication);
        manager.Swap(run.debugManager);
        site.Swap(run.site);
        provider.Swap(run.sessionProvider);
    }
    if (engine) engine->Close();
    if (application) application->DisconnectDebugger();
    if (site) site->ReleaseDocuments();
    site.Reset();
    engineDebug.Reset();
    engine.Reset();
    for (auto& entry : run.fileMap) entry.second.helper.Reset();
    application.Reset();
    manager.Reset();
    provider.Reset();
}

DWORD WINAPI ScriptHost::WatcherThreadProc(void* param) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
    start->host->WatcherMain(start->run);
    return 0;
}

void ScriptHost::WatcherMain(const std::shared_ptr<RunContext>& run) {
    // A single-threaded apartment: the wrappers' Synchronizer is apartment-threaded, and
    // from here it is created in this apartment and called without a thread switch (from
    // a multithreaded apartment every call would cross to a host apartment and back).
    const common::ComInit apartment(COINIT_APARTMENTTHREADED);
    {
        ComPtr<IDispatch> dispatch;
        if (ComPtr<IUnknown> object = CreateSynchronizerObject()) object.As(&dispatch);
        SynchronizerCall synchronize(dispatch);
        // The break to judge comes through pendingBreak_; the events only wake a sleeping
        // watcher (a break signals them when the watcher sleeps), so one left set by a
        // break already judged wakes it to find nothing pending.
        HANDLE events[3] = {endEvent_, stepEvent_, breakEvent_};
        for (;;) {
            int pending = 0;
            // The script's next break usually follows within microseconds, or within a
            // millisecond or two after a call into the application under test.
            common::SpinWhile([&] { return (pending = pendingBreak_.exchange(0)) == 0; }, common::kStatementSpin);
            if (pending == 0) {
                watcherAsleep_ = true;
                pending = pendingBreak_.exchange(0);
                if (pending == 0) {
                    // An apartment thread keeps its messages moving while it waits.
                    DWORD r = ::MsgWaitForMultipleObjects(3, events, FALSE, INFINITE, QS_ALLINPUT);
                    watcherAsleep_ = false;
                    if (r == WAIT_OBJECT_0 + 3) {
                        if (!DispatchWaitingMessages()) break;
                        continue;
                    }
                    if (r != WAIT_OBJECT_0 + 1 && r != WAIT_OBJECT_0 + 2) break;
                    pending = pendingBreak_.exchange(0);
                    if (pending == 0) continue;
                }
                watcherAsleep_ = false;
            }
            if (!IsCurrent(*run)) break;
            WatcherPass(run, synchronize.available() ? &synchronize : nullptr, pending == kStepPass);
        }
    }
}

bool ScriptHost::BreakpointHit(const std::string& file, int line) {
    std::lock_guard<std::recursive_mutex> guard(breakpointMutex_);
    for (const BreakpointRecord& breakpoint : breakpointList_)
        if (breakpoint.enabled && breakpoint.line == line && ::lstrcmpiA(breakpoint.file.c_str(), file.c_str()) == 0)
            return true;
    return false;
}

// The stack below the top frame is only walked while a step over waits for its depth:
// a run steps every statement, and a deep stack must not slow each one down.
ScriptHost::BreakPosition ScriptHost::ReadBreakPosition(IRemoteDebugApplicationThread* thread, bool countFrames) {
    BreakPosition position;
    position.thread = thread;
    ComPtr<IEnumDebugStackFrames> frames;
    if (!thread || FAILED(thread->EnumStackFrames(&frames)) || !frames) return position;
    position.framesRead = true;
    frames->Reset();
    int depth = 0;
    for (;;) {
        common::StackFrameDescriptor descriptor;
        ULONG fetched = 0;
        if (frames->Next(1, descriptor.put(), &fetched) != S_OK || fetched != 1) break;
        ComPtr<IDebugStackFrame> frame = descriptor.takeFrame();
        if (depth++ > 0 || !frame) {
            if (!countFrames) break;
            continue;
        }
        // The top frame gives the position.
        ComPtr<IDebugCodeContext> code;
        ComPtr<IDebugDocumentContext> context;
        ComPtr<IDebugDocument> document;
        ComPtr<IDebugDocumentText> text;
        common::Bstr name;
        ULONG characterPosition = 0, length = 0, line = 0, offset = 0;
        if (SUCCEEDED(frame->GetCodeContext(&code)) && SUCCEEDED(code->GetDocumentContext(&context)) &&
            SUCCEEDED(context->GetDocument(&document)) &&
            SUCCEEDED(document->GetName(DOCUMENTNAMETYPE_APPNODE, name.put()))) {
            position.located = true;
            position.file = common::WideToAnsi(name.str());
            if (SUCCEEDED(document.As(&text)) &&
                SUCCEEDED(text->GetPositionOfContext(context.Get(), &characterPosition, &length)) &&
                SUCCEEDED(text->GetLineOfPosition(characterPosition, &line, &offset)))
                position.line = static_cast<int>(line) + 1;
        }
    }
    position.depth = countFrames ? depth : -1;
    return position;
}

ScriptHost::BreakPosition ScriptHost::breakPosition() {
    std::lock_guard<std::mutex> guard(stateMutex_);
    return breakPosition_;
}

void ScriptHost::setBreakPosition(BreakPosition position) {
    std::lock_guard<std::mutex> guard(stateMutex_);
    breakPosition_ = std::move(position);
}

// The stop decision at one break. The script thread waits inside the break until it is
// resumed, so the position taken there still holds; nothing here calls back into it.
// The script is resumed after the lock is given back: resumed under it, the script's
// next break would find the lock still held and wait for it, a second hand-over between
// the two threads at every statement.
void ScriptHost::WatcherPass(const std::shared_ptr<RunContext>& run, const SynchronizerCall* synchronize,
                             bool stepPass) {
    const BreakPosition at = breakPosition();
    ComPtr<IDebugApplication> application = run->application();
    // Without its thread or its stack the break cannot be judged: the script stays held.
    if (!at.thread || !at.framesRead || !application) return;
    try {
        {
            HostLockGuard lock(hostLock_);
            if (at.located) {
                setCurrentFile(at.file);
                if (at.line > 0) currentLine_ = at.line;
            }
            if (synchronize) common::ThrowIfFailed((*synchronize)());

            bool stop = !stepPass || atBreak_;
            if (!stop) {
                const bool hit = BreakpointHit(currentFile(), currentLine_ - 1);
                if (stepOverDepth_ != -1 && at.depth >= 0 && at.depth <= stepOverDepth_) {
                    stepOverDepth_ = -1;
                    stop = true;
                }
                stop = stop || hit || stepping_;
            }
            if (stop) {
                // Any stop ends a pending step over: Go after a breakpoint inside the
                // stepped-over call runs on instead of stopping again on the way out.
                stepOverDepth_ = -1;
                atBreak_ = true;
                ::SetEvent(pauseEvent_);
                if (!consoleMode_ && application_) {
                    application_->ShowPosition(currentFile(), currentLine_, false);
                    application_->RefreshDebugPanes();
                }
                return;
            }
        }
        common::ThrowIfFailed(application->ResumeFromBreakPoint(at.thread.Get(), BREAKRESUMEACTION_STEP_INTO,
                                                                ERRORRESUMEACTION_SkipErrorStatement));
    } catch (...) {
        // The script stays held at this break until the user acts.
    }
}

void ScriptHost::OnHandleBreakPoint(IRemoteDebugApplicationThread* thread, BREAKREASON reason,
                                    IActiveScriptErrorDebug* error) {
    {
        HostLockGuard lock(hostLock_);
        if (thread) {
            common::Bstr description, state;
            if (SUCCEEDED(thread->GetDescription(description.put(), state.put()))) {
                std::lock_guard<std::mutex> guard(stateMutex_);
                breakThreadName_ = description.str();
            }
        }
        selectedFrame_ = 0;
        // The watcher judges the break from what is read here, on the waiting thread.
        if (reason != BREAKREASON_ERROR) setBreakPosition(ReadBreakPosition(thread, stepOverDepth_ != -1));
        if (reason == BREAKREASON_ERROR) {
            Log(RecordKind::FatalError, RuntimeErrorText(error));
            std::shared_ptr<RunContext> run = currentRun();
            ComPtr<IDebugApplication> application = run ? run->application() : nullptr;
            if (application && thread)
                application->ResumeFromBreakPoint(thread, BREAKRESUMEACTION_ABORT, ERRORRESUMEACTION_SkipErrorStatement);
            return;
        }
    }
    // Signalled after the lock is given back, so that the watcher does not wake only to
    // wait for it.
    const bool step = reason == BREAKREASON_STEP || reason == BREAKREASON_DEBUGGER_HALT;
    pendingBreak_ = step ? kStepPass : kBreakPass;
    if (watcherAsleep_) ::SetEvent(step ? stepEvent_ : breakEvent_);
    // Only a Break request waits for the pause (it sets atBreak first); a request made
    // after this test is answered by the watcher's stop.
    if (step && atBreak_) ::SetEvent(pauseEvent_);
}

ComPtr<IRemoteDebugApplicationThread> ScriptHost::FindScriptThread() {
    HostLockGuard lock(hostLock_);
    std::shared_ptr<RunContext> run = currentRun();
    ComPtr<IDebugApplication> application = run ? run->application() : nullptr;
    if (!application) return nullptr;
    std::wstring wanted;
    {
        std::lock_guard<std::mutex> guard(stateMutex_);
        wanted = breakThreadName_;
    }
    ComPtr<IEnumRemoteDebugApplicationThreads> threads;
    if (FAILED(application->EnumThreads(&threads)) || !threads) return nullptr;
    for (;;) {
        ComPtr<IRemoteDebugApplicationThread> thread;
        ULONG fetched = 0;
        if (threads->Next(1, &thread, &fetched) != S_OK || fetched != 1) break;
        common::Bstr description, state;
        if (SUCCEEDED(thread->GetDescription(description.put(), state.put())) &&
            ::lstrcmpiW(description.str().c_str(), wanted.c_str()) == 0)
            return thread;
    }
    return nullptr;
}

HRESULT ScriptHost::Break() {
    if (!running_) return S_OK;
    std::shared_ptr<RunContext> run = currentRun();
    ComPtr<IDebugApplication> application = run ? run->application() : nullptr;
    if (application_) application_->SetWaitCursor(true);
    atBreak_ = true;
    ::ResetEvent(pauseEvent_);
    HRESULT hr = application ? application->CauseBreak() : E_FAIL;
    while (!WaitDispatching(pauseEvent_, kPromptInterval)) {
        if (!Ask(L"Script failed to break within 5 seconds, would you like to retry?\n\tYes: Wait another 5 "
                 L"seconds for the script to break\n\tNo: Stop script")) {
            atBreak_ = false;
            Stop();
            if (application_) application_->SetWaitCursor(false);
            return S_OK;
        }
    }
    if (application_) application_->SetWaitCursor(false);
    return hr;
}

HRESULT ScriptHost::Stop() {
    std::shared_ptr<RunContext> run = currentRun();
    if (!run) return S_OK;
    if (!atBreak_) {
        if (ComPtr<IActiveScript> engine = run->script())
            engine->InterruptScriptThread(SCRIPTTHREADID_ALL, nullptr, 0);
        // The end is awaited on the script thread itself: the end event is auto-reset and the
        // watcher takes it, so waiting for the event could miss the end for ever.
        HANDLE ended = run->scriptThread ? run->scriptThread : endEvent_;
        while (!WaitDispatching(ended, kPromptInterval)) {
            if (!Ask(L"Script failed to stop within 5 seconds, would you like to retry?\n\tYes: Wait another 5 "
                     L"seconds for the script to stop\n\tNo: Kill script"))
                return Kill();
        }
    }
    ComPtr<IDebugApplication> application = run->application();
    ComPtr<IRemoteDebugApplicationThread> thread = FindScriptThread();
    if (application && thread)
        application->ResumeFromBreakPoint(thread.Get(), BREAKRESUMEACTION_ABORT, ERRORRESUMEACTION_SkipErrorStatement);
    ComPtr<IActiveScript> engine = run->script();
    return engine ? engine->SetScriptState(SCRIPTSTATE_DISCONNECTED) : S_OK;
}

HRESULT ScriptHost::Kill() {
    std::shared_ptr<RunContext> run = currentRun();
    if (!run) return S_OK;
    ::SetEvent(endEvent_);
    if (ComPtr<IActiveScript> engine = run->script()) engine->SetScriptState(SCRIPTSTATE_DISCONNECTED);
    if (run->watcherThread) ::WaitForSingleObject(run->watcherThread, 30000);
    running_ = false;
    atBreak_ = true;
    // The abandoned thread keeps its own context; this host forgets it.
    {
        std::lock_guard<std::mutex> guard(stateMutex_);
        ++generation_;
        run_.reset();
    }
    if (ComPtr<IDebugApplication> application = run->application()) application->DisconnectDebugger();
    // The abandoned thread ends unseen: the panes, caption and views leave its last stop now.
    currentLine_ = -1;
    if (application_) application_->RefreshDebugPanes();
    return S_OK;
}

HRESULT ScriptHost::Continue() {
    if (!atBreak_) return S_OK;
    std::shared_ptr<RunContext> run = currentRun();
    ComPtr<IDebugApplication> application = run ? run->application() : nullptr;
    ComPtr<IRemoteDebugApplicationThread> thread = FindScriptThread();
    selectedFrame_ = 0;
    atBreak_ = false;
    stepping_ = false;
    if (!application) return E_FAIL;
    return application->ResumeFromBreakPoint(thread.Get(), BREAKRESUMEACTION_STEP_INTO,
                                             ERRORRESUMEACTION_SkipErrorStatement);
}

HRESULT ScriptHost::StepInto() { return StepFromBreak(false); }

HRESULT ScriptHost::StepOver() { return StepFromBreak(true); }

// Resumes the stopped script with a step into; the watcher then stops at the next
// statement (Step Into) or once the stack is back to its present depth (Step Over).
HRESULT ScriptHost::StepFromBreak(bool over) {
    if (!(running_ && atBreak_)) return S_OK;
    HostLockGuard lock(hostLock_);
    std::shared_ptr<RunContext> run = currentRun();
    ComPtr<IDebugApplication> application = run ? run->application() : nullptr;
    ComPtr<IRemoteDebugApplicationThread> thread = FindScriptThread();
    ComPtr<IDebugApplicationThread> appThread;
    if (!application || !thread || FAILED(thread.As(&appThread))) return E_FAIL;
    DWORD count = 0;
    appThread->Suspend(&count);
    if (over) stepOverDepth_ = CountStackFrames(appThread.Get());
    atBreak_ = false;
    stepping_ = !over;
    application->ResumeFromBreakPoint(thread.Get(), BREAKRESUMEACTION_STEP_INTO, ERRORRESUMEACTION_SkipErrorStatement);
    return appThread->Resume(&count);
}

} // namespace host
