// A debugger session with the process debug manager of the machine (or its stand-in):
// a host runs two files on a script thread, a debugger object receives the breaks, and
// the test thread inspects and resumes them, using only the documented interfaces.
#include "tests/unit/stepscript/TestSite.h"
#include "common/Bstr.h"
#include "common/ComObject.h"
#include "common/ComInit.h"
#include "common/DebugOwners.h"
#include "host/Components.h"
#include <gtest/gtest.h>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

using namespace stepscript_test;
using Microsoft::WRL::ComPtr;

namespace {

constexpr DWORD kWaitMs = 15000;


struct BreakEvent {
    BREAKREASON reason;
    ComPtr<IRemoteDebugApplicationThread> thread;
    ComPtr<IActiveScriptErrorDebug> error;
};

// The debugger: records every break for the test thread, which decides how to resume.
class Debugger : public common::ComObject<IApplicationDebugger> {
public:
    STDMETHODIMP QueryAlive() override { return S_OK; }
    STDMETHODIMP CreateInstanceAtDebugger(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                                          IUnknown** ppv) override {
        return ::CoCreateInstance(clsid, outer, context, riid, reinterpret_cast<void**>(ppv));
    }
    STDMETHODIMP onDebugOutput(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP onHandleBreakPoint(IRemoteDebugApplicationThread* thread, BREAKREASON reason,
                                    IActiveScriptErrorDebug* error) override {
        std::lock_guard<std::mutex> lock(lock_);
        breaks_.push_back(BreakEvent{reason, thread, error});
        changed_.notify_all();
        return S_OK;
    }
    STDMETHODIMP onClose() override { return S_OK; }
    STDMETHODIMP onDebuggerEvent(REFIID, IUnknown*) override { return E_NOTIMPL; }

    bool wait(BreakEvent& out, DWORD ms = kWaitMs) {
        std::unique_lock<std::mutex> lock(lock_);
        if (!changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return !breaks_.empty(); })) return false;
        out = breaks_.front();
        breaks_.pop_front();
        return true;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<BreakEvent> breaks_;
};

struct ScriptFile {
    std::wstring name;  // short name, as a host gives its documents
    std::wstring text;
};

// The host's site: named item "Out", positions through the document helpers, and every
// run-time error offered to the debugger first.
class DebugSite : public common::ComObject<IActiveScriptSite, IActiveScriptSiteDebug> {
public:
    ComPtr<IDebugApplication> app;
    ComPtr<Recorder> out;
    std::vector<std::pair<DWORD_PTR, ComPtr<IDebugDocumentHelper>>> helpers;
    std::vector<ReportedError> errors;  // OnScriptError, in order
    std::vector<std::wstring> debugErrors;  // OnScriptErrorDebug, in order

    STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD, IUnknown** unknown, ITypeInfo** info) override {
        if (info) *info = nullptr;
        if (_wcsicmp(name, L"Out") != 0) return TYPE_E_ELEMENTNOTFOUND;
        if (unknown) {
            *unknown = static_cast<IDispatch*>(out.Get());
            (*unknown)->AddRef();
        }
        return S_OK;
    }
    STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override {
        errors.push_back(ReadError(error));
        return E_FAIL;
    }
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }

    STDMETHODIMP GetDocumentContextFromPosition(DWORD_PTR cookie, ULONG offset, ULONG chars,
                                                IDebugDocumentContext** context) override {
        for (auto& [c, helper] : helpers) {
            if (c != cookie) continue;
            ULONG start = 0;
            HRESULT hr = helper->GetScriptBlockInfo(cookie, nullptr, &start, nullptr);
            if (FAILED(hr)) return hr;
            return helper->CreateDebugDocumentContext(start + offset, chars, context);
        }
        return E_FAIL;
    }
    STDMETHODIMP GetApplication(IDebugApplication** result) override {
        if (!app) return E_FAIL;
        return app.CopyTo(result);
    }
    STDMETHODIMP GetRootApplicationNode(IDebugApplicationNode** node) override {
        if (node) *node = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP OnScriptErrorDebug(IActiveScriptErrorDebug* error, BOOL* enter, BOOL* callOnScriptError) override {
        debugErrors.push_back(ReadError(error).description);
        if (enter) *enter = TRUE;
        if (callOnScriptError) *callOnScriptError = TRUE;
        return S_OK;
    }
};

class DebugSessionTest : public ::testing::Test {
protected:
    // Starts the script thread: debug application, debugger, documents, parsing; then
    // prepare() on the script thread, then the run.
    void start(std::vector<ScriptFile> files, std::function<void()> prepare = {}) {
        files_ = std::move(files);
        prepare_ = std::move(prepare);
        thread_ = std::thread([this] { scriptThread(); });
        ASSERT_EQ(::WaitForSingleObject(ready_.get(), kWaitMs), WAIT_OBJECT_0);
        if (!setupError_.empty()) GTEST_SKIP() << std::string(setupError_.begin(), setupError_.end());
    }

