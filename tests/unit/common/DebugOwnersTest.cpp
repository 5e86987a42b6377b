#include "common/DebugOwners.h"
#include <gtest/gtest.h>

using namespace common;
using Microsoft::WRL::ComPtr;

namespace {

int g_live = 0;

// Counts the objects alive so a test sees every reference given back.
template <typename I>
class Counted : public ComObject<I> {
public:
    Counted() { ++g_live; }

protected:
    ~Counted() override { --g_live; }
};

class FakeFrame : public Counted<IDebugStackFrame> {
public:
    STDMETHODIMP GetCodeContext(IDebugCodeContext**) override { return E_NOTIMPL; }
    STDMETHODIMP GetDescriptionString(BOOL, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetLanguageString(BOOL, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetThread(IDebugApplicationThread**) override { return E_NOTIMPL; }
    STDMETHODIMP GetDebugProperty(IDebugProperty**) override { return E_NOTIMPL; }
};

class FakeProperty : public Counted<IDebugProperty> {
public:
    STDMETHODIMP GetPropertyInfo(DWORD, UINT, DebugPropertyInfo*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtendedInfo(ULONG, GUID*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP SetValueAsString(LPCOLESTR, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP EnumMembers(DWORD, UINT, REFIID, IEnumDebugPropertyInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetParent(IDebugProperty**) override { return E_NOTIMPL; }
};

class FakeFinal : public Counted<IPersist> {
public:
    STDMETHODIMP GetClassID(CLSID* id) override { *id = CLSID_NULL; return S_OK; }
};

// What an enumerator's Next leaves in its caller's descriptor.
void FillDescriptor(DebugStackFrameDescriptor* d) {
    d->pdsf = new FakeFrame;
    d->punkFinal = new FakeFinal;
    d->dwMin = 4;
}

void FillProperty(DebugPropertyInfo* info, const wchar_t* name) {
    info->m_bstrName = ::SysAllocString(name);
    info->m_bstrValue = ::SysAllocString(L"42");
    info->m_bstrType = ::SysAllocString(L"Integer");
    info->m_pDebugProp = new FakeProperty;
}

} // namespace

TEST(StackFrameDescriptor, ReleasesTheFrameAndTheFinalObject) {
    {
        StackFrameDescriptor d;
        FillDescriptor(d.put());
        EXPECT_EQ(g_live, 2);
        EXPECT_EQ(d->dwMin, 4u);
        // Reuse gives back what the previous call handed out.
        FillDescriptor(d.put());
        EXPECT_EQ(g_live, 2);
    }
    EXPECT_EQ(g_live, 0);
}

TEST(StackFrameDescriptor, HandsTheFrameOverWithoutAnExtraReference) {
    ComPtr<IDebugStackFrame> frame;
    {
        StackFrameDescriptor d;
        FillDescriptor(d.put());
        frame = d.takeFrame();
        EXPECT_EQ(d.frame(), nullptr);
    }
    EXPECT_EQ(g_live, 1);
    frame.Reset();
    EXPECT_EQ(g_live, 0);
}

TEST(PropertyInfos, ReadsEveryRecordAndReleasesItsProperties) {
    ComPtr<IDebugProperty> kept;
    {
        PropertyInfos infos(2);
        DebugPropertyInfo* records = infos.put();
        FillProperty(&records[0], L"x");
        FillProperty(&records[1], L"y");
        EXPECT_EQ(g_live, 2);
        EXPECT_EQ(infos.name(1), L"y");
        EXPECT_EQ(infos.value(0), L"42");
        EXPECT_EQ(infos.type(0), L"Integer");
        EXPECT_EQ(infos.fullName(0), L"");
        kept = infos.takeProperty(0);
        EXPECT_EQ(infos[0].m_pDebugProp, nullptr);
    }
    EXPECT_EQ(g_live, 1);
    kept.Reset();
    EXPECT_EQ(g_live, 0);
}
