#include "host/EngineProbe.h"
#include "host/Components.h"
#include "common/ScriptingGuids.h"
#include <wrl/client.h>
#include <map>
#include <mutex>

namespace host {
namespace {

struct ClsidLess {
    bool operator()(const CLSID& a, const CLSID& b) const { return memcmp(&a, &b, sizeof(CLSID)) < 0; }
};

} // namespace

bool EngineProbe::Probe(const CLSID& clsid) {
    Microsoft::WRL::ComPtr<IActiveScript> engine;
    if (FAILED(Components::CreateEngine(clsid, engine.GetAddressOf()))) return false;
    Microsoft::WRL::ComPtr<IActiveScriptDebug> debug;
    bool debuggable = false;
    if (SUCCEEDED(engine.As(&debug))) {
        // Two cheap calls that need no script: a stub answers E_NOTIMPL to both, an engine
        // that implements them answers (or refuses the unknown source with another error).
        static const wchar_t kText[] = L"x = 1";
        SOURCE_TEXT_ATTR attributes[ARRAYSIZE(kText) - 1] = {};
        const HRESULT colouring =
            debug->GetScriptTextAttributes(kText, ARRAYSIZE(kText) - 1, nullptr, 0, attributes);
        Microsoft::WRL::ComPtr<IEnumDebugCodeContexts> contexts;
        const HRESULT placing = debug->EnumCodeContextsOfPosition(0, 0, 1, contexts.GetAddressOf());
        debuggable = colouring != E_NOTIMPL || placing != E_NOTIMPL;
    }
    // Released without Close: it never had a site or a script, and Wine's JScript crashes
    // when closed in that state.
    return debuggable;
}

bool EngineProbe::IsDebuggable(const CLSID& clsid) {
    static std::mutex lock;
    static std::map<CLSID, bool, ClsidLess> answers;
    {
        std::lock_guard<std::mutex> guard(lock);
        auto known = answers.find(clsid);
        if (known != answers.end()) return known->second;
    }
    // Asked outside the lock: creating an engine may pump messages.
    const bool debuggable = Probe(clsid);
    std::lock_guard<std::mutex> guard(lock);
    return answers.emplace(clsid, debuggable).first->second;
}

} // namespace host
