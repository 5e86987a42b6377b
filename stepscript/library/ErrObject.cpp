#include "stepscript/library/ErrObject.h"
#include "common/ComError.h"
#include "stepscript/language/SyntaxError.h"
#include "stepscript/runtime/Value.h"
#include <cwctype>

namespace stepscript {
namespace {

enum : DISPID {
    kNumber = DISPID_VALUE,
    kDescription = 1,
    kSource = 2,
    kRaise = 3,
    kClear = 4,
    kHelpFile = 5,
    kHelpContext = 6
};

const struct {
    const wchar_t* name;
    DISPID id;
} kMembers[] = {{L"number", kNumber},     {L"description", kDescription}, {L"source", kSource},
                {L"raise", kRaise},       {L"clear", kClear},             {L"helpfile", kHelpFile},
                {L"helpcontext", kHelpContext}};

// Err.Raise without a source names the language's run time, as VBScript does.
const wchar_t* const kRaiseSource = L"Microsoft VBScript runtime error";

bool SameName(const wchar_t* a, const wchar_t* lower) {
    for (; *a && *lower; ++a, ++lower)
        if (std::towlower(*a) != *lower) return false;
    return *a == 0 && *lower == 0;
}

BSTR Alloc(const std::wstring& s) { return ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

bool Given(const Value* v) { return v && !v->isEmpty() && !(v->type() == VT_ERROR && v->variant().scode == DISP_E_PARAMNOTFOUND); }

// Windows HRESULTs that have a number of the language's own: Err.Raise of one of them
// raises that number.
HRESULT LanguageHresult(HRESULT hr) {
    int number = LanguageErrorOf(hr);
    return number ? ScriptHr(number) : hr;
}

void FillException(EXCEPINFO* excep, const ScriptError& e) {
    if (!excep) return;
    *excep = EXCEPINFO{};
    excep->scode = e.hr;
    excep->bstrSource = Alloc(e.source);
    excep->bstrDescription = Alloc(e.description);
    if (!e.helpFile.empty()) excep->bstrHelpFile = Alloc(e.helpFile);
    excep->dwHelpContext = e.helpContext;
}

} // namespace

LONG ErrObject::NumberOf(HRESULT hr) {
    if ((static_cast<ULONG>(hr) & 0xFFFF0000u) == 0x800A0000u) return hr & 0xFFFF;
    return hr;
}

HRESULT ErrObject::HresultOf(LONG number) {
    if (number > 0 && number <= 0xFFFF) return ScriptHr(number);
    return number;
}

void ErrObject::set(const ScriptError& error) {
    hr_ = error.hr;
    source_ = error.source;
    description_ = error.description;
    helpFile_ = error.helpFile;
    helpContext_ = static_cast<LONG>(error.helpContext);
}

void ErrObject::clear() {
    hr_ = S_OK;
    source_.clear();
    description_.clear();
    helpFile_.clear();
    helpContext_ = 0;
}

std::wstring ErrObject::description() const {
    if (!description_.empty() || hr_ == S_OK) return description_;
    LONG n = NumberOf(hr_);
    return n > 0 && n <= 0xFFFF && IsKnownError(n) ? ErrorMessage(n) : description_;
}

ScriptError ErrObject::raise(LONG number, const Value* source, const Value* description, const Value* helpFile,
                             const Value* helpContext) {
    // Number 0 is no error at all, and negative numbers must be full HRESULTs.
    if (number == 0 || number > 0xFFFF) RaiseError(errors::kInvalidCall);
    HRESULT code = LanguageHresult(HresultOf(number));
    hr_ = code;
    // What this Raise leaves out keeps the value an earlier one gave it.
    if (Given(source)) source_ = ToText(*source);
    else if (source_.empty()) source_ = kRaiseSource;
    if (Given(description)) description_ = ToText(*description);
    else if (description_.empty()) description_ = ErrorMessage(NumberOf(code));
    if (Given(helpFile)) helpFile_ = ToText(*helpFile);
    if (Given(helpContext)) helpContext_ = ToLong(*helpContext);
    return ScriptError{hr_, source_, description_, {}, helpFile_, static_cast<DWORD>(helpContext_)};
}

STDMETHODIMP ErrObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ErrObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ErrObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const auto& m : kMembers) {
        if (SameName(names[0], m.name)) ids[0] = m.id;
    }
    if (ids[0] == DISPID_UNKNOWN || count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
}

STDMETHODIMP ErrObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excep, UINT*) {
    return common::ComBoundary([&]() -> HRESULT {
        UINT argc = params ? params->cArgs : 0;
        UINT named = params ? params->cNamedArgs : 0;
        const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
        // Arguments arrive last first, the assigned value of a put first of all.
        auto arg = [&](UINT i) -> Value {
            UINT positional = argc - (put ? named : 0);
            if (i >= positional) return Value();
            const VARIANT& v = params->rgvarg[argc - 1 - i];
            if (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND) return Value();
            return Value::CopyOf(v);
        };
        auto assigned = [&]() -> Value { return Value::CopyOf(params->rgvarg[0]); };
        auto answer = [&](Value v) {
            if (result) v.detach(result);
        };
        try {
            switch (id) {
            case kNumber:
                if (put) {
                    if (argc < 1) return DISP_E_BADPARAMCOUNT;
                    hr_ = HresultOf(ToLong(assigned()));
                } else {
                    answer(Value::Long(NumberOf(hr_)));
                }
                return S_OK;
            case kDescription:
                if (put) description_ = argc ? ToText(assigned()) : std::wstring();
                else answer(Value::String(description()));
                return S_OK;
            case kSource:
                if (put) source_ = argc ? ToText(assigned()) : std::wstring();
                else answer(Value::String(source_));
                return S_OK;
            case kHelpFile:
                if (put) helpFile_ = argc ? ToText(assigned()) : std::wstring();
                else answer(Value::String(helpFile_));
                return S_OK;
            case kHelpContext:
                if (put) helpContext_ = argc ? ToLong(assigned()) : 0;
                else answer(Value::Long(helpContext_));
                return S_OK;
            case kClear:
                if (argc) return DISP_E_BADPARAMCOUNT;
                clear();
                return S_OK;
            case kRaise: {
                if (argc < 1 || argc > 5) return DISP_E_BADPARAMCOUNT;
                Value number = arg(0);
                if (number.isEmpty()) return DISP_E_PARAMNOTOPTIONAL;
                Value a1 = arg(1), a2 = arg(2), a3 = arg(3), a4 = arg(4);
                FillException(excep, raise(ToLong(number), &a1, &a2, &a3, &a4));
                return DISP_E_EXCEPTION;
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
            }
        } catch (const ScriptError& e) {
            FillException(excep, e);
            return DISP_E_EXCEPTION;
        }
    });
}

} // namespace stepscript