    void scriptThread() {
        const common::ComInit apartment(COINIT_APARTMENTTHREADED);
        runOnScriptThread();
        ::SetEvent(ready_.get());
        ::SetEvent(finished_.get());
    }

    void runOnScriptThread() {
        HRESULT hr = host::Components::CreateDebugManager(pdm_.GetAddressOf());
        if (FAILED(hr)) {
            setupError_ = L"no process debug manager, neither the platform's nor debugservices.dll";
            return;
        }
        if (FAILED(pdm_->CreateApplication(app_.GetAddressOf()))) pdm_->GetDefaultApplication(app_.GetAddressOf());
        if (!app_) {
            setupError_ = L"the process debug manager gives no debug application";
            return;
        }
        app_->SetName(L"StepScript session test");
        debugger_ = common::Adopt(new Debugger());
        if (FAILED(app_->ConnectDebugger(debugger_.Get()))) {
            setupError_ = L"the debug application refuses a debugger";
            return;
        }
        site_ = common::Adopt(new DebugSite());
        site_->app = app_;
        site_->out = common::Adopt(new Recorder());
        if (FAILED(host::Components::CreateEngine(CLSID_StepScript, engine_.GetAddressOf()))) {
            setupError_ = L"stepscript.dll cannot be loaded";
            return;
        }
        ComPtr<IActiveScriptParse> parse;
        engine_.As(&parse);
        engine_.As(&engineDebug_);
        engine_->SetScriptSite(site_.Get());
        parse->InitNew();
        engine_->SetScriptState(SCRIPTSTATE_INITIALIZED);
        for (const ScriptFile& f : files_) {
            ComPtr<IDebugDocumentHelper> helper;
            if (FAILED(pdm_->CreateDebugDocumentHelper(nullptr, helper.GetAddressOf()))) {
                setupError_ = L"no document helper";
                return;
            }
            helper->Init(app_.Get(), f.name.c_str(), (f.name + L" (long)").c_str(), TEXT_DOC_ATTR_READONLY);
            helper->Attach(nullptr);
            helper->AddUnicodeText(f.text.c_str());
            DWORD_PTR cookie = 0;
            if (FAILED(helper->DefineScriptBlock(0, static_cast<ULONG>(f.text.size()), engine_.Get(), FALSE, &cookie))) {
                setupError_ = L"DefineScriptBlock failed";
                return;
            }
            site_->helpers.emplace_back(cookie, helper);
            cookies_.push_back(cookie);
            parseResult_ = parse->ParseScriptText(f.text.c_str(), nullptr, nullptr, nullptr, cookie, 0,
                                                  SCRIPTTEXT_ISVISIBLE | SCRIPTTEXT_ISPERSISTENT | SCRIPTTEXT_HOSTMANAGESSOURCE,
                                                  nullptr, nullptr);
        }
        engine_->AddNamedItem(L"Out", SCRIPTITEM_ISVISIBLE);
        if (prepare_) prepare_();
        scriptThreadId_ = ::GetCurrentThreadId();
        ::SetEvent(ready_.get());
        runResult_ = engine_->SetScriptState(SCRIPTSTATE_CONNECTED);
        engine_->Close();
        app_->DisconnectDebugger();
        for (auto& [cookie, helper] : site_->helpers) helper->Detach();
    }

    void TearDown() override {
        if (thread_.joinable()) {
            if (::WaitForSingleObject(finished_.get(), 0) != WAIT_OBJECT_0) {
                // A failed test leaves the script somewhere: stop it the way a host would.
                if (engine_) engine_->InterruptScriptThread(SCRIPTTHREADID_ALL, nullptr, 0);
                BreakEvent b;
                while (::WaitForSingleObject(finished_.get(), 0) != WAIT_OBJECT_0 && debugger_->wait(b, 200))
                    app_->ResumeFromBreakPoint(b.thread.Get(), BREAKRESUMEACTION_ABORT, ERRORRESUMEACTION_SkipErrorStatement);
            }
            if (::WaitForSingleObject(finished_.get(), kWaitMs) == WAIT_OBJECT_0) thread_.join();
            else thread_.detach();
        }
    }

    bool finished(DWORD ms = kWaitMs) { return ::WaitForSingleObject(finished_.get(), ms) == WAIT_OBJECT_0; }

    BreakEvent nextBreak() {
        BreakEvent b{};
        EXPECT_TRUE(debugger_->wait(b)) << "no break arrived";
        return b;
    }

    void resume(const BreakEvent& b, BREAKRESUMEACTION action) {
        ASSERT_EQ(app_->ResumeFromBreakPoint(b.thread.Get(), action, ERRORRESUMEACTION_SkipErrorStatement), S_OK);
    }

