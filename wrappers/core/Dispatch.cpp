#include "wrappers/core/Dispatch.h"
#include "wrappers/core/WrappersModule.h"
#include <oleauto.h>
#include <wrl/client.h>
#include <map>
#include <mutex>

using Microsoft::WRL::ComPtr;

namespace wrappers {
namespace {

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

std::mutex g_typeInfoMutex;
ComPtr<ITypeLib> g_typeLib;
std::map<GUID, ComPtr<ITypeInfo>, GuidLess> g_typeInfos;

ComPtr<ITypeInfo> loadInterfaceTypeInfo(REFIID iid) {
    if (!g_typeLib) {
        wchar_t path[MAX_PATH * 2] = {};
        ::GetModuleFileNameW(WrappersModule::instance(), path, MAX_PATH * 2);
        if (FAILED(::LoadTypeLibEx(path, REGKIND_NONE, &g_typeLib))) return nullptr;
    }
    ComPtr<ITypeInfo> info;
    if (FAILED(g_typeLib->GetTypeInfoOfGuid(iid, &info))) return nullptr;
    // A dual interface is found as its dispatch form; Invoke needs the vtable form.
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attr))) {
        bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
        info->ReleaseTypeAttr(attr);
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> vtable;
        if (dual && SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
            SUCCEEDED(info->GetRefTypeInfo(ref, &vtable)))
            info = vtable;
    }
    return info;
}

} // namespace

ITypeInfo* wrappersTypeInfo(REFIID iid) {
    std::lock_guard<std::mutex> lock(g_typeInfoMutex);
    auto it = g_typeInfos.find(iid);
    if (it != g_typeInfos.end()) return it->second.Get();
    ComPtr<ITypeInfo> info = loadInterfaceTypeInfo(iid);
    if (!info) return nullptr;
    g_typeInfos[iid] = info;
    return info.Get();
}

HRESULT idsOfNamesThroughTypeInfo(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
    ITypeInfo* info = wrappersTypeInfo(iid);
    if (!info) return TYPE_E_CANTLOADLIBRARY;
    return ::DispGetIDsOfNames(info, names, count, ids);
}

HRESULT invokeThroughTypeInfo(void* object, REFIID iid, DISPID member, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    ITypeInfo* info = wrappersTypeInfo(iid);
    if (!info) return TYPE_E_CANTLOADLIBRARY;
    ::SetErrorInfo(0, nullptr);
    HRESULT hr = ::DispInvoke(object, info, member, flags, params, result, exception, argError);
    if (FAILED(hr) && hr != DISP_E_EXCEPTION && HRESULT_FACILITY(hr) != FACILITY_DISPATCH && exception) {
        ComPtr<IErrorInfo> error;
        if (::GetErrorInfo(0, &error) == S_OK && error) {
            memset(exception, 0, sizeof(*exception));
            error->GetSource(&exception->bstrSource);
            error->GetDescription(&exception->bstrDescription);
            exception->scode = hr;
            return DISP_E_EXCEPTION;
        }
    }
    return hr;
}

} // namespace wrappers
