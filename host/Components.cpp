#include "host/Components.h"
#include "common/ComError.h"
#include "common/ScriptingGuids.h"
#include "common/TextConv.h"
#include "host/ScriptLoader.h"
#include <wrl/client.h>
#include <mutex>
#include <vector>

namespace host {
namespace {

using Microsoft::WRL::ComPtr;

const wchar_t kOwnDebugServices[] = L"debugservices.dll";
const wchar_t kOwnStepScript[] = L"stepscript.dll";

std::wstring ModuleFileName(HMODULE module) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return std::wstring(path.data(), n);
        path.resize(path.size() * 2);
    }
}

// The DLLs Tevrin loaded itself stay loaded for the life of the process: objects they
// made may outlive any one caller, and nothing asks them whether they can unload.
HMODULE LoadOwn(const wchar_t* dllName) {
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    const std::wstring path = Components::ProgramFolder() + dllName;
    // The altered search path lets the DLL find its own imports in its folder.
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

std::wstring OriginText(Components::Origin origin) {
    return origin == Components::Origin::Own ? L"Tevrin's own" : L"the platform's";
}

// "<what>: <whose> (<file>)" for an object just made, or "<what>: none (<why>)".
std::wstring DescribeLine(const std::wstring& what, IUnknown* object, Components::Origin origin,
                          const std::wstring& name, HRESULT hr) {
    if (!object) return what + L": none (" + common::SystemMessage(static_cast<DWORD>(hr)) + L")";
    std::wstring line = what + L": " + (name.empty() ? L"" : name + L", ") + OriginText(origin);
    const std::wstring file = Components::ServingModule(object);
    if (!file.empty()) line += L" (" + file + L")";
    return line;
}

bool SameClass(const CLSID& a, const CLSID& b) { return ::IsEqualCLSID(a, b) != FALSE; }

} // namespace

std::wstring Components::ProgramFolder() {
    std::wstring path = ModuleFileName(nullptr);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

HRESULT Components::CreateOwn(const wchar_t* dllName, const CLSID& clsid, REFIID iid, void** object) {
    HMODULE module = LoadOwn(dllName);
    if (!module) return HRESULT_FROM_WIN32(::GetLastError());
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<GetClassObject>(::GetProcAddress(module, "DllGetClassObject"));
    if (!getClassObject) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    ComPtr<IClassFactory> factory;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf()));
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, iid, object);
}

HRESULT Components::CreateDebugManager(IProcessDebugManager** manager, Origin* origin) {
    if (!manager) return E_POINTER;
    *manager = nullptr;
    if (origin) *origin = Origin::None;
    HRESULT hr = ::CoCreateInstance(CLSID_ProcessDebugManager, nullptr, CLSCTX_ALL, IID_IProcessDebugManager,
                                    reinterpret_cast<void**>(manager));
    if (SUCCEEDED(hr)) {
        if (origin) *origin = Origin::Platform;
        return hr;
    }
    const HRESULT own = CreateOwn(kOwnDebugServices, CLSID_ProcessDebugManager, IID_IProcessDebugManager,
                                  reinterpret_cast<void**>(manager));
    if (FAILED(own)) return hr;  // the platform's failure is the one to report
    if (origin) *origin = Origin::Own;
    return own;
}

HRESULT Components::CreateEngine(const CLSID& clsid, IActiveScript** engine) {
    if (!engine) return E_POINTER;
    *engine = nullptr;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                    reinterpret_cast<void**>(engine));
    if (SUCCEEDED(hr) || !SameClass(clsid, CLSID_StepScript)) return hr;
    const HRESULT own = CreateOwn(kOwnStepScript, clsid, IID_IActiveScript, reinterpret_cast<void**>(engine));
    return SUCCEEDED(own) ? own : hr;
}

Components::Origin Components::DebugManagerOrigin() {
    static std::once_flag once;
    static Origin origin = Origin::None;
    std::call_once(once, [] {
        ComPtr<IProcessDebugManager> manager;
        CreateDebugManager(manager.GetAddressOf(), &origin);
    });
    return origin;
}

bool Components::HasOwnStepScript() {
    return ::GetFileAttributesW((ProgramFolder() + kOwnStepScript).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Components::ResolveOwnLanguage(const std::wstring& name, CLSID* clsid) {
    if (common::ToLower(name) != L"stepscript") return false;
    *clsid = CLSID_StepScript;
    return true;
}

std::wstring Components::ServingModule(IUnknown* object) {
    if (!object) return {};
    // The first word of a COM object is its interface table, which lives in the image
    // of the module that implements it.
    const void* table = *reinterpret_cast<void* const*>(object);
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(table), &module))
        return {};
    return ModuleFileName(module);
}

std::wstring Components::Describe() {
    std::wstring text;
    ComPtr<IProcessDebugManager> manager;
    Origin managerOrigin = Origin::None;
    HRESULT hr = CreateDebugManager(manager.GetAddressOf(), &managerOrigin);
    text += DescribeLine(L"Debug manager", manager.Get(), managerOrigin, L"", hr) + L"\r\n";

    CLSID vbs = CLSID_NULL;
    ComPtr<IActiveScript> engine;
    hr = ScriptLoader::DefaultVBScriptEngine(&vbs);
    if (SUCCEEDED(hr)) hr = CreateEngine(vbs, engine.GetAddressOf());
    const bool own = engine && ::lstrcmpiW(ServingModule(engine.Get()).c_str(),
                                           (ProgramFolder() + kOwnStepScript).c_str()) == 0;
    text += DescribeLine(L".vbs engine", engine.Get(), own ? Origin::Own : Origin::Platform,
                         SameClass(vbs, CLSID_StepScript) ? L"StepScript" : L"VBScript", hr) +
            L"\r\n";
    if (engine) engine.Reset();

    CLSID js = CLSID_NULL;
    hr = ::CLSIDFromProgID(L"JScript", &js);
    if (SUCCEEDED(hr)) hr = CreateEngine(js, engine.GetAddressOf());
    text += DescribeLine(L".js engine", engine.Get(), Origin::Platform, L"JScript", hr) + L"\r\n";
    return text;
}

} // namespace host