    ComPtr<IDebugStackFrame> frameAt(const BreakEvent& b, ULONG index, ULONG* count = nullptr) {
        ComPtr<IEnumDebugStackFrames> frames;
        EXPECT_EQ(b.thread->EnumStackFrames(frames.GetAddressOf()), S_OK);
        if (!frames) return nullptr;
        frames->Reset();
        std::vector<ComPtr<IDebugStackFrame>> all;
        common::StackFrameDescriptor d;
        ULONG fetched = 0;
        while (frames->Next(1, d.put(), &fetched) == S_OK && fetched == 1) all.push_back(d.takeFrame());
        if (count) *count = static_cast<ULONG>(all.size());
        return index < all.size() ? all[index] : nullptr;
    }

    // "document name:1-based line" of a frame's current statement, and ":column" after
    // it when asked for.
    std::wstring where(IDebugStackFrame* frame, bool withColumn = false) {
        if (!frame) return L"<no frame>";
        ComPtr<IDebugCodeContext> code;
        ComPtr<IDebugDocumentContext> docContext;
        ComPtr<IDebugDocument> doc;
        ComPtr<IDebugDocumentText> text;
        if (FAILED(frame->GetCodeContext(code.GetAddressOf())) || FAILED(code->GetDocumentContext(docContext.GetAddressOf())) ||
            FAILED(docContext->GetDocument(doc.GetAddressOf())) || FAILED(doc.As(&text)))
            return L"<no document>";
        BSTR name = nullptr;
        doc->GetName(DOCUMENTNAMETYPE_APPNODE, &name);
        std::wstring result = common::BstrText(name);
        ::SysFreeString(name);
        ULONG pos = 0, chars = 0, line = 0, column = 0;
        if (FAILED(text->GetPositionOfContext(docContext.Get(), &pos, &chars)) ||
            FAILED(text->GetLineOfPosition(pos, &line, &column)))
            return result + L":<no line>";
        result += L":" + std::to_wstring(line + 1);
        return withColumn ? result + L":" + std::to_wstring(column + 1) : result;
    }

    std::wstring where(const BreakEvent& b, bool withColumn = false) { return where(frameAt(b, 0).Get(), withColumn); }

    // Steps into from a break to the end of the run; answers every place it stopped at
    // (with columns) and the call stack at each.
    void stepToTheEnd(BreakEvent b, std::vector<std::wstring>& trail, std::vector<std::vector<std::wstring>>& stacks) {
        trail.push_back(where(b, true));
        stacks.push_back(descriptions(b));
        for (int i = 0; i < 60; ++i) {
            resume(b, BREAKRESUMEACTION_STEP_INTO);
            if (!debugger_->wait(b, 3000)) break;
            trail.push_back(where(b, true));
            stacks.push_back(descriptions(b));
        }
    }

    std::vector<std::wstring> descriptions(const BreakEvent& b) {
        std::vector<std::wstring> result;
        ULONG count = 0;
        frameAt(b, 0, &count);
        for (ULONG i = 0; i < count; ++i) {
            BSTR d = nullptr;
            frameAt(b, i)->GetDescriptionString(TRUE, &d);
            result.push_back(common::BstrText(d));
            ::SysFreeString(d);
        }
        return result;
    }

    ULONG depth(const BreakEvent& b) {
        ULONG count = 0;
        frameAt(b, 0, &count);
        return count;
    }

    struct Member {
        std::wstring text;  // name=value (type)
        std::wstring fullName;
        bool expandable = false;
        ComPtr<IDebugProperty> property;
    };

    // The members of a property as the Variables pane lists them.
    static std::vector<Member> membersOf(IDebugProperty* property) {
        std::vector<Member> result;
        ComPtr<IEnumDebugPropertyInfo> members;
        const DWORD fields = DBGPROP_INFO_NAME | DBGPROP_INFO_TYPE | DBGPROP_INFO_VALUE | DBGPROP_INFO_FULLNAME |
                             DBGPROP_INFO_ATTRIBUTES | DBGPROP_INFO_DEBUGPROP;
        if (!property || FAILED(property->EnumMembers(fields, 10, IID_IEnumDebugPropertyInfo, members.GetAddressOf())))
            return result;
        members->Reset();
        ULONG count = 0;
        members->GetCount(&count);
        common::PropertyInfos infos(count);
        ULONG fetched = 0;
        members->Next(count, infos.put(), &fetched);
        for (ULONG i = 0; i < fetched; ++i) {
            Member m;
            m.text = infos.name(i) + L"=" + infos.value(i) + L" (" + infos.type(i) + L")";
            m.fullName = infos.fullName(i);
            m.expandable = (infos[i].m_dwAttrib & DBGPROP_ATTRIB_VALUE_IS_EXPANDABLE) != 0;
            m.property = infos.takeProperty(i);
            result.push_back(std::move(m));
        }
        return result;
    }

    static std::vector<std::wstring> texts(const std::vector<Member>& members) {
        std::vector<std::wstring> result;
        for (const auto& m : members) result.push_back(m.text);
        return result;
    }

    ComPtr<IDebugProperty> frameProperty(const BreakEvent& b, ULONG frameIndex = 0) {
        ComPtr<IDebugStackFrame> frame = frameAt(b, frameIndex);
        ComPtr<IDebugProperty> property;
        if (frame) frame->GetDebugProperty(property.GetAddressOf());
        return property;
    }

