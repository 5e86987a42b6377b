#pragma once
#include "common/ComObject.h"
#include "stepscript/runtime/ScriptError.h"
#include "stepscript/runtime/Value.h"
#include <oaidl.h>
#include <string>

namespace stepscript {

// The script's Err object: Number (its default property), Description, Source,
// HelpFile, HelpContext, Raise and Clear. Raise fails the call with DISP_E_EXCEPTION,
// so the raised error travels like any failing COM call.
class ErrObject : public common::ComObject<IDispatch> {
public:
    // Remembers an error caught by On Error Resume Next.
    void set(const ScriptError& error);
    void clear();
    HRESULT number() const { return hr_; }
    const std::wstring& source() const { return source_; }
    // The description, or the language's text for a known number left without one.
    std::wstring description() const;
    // Err.Raise: sets the properties (arguments left out keep the values not yet
    // cleared) and gives the error to throw.
    ScriptError raise(LONG number, const Value* source, const Value* description, const Value* helpFile,
                      const Value* helpContext);

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argError) override;

    // Err.Number of an HRESULT: the low word for the script facility, else the HRESULT.
    static LONG NumberOf(HRESULT hr);
    static HRESULT HresultOf(LONG number);

private:
    HRESULT hr_ = S_OK;
    std::wstring source_;
    std::wstring description_;
    std::wstring helpFile_;
    LONG helpContext_ = 0;
};

} // namespace stepscript
