#pragma once
// IDispatch served from the library's own type library, for every class of wrappers.
#include <windows.h>
#include <oaidl.h>
#include "common/ComObject.h"

namespace wrappers {

// The interface-kind type information of a dual interface of WRAPPERSLib (cached);
// null when the type library cannot be loaded.
ITypeInfo* wrappersTypeInfo(REFIID iid);

// Invoke through the type information; a failing member's error information is turned
// into an exception record so that script engines show its description and source.
HRESULT invokeThroughTypeInfo(void* object, REFIID iid, DISPID member, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argError);
HRESULT idsOfNamesThroughTypeInfo(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids);

// The IDispatch members of a class whose automation interface is Interface; the class
// derives from this instead of from Interface. As a base of common::ComObject it answers
// Interface, IDispatch and the other interfaces Interface derives from (Bases).
template <typename Interface, typename... Bases>
class DispatchImpl : public common::WithBases<Interface, IDispatch, Bases...> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* typeInfo = wrappersTypeInfo(__uuidof(Interface));
        if (!typeInfo) return TYPE_E_CANTLOADLIBRARY;
        typeInfo->AddRef();
        *info = typeInfo;
        return S_OK;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return idsOfNamesThroughTypeInfo(__uuidof(Interface), names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        return invokeThroughTypeInfo(static_cast<Interface*>(this), __uuidof(Interface), member, flags, params,
                                     result, exception, argError);
    }
};

} // namespace wrappers
