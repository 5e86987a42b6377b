#include "wrappers/core/RegistrySnapshot.h"
#include "common/Registry.h"
#include <gtest/gtest.h>

using wrappers::RegistrySnapshot;

namespace {

const wchar_t kKey[] = L"Software\\TevrinTest\\Snapshot";

class RegistrySnapshotTest : public ::testing::Test {
protected:
    void SetUp() override { common::DeleteRegTree(HKEY_CURRENT_USER, L"Software\\TevrinTest"); }
    void TearDown() override { common::DeleteRegTree(HKEY_CURRENT_USER, L"Software\\TevrinTest"); }
};

} // namespace

TEST_F(RegistrySnapshotTest, RestoresValuesAndSubkeysExactly) {
    ASSERT_TRUE(common::SetRegString(HKEY_CURRENT_USER, kKey, nullptr, L"IAccessible"));
    ASSERT_TRUE(common::SetRegString(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\ProxyStubClsid32", nullptr, L"{proxy}"));
    ASSERT_TRUE(common::CreateRegKey(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Empty"));
    const RegistrySnapshot before = RegistrySnapshot::capture(HKEY_CURRENT_USER, kKey);
    ASSERT_TRUE(before.existed());

    // What a type library registration does to the key.
    common::SetRegString(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\ProxyStubClsid32", nullptr, L"{other}");
    common::SetRegString(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\TypeLib", nullptr, L"{lib}");
    common::DeleteRegTree(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Empty");
    EXPECT_FALSE(before == RegistrySnapshot::capture(HKEY_CURRENT_USER, kKey));

    ASSERT_TRUE(before.restore(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(before == RegistrySnapshot::capture(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(common::GetRegString(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\ProxyStubClsid32", nullptr), L"{proxy}");
    EXPECT_FALSE(common::RegKeyExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\TypeLib"));
    EXPECT_TRUE(common::RegKeyExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Empty"));
}

TEST_F(RegistrySnapshotTest, AbsentKeyIsRemovedAgain) {
    const RegistrySnapshot before = RegistrySnapshot::capture(HKEY_CURRENT_USER, kKey);
    EXPECT_FALSE(before.existed());
    common::SetRegString(HKEY_CURRENT_USER, kKey, nullptr, L"created meanwhile");
    ASSERT_TRUE(before.restore(HKEY_CURRENT_USER, kKey));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CURRENT_USER, kKey));
}

TEST_F(RegistrySnapshotTest, RestoresInTheViewItWasTakenFrom) {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        ASSERT_TRUE(common::SetRegString(HKEY_CURRENT_USER, kKey, nullptr, L"IAccessible"));
        const RegistrySnapshot before = RegistrySnapshot::capture(HKEY_CURRENT_USER, kKey, view);
        ASSERT_TRUE(before.existed());
        common::SetRegString(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\TypeLib", nullptr, L"{lib}");
        EXPECT_FALSE(before == RegistrySnapshot::capture(HKEY_CURRENT_USER, kKey, view));

        ASSERT_TRUE(before.restore(HKEY_CURRENT_USER, kKey, view));
        EXPECT_TRUE(before == RegistrySnapshot::capture(HKEY_CURRENT_USER, kKey, view));
        EXPECT_FALSE(common::RegKeyExists(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\TypeLib"));

        const RegistrySnapshot absent = RegistrySnapshot::capture(HKEY_CURRENT_USER, L"Software\\TevrinTest\\None", view);
        common::SetRegString(HKEY_CURRENT_USER, L"Software\\TevrinTest\\None", nullptr, L"created meanwhile");
        ASSERT_TRUE(absent.restore(HKEY_CURRENT_USER, L"Software\\TevrinTest\\None", view));
        EXPECT_FALSE(common::RegKeyExists(HKEY_CURRENT_USER, L"Software\\TevrinTest\\None"));
    }
}
