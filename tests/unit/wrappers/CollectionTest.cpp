#include "wrappers/core/Collection.h"
#include "common/ComInit.h"
#include "common/ExcepInfo.h"
#include <gtest/gtest.h>
#include <ole2.h>

using Microsoft::WRL::ComPtr;
using wrappers::Collection;

namespace {

class CollectionTest : public ::testing::Test {
protected:
    const common::ComInit apartment_{COINIT_APARTMENTTHREADED};

    void SetUp() override {
        items_ = Collection::create();
        for (LONG index : {4, 7, 9}) items_->append(index);
    }
    void TearDown() override {
        items_.Reset();
    }

    HRESULT item(VARIANT index, LONG* value) {
        VARIANT result;
        ::VariantInit(&result);
        HRESULT hr = items_->get_item(index, &result);
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(result.vt, VT_I4);
            *value = result.lVal;
        }
        ::VariantClear(&result);
        return hr;
    }
    static VARIANT i4(LONG n) {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = n;
        return v;
    }

    ComPtr<Collection> items_;
};

} // namespace

TEST_F(CollectionTest, ItemTakesSmallAndLongIndicesAndRejectsEverythingElse) {
    LONG value = 0;
    EXPECT_EQ(item(i4(1), &value), S_OK);
    EXPECT_EQ(value, 7);
    VARIANT small;
    ::VariantInit(&small);
    small.vt = VT_I2;
    small.iVal = 2;
    EXPECT_EQ(item(small, &value), S_OK);
    EXPECT_EQ(value, 9);

    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"1");
    EXPECT_EQ(item(text, &value), E_FAIL);
    ::VariantClear(&text);

    LONG count = 0;
    EXPECT_EQ(items_->get_count(&count), S_OK);
    EXPECT_EQ(count, 3);
}

TEST_F(CollectionTest, IndexOutsideTheElementsIsInvalidArgument) {
    LONG value = 0;
    EXPECT_EQ(item(i4(3), &value), E_INVALIDARG);
    EXPECT_EQ(item(i4(-1), &value), E_INVALIDARG);
    EXPECT_EQ(item(i4(0x7FFFFFFF), &value), E_INVALIDARG);
    EXPECT_EQ(Collection::create()->get_item(i4(0), nullptr), E_POINTER);
}

TEST_F(CollectionTest, ScriptsReachItemThroughIDispatch) {
    // The default member: what a script's items(1) calls.
    VARIANT arg = i4(0);
    DISPPARAMS params = {&arg, nullptr, 1, 0};
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(items_->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params, &result,
                             nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 4);

    arg = i4(5);
    common::ExcepInfo exception;
    HRESULT hr = items_->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &params, &result, exception.put(), nullptr);
    EXPECT_TRUE(FAILED(hr));
}

TEST_F(CollectionTest, EnumerationsShareOnePosition) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(items_->get__NewEnum(&unknown), S_OK);
    ComPtr<IEnumVARIANT> first, second;
    ASSERT_EQ(unknown.As(&first), S_OK);
    ComPtr<IUnknown> again;
    items_->get__NewEnum(&again);
    ASSERT_EQ(again.As(&second), S_OK);

    VARIANT values[2];
    ULONG fetched = 0;
    EXPECT_EQ(first->Next(2, values, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(values[0].lVal, 4);
    EXPECT_EQ(values[1].lVal, 7);
    // The second enumerator continues where the first stopped.
    EXPECT_EQ(second->Next(2, values, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(values[0].lVal, 9);
    EXPECT_EQ(first->Next(1, values, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    EXPECT_EQ(first->Reset(), S_OK);
    EXPECT_EQ(first->Skip(2), S_OK);
    EXPECT_EQ(second->Next(1, values, &fetched), S_OK);
    EXPECT_EQ(values[0].lVal, 9);
    EXPECT_EQ(first->Reset(), S_OK);
    EXPECT_EQ(first->Skip(10), S_FALSE);
    EXPECT_EQ(first->Next(1, values, &fetched), S_FALSE);
    ComPtr<IEnumVARIANT> clone;
    EXPECT_EQ(first->Clone(&clone), E_NOTIMPL);
}

TEST_F(CollectionTest, SavedIndicesLoadBackAppended) {
    ComPtr<IStream> stream;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ComPtr<IPersistStream> persist;
    ASSERT_EQ(items_.As(&persist), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    CLSID clsid;
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_NULL);
    ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);

    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ComPtr<Collection> loaded = Collection::create();
    loaded->append(1);
    ComPtr<IPersistStream> loadedPersist;
    ASSERT_EQ(loaded.As(&loadedPersist), S_OK);
    ASSERT_EQ(loadedPersist->Load(stream.Get()), S_OK);
    LONG count = 0;
    loaded->get_count(&count);
    ASSERT_EQ(count, 4);
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(loaded->get_item(i4(3), &result), S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, 9);
}

TEST_F(CollectionTest, TruncatedStreamLoadsNothing) {
    ComPtr<IStream> stream;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    const LONG claimed = 5;  // five elements announced, none written
    stream->Write(&claimed, sizeof claimed, nullptr);
    LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ComPtr<Collection> loaded = Collection::create();
    ComPtr<IPersistStream> persist;
    ASSERT_EQ(loaded.As(&persist), S_OK);
    EXPECT_TRUE(FAILED(persist->Load(stream.Get())));
    LONG count = -1;
    loaded->get_count(&count);
    EXPECT_EQ(count, 0);
}

TEST_F(CollectionTest, AddedObjectIsKeptAndReturnedAsObject) {
    ComPtr<Collection> other = Collection::create();
    EXPECT_EQ(items_->add(static_cast<ICollection*>(other.Get())), S_OK);
    EXPECT_EQ(items_->add(nullptr), E_POINTER);
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(items_->get_item(i4(3), &result), S_OK);
    EXPECT_EQ(result.vt, VT_DISPATCH);
    ::VariantClear(&result);
}
