#pragma once
#include "common/ScriptingGuids.h"
#include "debugservices/FreeThreadedObject.h"

namespace debugservices {

// The class behind CLSID_ProcessDebugManager. Every instance hands out the same
// default application of the process.
class ProcessDebugManager : public FreeThreadedObject<IProcessDebugManager> {
public:
    // IProcessDebugManager
    STDMETHODIMP CreateApplication(IDebugApplication** application) override;
    STDMETHODIMP GetDefaultApplication(IDebugApplication** application) override;
    STDMETHODIMP AddApplication(IDebugApplication* application, DWORD* cookie) override;
    STDMETHODIMP RemoveApplication(DWORD cookie) override;
    STDMETHODIMP CreateDebugDocumentHelper(IUnknown* outer, IDebugDocumentHelper** helper) override;
};

} // namespace debugservices
