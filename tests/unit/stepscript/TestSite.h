#pragma once
// A small script host for the engine's tests: a site that records errors, an "Out"
// object scripts write to, and a helper that runs a script from start to end.
#include "common/ComObject.h"
#include "common/ExcepInfo.h"
#include "common/ScriptingGuids.h"
#include "common/UniqueHandle.h"
#include <wrl/client.h>
#include <map>
#include <string>
#include <vector>

namespace stepscript_test {

struct ReportedError {
    DWORD cookie = 0;
    ULONG line = 0;
    LONG column = 0;
    std::wstring lineText;
    HRESULT scode = S_OK;
    std::wstring source;
    std::wstring description;
};

// "Out": Log(value) records the value as text; Value is a read/write property; Fail
// raises through EXCEPINFO (with a help topic), FailWithErrorInfo through the error
// object, FailWith(hr) with a bare HRESULT; Self answers the object; Count(...) answers
// how many arguments were given and not left out.
class Recorder : public common::ComObject<IDispatch> {
public:
    std::vector<std::wstring> lines;
    std::wstring value;
    std::vector<int> putRefs;  // 1 for each PROPERTYPUTREF of Value, 0 for each PROPERTYPUT

    STDMETHODIMP GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                        UINT*) override;
};

class TestSite : public common::ComObject<IActiveScriptSite> {
public:
    std::vector<ReportedError> errors;
    std::map<std::wstring, Microsoft::WRL::ComPtr<IUnknown>> items;  // by lower-cased name
    HRESULT onScriptErrorResult = E_FAIL;

    STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown, ITypeInfo** info) override;
    STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override;
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }
};

ReportedError ReadError(IActiveScriptError* error);

// One engine with a site and "Out", ready for ParseScriptText.
struct Harness {
    Microsoft::WRL::ComPtr<IActiveScript> engine;
    Microsoft::WRL::ComPtr<IActiveScriptParse> parse;
    Microsoft::WRL::ComPtr<TestSite> site;
    Microsoft::WRL::ComPtr<Recorder> out;

    Harness();
    ~Harness();
    HRESULT parseText(const std::wstring& text, DWORD_PTR cookie = 7, ULONG startLine = 0);
    HRESULT start();
    // Parses and runs; the result of the run (S_OK, or the failure of parse or run).
    HRESULT run(const std::wstring& text);
    const std::vector<std::wstring>& lines() const { return out->lines; }
    std::wstring lastError() const { return site->errors.empty() ? L"" : site->errors.back().description; }
};

// Evaluates one expression through a script (Out.Log expr) and answers its text, or
// "error: <description>".
std::wstring Eval(const std::wstring& expression);

} // namespace stepscript_test
