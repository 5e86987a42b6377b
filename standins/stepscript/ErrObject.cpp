#include "standins/stepscript/ErrObject.h"
#include "common/ComError.h"
#include "standins/stepscript/SyntaxError.h"
#include "standins/stepscript/Value.h"
#include <cwctype>

namespace stepscript {
namespace {

enum : DISPID { kNumber = DISPID_VALUE, kDescription = 1, kSource = 2, kRaise = 3, kClear = 4 };

const struct {
    const wchar_t* name;
    DISPID id;
} kMembers[] = {{L"number", kNumber}, {L"description", kDescription}, {L"source", kSource}, {L"raise", kRaise}, {L"clear", kClear}};

bool SameName(const wchar_t* a, const wchar_t* lower) {
    for (; *a && *lower; ++a, ++lower)
        if (std::towlower(*a) != *lower) return false;
    return *a == 0 && *lower == 0;
}

BSTR Alloc(const std::wstring& s) { return ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

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
}

void ErrObject::clear() {
    hr_ = S_OK;
    source_.clear();
    description_.clear();
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
        // Arguments arrive last first.
        auto arg = [&](UINT i) -> Value {
            if (i >= argc) return Value();
            const VARIANT& v = params->rgvarg[argc - 1 - i];
            if (v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND) return Value();
            return Value::CopyOf(v);
        };
        const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
        auto text = [&](std::wstring& field) -> HRESULT {
            if (put) {
                if (argc != 1) return DISP_E_BADPARAMCOUNT;
                field = ToText(arg(0));
            } else if (result) {
                result->vt = VT_BSTR;
                result->bstrVal = Alloc(field);
            }
            return S_OK;
        };
        try {
            switch (id) {
            case kNumber:
                if (put) {
                    if (argc != 1) return DISP_E_BADPARAMCOUNT;
                    hr_ = HresultOf(ToLong(arg(0)));
                } else if (result) {
                    result->vt = VT_I4;
                    result->lVal = NumberOf(hr_);
                }
                return S_OK;
            case kDescription: return text(description_);
            case kSource: return text(source_);
            case kClear:
                clear();
                return S_OK;
            case kRaise: {
                if (argc < 1 || argc > 5) return DISP_E_BADPARAMCOUNT;
                Value number = arg(0);
                if (number.isEmpty()) return DISP_E_PARAMNOTOPTIONAL;
                HRESULT code = HresultOf(ToLong(number));
                std::wstring source = argc > 1 ? ToText(arg(1)) : std::wstring();
                std::wstring description = argc > 2 ? ToText(arg(2)) : std::wstring();
                if (source.empty()) source = kRuntimeSource;
                if (description.empty()) {
                    LONG n = NumberOf(code);
                    description = ErrorMessage(n);
                }
                hr_ = code;
                source_ = source;
                description_ = description;
                if (excep) {
                    *excep = EXCEPINFO{};
                    excep->scode = code;
                    excep->bstrSource = Alloc(source);
                    excep->bstrDescription = Alloc(description);
                }
                return DISP_E_EXCEPTION;
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
            }
        } catch (const ScriptError&) {
            return DISP_E_TYPEMISMATCH;
        }
    });
}

} // namespace stepscript
