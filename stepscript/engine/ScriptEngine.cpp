#include "stepscript/engine/ScriptEngine.h"
#include "common/Bstr.h"
#include "common/ComObject.h"
#include "stepscript/engine/CodeContext.h"
#include "stepscript/language/Parser.h"
#include "stepscript/engine/ScriptErrorInfo.h"
#include "stepscript/engine/StackFrame.h"
#include "stepscript/language/SyntaxError.h"
#include "stepscript/engine/ThreadCall.h"
#include "common/ComError.h"
#include <cwctype>

namespace stepscript {

using Microsoft::WRL::ComPtr;

const wchar_t* const kLanguageName = L"StepScript";

namespace {

std::wstring Lower(const wchar_t* s) {
    std::wstring r(s ? s : L"");
    for (auto& c : r) c = static_cast<wchar_t>(std::towlower(c));
    return r;
}

// How long Close from another thread waits for the script to leave its statements.
constexpr DWORD kCloseWaitMs = 10000;

std::atomic<long> g_liveEngines{0};

} // namespace

long LiveEngines() { return g_liveEngines; }

HRESULT CreateEngine(REFIID riid, void** ppv) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        ComPtr<ScriptEngine> engine;
        engine = common::Adopt(new ScriptEngine());
        return engine->QueryInterface(riid, ppv);
    });
}

ScriptEngine::ScriptEngine() : interpreter_(std::make_unique<Interpreter>(*this)) { ++g_liveEngines; }

ScriptEngine::~ScriptEngine() {
    releaseAll();
    --g_liveEngines;
}

void ScriptEngine::changeState(SCRIPTSTATE state) {
    state_ = state;
    ComPtr<IActiveScriptSite> site;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        site = site_;
    }
    if (site) site->OnStateChange(state);
}

// ---- IActiveScript ----

STDMETHODIMP ScriptEngine::SetScriptSite(IActiveScriptSite* site) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!site) return E_POINTER;
        {
            std::lock_guard<std::recursive_mutex> lock(lock_);
            if (site_) return E_UNEXPECTED;
            if (state_ == SCRIPTSTATE_CLOSED) return E_UNEXPECTED;
            site_ = site;
            site->QueryInterface(IID_IActiveScriptSiteDebug, reinterpret_cast<void**>(siteDebug_.ReleaseAndGetAddressOf()));
            baseThread_ = ::GetCurrentThreadId();
        }
        changeState(SCRIPTSTATE_INITIALIZED);
        return S_OK;
    });
}

STDMETHODIMP ScriptEngine::GetScriptSite(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (!site_) return S_FALSE;
    return site_->QueryInterface(riid, ppv);
}

bool ScriptEngine::onOtherThreadWhileRunning() const {
    return executing_ && scriptThread_ != ::GetCurrentThreadId();
}

STDMETHODIMP ScriptEngine::SetScriptState(SCRIPTSTATE state) {
    return common::ComBoundary([&]() -> HRESULT {
        if (state_ == SCRIPTSTATE_CLOSED) return E_UNEXPECTED;
        switch (state) {
        case SCRIPTSTATE_DISCONNECTED:
            // A tester's Stop: the running script ends at once, also at a break.
            if (executing_) requestStop(nullptr);
            changeState(SCRIPTSTATE_DISCONNECTED);
            return S_OK;
        case SCRIPTSTATE_INITIALIZED:
            if (!site_) return E_UNEXPECTED;
            changeState(SCRIPTSTATE_INITIALIZED);
            return S_OK;
        case SCRIPTSTATE_STARTED:
        case SCRIPTSTATE_CONNECTED:
            if (!site_) return E_UNEXPECTED;
            if (onOtherThreadWhileRunning()) return E_UNEXPECTED;
            changeState(state);
            return run();
        case SCRIPTSTATE_UNINITIALIZED:
            if (executing_) return E_UNEXPECTED;
            releaseAll();
            state_ = SCRIPTSTATE_UNINITIALIZED;
            return S_OK;
        default:
            return E_INVALIDARG;
        }
    });
}

STDMETHODIMP ScriptEngine::GetScriptState(SCRIPTSTATE* state) {
    if (!state) return E_POINTER;
    *state = state_;
    return S_OK;
}

