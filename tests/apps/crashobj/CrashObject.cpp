// An automation object ("Tevrin.TestCrash") whose methods crash: a stand-in for a faulty
// component that takes its caller's process down.
#include <windows.h>
#include <oaidl.h>

namespace {

// {5B0C9D4E-2F7A-4E41-9B3C-7D1A6E2F8C01}
const CLSID kCrashClass = {0x5b0c9d4e, 0x2f7a, 0x4e41, {0x9b, 0x3c, 0x7d, 0x1a, 0x6e, 0x2f, 0x8c, 0x01}};

class CrashObject : public IDispatch, public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch) {
            *object = static_cast<IDispatch*>(this);
        } else if (iid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    // One static object that lives as long as the DLL: nothing to count.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; i < count; ++i) ids[i] = 1;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
        return S_OK;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        return QueryInterface(iid, object);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

CrashObject g_object;

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (clsid != kCrashClass) return CLASS_E_CLASSNOTAVAILABLE;
    return g_object.QueryInterface(iid, object);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return S_FALSE; }