    // name=value (type) of the top frame's variables.
    std::vector<std::wstring> variables(const BreakEvent& b, ULONG frameIndex = 0) {
        return texts(membersOf(frameProperty(b, frameIndex).Get()));
    }

    class Callback : public common::ComObject<IDebugExpressionCallBack> {
    public:
        std::atomic<bool> done{false};
        STDMETHODIMP onComplete() override {
            done = true;
            return S_OK;
        }
    };

    // Evaluates text in a frame as the Watch and Variables panes do; "hr: text".
    std::wstring evaluate(const BreakEvent& b, const std::wstring& text, DWORD flags, ULONG frameIndex = 0) {
        ComPtr<IDebugStackFrame> frame = frameAt(b, frameIndex);
        ComPtr<IDebugExpressionContext> context;
        if (!frame || FAILED(frame.As(&context))) return L"<no expression context>";
        ComPtr<IDebugExpression> expression;
        if (FAILED(context->ParseLanguageText(text.c_str(), 10, L"", flags, expression.GetAddressOf())))
            return L"<not parsed>";
        ComPtr<Callback> callback;
        callback = common::Adopt(new Callback());
        expression->Start(callback.Get());
        for (DWORD waited = 0; !callback->done && waited < kWaitMs; waited += 10) ::Sleep(10);
        if (!callback->done) return L"<no completion>";
        HRESULT hr = E_FAIL;
        BSTR result = nullptr;
        expression->GetResultAsString(&hr, &result);
        std::wstring r = (hr == S_OK ? L"ok: " : L"failed: ") + common::BstrText(result);
        ::SysFreeString(result);
        return r;
    }

    // Places an engine breakpoint at a character position of a file, as a host does
    // before a run; answers the line where it landed.
    std::wstring placeBreakpoint(size_t file, ULONG offset) {
        ComPtr<IEnumDebugCodeContexts> contexts;
        if (FAILED(engineDebug_->EnumCodeContextsOfPosition(cookies_[file], offset, 1, contexts.GetAddressOf())))
            return L"<no code>";
        ComPtr<IDebugCodeContext> code;
        ULONG fetched = 0;
        if (contexts->Next(1, code.GetAddressOf(), &fetched) != S_OK) return L"<none>";
        code->SetBreakPoint(BREAKPOINT_ENABLED);
        ComPtr<IDebugDocumentContext> docContext;
        ComPtr<IDebugDocument> doc;
        ComPtr<IDebugDocumentText> text;
        if (FAILED(code->GetDocumentContext(docContext.GetAddressOf())) || FAILED(docContext->GetDocument(doc.GetAddressOf())) ||
            FAILED(doc.As(&text)))
            return L"<no document>";
        ULONG pos = 0, chars = 0, line = 0, column = 0;
        text->GetPositionOfContext(docContext.Get(), &pos, &chars);
        text->GetLineOfPosition(pos, &line, &column);
        return std::to_wstring(line + 1);
    }

    std::vector<ScriptFile> files_;
    std::function<void()> prepare_;
    std::thread thread_;
    common::UniqueHandle ready_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    common::UniqueHandle finished_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::wstring setupError_;
    ComPtr<IProcessDebugManager> pdm_;
    ComPtr<IDebugApplication> app_;
    ComPtr<Debugger> debugger_;
    ComPtr<DebugSite> site_;
    ComPtr<IActiveScript> engine_;
    ComPtr<IActiveScriptDebug> engineDebug_;
    std::vector<DWORD_PTR> cookies_;
    DWORD scriptThreadId_ = 0;
    HRESULT parseResult_ = E_PENDING;
    HRESULT runResult_ = E_PENDING;
};

// lib.vbs: procedures; main.vbs: the global code that calls them.
const wchar_t* const kLib =
    L"Dim total\n"                     // 1
    L"total = 0\n"                     // 2
    L"Sub Inner(a)\n"                  // 3
    L"  Dim b\n"                       // 4
    L"  b = a * 2\n"                   // 5
    L"  total = total + b\n"           // 6
    L"End Sub\n"                       // 7
    L"Sub Outer(n)\n"                  // 8
    L"  Inner n + 1\n"                 // 9
    L"End Sub\n";                      // 10
const wchar_t* const kMain =
    L"Dim x\n"                         // 1
    L"x = 4\n"                         // 2
    L"Outer x\n"                       // 3
    L"\n"                              // 4
    L"Out.Log \"total \" & total\n"    // 5
    L"Out.Log \"x \" & x\n";           // 6

} // namespace

