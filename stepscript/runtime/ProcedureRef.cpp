#include "stepscript/runtime/ProcedureRef.h"
#include "common/ComError.h"
#include "stepscript/runtime/ClassInstance.h"

namespace stepscript {

ProcedureRef::ProcedureRef(const Procedure& procedure, std::weak_ptr<Interpreter*> interpreter)
    : procedure_(procedure), interpreter_(std::move(interpreter)) {}

STDMETHODIMP ProcedureRef::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ProcedureRef::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ProcedureRef::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
    if (!ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP ProcedureRef::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO* excep, UINT*) {
    if (result) ::VariantInit(result);
    if (id != DISPID_VALUE || (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))) return DISP_E_MEMBERNOTFOUND;
    auto owner = interpreter_.lock();
    if (!owner) return E_UNEXPECTED;
    try {
        std::vector<Value> args = ArgumentsOf(params, false, nullptr);
        Value out = (*owner)->callProcedureRef(procedure_, args);
        if (result) out.detach(result);
        return S_OK;
    } catch (const ScriptError& e) {
        return ReturnScriptError(e, excep);
    } catch (const ScriptAbort& abort) {
        NoteAbort(abort);
        return E_ABORT;
    } catch (...) {
        return common::CurrentExceptionHResult();
    }
}

} // namespace stepscript