STDMETHODIMP ScriptEngine::Close() {
    return common::ComBoundary([&]() -> HRESULT {
        if (executing_) {
            requestStop(nullptr);
            if (scriptThread_ == ::GetCurrentThreadId()) {
                // Called from inside the script: the run releases everything when it ends.
                closeRequested_ = true;
                state_ = SCRIPTSTATE_CLOSED;
                return S_OK;
            }
            for (DWORD waited = 0; executing_ && waited < kCloseWaitMs; waited += 10) ::Sleep(10);
            if (executing_) {
                // The script is stuck inside a call that does not return: it releases
                // everything itself once it comes back.
                closeRequested_ = true;
                state_ = SCRIPTSTATE_CLOSED;
                return S_OK;
            }
        }
        releaseAll();
        state_ = SCRIPTSTATE_CLOSED;
        return S_OK;
    });
}

void ScriptEngine::releaseAll() {
    ComPtr<IDebugApplication> app;
    ComPtr<IDebugStackFrameSniffer> sniffer;
    ComPtr<IActiveScriptSite> site;
    bool removeSniffer = false;
    DWORD cookie = 0;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        interpreter_->clear();
        items_.clear();
        pending_.clear();
        app = std::move(app_);
        sniffer = std::move(sniffer_);
        removeSniffer = snifferAdded_;
        cookie = snifferCookie_;
        snifferAdded_ = false;
        appThread_.Reset();
        appThreadIdentity_.Reset();
        site = std::move(site_);
        siteDebug_.Reset();
        debugStarted_ = false;
    }
    if (app && removeSniffer) app->RemoveStackFrameSniffer(cookie);
    if (sniffer) static_cast<StackFrameSniffer*>(sniffer.Get())->detach();
    // The site goes last: releasing it may run the host's own teardown.
    site.Reset();
}

STDMETHODIMP ScriptEngine::AddNamedItem(LPCOLESTR name, DWORD flags) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!name || !*name) return E_INVALIDARG;
        std::lock_guard<std::recursive_mutex> lock(lock_);
        if (state_ == SCRIPTSTATE_CLOSED) return E_UNEXPECTED;
        NamedItem item;
        item.name = name;
        item.flags = flags;
        items_[Lower(name)] = item;
        return S_OK;
    });
}

STDMETHODIMP ScriptEngine::AddTypeLib(REFGUID, DWORD, DWORD, DWORD) { return E_NOTIMPL; }

STDMETHODIMP ScriptEngine::GetScriptDispatch(LPCOLESTR, IDispatch** dispatch) {
    if (dispatch) *dispatch = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ScriptEngine::GetCurrentScriptThreadID(SCRIPTTHREADID* id) {
    if (!id) return E_POINTER;
    *id = ::GetCurrentThreadId();
    return S_OK;
}

STDMETHODIMP ScriptEngine::GetScriptThreadID(DWORD win32Id, SCRIPTTHREADID* id) {
    if (!id) return E_POINTER;
    *id = win32Id;
    return S_OK;
}

STDMETHODIMP ScriptEngine::GetScriptThreadState(SCRIPTTHREADID id, SCRIPTTHREADSTATE* state) {
    if (!state) return E_POINTER;
    DWORD thread = scriptThread_;
    bool mine = id == SCRIPTTHREADID_ALL || id == SCRIPTTHREADID_BASE || id == thread ||
                (id == SCRIPTTHREADID_CURRENT && ::GetCurrentThreadId() == thread);
    *state = (mine && executing_) ? SCRIPTTHREADSTATE_RUNNING : SCRIPTTHREADSTATE_NOTINSCRIPT;
    return S_OK;
}

STDMETHODIMP ScriptEngine::InterruptScriptThread(SCRIPTTHREADID id, const EXCEPINFO* info, DWORD) {
    return common::ComBoundary([&]() -> HRESULT {
        DWORD thread = scriptThread_;
        bool mine = id == SCRIPTTHREADID_ALL || id == SCRIPTTHREADID_BASE || id == thread ||
                    (id == SCRIPTTHREADID_CURRENT && ::GetCurrentThreadId() == thread);
        if (!mine) return E_INVALIDARG;
        if (executing_) requestStop(info);
        return S_OK;
    });
}

void ScriptEngine::requestStop(const EXCEPINFO* info) {
    if (info) {
        std::lock_guard<std::mutex> lock(interruptLock_);
        EXCEPINFO copy = *info;
        if (copy.pfnDeferredFillIn) copy.pfnDeferredFillIn(&copy);
        HRESULT hr = copy.scode ? copy.scode : (copy.wCode ? ScriptHr(copy.wCode) : E_ABORT);
        std::wstring source = common::BstrText(copy.bstrSource);
        interruptError_ = ScriptError{hr, source.empty() ? kRuntimeSource : source, common::BstrText(copy.bstrDescription)};
    }
    stopRequested_ = true;
    ComPtr<IDebugApplication> app;
    ComPtr<IDebugApplicationThread> thread;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        app = app_;
        thread = appThread_;
    }
    if (!app || !thread || ::GetCurrentThreadId() == scriptThread_) return;
    // A script held at a break is released with abort. The break may be in the making
    // while we look, so the release is repeated for a short while.
    for (int i = 0; i < 100 && executing_; ++i) {
        if (atBreak_) app->ResumeFromBreakPoint(thread.Get(), BREAKRESUMEACTION_ABORT, ERRORRESUMEACTION_SkipErrorStatement);
        else if (i > 0) break;
        ::Sleep(20);
    }
}

