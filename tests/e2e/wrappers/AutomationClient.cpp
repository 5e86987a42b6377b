#include "AutomationClient.h"
#include "common/ComInit.h"
#include "common/ExcepInfo.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <cwctype>
#include <optional>

using Microsoft::WRL::ComPtr;

namespace e2e {
namespace {

// One single-threaded apartment for the whole run, as a script thread has: joining and
// leaving COM around every test would unload and reload the library each time.
class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { apartment_.emplace(COINIT_APARTMENTTHREADED); }
    void TearDown() override { apartment_.reset(); }

private:
    std::optional<common::ComInit> apartment_;
};

::testing::Environment* const g_com = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

} // namespace

ComPtr<IDispatch> CallResult::object() const {
    ComPtr<IDispatch> result;
    if (value.type() == VT_DISPATCH && value.get()->pdispVal) result = value.get()->pdispVal;
    return result;
}

std::wstring CallResult::text() const {
    std::wstring s;
    value.toString(s);
    return s;
}

long CallResult::number() const {
    long n = 0;
    value.toLong(n);
    return n;
}

namespace {

CallResult invoke(IDispatch* object, const wchar_t* member, std::vector<common::Variant> args, WORD flags,
                  const common::Variant* putValue) {
    CallResult result;
    if (!object) {
        result.hr = E_POINTER;
        result.description = L"no object";
        return result;
    }
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    result.hr = object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(result.hr)) return result;
    if (putValue) args.push_back(*putValue);
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->get());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), putValue ? &named : nullptr,
                         static_cast<UINT>(reversed.size()), putValue ? 1u : 0u};
    common::ExcepInfo exception;
    ::SetErrorInfo(0, nullptr);
    result.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, putValue ? nullptr : result.value.put(),
                               exception.put(), nullptr);
    if (result.hr == DISP_E_EXCEPTION) {
        exception.fillIn();
        result.hr = exception->scode ? exception->scode : E_FAIL;
        result.description = exception.description();
        result.source = exception.source();
    } else if (FAILED(result.hr)) {
        ComPtr<IErrorInfo> info;
        if (::GetErrorInfo(0, &info) == S_OK && info) {
            common::Bstr text;
            if (SUCCEEDED(info->GetDescription(text.put()))) result.description = text.str();
            if (SUCCEEDED(info->GetSource(text.put()))) result.source = text.str();
        }
    }
    return result;
}

} // namespace

CallResult call(IDispatch* object, const wchar_t* member, const std::vector<common::Variant>& args, WORD flags) {
    return invoke(object, member, args, flags, nullptr);
}

CallResult put(IDispatch* object, const wchar_t* member, const std::vector<common::Variant>& args,
               const common::Variant& value) {
    return invoke(object, member, args, DISPATCH_PROPERTYPUT, &value);
}

common::Variant Bool(bool value) {
    common::Variant v;
    v.get()->vt = VT_BOOL;
    v.get()->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

ComPtr<IDispatch> newWrapper() {
    ComPtr<IDispatch> wrapper;
    CLSID clsid;
    HRESULT hr = ::CLSIDFromProgID(L"Wrappers.WNDWrapper", &clsid);
    if (SUCCEEDED(hr)) hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&wrapper));
    if (FAILED(hr)) ADD_FAILURE() << "Wrappers.WNDWrapper cannot be created: 0x" << std::hex << hr;
    return wrapper;
}

std::wstring ServingModule(IUnknown* object) {
    if (!object) return L"";
    const void* vtable = *reinterpret_cast<void* const*>(object);
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(vtable), &module))
        return L"";
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L"\\/") + 1);
    for (wchar_t& c : name) c = static_cast<wchar_t>(::towlower(c));
    return name;
}

std::wstring BinPath(const wchar_t* fileName) { return std::wstring(TEVRIN_BIN_DIR) + L"\\" + fileName; }

void KillProcesses(const wchar_t* exeName) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (::lstrcmpiW(entry.szExeFile, exeName) != 0) continue;
        if (HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, 5000);
            ::CloseHandle(process);
        }
    }
    ::CloseHandle(snapshot);
}

HWND WaitForTitle(const wchar_t* title, DWORD milliseconds) {
    const ULONGLONG start = ::GetTickCount64();
    do {
        if (HWND window = ::FindWindowW(nullptr, title)) return window;
        ::Sleep(100);
    } while (::GetTickCount64() - start < milliseconds);
    return nullptr;
}

} // namespace e2e
