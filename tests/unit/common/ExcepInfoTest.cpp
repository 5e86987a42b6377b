#include "common/ExcepInfo.h"
#include <gtest/gtest.h>

using namespace common;

namespace {

int g_fillIns = 0;

HRESULT STDAPICALLTYPE FillLater(EXCEPINFO* info) {
    ++g_fillIns;
    info->bstrSource = ::SysAllocString(L"Late");
    info->bstrDescription = ::SysAllocString(L"filled in on demand");
    info->scode = E_ACCESSDENIED;
    return S_OK;
}

// What a component's Invoke leaves in its caller's structure.
void Raise(EXCEPINFO* info, const wchar_t* description) {
    info->bstrSource = ::SysAllocString(L"Component");
    info->bstrDescription = ::SysAllocString(description);
    info->bstrHelpFile = ::SysAllocString(L"help.chm");
    info->wCode = 1001;
}

} // namespace

TEST(ExcepInfo, ReadsTheTextAndClearsItBeforeReuse) {
    ExcepInfo info;
    EXPECT_EQ(info.description(), L"");
    Raise(info.put(), L"first");
    EXPECT_EQ(info.source(), L"Component");
    EXPECT_EQ(info.description(), L"first");
    EXPECT_EQ(info.helpFile(), L"help.chm");
    EXPECT_EQ(info.code(), 1001);

    // A second call starts from a clean structure: nothing of the first is left.
    EXCEPINFO* again = info.put();
    EXPECT_EQ(again->bstrSource, nullptr);
    EXPECT_EQ(again->bstrDescription, nullptr);
    EXPECT_EQ(again->wCode, 0);
    again->scode = E_FAIL;
    EXPECT_EQ(info.code(), E_FAIL);
}

TEST(ExcepInfo, HandsOutStringsItNoLongerOwns) {
    ExcepInfo info;
    Raise(info.put(), L"kept");
    BSTR description = info.releaseDescription();
    BSTR source = info.releaseSource();
    EXPECT_EQ(info->bstrDescription, nullptr);
    EXPECT_EQ(info->bstrSource, nullptr);
    EXPECT_EQ(info.helpFile(), L"help.chm");
    EXPECT_EQ(BstrText(description), L"kept");
    ::SysFreeString(description);
    ::SysFreeString(source);
}

TEST(ExcepInfo, RunsADeferredFillInOnce) {
    g_fillIns = 0;
    ExcepInfo info;
    info.put()->pfnDeferredFillIn = FillLater;
    info.fillIn();
    info.fillIn();
    EXPECT_EQ(g_fillIns, 1);
    EXPECT_EQ(info.description(), L"filled in on demand");
    EXPECT_EQ(info.code(), E_ACCESSDENIED);
}

TEST(BstrText, KeepsEmbeddedNulsAndReadsNullAsEmpty) {
    EXPECT_EQ(BstrText(nullptr), L"");
    Bstr withNul(std::wstring(L"a\0b", 3));
    EXPECT_EQ(BstrText(withNul.get()), std::wstring(L"a\0b", 3));
}
