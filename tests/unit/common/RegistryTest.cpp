#include "common/Registry.h"
#include "common/UniqueHandle.h"
#include <gtest/gtest.h>

using namespace common;

namespace {

const std::wstring kTestKey = L"Software\\Norwend\\TevrinUnitTest";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteRegTree(HKEY_CURRENT_USER, kTestKey); }
    void TearDown() override { DeleteRegTree(HKEY_CURRENT_USER, kTestKey); }
};

} // namespace

TEST_F(RegistryTest, WritesReadsAndDeletesNestedKeys) {
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kTestKey + L"\\A\\B", L"Value", L"text"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kTestKey + L"\\A", nullptr, L"default"));
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, kTestKey + L"\\A\\B", L"Value"), L"text");
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, kTestKey + L"\\A", nullptr), L"default");

    ASSERT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, kTestKey + L"\\A"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kTestKey + L"\\A"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kTestKey));
}

TEST_F(RegistryTest, MissingKeysReadEmptyAndDeleteQuietly) {
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, kTestKey + L"\\Nope", L"Value"), L"");
    EXPECT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, kTestKey + L"\\Nope"));
    EXPECT_TRUE(CreateRegKey(HKEY_CURRENT_USER, kTestKey + L"\\Empty"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kTestKey + L"\\Empty"));
}

TEST(Registry, GuidToStringUsesRegistryForm) {
    const GUID guid = {0x4D172DB8, 0xEB96, 0x44AA, {0xA3, 0x21, 0x13, 0x24, 0xEE, 0xA9, 0x02, 0x23}};
    EXPECT_EQ(GuidToString(guid), L"{4D172DB8-EB96-44AA-A321-1324EEA90223}");
}

TEST(UniqueHandle, ClosesOnResetAndNotAfterRelease) {
    UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE raw = event.get();
    DWORD flags = 0;
    event.reset();
    EXPECT_FALSE(event);
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));

    UniqueHandle kept(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE released = kept.release();
    EXPECT_FALSE(kept);
    EXPECT_TRUE(::GetHandleInformation(released, &flags));
    ::CloseHandle(released);
}

TEST(UniqueHandle, MoveTransfersOwnership) {
    UniqueHandle a(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    HANDLE raw = a.get();
    UniqueHandle b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), raw);
    UniqueHandle c;
    c = std::move(b);
    EXPECT_EQ(c.get(), raw);
}
