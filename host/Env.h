#pragma once
#include "common/ClassFactoryBase.h"
#include "common/ComObject.h"
#include "host/RecordKind.h"
#include "mardel.h"
#include <windows.h>

namespace host {

class ScriptHost;

// The automation object scripts and outside programs log through. It has no state of
// its own: every record goes to the application's log under the host lock.
class Env : public common::ComObject<IEnv> {
public:
    // A new instance with one reference, as IDispatch.
    static IDispatch* Create();
    // The host whose log and lock every Env uses (set once at start-up).
    static void SetHost(ScriptHost* host);

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

    // IEnv
    STDMETHODIMP LogError(BSTR strError) override;
    STDMETHODIMP LogInfo(BSTR strInfo) override;
    STDMETHODIMP LogWarning(BSTR strWarning) override;
    STDMETHODIMP Sleep(long nMilliSecs) override;

protected:
    Env();
    ~Env() override;
    bool QueryExtra(REFIID riid, void** ppv) override;

private:
    HRESULT Log(RecordKind kind, BSTR text);
};

// Class object of Env for the local server: every CreateInstance makes a new Env.
class EnvClassFactory : public common::ClassFactoryBase {
public:
    EnvClassFactory();
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
};

// The type information of IEnv, loaded once per process (registered library first,
// the program's own resource otherwise).
HRESULT GetEnvTypeInfo(ITypeInfo** typeInfo);

} // namespace host