STDMETHODIMP ScriptEngine::Clone(IActiveScript** clone) {
    if (clone) *clone = nullptr;
    return E_NOTIMPL;
}

// ---- IActiveScriptParse ----

STDMETHODIMP ScriptEngine::InitNew() {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    return state_ == SCRIPTSTATE_CLOSED ? E_UNEXPECTED : S_OK;
}

STDMETHODIMP ScriptEngine::AddScriptlet(LPCOLESTR, LPCOLESTR, LPCOLESTR, LPCOLESTR, LPCOLESTR, LPCOLESTR, DWORD_PTR,
                                        ULONG, DWORD, BSTR* name, EXCEPINFO*) {
    if (name) *name = nullptr;
    return E_NOTIMPL;
}

HRESULT ScriptEngine::reportSyntaxError(const SyntaxError& e, const Block& block) {
    ScriptErrorInfo::Position where;
    where.cookie = block.cookie;
    where.line = block.startLine + e.line;
    where.column = e.column;
    where.offset = e.offset;
    where.length = 1;
    where.lineText = block.lineText(e.line);
    ComPtr<ScriptErrorInfo> error;
    error = common::Adopt(new ScriptErrorInfo(this, e.hr, kCompileSource, e.description, where, nullptr));
    report(error.Get());
    return SCRIPT_E_REPORTED;
}

STDMETHODIMP ScriptEngine::ParseScriptText(LPCOLESTR code, LPCOLESTR, IUnknown*, LPCOLESTR, DWORD_PTR cookie,
                                           ULONG startLine, DWORD flags, VARIANT* result, EXCEPINFO* excep) {
    return common::ComBoundary([&]() -> HRESULT {
        if (result) ::VariantInit(result);
        if (excep) *excep = EXCEPINFO{};
        if (state_ == SCRIPTSTATE_UNINITIALIZED || state_ == SCRIPTSTATE_CLOSED || !site_) return E_UNEXPECTED;
        auto block = std::make_shared<Block>();
        block->cookie = cookie;
        block->startLine = startLine;
        block->text = code ? code : L"";
        const bool expression = (flags & SCRIPTTEXT_ISEXPRESSION) != 0;
        try {
            Parser parser(*block);
            if (expression) parser.parseExpression();
            else parser.parseProgram();
        } catch (const SyntaxError& e) {
            return reportSyntaxError(e, *block);
        }
        {
            std::lock_guard<std::recursive_mutex> lock(lock_);
            blocks_.push_back(block);
            if (!expression) interpreter_->addBlock(*block);
        }
        if (expression) {
            // Evaluated at once in the global scope, without stopping at breakpoints.
            if (onOtherThreadWhileRunning()) return E_UNEXPECTED;
            try {
                Value v = executing_ ? interpreter_->evaluate(*block, *interpreter_->frames().front())
                                     : interpreter_->evaluateGlobal(*block);
                if (result) v.detach(result);
                return S_OK;
            } catch (const ScriptError& e) {
                ComPtr<ScriptErrorInfo> error = makeError(e.hr, e.source, e.reportText(), nullptr);
                report(error.Get());
                return SCRIPT_E_REPORTED;
            }
        }
        {
            std::lock_guard<std::recursive_mutex> lock(lock_);
            pending_.push_back(block);
        }
        if (state_ == SCRIPTSTATE_STARTED || state_ == SCRIPTSTATE_CONNECTED) {
            if (onOtherThreadWhileRunning()) return S_OK;  // runs when the script thread gets to it
            if (!executing_) return run();
        }
        return S_OK;
    });
}

