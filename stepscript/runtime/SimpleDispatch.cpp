#include "stepscript/runtime/SimpleDispatch.h"
#include "common/ComError.h"
#include "stepscript/runtime/ClassInstance.h"
#include <cwctype>

namespace stepscript {
namespace {

bool SameName(const wchar_t* a, const wchar_t* lower) {
    for (; *a && *lower; ++a, ++lower)
        if (std::towlower(*a) != *lower) return false;
    return *a == 0 && *lower == 0;
}

} // namespace

STDMETHODIMP SimpleDispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP SimpleDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP SimpleDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (size_t i = 0; i < count_ && names[0]; ++i) {
        if (SameName(names[0], members_[i].name)) ids[0] = members_[i].id;
    }
    // No named arguments.
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

STDMETHODIMP SimpleDispatch::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO* excep, UINT*) {
    return common::ComBoundary([&]() -> HRESULT {
        std::vector<Value> args;
        UINT argc = params ? params->cArgs : 0;
        if (argc && !params->rgvarg) return E_INVALIDARG;
        // Arguments arrive last first.
        for (UINT i = argc; i-- > 0;) {
            VARIANT copy;
            ::VariantInit(&copy);
            HRESULT hr = ::VariantCopyInd(&copy, &params->rgvarg[i]);
            if (FAILED(hr)) return hr;
            args.push_back(Value::Take(copy));
        }
        try {
            Value out;
            HRESULT hr = call(id, flags, args, out);
            if (SUCCEEDED(hr) && result) {
                out.detach(result);
            }
            return hr;
        } catch (const ScriptError& e) {
            return ReturnScriptError(e, excep);
        }
    });
}

} // namespace stepscript
