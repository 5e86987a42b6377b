#include "DebugServicesFakes.h"
#include "common/ComInit.h"
#include "common/DebugOwners.h"
#include "common/ComObject.h"
#include <gtest/gtest.h>

using namespace fakes;

namespace {

class DebugApplicationTest : public ::testing::Test {
protected:
    const common::ComInit apartment_{COINIT_MULTITHREADED};

    void SetUp() override {
        debugger = common::Adopt(new TestDebugger);
        manager = CreateManager();
        ASSERT_TRUE(manager) << "debugservices.dll gives no process debug manager";
        ASSERT_EQ(manager->CreateApplication(application.GetAddressOf()), S_OK);
    }
    void TearDown() override {
        if (debugger) debugger->StopResuming();
        if (application) {
            application->DisconnectDebugger();
            application->Close();
        }
        application.Reset();
        manager.Reset();
        debugger.Reset();
    }
    void Connect() { ASSERT_EQ(application->ConnectDebugger(debugger.Get()), S_OK); }

    static std::vector<BREAKREASON> Reasons(const std::vector<TestDebugger::Break>& breaks) {
        std::vector<BREAKREASON> reasons;
        for (const auto& b : breaks) reasons.push_back(b.reason);
        return reasons;
    }

    ComPtr<IProcessDebugManager> manager;
    ComPtr<IDebugApplication> application;
    ComPtr<TestDebugger> debugger;
};

} // namespace