// ---- IActiveScriptDebug ----

STDMETHODIMP ScriptEngine::GetScriptTextAttributes(LPCOLESTR, ULONG, LPCOLESTR, DWORD, SOURCE_TEXT_ATTR*) {
    return E_NOTIMPL;
}

STDMETHODIMP ScriptEngine::GetScriptletTextAttributes(LPCOLESTR, ULONG, LPCOLESTR, DWORD, SOURCE_TEXT_ATTR*) {
    return E_NOTIMPL;
}

STDMETHODIMP ScriptEngine::EnumCodeContextsOfPosition(DWORD_PTR cookie, ULONG offset, ULONG,
                                                      IEnumDebugCodeContexts** contexts) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!contexts) return E_POINTER;
        *contexts = nullptr;
        std::vector<std::shared_ptr<Block>> blocks;
        {
            std::lock_guard<std::recursive_mutex> lock(lock_);
            for (const auto& b : blocks_) {
                if (b->cookie == cookie && !b->expression) blocks.push_back(b);
            }
        }
        // No code was ever parsed for this source: nothing can be placed there.
        if (blocks.empty()) return E_INVALIDARG;
        std::vector<ComPtr<IDebugCodeContext>> found;
        for (const auto& b : blocks) {
            if (offset > b->text.size()) continue;
            // The statement holding the position; else the first one of its line that ends
            // after it (or the line's first); else the first statement after it.
            int best = -1;
            ULONG line = 0;
            while (line + 1 < b->lineStarts.size() && b->lineStarts[line + 1] <= offset) ++line;
            int firstOnLine = -1, onLineAfter = -1, after = -1;
            for (size_t i = 0; i < b->points.size(); ++i) {
                const StepPoint& p = b->points[i];
                if (p.offset <= offset && offset < p.offset + p.length) {
                    if (best < 0 || p.offset > b->points[best].offset) best = static_cast<int>(i);
                }
                if (p.blockLine == line) {
                    if (firstOnLine < 0 || p.offset < b->points[firstOnLine].offset) firstOnLine = static_cast<int>(i);
                    if (p.offset + p.length > offset &&
                        (onLineAfter < 0 || p.offset < b->points[onLineAfter].offset))
                        onLineAfter = static_cast<int>(i);
                }
                if (p.offset >= offset && (after < 0 || p.offset < b->points[after].offset)) after = static_cast<int>(i);
            }
            if (best < 0) best = onLineAfter >= 0 ? onLineAfter : firstOnLine;
            if (best < 0) best = after;
            if (best < 0) continue;
            ComPtr<IDebugCodeContext> context;
            context = common::Adopt(new CodeContext(this, b, best));
            found.push_back(context);
            break;
        }
        *contexts = new CodeContextEnum(std::move(found));
        return S_OK;
    });
}

// ---- For the debug objects ----

HRESULT ScriptEngine::onScriptThread(const std::function<HRESULT()>& work) {
    ComPtr<IDebugApplicationThread> thread;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        thread = appThread_;
    }
    // Without a running script its state stands still and may be read from here.
    if (!thread || !executing_ || ::GetCurrentThreadId() == scriptThread_) return work();
    return CallIntoThread(thread.Get(), work);
}

