#pragma once
#include "common/ComObject.h"
#include "stepscript/runtime/Interpreter.h"
#include "stepscript/runtime/ScriptObject.h"
#include <oaidl.h>
#include <memory>
#include <string>
#include <vector>

namespace stepscript {

// An object of a script's Class: its member variables, and its methods and properties
// run by the interpreter that made it. Scripts of this engine reach it directly; other
// callers (components the script hands it to) go through IDispatch.
class ClassInstance : public common::ComObject<IDispatch, IScriptObject> {
public:
    ClassInstance(const ClassDef& definition, std::weak_ptr<Interpreter*> interpreter);

    const ClassDef& definition() const { return def_; }
    bool madeBy(const Interpreter& interpreter) const;
    // A member variable; private ones only when the caller is inside the class.
    Variable* field(const std::wstring& lower, bool inside);
    // The method or property that a call with these dispatch flags means; null when none.
    const Procedure* resolve(const std::wstring& lower, WORD flags, bool assignedObject, bool inside) const;
    VariableMap& fields() { return fields_; }
    bool terminated = false;  // Class_Terminate ran (or must never run)
    bool initialized = false;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                        UINT* argError) override;

    // IScriptObject
    std::wstring className() override { return def_.name; }
    std::vector<std::pair<std::wstring, Value>> memberValues() override;

protected:
    void lastRelease() override;

private:
    const ClassDef& def_;
    std::weak_ptr<Interpreter*> interpreter_;
    VariableMap fields_;
    std::vector<std::wstring> publicNames_;  // lower-cased; DISPID is the index plus one
};

// The object of one of this engine's classes behind a value, or null.
ClassInstance* AsClassInstance(const Value& v);

// Arguments of an IDispatch call in script order (the assigned value of a property put
// apart); VT_BYREF variants stay references.
std::vector<Value> ArgumentsOf(const DISPPARAMS* params, bool hasAssigned, Value* assigned);
// Fills EXCEPINFO from a script error and answers the HRESULT an Invoke returns.
HRESULT ReturnScriptError(const ScriptError& error, EXCEPINFO* excep);

} // namespace stepscript
