#include "wrappers/core/WrapperError.h"
#include "common/Bstr.h"
#include <gtest/gtest.h>
#include <oleauto.h>
#include <wrl/client.h>
#include <new>
#include <stdexcept>

using wrappers::WrapperCall;

TEST(WrapperCall, TurnsEveryFailureIntoItsHResult) {
    EXPECT_EQ(WrapperCall([] { return S_FALSE; }), S_FALSE);
    EXPECT_EQ(WrapperCall([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(WrapperCall([]() -> HRESULT { throw std::runtime_error("bad pattern"); }), E_UNEXPECTED);
    EXPECT_EQ(WrapperCall([]() -> HRESULT { throw common::ComError(E_ACCESSDENIED); }), E_ACCESSDENIED);
}

TEST(WrapperCall, ReportsAMessageThroughTheErrorObject) {
    ::SetErrorInfo(0, nullptr);
    EXPECT_TRUE(FAILED(WrapperCall([]() -> HRESULT { throw wrappers::WrapperError(L"Window not found"); })));
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    ASSERT_EQ(::GetErrorInfo(0, info.GetAddressOf()), S_OK);
    common::Bstr description;
    info->GetDescription(description.put());
    EXPECT_EQ(description.str(), L"Window not found");
}