HRESULT ScriptEngine::documentContext(DWORD_PTR cookie, size_t offset, size_t length, IDebugDocumentContext** context) {
    if (!context) return E_POINTER;
    *context = nullptr;
    return onScriptThread([&]() -> HRESULT {
        ComPtr<IActiveScriptSiteDebug> siteDebug;
        {
            std::lock_guard<std::recursive_mutex> lock(lock_);
            siteDebug = siteDebug_;
        }
        if (!siteDebug) return E_FAIL;
        return siteDebug->GetDocumentContextFromPosition(cookie, static_cast<ULONG>(offset),
                                                         static_cast<ULONG>(length), context);
    });
}

std::shared_ptr<Block> ScriptEngine::sharedBlock(const Block* block) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    for (const auto& b : blocks_) {
        if (b.get() == block) return b;
    }
    return nullptr;
}

HRESULT ScriptEngine::codeContext(const Block* block, int point, IDebugCodeContext** context) {
    if (!context) return E_POINTER;
    *context = nullptr;
    std::shared_ptr<Block> shared = sharedBlock(block);
    if (!shared || point < 0 || static_cast<size_t>(point) >= shared->points.size()) return E_FAIL;
    *context = new CodeContext(this, shared, point);
    return S_OK;
}

HRESULT ScriptEngine::applicationThread(IDebugApplicationThread** thread) {
    if (!thread) return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(lock_);
    *thread = appThread_.Get();
    if (!*thread) return E_FAIL;
    (*thread)->AddRef();
    return S_OK;
}

HRESULT ScriptEngine::stackFrame(const std::shared_ptr<Frame>& frame, IDebugStackFrame** result) {
    std::wstring description = frame->procedure ? frame->procedure->name : L"Global code";
    *result = new StackFrame(this, frame, description);
    return S_OK;
}

std::shared_ptr<Block> ScriptEngine::parseForDebugger(const std::wstring& text, bool expression) {
    auto block = std::make_shared<Block>();
    block->text = text;
    Parser parser(*block);
    if (expression) parser.parseExpression();
    else parser.parseProgram();
    if (!block->procedures.empty())
        throw SyntaxError{ScriptHr(errors::kSyntax), L"Procedures cannot be declared here", 0, 0, 0};
    return block;
}

// ---- Running ----

void ScriptEngine::startDebugging() {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    if (debugStarted_) return;
    debugStarted_ = true;
    if (!siteDebug_) return;
    ComPtr<IDebugApplication> app;
    if (FAILED(siteDebug_->GetApplication(app.GetAddressOf())) || !app) return;
    ComPtr<IDebugApplicationThread> thread;
    if (FAILED(app->GetCurrentThread(thread.GetAddressOf())) || !thread) return;
    app_ = app;
    appThread_ = thread;
    thread.As(&appThreadIdentity_);
    ComPtr<IDebugStackFrameSniffer> sniffer;
    sniffer = common::Adopt(new StackFrameSniffer(this));
    if (SUCCEEDED(app_->AddStackFrameSniffer(sniffer.Get(), &snifferCookie_))) snifferAdded_ = true;
    sniffer_ = sniffer;
}

HRESULT ScriptEngine::run() {
    if (executing_) return S_OK;  // already running on this thread: the new code waits its turn
    scriptThread_ = ::GetCurrentThreadId();
    startDebugging();
    stopRequested_ = false;
    {
        std::lock_guard<std::mutex> lock(interruptLock_);
        interruptError_.reset();
    }
    executing_ = true;
    HRESULT result = S_OK;
    ComPtr<IActiveScriptSite> site;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        site = site_;
    }
    for (;;) {
        std::shared_ptr<Block> block;
        {
            std::lock_guard<std::recursive_mutex> lock(lock_);
            if (pending_.empty() || closeRequested_) break;
            block = pending_.front();
            pending_.pop_front();
        }
        if (site) site->OnEnterScript();
        try {
            stepDepth_ = SIZE_MAX;
            interpreter_->run(*block);
        } catch (const ScriptAbort& abort) {
            result = abort.reported ? SCRIPT_E_REPORTED : E_ABORT;
        } catch (const ScriptError& e) {
            // Not expected to get here (statements handle their errors); still reported.
            ComPtr<ScriptErrorInfo> error = makeError(e.hr, e.source, e.reportText(), nullptr);
            report(error.Get());
            result = SCRIPT_E_REPORTED;
        } catch (...) {
            // Out of memory and the like: the run ends, the engine stays usable.
            result = common::CurrentExceptionHResult();
        }
        if (FAILED(result)) {
            std::lock_guard<std::recursive_mutex> lock(lock_);
            pending_.clear();
        }
        if (site) site->OnLeaveScript();
        if (FAILED(result)) break;
    }
    executing_ = false;
    stopRequested_ = false;
    if (closeRequested_) {
        closeRequested_ = false;
        releaseAll();
    }
    return result;
}

