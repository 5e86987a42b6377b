// Self-registration writes the two classes and the type library, and leaves the
// system's registration of the IAccessible interface (whose IID ITevrinAcc shares)
// exactly as it was, on registering and on unregistering.
#include "AutomationClient.h"
#include "common/Registry.h"
#include "wrappers/core/RegistrySnapshot.h"
#include <gtest/gtest.h>
#include <oleacc.h>

using wrappers::RegistrySnapshot;

namespace {

std::wstring accessibleKey() { return L"Software\\Classes\\Interface\\" + common::GuidToString(__uuidof(IAccessible)); }

DWORD regsvr32(const std::wstring& options) {
    std::wstring command = L"regsvr32.exe /s " + options + L" \"" + std::wstring(TEVRIN_DIST_DIR) + L"\\wrappers.dll\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return static_cast<DWORD>(-1);
    ::WaitForSingleObject(info.hProcess, 60000);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return code;
}

// Machine and user, each in both registry views: a 64-bit registration writes a type
// library's interfaces for 32-bit processes too.
struct AccessibleKeys {
    RegistrySnapshot machine64 = RegistrySnapshot::capture(HKEY_LOCAL_MACHINE, accessibleKey(), KEY_WOW64_64KEY);
    RegistrySnapshot machine32 = RegistrySnapshot::capture(HKEY_LOCAL_MACHINE, accessibleKey(), KEY_WOW64_32KEY);
    RegistrySnapshot user64 = RegistrySnapshot::capture(HKEY_CURRENT_USER, accessibleKey(), KEY_WOW64_64KEY);
    RegistrySnapshot user32 = RegistrySnapshot::capture(HKEY_CURRENT_USER, accessibleKey(), KEY_WOW64_32KEY);
    bool operator==(const AccessibleKeys& o) const {
        return machine64 == o.machine64 && machine32 == o.machine32 && user64 == o.user64 && user32 == o.user32;
    }
};

} // namespace

TEST(Registration, RegisteringAndUnregisteringKeepTheAccessibleInterfaceKey) {
    const AccessibleKeys before;
    const std::wstring proxy = common::GetRegString(HKEY_CLASSES_ROOT,
        L"Interface\\" + common::GuidToString(__uuidof(IAccessible)) + L"\\ProxyStubClsid32", nullptr);

    ASSERT_EQ(regsvr32(L""), 0u);
    EXPECT_TRUE(AccessibleKeys() == before) << "registration changed the IAccessible key";
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT,
        L"Interface\\" + common::GuidToString(__uuidof(IAccessible)) + L"\\ProxyStubClsid32", nullptr), proxy);
    // The classes are there, with their threading models.
    const std::wstring wrapperKey = L"CLSID\\" + common::GuidToString(CLSID_WNDWrapper);
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT, wrapperKey + L"\\InprocServer32", L"ThreadingModel"), L"Free");
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT, L"CLSID\\" + common::GuidToString(CLSID_Synchronizer) +
                                   L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT, L"Wrappers.WNDWrapper\\CurVer", nullptr), L"Wrappers.WNDWrapper.1");
    // The library's own interfaces are registered for marshalling.
    EXPECT_TRUE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"Interface\\" + common::GuidToString(IID_IWNDWrapper)));

    ASSERT_EQ(regsvr32(L"/u"), 0u);
    EXPECT_TRUE(AccessibleKeys() == before) << "unregistration changed the IAccessible key";
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, wrapperKey));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"Wrappers.Synchronizer"));

    // Leave the prefix as the other tests expect it.
    ASSERT_EQ(regsvr32(L""), 0u);
    EXPECT_TRUE(AccessibleKeys() == before);
}
