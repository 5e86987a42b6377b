#pragma once
#include "common/ComObject.h"
#include "stepscript/runtime/BuiltinObject.h"
#include "stepscript/runtime/Value.h"
#include <oaidl.h>
#include <vector>

namespace stepscript {

// An IDispatch of this engine's built-in objects: names looked up case-insensitively in
// a fixed table, calls handed over with their arguments in script order (by value).
// Errors raised as ScriptError leave Invoke as DISP_E_EXCEPTION with EXCEPINFO filled.
class SimpleDispatch : public common::ComObject<IDispatch, IBuiltinObject> {
public:
    struct Member {
        const wchar_t* name;  // lower case
        DISPID id;
    };

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                        UINT* argError) override;

protected:
    SimpleDispatch(const Member* members, size_t count) : members_(members), count_(count) {}
    // One call; a property put has the assigned value last. Answers DISP_E_MEMBERNOTFOUND
    // or DISP_E_BADPARAMCOUNT as IDispatch does; may throw ScriptError.
    virtual HRESULT call(DISPID id, WORD flags, std::vector<Value>& args, Value& result) = 0;

private:
    const Member* members_;
    size_t count_;
};

} // namespace stepscript