bool ScriptEngine::isScriptThread(IRemoteDebugApplicationThread* thread) {
    if (!thread) return true;
    ComPtr<IUnknown> identity;
    thread->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.GetAddressOf()));
    return identity.Get() == appThreadIdentity_.Get();
}

void ScriptEngine::beforeStatement(Frame& frame) {
    if (stopRequested_) {
        std::optional<ScriptError> error;
        {
            std::lock_guard<std::mutex> lock(interruptLock_);
            error = interruptError_;
            interruptError_.reset();
        }
        if (error && !interpreter_->evaluating()) {
            ComPtr<ScriptErrorInfo> info = makeError(error->hr, error->source, error->description, &frame);
            report(info.Get());
            throw ScriptAbort{true};
        }
        throw ScriptAbort{false};
    }
    // Code run by Execute has no document to show: it runs through as one statement.
    if (!app_ || interpreter_->evaluating() || frame.block->dynamic) return;
    APPBREAKFLAGS flags = 0;
    ComPtr<IRemoteDebugApplicationThread> stepping;
    if (FAILED(app_->GetBreakFlags(&flags, stepping.GetAddressOf()))) return;
    if (stopRequested_) throw ScriptAbort{false};
    const StepPoint& point = frame.block->points[frame.current];
    if (flags & APPBREAKFLAG_DEBUGGER_HALT) {
        breakAt(BREAKREASON_DEBUGGER_HALT);
    } else if (point.breakpoint.load(std::memory_order_relaxed) == BREAKPOINT_ENABLED) {
        breakAt(BREAKREASON_BREAKPOINT);
    } else if ((flags & APPBREAKFLAG_STEP) && isScriptThread(stepping.Get()) &&
               interpreter_->frames().size() <= stepDepth_) {
        breakAt(BREAKREASON_STEP);
    }
}

void ScriptEngine::breakAt(BREAKREASON reason) {
    BREAKRESUMEACTION action = BREAKRESUMEACTION_CONTINUE;
    atBreak_ = true;
    HRESULT hr = app_->HandleBreakPoint(reason, &action);
    atBreak_ = false;
    if (stopRequested_) throw ScriptAbort{false};
    if (FAILED(hr)) return;
    size_t depth = interpreter_->frames().size();
    switch (action) {
    case BREAKRESUMEACTION_ABORT: throw ScriptAbort{false};
    case BREAKRESUMEACTION_STEP_OVER: stepDepth_ = depth; break;
    case BREAKRESUMEACTION_STEP_OUT: stepDepth_ = depth > 1 ? depth - 1 : 0; break;
    default: stepDepth_ = SIZE_MAX; break;
    }
}

const Block& ScriptEngine::compile(const std::wstring& text, bool expression) {
    auto block = std::make_shared<Block>();
    block->dynamic = true;
    block->text = text;
    try {
        Parser parser(*block);
        if (expression) parser.parseExpression();
        else parser.parseProgram();
    } catch (const SyntaxError& e) {
        throw ScriptError{e.hr, kCompileSource, e.description};
    }
    std::lock_guard<std::recursive_mutex> lock(lock_);
    blocks_.push_back(block);
    return *block;
}

bool ScriptEngine::namedItem(const std::wstring& lower, Value& object) {
    std::lock_guard<std::recursive_mutex> lock(lock_);
    auto it = items_.find(lower);
    if (it == items_.end()) return false;
    NamedItem& item = it->second;
    if (!item.fetched && site_) {
        ComPtr<IUnknown> unknown;
        if (SUCCEEDED(site_->GetItemInfo(item.name.c_str(), SCRIPTINFO_IUNKNOWN, unknown.GetAddressOf(), nullptr)) &&
            unknown) {
            unknown.As(&item.object);
        }
        item.fetched = true;
    }
    if (!item.object) RaiseError(errors::kObjectRequired, item.name);
    object = Value::Object(item.object.Get());
    return true;
}

