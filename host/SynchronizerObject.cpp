#include "host/SynchronizerObject.h"
#include <objbase.h>
#include <ole2.h>

namespace host {

Microsoft::WRL::ComPtr<IUnknown> CreateSynchronizerObject() {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"Wrappers.Synchronizer", &clsid))) return nullptr;
    Microsoft::WRL::ComPtr<IUnknown> unknown;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown,
                                  reinterpret_cast<void**>(unknown.GetAddressOf()))))
        return nullptr;
    ::OleRun(unknown.Get());
    return unknown;
}

} // namespace host
