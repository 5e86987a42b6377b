// The engine as hosts use it: states, blocks, error reports, interrupts, positions and
// its registration.
#include "stepscript/engine/CodeContext.h"
#include "stepscript/engine/ScriptEngine.h"
#include "common/Registry.h"
#include "common/UniqueHandle.h"
#include "tests/unit/stepscript/TestSite.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

using namespace stepscript_test;
using Microsoft::WRL::ComPtr;


TEST(ScriptEngine, SyntaxErrorsAreReportedThroughTheSite) {
    Harness h;
    HRESULT hr = h.parseText(L"Dim a\na = 1\n  b = \"open\n", 42, 10);
    EXPECT_EQ(hr, SCRIPT_E_REPORTED);
    ASSERT_EQ(h.site->errors.size(), 1u);
    const ReportedError& e = h.site->errors[0];
    EXPECT_EQ(e.cookie, 42u);
    EXPECT_EQ(e.line, 12u);  // 0-based, starting line added
    EXPECT_EQ(e.column, 6);
    EXPECT_EQ(e.lineText, L"  b = \"open");
    EXPECT_EQ(e.source, L"StepScript compilation error");
    EXPECT_EQ(e.description, L"Unterminated string constant");
    // Nothing of a faulty block runs.
    EXPECT_EQ(h.start(), S_OK);
    EXPECT_TRUE(h.lines().empty());
}

TEST(ScriptEngine, BlocksRunInParseOrderWhenStarted) {
    Harness h;
    EXPECT_EQ(h.parseText(L"Out.Log \"first\"", 1), S_OK);
    EXPECT_EQ(h.parseText(L"Out.Log \"second\"", 2), S_OK);
    EXPECT_TRUE(h.lines().empty());  // not started yet
    EXPECT_EQ(h.start(), S_OK);
    EXPECT_EQ(h.lines(), (std::vector<std::wstring>{L"first", L"second"}));
    // Once started, new code runs at once.
    EXPECT_EQ(h.parseText(L"Out.Log \"third\"", 3), S_OK);
    EXPECT_EQ(h.lines().size(), 3u);
    SCRIPTSTATE state;
    h.engine->GetScriptState(&state);
    EXPECT_EQ(state, SCRIPTSTATE_CONNECTED);
}

TEST(ScriptEngine, ExpressionsAreEvaluatedAtOnce) {
    Harness h;
    h.run(L"Dim x\nx = 20\n");
    VARIANT result;
    common::ExcepInfo ei;
    ASSERT_EQ(h.parse->ParseScriptText(L"x * 2 + 2", nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISEXPRESSION, &result, ei.put()),
              S_OK);
    // Small whole numbers are Integers, as the language types them.
    EXPECT_EQ(result.vt, VT_I2);
    EXPECT_EQ(result.iVal, 42);
}

TEST(ScriptEngine, ARuntimeErrorEndsTheRunUnlessTheSiteGoesOn) {
    Harness stops;
    EXPECT_EQ(stops.run(L"Out.Log 1\nOut.Log 1 / 0\nOut.Log 3\n"), SCRIPT_E_REPORTED);
    EXPECT_EQ(stops.lines(), (std::vector<std::wstring>{L"1"}));
    Harness goesOn;
    goesOn.site->onScriptErrorResult = S_OK;
    EXPECT_EQ(goesOn.run(L"Out.Log 1\nOut.Log 1 / 0\nOut.Log 3\n"), S_OK);
    EXPECT_EQ(goesOn.lines(), (std::vector<std::wstring>{L"1", L"3"}));
}

TEST(ScriptEngine, CallsBeforeASiteOrAfterCloseAreRefused) {
    ComPtr<IActiveScript> engine;
    ASSERT_EQ(stepscript::CreateEngine(IID_IActiveScript, reinterpret_cast<void**>(engine.GetAddressOf())), S_OK);
    ComPtr<IActiveScriptParse> parse;
    engine.As(&parse);
    EXPECT_EQ(parse->ParseScriptText(L"x = 1", nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr), E_UNEXPECTED);
    EXPECT_EQ(engine->SetScriptState(SCRIPTSTATE_CONNECTED), E_UNEXPECTED);
    EXPECT_EQ(engine->Close(), S_OK);
    SCRIPTSTATE state;
    engine->GetScriptState(&state);
    EXPECT_EQ(state, SCRIPTSTATE_CLOSED);
    EXPECT_EQ(parse->ParseScriptText(L"x = 1", nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr), E_UNEXPECTED);
}

TEST(ScriptEngine, InterruptStopsAnEndlessLoopFromAnotherThread) {
    Harness h;
    ASSERT_EQ(h.parseText(L"Dim n\nn = 0\nDo\n n = n + 1\nLoop\n"), S_OK);
    std::atomic<bool> done{false};
    IActiveScript* engine = h.engine.Get();
    std::thread stopper([&] {
        SCRIPTTHREADSTATE state = SCRIPTTHREADSTATE_NOTINSCRIPT;
        for (int i = 0; i < 500 && state != SCRIPTTHREADSTATE_RUNNING; ++i) {
            ::Sleep(10);
            engine->GetScriptThreadState(SCRIPTTHREADID_BASE, &state);
        }
        ::Sleep(50);
        engine->InterruptScriptThread(SCRIPTTHREADID_ALL, nullptr, 0);
        for (int i = 0; i < 500 && !done; ++i) ::Sleep(10);
        if (!done) engine->InterruptScriptThread(SCRIPTTHREADID_ALL, nullptr, 0);
    });
    HRESULT hr = h.start();
    done = true;
    stopper.join();
    EXPECT_EQ(hr, E_ABORT);
    EXPECT_TRUE(h.site->errors.empty());  // no error information given: a silent stop
    // The engine stays usable.
    EXPECT_EQ(h.parseText(L"Out.Log \"after\""), S_OK);
    EXPECT_EQ(h.lines(), (std::vector<std::wstring>{L"after"}));
}

