#include "stepscript/runtime/ClassInstance.h"
#include "common/ComError.h"
#include "stepscript/runtime/ArrayValue.h"
#include "stepscript/language/SyntaxError.h"
#include <algorithm>
#include <cwctype>

namespace stepscript {

namespace {

std::wstring LowerName(const wchar_t* s) {
    std::wstring out(s ? s : L"");
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(c));
    return out;
}

BSTR Alloc(const std::wstring& s) { return ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

} // namespace

const Procedure* ClassDef::find(const std::wstring& lower, ProcKind kind) const {
    for (const auto& m : methods) {
        if (m->lower == lower && m->kind == kind) return m.get();
    }
    return nullptr;
}

const Procedure* ClassDef::findAny(const std::wstring& lower) const {
    for (const auto& m : methods) {
        if (m->lower == lower) return m.get();
    }
    return nullptr;
}

const Procedure* ClassDef::defaultMember() const {
    for (const auto& m : methods) {
        if (m->isDefault) return m.get();
    }
    return nullptr;
}

ClassInstance::ClassInstance(const ClassDef& definition, std::weak_ptr<Interpreter*> interpreter)
    : def_(definition), interpreter_(std::move(interpreter)) {
    for (const VarDecl& f : def_.fields) {
        Variable v{f.name, Value()};
        if (f.isArray) {
            v.value = f.bounds.empty() ? UnsizedArray() : MakeArray(f.bounds);
            v.fixedArray = !f.bounds.empty();
        }
        fields_.emplace(f.lower, std::move(v));
        if (f.isPublic) publicNames_.push_back(f.lower);
    }
    for (const auto& m : def_.methods) {
        if (m->isPublic && std::find(publicNames_.begin(), publicNames_.end(), m->lower) == publicNames_.end())
            publicNames_.push_back(m->lower);
    }
}

bool ClassInstance::madeBy(const Interpreter& interpreter) const {
    auto owner = interpreter_.lock();
    return owner && *owner == &interpreter;
}

Variable* ClassInstance::field(const std::wstring& lower, bool inside) {
    auto it = fields_.find(lower);
    if (it == fields_.end()) return nullptr;
    if (!inside) {
        for (const VarDecl& f : def_.fields) {
            if (f.lower == lower && !f.isPublic) return nullptr;
        }
    }
    return &it->second;
}

const Procedure* ClassInstance::resolve(const std::wstring& lower, WORD flags, bool assignedObject, bool inside) const {
    const Procedure* found = nullptr;
    if (flags & DISPATCH_PROPERTYPUTREF) {
        found = def_.find(lower, ProcKind::PropertySet);
        if (!found) found = def_.find(lower, ProcKind::PropertyLet);
    } else if (flags & DISPATCH_PROPERTYPUT) {
        found = def_.find(lower, ProcKind::PropertyLet);
        if (!found && assignedObject) found = def_.find(lower, ProcKind::PropertySet);
    } else {
        found = def_.find(lower, ProcKind::PropertyGet);
        if (!found) found = def_.find(lower, ProcKind::Function);
        if (!found) found = def_.find(lower, ProcKind::Sub);
    }
    if (found && !found->isPublic && !inside) return nullptr;
    return found;
}

std::vector<std::pair<std::wstring, Value>> ClassInstance::memberValues() {
    std::vector<std::pair<std::wstring, Value>> out;
    for (const VarDecl& f : def_.fields) {
        auto it = fields_.find(f.lower);
        if (it != fields_.end()) out.emplace_back(f.name, it->second.value);
    }
    return out;
}

void ClassInstance::lastRelease() {
    if (terminated || !initialized) return;
    terminated = true;
    if (auto owner = interpreter_.lock()) (*owner)->terminate(*this);
}

STDMETHODIMP ClassInstance::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ClassInstance::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ClassInstance::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) {
            hr = DISP_E_UNKNOWNNAME;  // no named arguments
            continue;
        }
        std::wstring lower = LowerName(names[i]);
        auto it = std::find(publicNames_.begin(), publicNames_.end(), lower);
        if (it == publicNames_.end()) hr = DISP_E_UNKNOWNNAME;
        else ids[i] = static_cast<DISPID>(it - publicNames_.begin()) + 1;
    }
    return hr;
}

STDMETHODIMP ClassInstance::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* excep, UINT*) {
    if (result) ::VariantInit(result);
    std::wstring lower;
    if (id == DISPID_VALUE) {
        const Procedure* d = def_.defaultMember();
        if (!d) return DISP_E_MEMBERNOTFOUND;
        lower = d->lower;
    } else if (id >= 1 && static_cast<size_t>(id) <= publicNames_.size()) {
        lower = publicNames_[id - 1];
    } else {
        return DISP_E_MEMBERNOTFOUND;
    }
    auto owner = interpreter_.lock();
    if (!owner) return E_UNEXPECTED;
    Interpreter& interpreter = **owner;
    try {
        bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        Value assigned;
        std::vector<Value> args = ArgumentsOf(params, put, &assigned);
        if (Variable* v = field(lower, false)) {
            if (put) {
                if (args.empty()) v->get() = assigned;
                else SetArrayElement(v->get(), args, assigned);
                return S_OK;
            }
            Value out = args.empty() ? v->get() : ArrayElement(v->get(), args);
            if (result) out.detach(result);
            return S_OK;
        }
        const Procedure* p = resolve(lower, flags, assigned.isObject(), false);
        if (!p) return DISP_E_MEMBERNOTFOUND;
        Microsoft::WRL::ComPtr<IDispatch> keep(this);
        Value out = interpreter.callMethod(*this, *p, args, put ? &assigned : nullptr);
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

ClassInstance* AsClassInstance(const Value& v) {
    IUnknown* unk = v.unknown();
    if (!unk) return nullptr;
    Microsoft::WRL::ComPtr<IScriptObject> object;
    if (FAILED(unk->QueryInterface(__uuidof(IScriptObject), reinterpret_cast<void**>(object.GetAddressOf()))))
        return nullptr;
    return static_cast<ClassInstance*>(object.Get());
}

std::vector<Value> ArgumentsOf(const DISPPARAMS* params, bool hasAssigned, Value* assigned) {
    std::vector<Value> args;
    if (!params) return args;
    UINT count = params->cArgs;
    UINT first = 0;
    if (hasAssigned && count > 0) {
        if (assigned) *assigned = Value::CopyOf(params->rgvarg[0]);
        first = 1;
    }
    for (UINT i = count; i > first; --i) {
        const VARIANT& a = params->rgvarg[i - 1];
        if (a.vt == (VT_BYREF | VT_VARIANT) && a.pvarVal) {
            // Stays a reference: the callee may assign through it.
            Value ref;
            ref.variant().vt = VT_BYREF | VT_VARIANT;
            ref.variant().pvarVal = a.pvarVal;
            args.push_back(std::move(ref));
        } else {
            args.push_back(Value::CopyOf(a));
        }
    }
    return args;
}

HRESULT ReturnScriptError(const ScriptError& error, EXCEPINFO* excep) {
    if (!excep) return error.hr;
    *excep = EXCEPINFO{};
    excep->scode = error.hr;
    excep->bstrSource = Alloc(error.source);
    excep->bstrDescription = Alloc(error.description);
    if (!error.helpFile.empty()) excep->bstrHelpFile = Alloc(error.helpFile);
    excep->dwHelpContext = error.helpContext;
    return DISP_E_EXCEPTION;
}

} // namespace stepscript
