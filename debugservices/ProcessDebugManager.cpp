#include "debugservices/ProcessDebugManager.h"
#include "common/ComError.h"
#include "debugservices/DebugApplication.h"
#include "debugservices/DocumentHelper.h"
#include <map>
#include <mutex>

using Microsoft::WRL::ComPtr;

namespace debugservices {
namespace {

std::mutex g_mutex;
// The process's default application lives until the process ends and is never
// released: releasing it while the process unloads would call into engines and
// debuggers whose modules may be gone already. It keeps this module loaded.
DebugApplication* g_defaultApplication = nullptr;
std::map<DWORD, ComPtr<IDebugApplication>>& AddedApplications() {
    static auto* added = new std::map<DWORD, ComPtr<IDebugApplication>>();
    return *added;
}
DWORD g_nextApplicationCookie = 1;

} // namespace

STDMETHODIMP ProcessDebugManager::CreateApplication(IDebugApplication** application) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!application) return E_POINTER;
        *application = new DebugApplication();
        return S_OK;
    });
}

STDMETHODIMP ProcessDebugManager::GetDefaultApplication(IDebugApplication** application) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!application) return E_POINTER;
        *application = nullptr;
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_defaultApplication) g_defaultApplication = new DebugApplication();
        *application = ComPtr<IDebugApplication>(g_defaultApplication).Detach();
        return S_OK;
    });
}

STDMETHODIMP ProcessDebugManager::AddApplication(IDebugApplication* application, DWORD* cookie) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!cookie) return E_POINTER;
        *cookie = 0;
        if (!application) return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(g_mutex);
        AddedApplications()[g_nextApplicationCookie] = application;
        *cookie = g_nextApplicationCookie++;
        return S_OK;
    });
}

STDMETHODIMP ProcessDebugManager::RemoveApplication(DWORD cookie) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<IDebugApplication> removed;
        std::lock_guard<std::mutex> lock(g_mutex);
        auto found = AddedApplications().find(cookie);
        if (found == AddedApplications().end()) return E_INVALIDARG;
        removed = found->second;
        AddedApplications().erase(found);
        return S_OK;
    });
}

STDMETHODIMP ProcessDebugManager::CreateDebugDocumentHelper(IUnknown* outer, IDebugDocumentHelper** helper) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!helper) return E_POINTER;
        *helper = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        *helper = new DocumentHelper();
        return S_OK;
    });
}

} // namespace debugservices
