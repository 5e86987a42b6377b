#include "host/Env.h"
#include "common/Bstr.h"
#include "host/ModuleLock.h"
#include "host/RecordKind.h"
#include "host/ScriptHost.h"
#include "common/ComError.h"
#include <oleauto.h>
#include <mutex>
#include <string>

namespace host {
namespace {

ScriptHost* g_host = nullptr;
std::mutex g_typeInfoMutex;
ITypeInfo* g_typeInfo = nullptr;  // kept for the life of the process

HRESULT LoadEnvTypeInfo(ITypeInfo** typeInfo) {
    Microsoft::WRL::ComPtr<ITypeLib> library;
    HRESULT hr = ::LoadRegTypeLib(LIBID_MardelLib, 1, 0, 0, library.GetAddressOf());
    if (FAILED(hr)) {
        // Not registered (a COM-server start never registers): use our own copy.
        wchar_t path[MAX_PATH * 2] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
        hr = ::LoadTypeLibEx(path, REGKIND_NONE, library.ReleaseAndGetAddressOf());
    }
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(IID_IEnv, typeInfo);
}

} // namespace

const wchar_t* RecordKindName(RecordKind kind) {
    switch (kind) {
    case RecordKind::Info: return L"Info";
    case RecordKind::Warning: return L"Warning";
    case RecordKind::Error: return L"Error";
    case RecordKind::FatalError: return L"Fatal Error";
    }
    return L"";
}

HRESULT GetEnvTypeInfo(ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    std::lock_guard<std::mutex> guard(g_typeInfoMutex);
    if (!g_typeInfo) {
        HRESULT hr = LoadEnvTypeInfo(&g_typeInfo);
        if (FAILED(hr)) return hr;
    }
    g_typeInfo->AddRef();
    *typeInfo = g_typeInfo;
    return S_OK;
}

IDispatch* Env::Create() { return static_cast<IEnv*>(new Env); }
void Env::SetHost(ScriptHost* host) { g_host = host; }

Env::Env() { ModuleLocks().lock(); }
Env::~Env() { ModuleLocks().unlock(); }

bool Env::QueryExtra(REFIID riid, void** ppv) {
    if (riid != IID_IDispatch) return false;
    *ppv = static_cast<IEnv*>(this);
    return true;
}

STDMETHODIMP Env::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP Env::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return GetEnvTypeInfo(typeInfo);
}

STDMETHODIMP Env::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    Microsoft::WRL::ComPtr<ITypeInfo> typeInfo;
    HRESULT hr = GetEnvTypeInfo(&typeInfo);
    if (FAILED(hr)) return hr;
    return typeInfo->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP Env::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, UINT* argError) {
    Microsoft::WRL::ComPtr<ITypeInfo> typeInfo;
    HRESULT hr = GetEnvTypeInfo(&typeInfo);
    if (FAILED(hr)) return hr;
    return typeInfo->Invoke(static_cast<IEnv*>(this), id, flags, params, result, exception, argError);
}

HRESULT Env::Log(RecordKind kind, BSTR text) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!text || !g_host) return S_OK;
        g_host->Log(kind, common::BstrText(text));
        return S_OK;
    });
}

STDMETHODIMP Env::LogError(BSTR strError) { return Log(RecordKind::Error, strError); }
STDMETHODIMP Env::LogInfo(BSTR strInfo) { return Log(RecordKind::Info, strInfo); }
STDMETHODIMP Env::LogWarning(BSTR strWarning) { return Log(RecordKind::Warning, strWarning); }

STDMETHODIMP Env::Sleep(long nMilliSecs) {
    // A negative count would be an endless wait that nothing can interrupt.
    if (nMilliSecs < 0) return E_INVALIDARG;
    ::Sleep(static_cast<DWORD>(nMilliSecs));
    return S_OK;
}

EnvClassFactory::EnvClassFactory() : common::ClassFactoryBase(ModuleLocks()) {}

STDMETHODIMP EnvClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return common::Adopt(Env::Create())->QueryInterface(riid, object);
    });
}

} // namespace host