TEST_F(DebugSessionTest, HaltsFirstThenStepsThroughEveryStatement) {
    start({{L"lib.vbs", kLib}, {L"main.vbs", kMain}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    EXPECT_EQ(b.reason, BREAKREASON_DEBUGGER_HALT);
    std::vector<std::wstring> trail{where(b)};
    for (int i = 0; i < 30; ++i) {
        resume(b, BREAKRESUMEACTION_STEP_INTO);
        if (!debugger_->wait(b, 3000)) break;
        EXPECT_EQ(b.reason, BREAKREASON_STEP);
        trail.push_back(where(b));
    }
    ASSERT_TRUE(finished());
    EXPECT_EQ(trail, (std::vector<std::wstring>{L"lib.vbs:2", L"main.vbs:2", L"main.vbs:3", L"lib.vbs:9", L"lib.vbs:5",
                                                L"lib.vbs:6", L"main.vbs:5", L"main.vbs:6"}));
    EXPECT_EQ(site_->out->lines, (std::vector<std::wstring>{L"total 10", L"x 4"}));
    EXPECT_EQ(runResult_, S_OK);
}

TEST_F(DebugSessionTest, StepOverComesBackAtTheCallersNextStatement) {
    start({{L"lib.vbs", kLib}, {L"main.vbs", kMain}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    while (where(b) != L"main.vbs:3") {
        resume(b, BREAKRESUMEACTION_STEP_INTO);
        ASSERT_TRUE(debugger_->wait(b));
    }
    // Step over as the host does it: step into, and go on while the stack is deeper.
    ULONG over = depth(b);
    EXPECT_EQ(over, 1u);
    do {
        resume(b, BREAKRESUMEACTION_STEP_INTO);
        ASSERT_TRUE(debugger_->wait(b));
    } while (depth(b) > over);
    EXPECT_EQ(where(b), L"main.vbs:5");
    resume(b, BREAKRESUMEACTION_CONTINUE);
    ASSERT_TRUE(finished());
}

TEST_F(DebugSessionTest, NestedFramesLocalsAndEvaluation) {
    start({{L"lib.vbs", kLib}, {L"main.vbs", kMain}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    while (where(b) != L"lib.vbs:6") {
        resume(b, BREAKRESUMEACTION_STEP_INTO);
        ASSERT_TRUE(debugger_->wait(b));
    }
    EXPECT_EQ(descriptions(b), (std::vector<std::wstring>{L"Inner", L"Outer", L"Global code"}));
    EXPECT_EQ(where(frameAt(b, 1).Get()), L"lib.vbs:9");
    EXPECT_EQ(where(frameAt(b, 2).Get()), L"main.vbs:3");
    EXPECT_EQ(variables(b), (std::vector<std::wstring>{L"a=5 (Integer)", L"b=10 (Integer)"}));
    EXPECT_EQ(variables(b, 1), (std::vector<std::wstring>{L"n=4 (Integer)"}));
    EXPECT_EQ(variables(b, 2), (std::vector<std::wstring>{L"total=0 (Integer)", L"x=4 (Integer)"}));
    ComPtr<IDebugStackFrame> top = frameAt(b, 0);
    BSTR language = nullptr;
    top->GetLanguageString(FALSE, &language);
    EXPECT_EQ(common::BstrText(language), L"StepScript");
    ::SysFreeString(language);
    // Watches: expressions in any frame; an assignment in the top frame.
    EXPECT_EQ(evaluate(b, L"a + 1", DEBUG_TEXT_ISEXPRESSION | DEBUG_TEXT_RETURNVALUE), L"ok: 6");
    EXPECT_EQ(evaluate(b, L"x + 1", DEBUG_TEXT_ISEXPRESSION | DEBUG_TEXT_RETURNVALUE, 2), L"ok: 5");
    EXPECT_EQ(evaluate(b, L"nosuch + 1", DEBUG_TEXT_ISEXPRESSION | DEBUG_TEXT_RETURNVALUE),
              L"failed: Variable is undefined: 'nosuch'");
    EXPECT_EQ(evaluate(b, L"b = 5", DEBUG_TEXT_RETURNVALUE), L"ok: 5");
    EXPECT_EQ(evaluate(b, L"x = 5", DEBUG_TEXT_RETURNVALUE, 2), L"ok: 5");
    EXPECT_EQ(evaluate(b, L"1 +", DEBUG_TEXT_ISEXPRESSION | DEBUG_TEXT_RETURNVALUE), L"failed: Expected expression");
    // Evaluating stops nowhere and leaves the frame at its statement.
    EXPECT_EQ(where(b), L"lib.vbs:6");
    resume(b, BREAKRESUMEACTION_CONTINUE);
    ASSERT_TRUE(finished());
    // The assignments took effect: total = 0 + 5, and x is 5.
    EXPECT_EQ(site_->out->lines, (std::vector<std::wstring>{L"total 5", L"x 5"}));
}

TEST_F(DebugSessionTest, BreakpointOnABlankLineLandsOnTheNextStatement) {
    std::wstring landed;
    // Offset 20 is the blank line 4 of main.vbs.
    ASSERT_EQ(std::wstring(kMain).substr(19, 2), L"\n\n");
    start({{L"lib.vbs", kLib}, {L"main.vbs", kMain}}, [&] { landed = placeBreakpoint(1, 20); });
    EXPECT_EQ(landed, L"5");
    BreakEvent b = nextBreak();
    EXPECT_EQ(b.reason, BREAKREASON_BREAKPOINT);
    EXPECT_EQ(where(b), L"main.vbs:5");
    resume(b, BREAKRESUMEACTION_CONTINUE);
    ASSERT_TRUE(finished());
    EXPECT_EQ(site_->out->lines.size(), 2u);
}

TEST_F(DebugSessionTest, RuntimeErrorBreaksThenReachesOnScriptError) {
    start({{L"main.vbs", L"Option Explicit : Out.Log 1\nOut.Log nope\nOut.Log 3\n"}});
    BreakEvent b = nextBreak();
    EXPECT_EQ(b.reason, BREAKREASON_ERROR);
    ASSERT_TRUE(b.error);
    ReportedError e = ReadError(b.error.Get());
    EXPECT_EQ(e.description, L"Variable is undefined: 'nope'");
    EXPECT_EQ(e.line, 1u);
    ComPtr<IDebugStackFrame> frame;
    EXPECT_EQ(b.error->GetStackFrame(frame.GetAddressOf()), S_OK);
    EXPECT_EQ(where(frame.Get()), L"main.vbs:2");
    ComPtr<IDebugDocumentContext> context;
    EXPECT_EQ(b.error->GetDocumentContext(context.GetAddressOf()), S_OK);
    // As the host does: abort, the error is reported when the engine goes on.
    resume(b, BREAKRESUMEACTION_ABORT);
    ASSERT_TRUE(finished());
    EXPECT_EQ(site_->debugErrors, (std::vector<std::wstring>{L"Variable is undefined: 'nope'"}));
    ASSERT_EQ(site_->errors.size(), 1u);
    EXPECT_EQ(site_->errors[0].description, L"Variable is undefined: 'nope'");
    EXPECT_EQ(site_->out->lines, (std::vector<std::wstring>{L"1"}));
}

TEST_F(DebugSessionTest, AbortAtABreakEndsTheScriptSilently) {
    start({{L"main.vbs", L"Out.Log 1\nOut.Log 2\nOut.Log 3\n"}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    resume(b, BREAKRESUMEACTION_STEP_INTO);
    b = nextBreak();
    EXPECT_EQ(where(b), L"main.vbs:2");
    resume(b, BREAKRESUMEACTION_ABORT);
    ASSERT_TRUE(finished());
    EXPECT_EQ(site_->out->lines, (std::vector<std::wstring>{L"1"}));
    EXPECT_TRUE(site_->errors.empty());
    EXPECT_TRUE(FAILED(runResult_));
}

TEST_F(DebugSessionTest, InterruptStopsAnEndlessLoopUnderTheDebugger) {
    start({{L"main.vbs", L"Dim n\nn = 0\nDo\n  n = n + 1\nLoop\n"}});
    ::Sleep(200);
    EXPECT_FALSE(finished(0));
    EXPECT_EQ(engine_->InterruptScriptThread(SCRIPTTHREADID_ALL, nullptr, 0), S_OK);
    ASSERT_TRUE(finished());
    EXPECT_EQ(runResult_, E_ABORT);
}

TEST_F(DebugSessionTest, StopFromAnotherThreadAtABreak) {
    start({{L"main.vbs", L"Out.Log 1\nOut.Log 2\n"}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    // A host's Stop: the engine is disconnected while the script waits at the break.
    EXPECT_EQ(engine_->SetScriptState(SCRIPTSTATE_DISCONNECTED), S_OK);
    ASSERT_TRUE(finished());
    EXPECT_TRUE(site_->out->lines.empty());
}

TEST_F(DebugSessionTest, CloseFromAnotherThreadAtABreak) {
    start({{L"main.vbs", L"Out.Log 1\nOut.Log 2\n"}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    EXPECT_EQ(engine_->Close(), S_OK);
    ASSERT_TRUE(finished());
    EXPECT_TRUE(site_->out->lines.empty());
}

TEST_F(DebugSessionTest, InterruptFromAnotherThreadAtABreak) {
    start({{L"main.vbs", L"Out.Log 1\nOut.Log 2\n"}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    EXPECT_EQ(engine_->InterruptScriptThread(SCRIPTTHREADID_ALL, nullptr, 0), S_OK);
    ASSERT_TRUE(finished());
    EXPECT_TRUE(site_->out->lines.empty());
    EXPECT_EQ(runResult_, E_ABORT);
}

TEST_F(DebugSessionTest, StackOfARunningScriptIsReadAtItsNextStatement) {
    start({{L"main.vbs", L"Sub Spin\n  Do\n  Loop\nEnd Sub\nSpin\n"}});
    // The script thread becomes known to the debug application once the script runs.
    ComPtr<IRemoteDebugApplicationThread> thread;
    DWORD id = 0;
    for (DWORD waited = 0; id != scriptThreadId_ && waited < kWaitMs; waited += 20) {
        ComPtr<IEnumRemoteDebugApplicationThreads> threads;
        ASSERT_EQ(app_->EnumThreads(threads.GetAddressOf()), S_OK);
        ULONG fetched = 0;
        while (threads->Next(1, thread.ReleaseAndGetAddressOf(), &fetched) == S_OK && fetched == 1) {
            thread->GetSystemThreadId(&id);
            if (id == scriptThreadId_) break;
        }
        if (id != scriptThreadId_) ::Sleep(20);
    }
    ASSERT_EQ(id, scriptThreadId_);
    // Asked from this thread while the script runs: carried out on the script thread.
    BreakEvent running{BREAKREASON_STEP, thread, nullptr};
    std::vector<std::wstring> stack = descriptions(running);
    for (DWORD waited = 0; stack.size() < 2 && waited < kWaitMs; waited += 20) stack = descriptions(running);
    EXPECT_EQ(stack, (std::vector<std::wstring>{L"Spin", L"Global code"}));
    std::wstring at = where(running);
    EXPECT_TRUE(at == L"main.vbs:2" || at == L"main.vbs:3") << std::string(at.begin(), at.end());
    EXPECT_EQ(engine_->InterruptScriptThread(SCRIPTTHREADID_ALL, nullptr, 0), S_OK);
    ASSERT_TRUE(finished());
}

TEST_F(DebugSessionTest, StepOverAsAResumeAction) {
    start({{L"lib.vbs", kLib}, {L"main.vbs", kMain}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    while (where(b) != L"main.vbs:3") {
        resume(b, BREAKRESUMEACTION_STEP_INTO);
        ASSERT_TRUE(debugger_->wait(b));
    }
    resume(b, BREAKRESUMEACTION_STEP_INTO);
    ASSERT_TRUE(debugger_->wait(b));
    EXPECT_EQ(where(b), L"lib.vbs:9");
    // Over the call to Inner: the next statement at this depth or above is back in main.
    resume(b, BREAKRESUMEACTION_STEP_OVER);
    ASSERT_TRUE(debugger_->wait(b));
    EXPECT_EQ(where(b), L"main.vbs:5");
    resume(b, BREAKRESUMEACTION_CONTINUE);
    ASSERT_TRUE(finished());
}

TEST_F(DebugSessionTest, EveryConstructStepsStatementByStatement) {
    const wchar_t* script =
        L"Class Box\n"                                 // 1
        L" Public Items\n"                             // 2
        L" Public Sub Fill(n)\n"                       // 3
        L"  ReDim Items(n)\n"                          // 4
        L" End Sub\n"                                  // 5
        L"End Class\n"                                 // 6
        L"Set b = New Box\n"                           // 7
        L"b.Fill 1\n"                                  // 8
        L"For Each x In b.Items\n"                     // 9
        L" Select Case x\n"                            // 10
        L"  Case 1 : y = 1\n"                          // 11
        L"  Case Else\n"                               // 12
        L"   y = 2\n"                                  // 13
        L" End Select\n"                               // 14
        L"Next\n"                                      // 15
        L"With b\n"                                    // 16
        L" .Fill 0\n"                                  // 17
        L"End With\n"                                  // 18
        L"Out.Log y\n";                                // 19
    start({{L"main.vbs", script}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    std::vector<std::wstring> trail{where(b)};
    std::vector<std::wstring> inFill;
    for (int i = 0; i < 40; ++i) {
        resume(b, BREAKRESUMEACTION_STEP_INTO);
        if (!debugger_->wait(b, 3000)) break;
        trail.push_back(where(b));
        if (where(b) == L"main.vbs:4" && inFill.empty()) inFill = variables(b);
    }
    ASSERT_TRUE(finished());
    EXPECT_EQ(trail, (std::vector<std::wstring>{L"main.vbs:7", L"main.vbs:8", L"main.vbs:4", L"main.vbs:9",
                                                L"main.vbs:10", L"main.vbs:12", L"main.vbs:13", L"main.vbs:15",
                                                L"main.vbs:10", L"main.vbs:12", L"main.vbs:13", L"main.vbs:15",
                                                L"main.vbs:16", L"main.vbs:17", L"main.vbs:4", L"main.vbs:19"}));
    EXPECT_EQ(inFill, (std::vector<std::wstring>{L"Me={...} (Box)", L"n=1 (Integer)"}));
    EXPECT_EQ(site_->out->lines, (std::vector<std::wstring>{L"2"}));
}

TEST_F(DebugSessionTest, ArraysAndObjectsOfScriptClassesExpand) {
    const wchar_t* script =
        L"Class Counter\n"                             // 1
        L" Public Items\n"                             // 2
        L" Private secret\n"                           // 3
        L" Public Sub Fill()\n"                        // 4
        L"  Dim grid(1, 2), ext\n"                     // 5
        L"  grid(1, 2) = \"z\" : Set ext = Out\n"      // 6
        L"  secret = 7 : ReDim Items(2)\n"             // 7
        L"  Items(0) = 10 : Set Items(1) = New Counter\n"  // 8
        L"  Out.Log \"in\"\n"                          // 9
        L" End Sub\n"                                  // 10
        L"End Class\n"                                 // 11
        L"Set c = New Counter\n"                       // 12
        L"c.Fill\n"                                    // 13
        L"Out.Log c.Items(0)\n";                       // 14
    start({{L"main.vbs", script}}, [this] { app_->CauseBreak(); });
    BreakEvent b = nextBreak();
    for (int i = 0; i < 20 && where(b) != L"main.vbs:9"; ++i) {
        resume(b, BREAKRESUMEACTION_STEP_INTO);
        ASSERT_TRUE(debugger_->wait(b));
    }
    ASSERT_EQ(where(b), L"main.vbs:9");
    auto locals = membersOf(frameProperty(b).Get());
    ASSERT_EQ(texts(locals), (std::vector<std::wstring>{L"ext={...} (Object)", L"grid=(0 to 1, 0 to 2) (Variant())",
                                                        L"Me={...} (Counter)"}));
    // Objects of other components show no members: the debugger calls nothing on them.
    EXPECT_FALSE(locals[0].expandable);
    EXPECT_TRUE(membersOf(locals[0].property.Get()).empty());
    EXPECT_TRUE(locals[1].expandable);
    EXPECT_EQ(texts(membersOf(locals[1].property.Get())),
              (std::vector<std::wstring>{L"(0,0)=Empty (Empty)", L"(0,1)=Empty (Empty)", L"(0,2)=Empty (Empty)",
                                         L"(1,0)=Empty (Empty)", L"(1,1)=Empty (Empty)", L"(1,2)=\"z\" (String)"}));
    ASSERT_TRUE(locals[2].expandable);
    auto me = membersOf(locals[2].property.Get());
    ASSERT_EQ(texts(me), (std::vector<std::wstring>{L"Items=(0 to 2) (Variant())", L"secret=7 (Integer)"}));
    EXPECT_EQ(me[0].fullName, L"Me.Items");
    auto items = membersOf(me[0].property.Get());
    ASSERT_EQ(texts(items), (std::vector<std::wstring>{L"(0)=10 (Integer)", L"(1)={...} (Counter)", L"(2)=Empty (Empty)"}));
    EXPECT_FALSE(items[0].expandable);
    EXPECT_TRUE(items[1].expandable);
    EXPECT_EQ(items[1].fullName, L"Me.Items(1)");
    EXPECT_EQ(texts(membersOf(items[1].property.Get())),
              (std::vector<std::wstring>{L"Items=Empty (Empty)", L"secret=Empty (Empty)"}));
    // An element set through its property assigns in the script.
    EXPECT_EQ(items[0].property->SetValueAsString(L"42", 10), S_OK);
    EXPECT_EQ(texts(membersOf(me[0].property.Get())).size(), 3u);
    resume(b, BREAKRESUMEACTION_CONTINUE);
    ASSERT_TRUE(finished());
    // The properties hold copies, not the frame: they still answer after the run.
    EXPECT_EQ(texts(membersOf(items[1].property.Get())),
              (std::vector<std::wstring>{L"Items=Empty (Empty)", L"secret=Empty (Empty)"}));
    EXPECT_EQ(site_->out->lines, (std::vector<std::wstring>{L"in", L"42"}));
}

// Statements that share a line with their block's keywords stop one by one, and a
// procedure declared inside a block runs under its own name.
TEST_F(DebugSessionTest, StatementsOnBlockLinesStepOneByOne) {
    const wchar_t* script =
        L"Sub Tick() n = n + 1 End Sub\n"                        // 1
        L"If n = 0 Then a = 1 : b = 2 Else a = 3 End If\n"       // 2
        L"Tick\n"                                                // 3
        L"If False Then\n"                                       // 4
        L" Sub Hidden() n = 7\n"                                 // 5
        L" End Sub\n"                                            // 6
        L"End If\n"                                              // 7
        L"Select Case n\n"                                       // 8
        L" Case 1  Hidden\n"                                     // 9
        L"End Select\n"                                          // 10
        L"Out.Log a & b & n\n";                                  // 11
    start({{L"main.vbs", script}}, [this] { app_->CauseBreak(); });
    std::vector<std::wstring> trail;
    std::vector<std::vector<std::wstring>> stacks;
    stepToTheEnd(nextBreak(), trail, stacks);
    ASSERT_TRUE(finished());
    EXPECT_EQ(trail, (std::vector<std::wstring>{L"main.vbs:2:1", L"main.vbs:2:15", L"main.vbs:2:23", L"main.vbs:3:1",
                                                L"main.vbs:1:12", L"main.vbs:4:1", L"main.vbs:8:1", L"main.vbs:9:2", L"main.vbs:9:10",
                                                L"main.vbs:5:15", L"main.vbs:11:1"}));
    ASSERT_EQ(stacks.size(), trail.size());
    EXPECT_EQ(stacks[4], (std::vector<std::wstring>{L"Tick", L"Global code"}));
    EXPECT_EQ(stacks[9], (std::vector<std::wstring>{L"Hidden", L"Global code"}));
    EXPECT_EQ(site_->out->lines, (std::vector<std::wstring>{L"127"}));
}