TEST_F(DebugApplicationTest, DefaultApplicationIsOnePerProcessAndNamed) {
    ComPtr<IProcessDebugManager> other = CreateManager();
    ComPtr<IDebugApplication> first, second;
    ASSERT_EQ(manager->GetDefaultApplication(first.GetAddressOf()), S_OK);
    ASSERT_EQ(other->GetDefaultApplication(second.GetAddressOf()), S_OK);
    EXPECT_EQ(first.Get(), second.Get());
    EXPECT_NE(first.Get(), application.Get());

    ASSERT_EQ(application->SetName(L"Tevrin script test 42"), S_OK);
    common::Bstr name;
    ASSERT_EQ(application->GetName(name.put()), S_OK);
    EXPECT_EQ(name.str(), L"Tevrin script test 42");
    ComPtr<IDebugApplicationNode> root;
    ASSERT_EQ(application->GetRootNode(root.GetAddressOf()), S_OK);
    common::Bstr rootName;
    ASSERT_EQ(root->GetName(DOCUMENTNAMETYPE_APPNODE, rootName.put()), S_OK);
    EXPECT_EQ(rootName.str(), L"Tevrin script test 42");
    EXPECT_EQ(application->SetName(nullptr), E_INVALIDARG);

    DWORD cookie = 0;
    ASSERT_EQ(manager->AddApplication(application.Get(), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(manager->RemoveApplication(cookie), S_OK);
    EXPECT_EQ(manager->RemoveApplication(cookie), E_INVALIDARG);
}

TEST_F(DebugApplicationTest, ObjectsAreFreeThreaded) {
    ComPtr<IMarshal> marshal;
    EXPECT_EQ(application.As(&marshal), S_OK);
    ComPtr<IDebugDocumentHelper> helper;
    ASSERT_EQ(manager->CreateDebugDocumentHelper(nullptr, helper.GetAddressOf()), S_OK);
    EXPECT_EQ(helper.As(&marshal), S_OK);
    ComPtr<IRemoteDebugApplication> remote;
    EXPECT_EQ(application.As(&remote), S_OK);
}

TEST_F(DebugApplicationTest, OnlyOneDebuggerConnects) {
    Connect();
    ComPtr<TestDebugger> second;
    second = common::Adopt(new TestDebugger);
    EXPECT_EQ(application->ConnectDebugger(second.Get()), E_FAIL);
    EXPECT_EQ(application->ConnectDebugger(debugger.Get()), S_OK);
    ComPtr<IApplicationDebugger> current;
    ASSERT_EQ(application->GetDebugger(current.GetAddressOf()), S_OK);
    EXPECT_EQ(current.Get(), static_cast<IApplicationDebugger*>(debugger.Get()));
    EXPECT_EQ(application->ConnectDebugger(nullptr), E_INVALIDARG);

    application->DebugOutput(L"hello");
    EXPECT_EQ(debugger->output(), L"hello");

    ASSERT_EQ(application->DisconnectDebugger(), S_OK);
    EXPECT_EQ(application->GetDebugger(current.ReleaseAndGetAddressOf()), E_FAIL);
    EXPECT_EQ(application->ConnectDebugger(second.Get()), S_OK);
}

TEST_F(DebugApplicationTest, HaltThenStepIntoBreaksAtEveryStatement) {
    Connect();
    debugger->ResumeWith(application, [](size_t, const TestDebugger::Break&) { return BREAKRESUMEACTION_STEP_INTO; });
    ASSERT_EQ(application->CauseBreak(), S_OK);
    EngineThread engine(application, {});
    ASSERT_TRUE(engine.Finish());
    auto breaks = debugger->breaks();
    ASSERT_EQ(breaks.size(), 5u);
    EXPECT_EQ(breaks[0].reason, BREAKREASON_DEBUGGER_HALT);
    for (size_t i = 1; i < breaks.size(); ++i) EXPECT_EQ(breaks[i].reason, BREAKREASON_STEP) << i;
    for (const auto& b : breaks) EXPECT_EQ(b.threadId, engine.id());
    EXPECT_EQ(engine.executed(), 5);
    EXPECT_FALSE(engine.aborted());
}

TEST_F(DebugApplicationTest, ContinueRunsOnUntilACodeBreakpoint) {
    Connect();
    debugger->ResumeWith(application, [](size_t, const TestDebugger::Break&) { return BREAKRESUMEACTION_CONTINUE; });
    ASSERT_EQ(application->CauseBreak(), S_OK);
    EngineThread engine(application, {8, {5}, {}, false});
    ASSERT_TRUE(engine.Finish());
    EXPECT_EQ(Reasons(debugger->breaks()),
              (std::vector<BREAKREASON>{BREAKREASON_DEBUGGER_HALT, BREAKREASON_BREAKPOINT}));
    EXPECT_EQ(engine.executed(), 8);

    // The halt was taken: a later run does not stop.
    EngineThread again(application, {3, {}, {}, false});
    ASSERT_TRUE(again.Finish());
    EXPECT_EQ(debugger->breaks().size(), 2u);
}

TEST_F(DebugApplicationTest, AbortEndsTheEngineAtTheBreak) {
    Connect();
    debugger->ResumeWith(application, [](size_t index, const TestDebugger::Break&) {
        return index < 2 ? BREAKRESUMEACTION_STEP_INTO : BREAKRESUMEACTION_ABORT;
    });
    application->CauseBreak();
    EngineThread engine(application, {10, {}, {}, false});
    ASSERT_TRUE(engine.Finish());
    EXPECT_TRUE(engine.aborted());
    EXPECT_EQ(engine.executed(), 2);
    // Aborting left no step behind for the next run.
    APPBREAKFLAGS flags = 0;
    ASSERT_EQ(application->GetBreakFlags(&flags, nullptr), S_OK);
    EXPECT_EQ(flags & (APPBREAKFLAG_STEP | APPBREAKFLAG_DEBUGGER_HALT), 0u);
}

TEST_F(DebugApplicationTest, WithoutDebuggerNothingWaits) {
    ASSERT_EQ(application->CauseBreak(), S_OK);
    EngineThread engine(application, {4, {1, 2}, {3}, false});
    ASSERT_TRUE(engine.Finish(5000));
    EXPECT_EQ(engine.executed(), 3);
    ASSERT_EQ(engine.errors.size(), 1u);
    EXPECT_EQ(engine.errors[0].action, BREAKRESUMEACTION_CONTINUE);
    EXPECT_EQ(engine.errors[0].errorAction, ERRORRESUMEACTION_AbortCallAndReturnErrorToCaller);
    EXPECT_TRUE(engine.errors[0].callOnScriptError);
    APPBREAKFLAGS flags = 0;
    application->GetBreakFlags(&flags, nullptr);
    EXPECT_EQ(flags, 0u);
}

TEST_F(DebugApplicationTest, RuntimeErrorBreaksWithTheErrorAndReturnsTheResumeActions) {
    Connect();
    debugger->ResumeWith(application, [](size_t, const TestDebugger::Break&) { return BREAKRESUMEACTION_ABORT; });
    EngineThread engine(application, {5, {}, {2}, false});
    ASSERT_TRUE(engine.Finish());
    auto breaks = debugger->breaks();
    ASSERT_EQ(breaks.size(), 1u);
    EXPECT_EQ(breaks[0].reason, BREAKREASON_ERROR);
    EXPECT_TRUE(breaks[0].withError);
    ASSERT_EQ(engine.errors.size(), 1u);
    EXPECT_EQ(engine.errors[0].action, BREAKRESUMEACTION_ABORT);
    EXPECT_EQ(engine.errors[0].errorAction, ERRORRESUMEACTION_SkipErrorStatement);
    EXPECT_TRUE(engine.errors[0].callOnScriptError);
    EXPECT_EQ(engine.executed(), 2);
}

TEST_F(DebugApplicationTest, SteppingThreadIsTheOneThatWasResumed) {
    Connect();
    ComPtr<IRemoteDebugApplicationThread> seen;
    DWORD seenId = 0;
    debugger->duringBreak = [&](IRemoteDebugApplicationThread*) {};
    debugger->ResumeWith(application, [](size_t, const TestDebugger::Break&) { return BREAKRESUMEACTION_STEP_INTO; });
    application->CauseBreak();
    {
        EngineThread engine(application, {1, {}, {}, false});
        ASSERT_TRUE(engine.Finish());
        seenId = engine.id();
    }
    APPBREAKFLAGS flags = 0;
    ASSERT_EQ(application->GetBreakFlags(&flags, seen.GetAddressOf()), S_OK);
    EXPECT_TRUE(flags & APPBREAKFLAG_STEP);
    ASSERT_TRUE(seen);
    EXPECT_EQ(ThreadIdOf(seen.Get()), seenId);
}

TEST_F(DebugApplicationTest, ResumeWithoutBreakFails) {
    Connect();
    EXPECT_EQ(application->ResumeFromBreakPoint(nullptr, BREAKRESUMEACTION_CONTINUE,
                                                ERRORRESUMEACTION_SkipErrorStatement),
              E_UNEXPECTED);
}

TEST_F(DebugApplicationTest, ThreadsAtABreakAndRunning) {
    Connect();
    application->CauseBreak();
    EngineThread engine(application, {-1, {}, {}, false});
    ASSERT_TRUE(debugger->WaitForBreak());

    ComPtr<IEnumRemoteDebugApplicationThreads> threads;
    ASSERT_EQ(application->EnumThreads(threads.GetAddressOf()), S_OK);
    ComPtr<IRemoteDebugApplicationThread> thread;
    ULONG fetched = 0;
    ASSERT_EQ(threads->Next(1, thread.GetAddressOf(), &fetched), S_OK);
    EXPECT_EQ(ThreadIdOf(thread.Get()), engine.id());
    ComPtr<IRemoteDebugApplicationThread> none;
    EXPECT_EQ(threads->Next(1, none.GetAddressOf(), &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    DWORD state = 0;
    ASSERT_EQ(thread->GetState(&state), S_OK);
    EXPECT_EQ(state, static_cast<DWORD>(THREAD_STATE_SUSPENDED | THREAD_BLOCKED));
    common::Bstr description, stateText;
    ASSERT_EQ(thread->GetDescription(description.put(), stateText.put()), S_OK);
    EXPECT_FALSE(description.str().empty());
    EXPECT_FALSE(stateText.str().empty());
    ComPtr<IRemoteDebugApplication> owner;
    ASSERT_EQ(thread->GetApplication(owner.GetAddressOf()), S_OK);
    ComPtr<IUnknown> a, b;
    owner.As(&a);
    application.As(&b);
    EXPECT_EQ(a.Get(), b.Get());

    ASSERT_EQ(application->ResumeFromBreakPoint(thread.Get(), BREAKRESUMEACTION_CONTINUE,
                                                ERRORRESUMEACTION_SkipErrorStatement),
              S_OK);
    // Running now: the state follows without a break.
    for (int i = 0; i < 500 && state != THREAD_STATE_RUNNING; ++i) {
        ::Sleep(10);
        thread->GetState(&state);
    }
    EXPECT_EQ(state, static_cast<DWORD>(THREAD_STATE_RUNNING));
    DWORD count = 99;
    ASSERT_EQ(thread->GetSuspendCount(&count), S_OK);
    EXPECT_EQ(count, 0u);

    // A break asked for while the script runs stops it at its next statement.
    ASSERT_EQ(application->CauseBreak(), S_OK);
    ASSERT_TRUE(debugger->WaitForBreak());
    auto breaks = debugger->breaks();
    ASSERT_EQ(breaks.size(), 2u);
    EXPECT_EQ(breaks[1].reason, BREAKREASON_DEBUGGER_HALT);
    EXPECT_EQ(breaks[1].threadId, engine.id());

    engine.Stop();
    application->ResumeFromBreakPoint(thread.Get(), BREAKRESUMEACTION_CONTINUE, ERRORRESUMEACTION_SkipErrorStatement);
    ASSERT_TRUE(engine.Finish());
}

TEST_F(DebugApplicationTest, EndedThreadsLeaveTheList) {
    {
        EngineThread engine(application, {1, {}, {}, false});
        ASSERT_TRUE(engine.Finish());
    }
    ComPtr<IEnumRemoteDebugApplicationThreads> threads;
    ASSERT_EQ(application->EnumThreads(threads.GetAddressOf()), S_OK);
    ComPtr<IRemoteDebugApplicationThread> thread;
    ULONG fetched = 0;
    EXPECT_EQ(threads->Next(1, thread.GetAddressOf(), &fetched), S_FALSE);
}

TEST_F(DebugApplicationTest, SuspendedThreadLeavesTheBreakOnlyWhenResumed) {
    Connect();
    application->CauseBreak();
    EngineThread engine(application, {3, {}, {}, false});
    ASSERT_TRUE(debugger->WaitForBreak());
    ComPtr<IRemoteDebugApplicationThread> thread = debugger->lastThread();

    DWORD previous = 99;
    ASSERT_EQ(thread->Suspend(&previous), S_OK);
    EXPECT_EQ(previous, 0u);
    DWORD count = 0;
    thread->GetSuspendCount(&count);
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(application->ResumeFromBreakPoint(thread.Get(), BREAKRESUMEACTION_CONTINUE,
                                                ERRORRESUMEACTION_SkipErrorStatement),
              S_OK);
    EXPECT_FALSE(engine.Finish(300));
    EXPECT_EQ(engine.executed(), 0);
    ASSERT_EQ(thread->Resume(&previous), S_OK);
    EXPECT_EQ(previous, 1u);
    ASSERT_TRUE(engine.Finish());
    EXPECT_EQ(engine.executed(), 3);
    EXPECT_EQ(thread->Resume(&previous), S_FALSE);
}

TEST_F(DebugApplicationTest, DisconnectAtABreakReleasesTheThread) {
    Connect();
    application->CauseBreak();
    EngineThread engine(application, {3, {}, {}, false});
    ASSERT_TRUE(debugger->WaitForBreak());
    debugger->lastThread()->Suspend(nullptr);
    ASSERT_EQ(application->DisconnectDebugger(), S_OK);
    ASSERT_TRUE(engine.Finish());
    EXPECT_FALSE(engine.aborted());
    EXPECT_EQ(engine.executed(), 3);
}

TEST_F(DebugApplicationTest, RefusedBreakIsNotWaitedFor) {
    Connect();
    debugger->breakAnswer = E_FAIL;
    application->CauseBreak();
    EngineThread engine(application, {3, {}, {}, false});
    ASSERT_TRUE(engine.Finish(5000));
    EXPECT_EQ(debugger->breaks().size(), 1u);
    EXPECT_EQ(engine.executed(), 3);
}

TEST_F(DebugApplicationTest, TwoThreadsBreakOneAtATime) {
    Connect();
    std::atomic<int> atBreak{0};
    std::atomic<int> most{0};
    debugger->duringBreak = [&](IRemoteDebugApplicationThread*) {
        int now = ++atBreak;
        if (now > most) most = now;
    };
    debugger->ResumeWith(application, [&](size_t, const TestDebugger::Break&) {
        ::Sleep(20);
        --atBreak;
        return BREAKRESUMEACTION_CONTINUE;
    });
    EngineThread first(application, {3, {0, 1, 2}, {}, false});
    EngineThread second(application, {3, {0, 1, 2}, {}, false});
    ASSERT_TRUE(first.Finish());
    ASSERT_TRUE(second.Finish());
    EXPECT_EQ(debugger->breaks().size(), 6u);
    EXPECT_EQ(most.load(), 1);
}

namespace {

// Records the thread a call ran on and answers a chosen result.
class RecordingCall : public common::ComObject<IDebugThreadCall> {
public:
    STDMETHODIMP ThreadCallHandler(DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3) override {
        ranOn = ::GetCurrentThreadId();
        sum = p1 + p2 + p3;
        ++calls;
        return result;
    }
    std::atomic<DWORD> ranOn{0};
    std::atomic<DWORD_PTR> sum{0};
    std::atomic<int> calls{0};
    HRESULT result = S_FALSE;
};

HRESULT CallInto(IDebugApplicationThread* thread, IDebugThreadCall* call, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3) {
#ifdef _WIN64
    ComPtr<IDebugApplicationThread64> wide;
    HRESULT hr = thread->QueryInterface(IID_IDebugApplicationThread64, reinterpret_cast<void**>(wide.GetAddressOf()));
    if (FAILED(hr)) return hr;
    return wide->SynchronousCallIntoThread64(call, p1, p2, p3);
#else
    return thread->SynchronousCallIntoThread32(call, p1, p2, p3);
#endif
}

} // namespace

TEST_F(DebugApplicationTest, SynchronousCallsRunOnTheTargetThread) {
    Connect();
    application->CauseBreak();
    EngineThread engine(application, {-1, {}, {}, false});
    ASSERT_TRUE(debugger->WaitForBreak());
    ComPtr<IDebugApplicationThread> thread = engine.thread();

    // At a break.
    ComPtr<RecordingCall> call;
    call = common::Adopt(new RecordingCall);
    EXPECT_EQ(CallInto(thread.Get(), call.Get(), 1, 2, 3), S_FALSE);
    EXPECT_EQ(call->ranOn.load(), engine.id());
    EXPECT_EQ(call->sum.load(), 6u);

    // While running: carried out at the next statement.
    application->ResumeFromBreakPoint(thread.Get(), BREAKRESUMEACTION_CONTINUE, ERRORRESUMEACTION_SkipErrorStatement);
    call->ranOn = 0;
    call->result = E_ACCESSDENIED;
    EXPECT_EQ(CallInto(thread.Get(), call.Get(), 4, 5, 6), E_ACCESSDENIED);
    EXPECT_EQ(call->ranOn.load(), engine.id());
    EXPECT_EQ(call->sum.load(), 15u);

    // On the target thread itself: at once.
    ComPtr<IDebugApplicationThread> mine;
    ASSERT_EQ(application->GetCurrentThread(mine.GetAddressOf()), S_OK);
    EXPECT_EQ(mine->QueryIsCurrentThread(), S_OK);
    EXPECT_EQ(thread->QueryIsCurrentThread(), S_FALSE);
    call->result = S_OK;
    EXPECT_EQ(CallInto(mine.Get(), call.Get(), 0, 0, 0), S_OK);
    EXPECT_EQ(call->ranOn.load(), ::GetCurrentThreadId());

    engine.Stop();
    ASSERT_TRUE(engine.Finish());
}

TEST_F(DebugApplicationTest, CallsIntoAThreadThatEndedFail) {
    ComPtr<IDebugApplicationThread> thread;
    std::thread([&] { application->GetCurrentThread(thread.GetAddressOf()); }).join();
    ASSERT_TRUE(thread);
    ComPtr<RecordingCall> call;
    call = common::Adopt(new RecordingCall);
    EXPECT_EQ(CallInto(thread.Get(), call.Get(), 0, 0, 0), RPC_E_DISCONNECTED);
    EXPECT_EQ(call->calls.load(), 0);
}

TEST_F(DebugApplicationTest, CallIntoAThreadThatNeverServesTimesOutAndIsDropped) {
    ComPtr<IDebugApplicationThread> thread;
    common::UniqueHandle go(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread busy([&] {
        application->GetCurrentThread(thread.GetAddressOf());
        ::WaitForSingleObject(go.get(), 60000);  // a long call into the application under test
        APPBREAKFLAGS flags;
        application->GetBreakFlags(&flags, nullptr);
    });
    while (!thread) ::Sleep(10);
    ComPtr<RecordingCall> call;
    call = common::Adopt(new RecordingCall);
    ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(CallInto(thread.Get(), call.Get(), 0, 0, 0), RPC_E_TIMEOUT);
    EXPECT_GE(::GetTickCount64() - start, 29000u);
    ::SetEvent(go.get());
    busy.join();
    EXPECT_EQ(call->calls.load(), 0);  // the abandoned call never ran later
}

TEST_F(DebugApplicationTest, StackFramesComeFromTheThreadsSniffers) {
    Connect();
    application->CauseBreak();
    EngineThread engine(application, {-1, {}, {}, true});
    ASSERT_TRUE(debugger->WaitForBreak());
    ComPtr<IDebugApplicationThread> thread = engine.thread();

    // As a break watcher does it: the suspended thread still answers.
    ASSERT_EQ(thread->Suspend(nullptr), S_OK);
    ComPtr<IEnumDebugStackFrames> frames;
    ASSERT_EQ(thread->EnumStackFrames(frames.GetAddressOf()), S_OK);
    ASSERT_EQ(thread->Resume(nullptr), S_OK);
    std::vector<std::wstring> names;
    common::StackFrameDescriptor d;
    ULONG fetched = 0;
    while (frames->Next(1, d.put(), &fetched) == S_OK && fetched == 1) {
        common::Bstr name;
        d.frame()->GetDescriptionString(TRUE, name.put());
        names.push_back(name.str());
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Inner 0", L"Global code"}));
    ASSERT_FALSE(engine.sniffer()->askedOn.empty());
    EXPECT_EQ(engine.sniffer()->askedOn.back(), engine.id());

    // Reset and Skip as the call stack pane uses them.
    ASSERT_EQ(frames->Reset(), S_OK);
    ASSERT_EQ(frames->Skip(1), S_OK);
    ASSERT_EQ(frames->Next(1, d.put(), &fetched), S_OK);
    common::Bstr second;
    d.frame()->GetDescriptionString(TRUE, second.put());
    EXPECT_EQ(second.str(), L"Global code");
    EXPECT_EQ(frames->Skip(5), S_FALSE);

    // A thread that runs no script has no frames.
    ComPtr<IDebugApplicationThread> mine;
    application->GetCurrentThread(mine.GetAddressOf());
    ComPtr<IEnumDebugStackFrames> empty;
    ASSERT_EQ(mine->EnumStackFrames(empty.GetAddressOf()), S_OK);
    EXPECT_EQ(empty->Next(1, d.put(), &fetched), S_FALSE);

    application->ResumeFromBreakPoint(thread.Get(), BREAKRESUMEACTION_CONTINUE, ERRORRESUMEACTION_SkipErrorStatement);
    engine.Stop();
    ASSERT_TRUE(engine.Finish());
    // The engine removed its sniffer when it ended.
    ComPtr<IEnumDebugStackFrames> after;
    ASSERT_EQ(thread->EnumStackFrames(after.GetAddressOf()), S_OK);
    EXPECT_EQ(after->Next(1, d.put(), &fetched), S_FALSE);
    EXPECT_EQ(application->RemoveStackFrameSniffer(12345), E_INVALIDARG);
}

TEST_F(DebugApplicationTest, FramesAreMadeOnlyAsFarAsTheyAreFetched) {
    Connect();
    application->CauseBreak();
    EngineThread::Options options{-1, {}, {}, true};
    options.callers = 50;
    EngineThread engine(application, options);
    ASSERT_TRUE(debugger->WaitForBreak());
    ComPtr<IEnumDebugStackFrames> frames;
    ASSERT_EQ(engine.thread()->EnumStackFrames(frames.GetAddressOf()), S_OK);
    const auto nameOf = [](common::StackFrameDescriptor& d) {
        common::Bstr name;
        d.frame()->GetDescriptionString(TRUE, name.put());
        return name.str();
    };
    // The top frame, as the stop decision reads it at every statement.
    common::StackFrameDescriptor d;
    ULONG fetched = 0;
    ASSERT_EQ(frames->Next(1, d.put(), &fetched), S_OK);
    EXPECT_EQ(nameOf(d), L"Inner 0");
    EXPECT_EQ(engine.sniffer()->framesMade, 1);

    // A clone goes on from where its original stood, reading only what it fetches.
    ComPtr<IEnumDebugStackFrames> clone;
    ASSERT_EQ(frames->Clone(clone.GetAddressOf()), S_OK);
    ASSERT_EQ(clone->Next(1, d.put(), &fetched), S_OK);
    EXPECT_EQ(nameOf(d), L"Caller 1");
    EXPECT_EQ(engine.sniffer()->framesMade, 2);

    // Counting the stack reads it all, once: a second pass makes no frame again.
    EXPECT_EQ(frames->Skip(100), S_FALSE);
    EXPECT_EQ(engine.sniffer()->framesMade, 52);
    ASSERT_EQ(frames->Reset(), S_OK);
    std::vector<DebugStackFrameDescriptor> raw(60);
    EXPECT_EQ(frames->Next(60, raw.data(), &fetched), S_FALSE);
    EXPECT_EQ(fetched, 52u);
    for (ULONG i = 0; i < fetched; ++i) {
        if (raw[i].pdsf) raw[i].pdsf->Release();
        if (raw[i].punkFinal) raw[i].punkFinal->Release();
    }
    EXPECT_EQ(engine.sniffer()->framesMade, 52);

    application->ResumeFromBreakPoint(engine.thread().Get(), BREAKRESUMEACTION_CONTINUE,
                                      ERRORRESUMEACTION_SkipErrorStatement);
    engine.Stop();
    ASSERT_TRUE(engine.Finish());
}

TEST_F(DebugApplicationTest, DebuggerSeesTheFramesInsideTheBreak) {
    Connect();
    std::vector<std::wstring> seen;
    debugger->duringBreak = [&](IRemoteDebugApplicationThread* thread) {
        ComPtr<IEnumDebugStackFrames> frames;
        if (FAILED(thread->EnumStackFrames(frames.GetAddressOf()))) return;
        common::StackFrameDescriptor d;
        ULONG fetched = 0;
        if (frames->Next(1, d.put(), &fetched) == S_OK) {
            common::Bstr name;
            d.frame()->GetDescriptionString(TRUE, name.put());
            seen.push_back(name.str());
        }
    };
    debugger->ResumeWith(application, [](size_t, const TestDebugger::Break&) { return BREAKRESUMEACTION_STEP_INTO; });
    application->CauseBreak();
    EngineThread engine(application, {3, {}, {}, true});
    ASSERT_TRUE(engine.Finish());
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"Inner 0", L"Inner 1", L"Inner 2"}));
}

TEST_F(DebugApplicationTest, StepOutCompleteBreaksAtTheNextStatement) {
    Connect();
    debugger->ResumeWith(application, [](size_t, const TestDebugger::Break&) { return BREAKRESUMEACTION_CONTINUE; });
    ASSERT_EQ(application->StepOutComplete(), S_OK);
    APPBREAKFLAGS flags = 0;
    ComPtr<IRemoteDebugApplicationThread> stepping;
    application->GetBreakFlags(&flags, stepping.GetAddressOf());
    EXPECT_TRUE(flags & APPBREAKFLAG_STEP);
    EXPECT_EQ(ThreadIdOf(stepping.Get()), ::GetCurrentThreadId());
}
