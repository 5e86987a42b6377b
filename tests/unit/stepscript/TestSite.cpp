#include "tests/unit/stepscript/TestSite.h"
#include "common/Bstr.h"
#include "common/ComInit.h"
#include "common/ComObject.h"
#include "stepscript/engine/ScriptEngine.h"
#include <gtest/gtest.h>
#include <cwctype>
#include <optional>

namespace stepscript_test {

using Microsoft::WRL::ComPtr;

namespace {

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}


enum : DISPID { kLog = 1, kValue = 2, kFail = 3, kFailInfo = 4, kSelf = 5, kCount = 6, kFailWith = 7 };

} // namespace

STDMETHODIMP Recorder::GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) {
    static const std::map<std::wstring, DISPID> kNames = {{L"log", kLog},   {L"value", kValue},
                                                          {L"fail", kFail}, {L"failwitherrorinfo", kFailInfo},
                                                          {L"self", kSelf}, {L"count", kCount},
                                                          {L"failwith", kFailWith}};
    auto it = kNames.find(Lower(names[0]));
    if (it == kNames.end()) return DISP_E_UNKNOWNNAME;
    *ids = it->second;
    return S_OK;
}

STDMETHODIMP Recorder::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                              EXCEPINFO* excep, UINT*) {
    UINT argc = params ? params->cArgs : 0;
    auto text = [&](UINT i) {
        VARIANT v;
        ::VariantInit(&v);
        if (FAILED(::VariantChangeType(&v, &params->rgvarg[argc - 1 - i], VARIANT_ALPHABOOL, VT_BSTR))) return std::wstring(L"?");
        std::wstring s = common::BstrText(v.bstrVal);
        ::VariantClear(&v);
        return s;
    };
    switch (id) {
    case kLog:
        if (argc != 1) return DISP_E_BADPARAMCOUNT;
        lines.push_back(text(0));
        return S_OK;
    case kValue:
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            putRefs.push_back((flags & DISPATCH_PROPERTYPUTREF) ? 1 : 0);
            value = text(0);
            return S_OK;
        }
        if (result) {
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocString(value.c_str());
        }
        return S_OK;
    case kFail:
        if (excep) {
            *excep = EXCEPINFO{};
            excep->scode = E_FAIL;
            excep->bstrSource = ::SysAllocString(L"Recorder");
            excep->bstrDescription = ::SysAllocString(L"failed on purpose");
            excep->bstrHelpFile = ::SysAllocString(L"recorder.chm");
            excep->dwHelpContext = 1207;
        }
        return DISP_E_EXCEPTION;
    case kFailWith: {
        // Fails with the HRESULT given, without EXCEPINFO or error object.
        if (argc != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT code;
        ::VariantInit(&code);
        if (FAILED(::VariantChangeType(&code, &params->rgvarg[0], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
        ::SetErrorInfo(0, nullptr);
        return code.lVal;
    }
    case kFailInfo: {
        ComPtr<ICreateErrorInfo> create;
        ::CreateErrorInfo(create.GetAddressOf());
        create->SetSource(const_cast<LPOLESTR>(L"Runtime Error"));
        create->SetDescription(const_cast<LPOLESTR>(L"window not found"));
        ComPtr<IErrorInfo> info;
        create.As(&info);
        ::SetErrorInfo(0, info.Get());
        return E_FAIL;
    }
    case kSelf:
        if (result) {
            result->vt = VT_DISPATCH;
            result->pdispVal = this;
            AddRef();
        }
        return S_OK;
    case kCount: {
        LONG n = 0;
        for (UINT i = 0; i < argc; ++i) {
            const VARIANT& v = params->rgvarg[i];
            if (!(v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND)) ++n;
        }
        if (result) {
            result->vt = VT_I4;
            result->lVal = n * 100 + static_cast<LONG>(argc);
        }
        return S_OK;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

STDMETHODIMP TestSite::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown, ITypeInfo** info) {
    if (info) *info = nullptr;
    if (unknown) *unknown = nullptr;
    auto it = items.find(Lower(name));
    if (it == items.end()) return TYPE_E_ELEMENTNOTFOUND;
    if ((mask & SCRIPTINFO_IUNKNOWN) && unknown) {
        *unknown = it->second.Get();
        (*unknown)->AddRef();
    }
    return S_OK;
}

ReportedError ReadError(IActiveScriptError* error) {
    ReportedError r;
    error->GetSourcePosition(&r.cookie, &r.line, &r.column);
    common::Bstr line;
    if (SUCCEEDED(error->GetSourceLineText(line.put()))) r.lineText = line.str();
    common::ExcepInfo ei;
    error->GetExceptionInfo(ei.put());
    r.scode = ei->scode;
    r.source = ei.source();
    r.description = ei.description();
    return r;
}

STDMETHODIMP TestSite::OnScriptError(IActiveScriptError* error) {
    errors.push_back(ReadError(error));
    return onScriptErrorResult;
}

Harness::Harness() {
    stepscript::CreateEngine(IID_IActiveScript, reinterpret_cast<void**>(engine.GetAddressOf()));
    engine.As(&parse);
    site = common::Adopt(new TestSite());
    out = common::Adopt(new Recorder());
    site->items[L"out"] = out;
    engine->SetScriptSite(site.Get());
    parse->InitNew();
    engine->AddNamedItem(L"Out", SCRIPTITEM_ISVISIBLE);
}

Harness::~Harness() {
    if (engine) engine->Close();
}

HRESULT Harness::parseText(const std::wstring& text, DWORD_PTR cookie, ULONG startLine) {
    common::ExcepInfo ei;
    return parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, cookie, startLine,
                                  SCRIPTTEXT_ISVISIBLE | SCRIPTTEXT_ISPERSISTENT, nullptr, ei.put());
}

HRESULT Harness::start() { return engine->SetScriptState(SCRIPTSTATE_CONNECTED); }

HRESULT Harness::run(const std::wstring& text) {
    HRESULT hr = parseText(text);
    if (FAILED(hr)) return hr;
    return start();
}

std::wstring Eval(const std::wstring& expression) {
    Harness h;
    h.run(L"Out.Log " + expression + L"\n");
    if (!h.site->errors.empty()) return L"error: " + h.site->errors.back().description;
    return h.lines().empty() ? L"<nothing>" : h.lines().back();
}

} // namespace stepscript_test

namespace {

// Every test runs in a single-threaded apartment, like a host's script thread.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { apartment_.emplace(COINIT_APARTMENTTHREADED); }
    void TearDown() override { apartment_.reset(); }

private:
    std::optional<common::ComInit> apartment_;
};

const auto* const g_com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

} // namespace