TEST(ScriptEngine, InterruptWithErrorInformationIsReported) {
    Harness h;
    ASSERT_EQ(h.parseText(L"Do\nLoop\n"), S_OK);
    IActiveScript* engine = h.engine.Get();
    std::thread stopper([&] {
        SCRIPTTHREADSTATE state = SCRIPTTHREADSTATE_NOTINSCRIPT;
        for (int i = 0; i < 500 && state != SCRIPTTHREADSTATE_RUNNING; ++i) {
            ::Sleep(10);
            engine->GetScriptThreadState(SCRIPTTHREADID_BASE, &state);
        }
        EXCEPINFO info{};
        info.scode = E_ABORT;
        info.bstrSource = ::SysAllocString(L"Host");
        info.bstrDescription = ::SysAllocString(L"stopped by the user");
        engine->InterruptScriptThread(SCRIPTTHREADID_ALL, &info, 0);
        ::SysFreeString(info.bstrSource);
        ::SysFreeString(info.bstrDescription);
    });
    EXPECT_EQ(h.start(), SCRIPT_E_REPORTED);
    stopper.join();
    ASSERT_EQ(h.site->errors.size(), 1u);
    EXPECT_EQ(h.site->errors[0].description, L"stopped by the user");
    EXPECT_EQ(h.site->errors[0].source, L"Host");
    EXPECT_EQ(h.site->errors[0].scode, E_ABORT);
}

TEST(ScriptEngine, CodeContextsOfAPosition) {
    Harness h;
    //                       0123456 7 8901234567 8
    std::wstring text = L"x = 1\n\n  Out.Log x\n' end\n";
    h.parseText(L"Dim x\n", 3);
    ASSERT_EQ(h.parseText(text, 5), S_OK);
    ComPtr<IActiveScriptDebug> debug;
    ASSERT_EQ(h.engine.As(&debug), S_OK);
    auto first = [&](ULONG offset, HRESULT* hr = nullptr) -> int {
        ComPtr<IEnumDebugCodeContexts> contexts;
        HRESULT r = debug->EnumCodeContextsOfPosition(5, offset, 1, contexts.GetAddressOf());
        if (hr) *hr = r;
        if (FAILED(r)) return -2;
        ComPtr<IDebugCodeContext> context;
        ULONG fetched = 0;
        if (contexts->Next(1, context.GetAddressOf(), &fetched) != S_OK || fetched != 1) return -1;
        auto* cc = static_cast<stepscript::CodeContext*>(context.Get());
        return static_cast<int>(cc->block().points[cc->point()].offset);
    };
    EXPECT_EQ(first(0), 0);    // on the statement
    EXPECT_EQ(first(5), 0);    // end of its line
    EXPECT_EQ(first(6), 9);    // blank line: the next statement
    EXPECT_EQ(first(7), 9);    // indentation before it
    EXPECT_EQ(first(12), 9);   // inside it
    EXPECT_EQ(first(20), -1);  // after the last statement: none
    // A cookie no code was parsed for: the position cannot hold code.
    ComPtr<IEnumDebugCodeContexts> none;
    EXPECT_TRUE(FAILED(debug->EnumCodeContextsOfPosition(99, 0, 1, none.GetAddressOf())));
}

// Tevrin loads the engine without registration; regsvr32 still makes it an engine that
// any Active Scripting host finds, and takes it back without a trace.
TEST(ScriptEngine, SelfRegistrationMakesItAnEngineOfItsProgIdAndUndoesIt) {
    const std::wstring dll = std::wstring(TEVRIN_BIN_DIR) + L"\\stepscript.dll";
    common::UniqueModule module(::LoadLibraryW(dll.c_str()));
    ASSERT_TRUE(module) << "cannot load stepscript.dll beside the test";
    using Export = HRESULT(STDAPICALLTYPE*)();
    auto registerServer = reinterpret_cast<Export>(::GetProcAddress(module.get(), "DllRegisterServer"));
    auto unregisterServer = reinterpret_cast<Export>(::GetProcAddress(module.get(), "DllUnregisterServer"));
    ASSERT_TRUE(registerServer && unregisterServer);

    ASSERT_EQ(registerServer(), S_OK);
    CLSID clsid;
    ASSERT_EQ(::CLSIDFromProgID(L"StepScript", &clsid), S_OK);
    EXPECT_EQ(clsid, stepscript::CLSID_StepScript);
    std::wstring key = L"CLSID\\" + common::GuidToString(clsid);
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel"), L"Both");
    EXPECT_TRUE(common::RegKeyExists(HKEY_CLASSES_ROOT, key + L"\\Implemented Categories\\{F0B7A1A1-9847-11CF-8F20-00805F2CD064}"));
    EXPECT_TRUE(common::RegKeyExists(HKEY_CLASSES_ROOT, key + L"\\Implemented Categories\\{F0B7A1A2-9847-11CF-8F20-00805F2CD064}"));
    ComPtr<IActiveScript> engine;
    EXPECT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                 reinterpret_cast<void**>(engine.GetAddressOf())),
              S_OK);
    if (engine) {
        ComPtr<IActiveScriptParse> parse;
        ComPtr<IActiveScriptDebug> debug;
        EXPECT_EQ(engine.As(&parse), S_OK);
        EXPECT_EQ(engine.As(&debug), S_OK);
        engine->Close();
        engine.Reset();
    }

    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, key));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"StepScript"));
}
