#pragma once
#include "common/ComObject.h"
#include "stepscript/runtime/Interpreter.h"
#include <oaidl.h>
#include <memory>

namespace stepscript {

// What GetRef answers: an object whose default method calls a procedure of the script,
// so that components and the script itself can call it back.
class ProcedureRef : public common::ComObject<IDispatch> {
public:
    ProcedureRef(const Procedure& procedure, std::weak_ptr<Interpreter*> interpreter);

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                        UINT* argError) override;

private:
    const Procedure& procedure_;
    std::weak_ptr<Interpreter*> interpreter_;
};

} // namespace stepscript
