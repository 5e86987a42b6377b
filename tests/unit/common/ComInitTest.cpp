#include "common/ComInit.h"
#include <gtest/gtest.h>
#include <thread>

using common::ComInit;

namespace {

// The apartment the calling thread is in, probed without leaving it changed.
bool InSingleThreadedApartment() {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(hr)) ::CoUninitialize();
    return hr == S_FALSE;
}

} // namespace

TEST(ComInit, LeavesOnlyAnApartmentItEntered) {
    std::thread([] {
        {
            const ComInit apartment(COINIT_APARTMENTTHREADED);
            ASSERT_EQ(apartment.result(), S_OK);
            {
                // The other kind is refused and must not end the apartment already there.
                const ComInit refused(COINIT_MULTITHREADED);
                EXPECT_EQ(refused.result(), RPC_E_CHANGED_MODE);
            }
            EXPECT_TRUE(InSingleThreadedApartment());
            {
                const ComInit again(COINIT_APARTMENTTHREADED);
                EXPECT_EQ(again.result(), S_FALSE);
            }
            EXPECT_TRUE(InSingleThreadedApartment());
        }
        EXPECT_FALSE(InSingleThreadedApartment());
    }).join();
}