bool ScriptEngine::globalMember(const std::wstring& name, Value& object, DISPID& id) {
    std::vector<std::wstring> candidates;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        for (const auto& [lower, item] : items_) {
            if (item.flags & SCRIPTITEM_GLOBALMEMBERS) candidates.push_back(lower);
        }
    }
    for (const auto& lower : candidates) {
        Value item;
        if (!namedItem(lower, item) || !item.dispatch()) continue;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
        if (SUCCEEDED(item.dispatch()->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
            object = item;
            return true;
        }
    }
    return false;
}

ComPtr<ScriptErrorInfo> ScriptEngine::makeError(HRESULT hr, const std::wstring& source,
                                                const std::wstring& description, Frame* frame) {
    ScriptErrorInfo::Position where;
    ComPtr<IDebugStackFrame> debugFrame;
    if (frame && frame->block && frame->current >= 0) {
        const StepPoint& p = frame->block->points[frame->current];
        where.cookie = frame->block->cookie;
        where.line = p.line;
        where.offset = p.offset;
        where.length = p.length;
        size_t lineStart = p.blockLine < frame->block->lineStarts.size() ? frame->block->lineStarts[p.blockLine] : 0;
        where.column = static_cast<LONG>(p.offset - lineStart);
        where.lineText = frame->block->lineText(p.blockLine);
        for (const auto& f : interpreter_->frames()) {
            if (f.get() == frame) stackFrame(f, debugFrame.GetAddressOf());
        }
    }
    ComPtr<ScriptErrorInfo> error;
    error = common::Adopt(new ScriptErrorInfo(this, hr, source, description, where, debugFrame.Get()));
    return error;
}

HRESULT ScriptEngine::report(ScriptErrorInfo* error) {
    ComPtr<IActiveScriptSite> site;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        site = site_;
    }
    if (!site) return E_FAIL;
    return site->OnScriptError(static_cast<IActiveScriptError*>(error));
}

RuntimeHost::ErrorAction ScriptEngine::runtimeError(const ScriptError& e, Frame& frame) {
    ComPtr<ScriptErrorInfo> error = makeError(e.hr, e.source, e.reportText(), &frame);
    if (stopRequested_) throw ScriptAbort{false};
    ComPtr<IActiveScriptSiteDebug> siteDebug;
    ComPtr<IActiveScriptSite> site;
    {
        std::lock_guard<std::recursive_mutex> lock(lock_);
        siteDebug = siteDebug_;
        site = site_;
    }
    if (siteDebug && app_) {
        BOOL enter = FALSE, callWhenContinuing = FALSE;
        if (SUCCEEDED(siteDebug->OnScriptErrorDebug(error.Get(), &enter, &callWhenContinuing)) && enter) {
            BREAKRESUMEACTION bra = BREAKRESUMEACTION_ABORT;
            ERRORRESUMEACTION era = ERRORRESUMEACTION_AbortCallAndReturnErrorToCaller;
            BOOL callOnScriptError = FALSE;
            atBreak_ = true;
            HRESULT hr = app_->HandleRuntimeError(error.Get(), site.Get(), &bra, &era, &callOnScriptError);
            atBreak_ = false;
            if (stopRequested_) throw ScriptAbort{false};
            if (SUCCEEDED(hr)) {
                // The debug application decides whether the site hears of the error too.
                bool call = callOnScriptError != FALSE;
                if (bra != BREAKRESUMEACTION_ABORT) {
                    if (era == ERRORRESUMEACTION_SkipErrorStatement) return ErrorAction::Skip;
                    if (era == ERRORRESUMEACTION_ReexecuteErrorStatement) return ErrorAction::Retry;
                }
                if (call) report(error.Get());
                return ErrorAction::End;
            }
        }
    }
    // The site decides: S_OK goes on with the next statement, a failure ends the script.
    return SUCCEEDED(report(error.Get())) ? ErrorAction::Skip : ErrorAction::End;
}

} // namespace stepscript
