#pragma once
// Calls members by name through IDispatch, the way script engines do, and keeps what a
// script would see of a failure: the HRESULT, the description and the source.
#include "common/Variant.h"
#include "wrappers.h"
#include <windows.h>
#include <oaidl.h>
#include <string>
#include <vector>
#include <wrl/client.h>

namespace e2e {

struct CallResult {
    HRESULT hr = E_FAIL;
    common::Variant value;
    std::wstring description;
    std::wstring source;

    bool ok() const { return SUCCEEDED(hr); }
    Microsoft::WRL::ComPtr<IDispatch> object() const;
    std::wstring text() const;
    long number() const;
};

// Arguments in the script's order.
CallResult call(IDispatch* object, const wchar_t* member, const std::vector<common::Variant>& args = {},
                WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET);
CallResult put(IDispatch* object, const wchar_t* member, const std::vector<common::Variant>& args,
               const common::Variant& value);

common::Variant Bool(bool value);

// A new Wrappers.WNDWrapper from the registered library.
Microsoft::WRL::ComPtr<IDispatch> newWrapper();

// The lower-case file name of the module that holds the object's first vtable:
// "wrappers.dll" for a wrapper called directly, a proxy library's name for a proxy.
std::wstring ServingModule(IUnknown* object);

// Path of a test application in the build's bin folder.
std::wstring BinPath(const wchar_t* fileName);

// Ends every process running the given program file name (a test's leftovers).
void KillProcesses(const wchar_t* exeName);

// Waits for a top-level window with this title (any process).
HWND WaitForTitle(const wchar_t* title, DWORD milliseconds);

} // namespace e2e
