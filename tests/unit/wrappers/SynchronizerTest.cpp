#include "wrappers/sync/Synchronizer.h"
#include "common/ComInit.h"
#include <gtest/gtest.h>

using Microsoft::WRL::ComPtr;

namespace {

ComPtr<ISynchronizer> createThroughFactory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(wrappers::getSynchronizerClassObject(IID_PPV_ARGS(&factory)), S_OK);
    ComPtr<ISynchronizer> object;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&object)), S_OK);
    return object;
}

// Any object that is not an HTML document.
class PlainObject : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    ULONG refs = 1;
};

class SynchronizerTest : public ::testing::Test {
protected:
    const common::ComInit apartment_{COINIT_APARTMENTTHREADED};
};

} // namespace

TEST_F(SynchronizerTest, EveryCreationGivesTheOneObjectAndItsAsyncFlag) {
    ComPtr<ISynchronizer> first = createThroughFactory();
    ComPtr<ISynchronizer> second = createThroughFactory();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first.Get(), second.Get());

    EXPECT_EQ(first->put_async(VARIANT_TRUE), S_OK);
    VARIANT_BOOL async = VARIANT_FALSE;
    EXPECT_EQ(second->get_async(&async), S_OK);
    EXPECT_EQ(async, VARIANT_TRUE);
    // Any non-zero value sets the flag.
    second->put_async(VARIANT_FALSE);
    first->put_async(static_cast<VARIANT_BOOL>(1));
    first->get_async(&async);
    EXPECT_EQ(async, VARIANT_TRUE);
    first->put_async(VARIANT_FALSE);
    first->get_async(&async);
    EXPECT_EQ(async, VARIANT_FALSE);
}

TEST_F(SynchronizerTest, FactoryRefusesAggregation) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(wrappers::getSynchronizerClassObject(IID_PPV_ARGS(&factory)), S_OK);
    ComPtr<IUnknown> object;
    PlainObject outer;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_PPV_ARGS(&object)), CLASS_E_NOAGGREGATION);
}

TEST_F(SynchronizerTest, SynchronizeReturnsAtOnceAndDropsWhatIsNoDocument) {
    ComPtr<ISynchronizer> sync = createThroughFactory();
    auto* object = static_cast<wrappers::Synchronizer*>(sync.Get());
    const size_t before = object->documentCount();
    EXPECT_EQ(sync->synchronize(), S_OK);

    PlainObject plain;
    EXPECT_EQ(sync->add_mshtml(&plain), S_OK);
    EXPECT_EQ(object->documentCount(), before + 1);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(sync->synchronize(), S_OK);
    EXPECT_LT(::GetTickCount64() - start, 5000u);
    EXPECT_EQ(object->documentCount(), 0u);
    // The marshalled reference was released with the entry.
    EXPECT_EQ(plain.refs, 1u);
}
