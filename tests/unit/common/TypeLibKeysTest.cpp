// The keys that register a type library under a classes root of our choosing (the
// per-user registration of a copy nobody installed).
#include "common/ComInit.h"
#include "common/Registry.h"
#include "common/TypeLibKeys.h"
#include "common/UniqueHandle.h"
#include <gtest/gtest.h>
#include <oleauto.h>
#include <wrl/client.h>

namespace {

const wchar_t kScratch[] = L"Software\\Tevrin tests\\TypeLibKeys";
const std::wstring kProxy = L"{00020424-0000-0000-C000-000000000046}";

class TypeLibKeys : public ::testing::Test {
protected:
    void SetUp() override {
        common::DeleteRegTree(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, root_.put(),
                                    nullptr),
                  ERROR_SUCCESS);
        // The program's own type library: MardelLib, with the dual interface IEnv.
        ASSERT_EQ(::LoadTypeLibEx(file_.c_str(), REGKIND_NONE, library_.GetAddressOf()), S_OK);
        TLIBATTR* attributes = nullptr;
        ASSERT_EQ(library_->GetLibAttr(&attributes), S_OK);
        libId_ = common::GuidToString(attributes->guid);
        library_->ReleaseTLibAttr(attributes);
        Microsoft::WRL::ComPtr<ITypeInfo> env;
        ASSERT_EQ(library_->GetTypeInfoOfGuid(kEnvInterface, env.GetAddressOf()), S_OK);
    }
    void TearDown() override {
        root_.reset();
        common::DeleteRegTree(HKEY_CURRENT_USER, L"Software\\Tevrin tests");
    }

    std::wstring Interface(REFIID iid) const { return L"Interface\\" + common::GuidToString(iid); }

    // IEnv, as the type library declares it.
    const IID kEnvInterface = {0x2E5790C8, 0x7460, 0x4033, {0xAA, 0xA8, 0x12, 0xEB, 0x94, 0xA6, 0x3E, 0x52}};
    const std::wstring file_ = std::wstring(TEVRIN_DIST_DIR) + L"\\Tevrin.exe";
    const common::ComInit apartment_{COINIT_APARTMENTTHREADED};
    common::UniqueRegKey root_;
    Microsoft::WRL::ComPtr<ITypeLib> library_;
    std::wstring libId_;
};

} // namespace

TEST_F(TypeLibKeys, WritesTheLibraryForBothLocalesAndItsInterfacesForTheMarshaller) {
    ASSERT_TRUE(common::WriteTypeLibKeys(root_.get(), library_.Get(), file_, nullptr));
    const std::wstring version = L"TypeLib\\" + libId_ + L"\\1.0\\";
    const wchar_t* platform = sizeof(void*) == 8 ? L"win64" : L"win32";
    EXPECT_EQ(common::GetRegString(root_.get(), version + L"0\\" + platform, nullptr), file_);
    EXPECT_EQ(common::GetRegString(root_.get(), version + L"409\\" + platform, nullptr), file_);
    EXPECT_EQ(common::GetRegString(root_.get(), version + L"FLAGS", nullptr), L"0");
    EXPECT_EQ(common::GetRegString(root_.get(), Interface(kEnvInterface) + L"\\ProxyStubClsid32", nullptr), kProxy);
    EXPECT_EQ(common::GetRegString(root_.get(), Interface(kEnvInterface) + L"\\TypeLib", nullptr), libId_);
    EXPECT_EQ(common::GetRegString(root_.get(), Interface(kEnvInterface) + L"\\TypeLib", L"Version"), L"1.0");
    // Nothing went to the machine's classes.
    EXPECT_FALSE(common::RegKeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\TypeLib\\" + libId_ + L"\\1.0\\409"));
}

TEST_F(TypeLibKeys, SkipsTheNamedInterfaceAndRemovesOnlyWhatNamesTheLibrary) {
    ASSERT_TRUE(common::WriteTypeLibKeys(root_.get(), library_.Get(), file_, &kEnvInterface));
    EXPECT_FALSE(common::RegKeyExists(root_.get(), Interface(kEnvInterface)));

    // An interface key of another library under the same IID is not ours to delete.
    ASSERT_TRUE(common::SetRegString(root_.get(), Interface(kEnvInterface) + L"\\TypeLib", nullptr,
                                     L"{11111111-2222-3333-4444-555555555555}"));
    ASSERT_TRUE(common::DeleteTypeLibKeys(root_.get(), library_.Get(), nullptr));
    EXPECT_FALSE(common::RegKeyExists(root_.get(), L"TypeLib\\" + libId_));
    EXPECT_TRUE(common::RegKeyExists(root_.get(), Interface(kEnvInterface)));

    ASSERT_TRUE(common::WriteTypeLibKeys(root_.get(), library_.Get(), file_, nullptr));
    ASSERT_TRUE(common::DeleteTypeLibKeys(root_.get(), library_.Get(), nullptr));
    EXPECT_FALSE(common::RegKeyExists(root_.get(), Interface(kEnvInterface)));
}

TEST_F(TypeLibKeys, RemovesTheContainersAnUnregistrationLeftEmptyAndNothingElse) {
    const std::wstring classes = std::wstring(kScratch) + L"\\Classes";
    ASSERT_TRUE(common::CreateRegKey(HKEY_CURRENT_USER, classes + L"\\CLSID"));
    ASSERT_TRUE(common::CreateRegKey(HKEY_CURRENT_USER, classes + L"\\AppID"));
    ASSERT_TRUE(common::CreateRegKey(HKEY_CURRENT_USER, classes + L"\\Interface\\{another program's}"));
    ASSERT_TRUE(common::SetRegString(HKEY_CURRENT_USER, classes + L"\\TypeLib", L"kept", L"a value"));
    common::RemoveEmptyClasses(HKEY_CURRENT_USER, classes);
    EXPECT_FALSE(common::RegKeyExists(HKEY_CURRENT_USER, classes + L"\\CLSID"));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CURRENT_USER, classes + L"\\AppID"));
    EXPECT_TRUE(common::RegKeyExists(HKEY_CURRENT_USER, classes + L"\\Interface\\{another program's}"));
    EXPECT_TRUE(common::RegKeyExists(HKEY_CURRENT_USER, classes + L"\\TypeLib"));

    // Once everything in them is gone, the classes key goes too.
    common::DeleteRegTree(HKEY_CURRENT_USER, classes + L"\\Interface\\{another program's}");
    common::DeleteRegTree(HKEY_CURRENT_USER, classes + L"\\TypeLib");
    ASSERT_TRUE(common::CreateRegKey(HKEY_CURRENT_USER, classes + L"\\TypeLib"));
    common::RemoveEmptyClasses(HKEY_CURRENT_USER, classes);
    EXPECT_FALSE(common::RegKeyExists(HKEY_CURRENT_USER, classes));
    EXPECT_TRUE(common::RegKeyExists(HKEY_CURRENT_USER, kScratch));
}
