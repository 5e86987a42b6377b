#include "DebugServicesFakes.h"
#include "common/Registry.h"
#include <gtest/gtest.h>

namespace {

// Runs the DLL's self-registration against a private copy of HKEY_CLASSES_ROOT, so the
// prefix's own registration is never touched.
class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyPath = L"Software\\Tevrin\\RegistrationTest-" + std::to_wstring(::GetCurrentProcessId());
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    fakeRoot.put(), nullptr),
                  ERROR_SUCCESS);
        dll.reset(::LoadLibraryW(fakes::ServicesDllPath().c_str()));
        ASSERT_TRUE(dll) << "cannot load " << std::string(fakes::ServicesDllPath().begin(), fakes::ServicesDllPath().end());
        registerServer = reinterpret_cast<Entry>(::GetProcAddress(dll.get(), "DllRegisterServer"));
        unregisterServer = reinterpret_cast<Entry>(::GetProcAddress(dll.get(), "DllUnregisterServer"));
        ASSERT_TRUE(registerServer && unregisterServer);
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(dll.get(), path, MAX_PATH);
        dllPath = path;
        ASSERT_EQ(::RegOverridePredefKey(HKEY_CLASSES_ROOT, fakeRoot.get()), ERROR_SUCCESS);
    }
    void TearDown() override {
        ::RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        fakeRoot.reset();
        common::DeleteRegTree(HKEY_CURRENT_USER, keyPath);
    }

    std::wstring Server() { return common::GetRegString(fakeRoot.get(), classKey + L"\\InprocServer32", nullptr); }
    std::wstring Threading() {
        return common::GetRegString(fakeRoot.get(), classKey + L"\\InprocServer32", L"ThreadingModel");
    }

    using Entry = HRESULT(STDAPICALLTYPE*)();
    const std::wstring classKey = L"CLSID\\" + common::GuidToString(CLSID_ProcessDebugManager);
    std::wstring keyPath;
    std::wstring dllPath;
    common::UniqueRegKey fakeRoot;
    common::UniqueModule dll;
    Entry registerServer = nullptr;
    Entry unregisterServer = nullptr;
};

} // namespace

TEST_F(RegistrationTest, RegistersWhereNothingIsAndUnregistersItsOwn) {
    ASSERT_EQ(registerServer(), S_OK);
    EXPECT_EQ(Server(), dllPath);
    EXPECT_EQ(Threading(), L"Both");
    // Registering again over its own registration is fine.
    ASSERT_EQ(registerServer(), S_OK);
    EXPECT_EQ(Server(), dllPath);

    ASSERT_EQ(unregisterServer(), S_OK);
    EXPECT_FALSE(common::RegKeyExists(fakeRoot.get(), classKey));
}

TEST_F(RegistrationTest, NeverOverwritesAnotherServer) {
    const std::wstring real = L"C:\\windows\\system32\\pdm.dll";
    ASSERT_TRUE(common::SetRegString(fakeRoot.get(), classKey + L"\\InprocServer32", nullptr, real));
    ASSERT_TRUE(common::SetRegString(fakeRoot.get(), classKey + L"\\InprocServer32", L"ThreadingModel", L"Both"));
    EXPECT_EQ(registerServer(), S_OK);
    EXPECT_EQ(Server(), real);
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_EQ(Server(), real);
}

TEST_F(RegistrationTest, RecognisesAnotherServerWrittenAsExpandableString) {
    const std::wstring real = L"%SystemRoot%\\system32\\pdm.dll";
    common::UniqueRegKey key;
    ASSERT_EQ(::RegCreateKeyExW(fakeRoot.get(), (classKey + L"\\InprocServer32").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(real.c_str()),
                               static_cast<DWORD>((real.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_EQ(registerServer(), S_OK);
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value), type = 0;
    ASSERT_EQ(::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(std::wstring(value), real);
}

TEST_F(RegistrationTest, SameDllNamedDifferentlyIsItsOwn) {
    std::wstring upper = dllPath;
    for (auto& c : upper) c = static_cast<wchar_t>(::towupper(c));
    ASSERT_TRUE(common::SetRegString(fakeRoot.get(), classKey + L"\\InprocServer32", nullptr, upper));
    ASSERT_EQ(unregisterServer(), S_OK);
    EXPECT_FALSE(common::RegKeyExists(fakeRoot.get(), classKey));
}
