#include "common/Bstr.h"
#include "common/ComError.h"
#include "common/ClassFactoryBase.h"
#include "common/ComInit.h"
#include "common/ComObject.h"
#include "common/FreeThreaded.h"
#include "common/ModuleLock.h"
#include "common/Variant.h"
#include <gtest/gtest.h>
#include <ocidl.h>
#include <stdexcept>

using namespace common;

namespace {

int g_liveObjects = 0;

class TwoFaces : public ComObject<IPersist, IOleWindow> {
public:
    TwoFaces() { ++g_liveObjects; }
    STDMETHODIMP GetClassID(CLSID* id) override { *id = CLSID_NULL; return S_OK; }
    STDMETHODIMP GetWindow(HWND* window) override { *window = nullptr; return S_OK; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

protected:
    ~TwoFaces() override { --g_liveObjects; }
};

// A stream answering through its bases, as a persistence object does.
class Persisted : public ComObject<WithBases<IPersistStream, IPersist>> {
public:
    explicit Persisted(ModuleLock* outside = nullptr) {
        ++g_liveObjects;
        if (outside) countOutsideReferencesIn(*outside);
    }
    STDMETHODIMP GetClassID(CLSID* id) override { *id = CLSID_NULL; return S_OK; }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream*) override { return S_OK; }
    STDMETHODIMP Save(IStream*, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

protected:
    ~Persisted() override { --g_liveObjects; }
};

class Shared : public FreeThreaded<IPersist> {
public:
    STDMETHODIMP GetClassID(CLSID* id) override { *id = CLSID_NULL; return S_OK; }
};

class Factory : public ClassFactoryBase {
public:
    explicit Factory(ModuleLock& module) : ClassFactoryBase(module) {}
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void**) override { return E_NOTIMPL; }
};

} // namespace

TEST(ComObject, AnswersItsInterfacesWithOneIdentity) {
    auto* object = new TwoFaces;
    IUnknown* viaPersist = nullptr;
    IUnknown* viaWindow = nullptr;
    IOleWindow* window = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaPersist)), S_OK);
    ASSERT_EQ(window->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaWindow)), S_OK);
    EXPECT_EQ(viaPersist, viaWindow);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(object->QueryInterface(IID_IDispatch, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_IDispatch, nullptr), E_POINTER);

    viaPersist->Release();
    viaWindow->Release();
    window->Release();
    EXPECT_EQ(g_liveObjects, 1);
    object->Release();
    EXPECT_EQ(g_liveObjects, 0);
}

TEST(ComObject, AnswersTheBasesOfAnInterfaceListedWithThem) {
    auto object = Adopt(new Persisted);
    Microsoft::WRL::ComPtr<IPersist> persist;
    Microsoft::WRL::ComPtr<IUnknown> unknown;
    ASSERT_EQ(object->QueryInterface(IID_IPersist, reinterpret_cast<void**>(persist.GetAddressOf())), S_OK);
    ASSERT_EQ(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf())), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(persist.Get()), unknown.Get());
    void* none = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IPersistFile, &none), E_NOINTERFACE);
}

TEST(ComObject, CountsOnlyOutsideReferencesOfAKeptObjectInTheModule) {
    ModuleLock module;
    int zeroes = 0;
    module.setOnZero([&] { ++zeroes; });
    Microsoft::WRL::ComPtr<Persisted> kept = Adopt(new Persisted(&module));
    EXPECT_EQ(module.count(), 0);
    {
        Microsoft::WRL::ComPtr<Persisted> outside = kept;
        Microsoft::WRL::ComPtr<Persisted> another = kept;
        EXPECT_EQ(module.count(), 1);
    }
    EXPECT_EQ(module.count(), 0);
    EXPECT_EQ(zeroes, 1);
    kept.Reset();
    EXPECT_EQ(g_liveObjects, 0);
}

TEST(ModuleLock, HoldsAndServerLocksCountUntilReleased) {
    ModuleLock module;
    auto factory = Adopt(new Factory(module));
    {
        ModuleHold hold(module);
        EXPECT_EQ(factory->LockServer(TRUE), S_OK);
        EXPECT_EQ(module.count(), 2);
    }
    EXPECT_EQ(module.count(), 1);
    factory->LockServer(FALSE);
    EXPECT_EQ(module.count(), 0);
}

TEST(FreeThreaded, AnswersTheMarshalerWithoutKeepingAnExtraReference) {
    const ComInit apartment(COINIT_MULTITHREADED);
    {
        auto object = Adopt(new Shared);
        Microsoft::WRL::ComPtr<IMarshal> marshal;
        ASSERT_EQ(object->QueryInterface(IID_IMarshal, reinterpret_cast<void**>(marshal.GetAddressOf())), S_OK);
        // One reference for the caller of each: the object's count is back to one after.
        marshal.Reset();
        EXPECT_EQ(object->AddRef(), 2u);
        EXPECT_EQ(object->Release(), 1u);
    }
}

TEST(ComBoundary, NothingEscapes) {
    EXPECT_EQ(ComBoundary([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw ComError(E_ACCESSDENIED); }), E_ACCESSDENIED);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { ThrowIfFailed(E_OUTOFMEMORY); return S_OK; }), E_OUTOFMEMORY);
    // A "failure" carrying a success code must still read as a failure.
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw ComError(S_OK); }), E_UNEXPECTED);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw std::runtime_error("boom"); }), E_UNEXPECTED);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
}

TEST(Bstr, OwnsCopiesAndHandsOver) {
    Bstr a(L"text");
    Bstr b = a;
    EXPECT_NE(a.get(), b.get());
    EXPECT_EQ(b.str(), L"text");
    BSTR raw = b.release();
    EXPECT_EQ(b.get(), nullptr);
    EXPECT_EQ(::SysStringLen(raw), 4u);
    ::SysFreeString(raw);
    EXPECT_EQ(Bstr().str(), L"");
    EXPECT_EQ(Bstr(std::wstring(L"a\0b", 3)).length(), 3u);
}

TEST(Variant, ConvertsAndDetaches) {
    Variant number(42L);
    std::wstring text;
    ASSERT_TRUE(number.toString(text));
    EXPECT_EQ(text, L"42");
    long n = 0;
    EXPECT_TRUE(Variant(L"17").toLong(n));
    EXPECT_EQ(n, 17);
    EXPECT_FALSE(Variant(L"seventeen").toLong(n));

    VARIANT out;
    Variant(L"moved").detach(&out);
    EXPECT_EQ(out.vt, VT_BSTR);
    EXPECT_STREQ(out.bstrVal, L"moved");
    ::VariantClear(&out);
}
