#include "common/Bstr.h"
#include "common/ComError.h"
#include "common/ComObject.h"
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

TEST(ComBoundary, NothingEscapes) {
    EXPECT_EQ(ComBoundary([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw ComError(E_ACCESSDENIED); }), E_ACCESSDENIED);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { ThrowIfFailed(E_OUTOFMEMORY); return S_OK; }), E_OUTOFMEMORY);
    // A "failure" carrying a success code must still read as a failure.
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw ComError(S_OK); }), E_UNEXPECTED);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw std::runtime_error("boom"); }), E_UNEXPECTED);
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
