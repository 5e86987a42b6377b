// Where Tevrin.exe takes its debug manager, engines and wrappers from, and what it
// registers: the platform's components first, its own from beside itself otherwise,
// and a copy that nobody installed still runs scripts that create the wrappers.
#include "ProcessRunner.h"
#include "common/Registry.h"
#include "common/ScriptingGuids.h"
#include "common/TextConv.h"
#include "common/TypeLibKeys.h"
#include "common/UniqueHandle.h"
#include "TevrinVersion.h"
#include "mardel.h"
#include "wrappers.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const std::wstring kWrapperClassKey = L"CLSID\\" + common::GuidToString(CLSID_WNDWrapper);
const std::wstring kDebugManagerKey = L"CLSID\\" + common::GuidToString(CLSID_ProcessDebugManager);

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Runs an export of a DLL in this process (registration entry points).
HRESULT CallExport(const std::wstring& dll, const char* name) {
    common::UniqueModule module(::LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return HRESULT_FROM_WIN32(::GetLastError());
    auto function = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(::GetProcAddress(module.get(), name));
    return function ? function() : E_NOINTERFACE;
}

// Puts the prefix back as the installer leaves it: the release's wrappers registered,
// whatever a test did to the registration.
struct WrappersRegistrationGuard {
    ~WrappersRegistrationGuard() { CallExport(e2e::DistPath(L"wrappers.dll"), "DllRegisterServer"); }
};

class Components : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"tevrin_components_" +
               common::AnsiToWide(::testing::UnitTest::GetInstance()->current_test_info()->name()) + L"\\";
        ::CreateDirectoryW(dir_.c_str(), nullptr);
        Write(L"script.vbs",
              "Set w = CreateObject(\"Wrappers.WNDWrapper\")\r\n"
              "Env.LogInfo \"created \" & TypeName(w)\r\n");
    }

    void Write(const std::wstring& name, const std::string& text) {
        FILE* file = _wfopen((dir_ + name).c_str(), L"wb");
        ASSERT_TRUE(file);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }

    // A copy of the release folder's files in a folder of the test's, as a user unzips it.
    std::wstring CopyRelease(const std::wstring& folder, std::initializer_list<const wchar_t*> files) {
        const std::wstring target = dir_ + folder + L"\\";
        ::CreateDirectoryW(target.c_str(), nullptr);
        for (const wchar_t* file : files) ::CopyFileW(e2e::DistPath(file).c_str(), (target + file).c_str(), FALSE);
        return target;
    }

    // Runs Tevrin.exe with the arguments to its end; returns the exit code.
    DWORD Run(const std::wstring& program, const std::wstring& arguments) {
        if (!tevrin_.start(L"\"" + program + L"\" " + arguments)) return static_cast<DWORD>(-1);
        if (!tevrin_.wait(120000)) return STILL_ACTIVE;
        return tevrin_.exitCode();
    }
    DWORD RunScript(const std::wstring& program) { return Run(program, L"\"" + dir_ + L"script.vbs\""); }

    const std::string& out() const { return tevrin_.output(); }

    std::wstring dir_;
    e2e::ProcessRunner tevrin_;
};

} // namespace

TEST_F(Components, WithoutPlatformComponentsRunsUseTevrinsOwnFromBesideTheProgram) {
    ASSERT_EQ(Run(e2e::DistPath(L"Tevrin.exe"), L"/version"), 0u) << out();
    EXPECT_TRUE(Contains(out(), "Tevrin " TEVRIN_VERSION_TEXT)) << out();
    EXPECT_TRUE(Contains(out(), "Debug manager: Tevrin's own (")) << out();
    EXPECT_TRUE(Contains(common::ToLower(out()), "\\dist\\debugservices.dll)")) << out();
    EXPECT_TRUE(Contains(out(), ".vbs engine: StepScript, Tevrin's own (")) << out();
    EXPECT_TRUE(Contains(common::ToLower(out()), "\\dist\\stepscript.dll)")) << out();
    EXPECT_TRUE(Contains(out(), "Wrappers: ")) << out();

    // Neither is registered, yet a plain .vbs file runs, and #language StepScript too.
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"StepScript"));
    ASSERT_EQ(RunScript(e2e::DistPath(L"Tevrin.exe")), 0u) << out();
    EXPECT_TRUE(Contains(out(), "script.vbs (2): created IWNDWrapper")) << out();
    Write(L"named.vbs", "#language StepScript\r\nEnv.LogInfo \"named\"\r\n");
    ASSERT_EQ(Run(e2e::DistPath(L"Tevrin.exe"), L"\"" + dir_ + L"named.vbs\""), 0u) << out();
    EXPECT_TRUE(Contains(out(), "named.vbs (2): named")) << out();
}

TEST_F(Components, APlatformDebugManagerIsUsedInsteadOfTevrinsOwn) {
    // Stands in for a machine with the platform's pdm.dll: a registered class of the
    // process debug manager, served by a file that is not the one beside Tevrin.exe.
    const std::wstring platform = CopyRelease(L"platform", {L"debugservices.dll"}) + L"debugservices.dll";
    ASSERT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, kDebugManagerKey)) << "the prefix has a debug manager";
    struct Unregister {
        ~Unregister() { common::DeleteRegTree(HKEY_CLASSES_ROOT, kDebugManagerKey); }
    } unregister;
    ASSERT_TRUE(common::SetRegString(HKEY_CLASSES_ROOT, kDebugManagerKey + L"\\InprocServer32", nullptr, platform));
    ASSERT_TRUE(
        common::SetRegString(HKEY_CLASSES_ROOT, kDebugManagerKey + L"\\InprocServer32", L"ThreadingModel", L"Both"));

    ASSERT_EQ(Run(e2e::DistPath(L"Tevrin.exe"), L"/version"), 0u) << out();
    EXPECT_TRUE(Contains(common::ToLower(out()),
                         "debug manager: the platform's (" + common::ToLower(common::WideToAnsi(platform)) + ")"))
        << out();
    ASSERT_EQ(RunScript(e2e::DistPath(L"Tevrin.exe")), 0u) << out();
    EXPECT_TRUE(Contains(out(), "Script ended with no errors.")) << out();
}

TEST_F(Components, WithoutAnyDebugManagerTheRunSaysWhatIsMissing) {
    const std::wstring copy =
        CopyRelease(L"nodebug", {L"Tevrin.exe", L"wrappers.dll", L"ostrel.dll", L"stepscript.dll"});
    EXPECT_EQ(RunScript(copy + L"Tevrin.exe"), 2u) << out();
    EXPECT_TRUE(Contains(out(), "Fatal Error: Script debug components (pdm.dll and mdm.exe) not installed")) << out();
    ASSERT_EQ(Run(copy + L"Tevrin.exe", L"/version"), 0u);
    EXPECT_TRUE(Contains(out(), "Debug manager: none (")) << out();
}

TEST_F(Components, AStaleWrappersRegistrationIsRepairedAtStart) {
    WrappersRegistrationGuard restore;
    // The registration names a file that is gone (a deleted earlier copy).
    ASSERT_TRUE(common::SetRegString(HKEY_CLASSES_ROOT, kWrapperClassKey + L"\\InprocServer32", nullptr,
                                     L"c:\\no\\such\\folder\\wrappers.dll"));
    ASSERT_EQ(RunScript(e2e::DistPath(L"Tevrin.exe")), 0u) << out() << tevrin_.errors();
    EXPECT_TRUE(Contains(out(), "created IWNDWrapper")) << out();
    const std::wstring registered = common::InprocServerOf(HKEY_CLASSES_ROOT, CLSID_WNDWrapper);
    EXPECT_EQ(common::ToLower(registered), common::ToLower(e2e::DistPath(L"wrappers.dll")));
    // Where the platform ignores the user's classes (Wine), nothing is left there.
    const common::ClassesRoot user(common::ClassesRoot::User);
    EXPECT_FALSE(common::RegKeyExists(user.key(), kWrapperClassKey));
}

TEST_F(Components, PerUserRegistrationWritesTheUsersClassesOnlyAndTakesThemBack) {
    WrappersRegistrationGuard restore;
    const std::wstring dll = e2e::DistPath(L"wrappers.dll");
    common::UniqueModule module(::LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    ASSERT_TRUE(module);
    auto install = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>(::GetProcAddress(module.get(), "DllInstall"));
    ASSERT_TRUE(install);
    EXPECT_EQ(install(TRUE, L"machine"), E_INVALIDARG);

    const std::wstring machineBefore = common::InprocServerOf(HKEY_CLASSES_ROOT, CLSID_WNDWrapper);
    ASSERT_EQ(install(TRUE, L"user"), S_OK);
    const common::ClassesRoot user(common::ClassesRoot::User);
    EXPECT_EQ(common::ToLower(common::InprocServerOf(user.key(), CLSID_WNDWrapper)), common::ToLower(dll));
    EXPECT_EQ(common::GetRegString(user.key(), L"Wrappers.WNDWrapper\\CLSID", nullptr),
              common::GuidToString(CLSID_WNDWrapper));
    const std::wstring library = L"TypeLib\\" + common::GuidToString(LIBID_WRAPPERSLib) + L"\\1.0\\0\\";
    EXPECT_TRUE(common::RegKeyExists(user.key(), library + (sizeof(void*) == 8 ? L"win64" : L"win32")));
    const std::wstring wrapperInterface = L"Interface\\" + common::GuidToString(IID_IWNDWrapper);
    EXPECT_EQ(common::GetRegString(user.key(), wrapperInterface + L"\\ProxyStubClsid32", nullptr),
              L"{00020424-0000-0000-C000-000000000046}");
    // ITevrinAcc shares IAccessible's IID: that key belongs to the accessibility library.
    EXPECT_FALSE(common::RegKeyExists(user.key(), L"Interface\\" + common::GuidToString(IID_ITevrinAcc)));
    EXPECT_EQ(common::InprocServerOf(HKEY_CLASSES_ROOT, CLSID_WNDWrapper), machineBefore);

    ASSERT_EQ(install(FALSE, L"user"), S_OK);
    EXPECT_FALSE(common::RegKeyExists(user.key(), kWrapperClassKey));
    EXPECT_FALSE(common::RegKeyExists(user.key(), L"Wrappers.WNDWrapper"));
    EXPECT_FALSE(common::RegKeyExists(user.key(), L"TypeLib\\" + common::GuidToString(LIBID_WRAPPERSLib)));
    EXPECT_FALSE(common::RegKeyExists(user.key(), wrapperInterface));
}

TEST_F(Components, UnregisterRemovesWhatThisCopyWroteAndLeavesOtherCopiesAlone) {
    WrappersRegistrationGuard restore;
    const std::wstring tevrin = e2e::DistPath(L"Tevrin.exe");
    ASSERT_EQ(Run(tevrin, L"c:\\no\\such\\script.vbs"), 2u);  // any start registers
    ASSERT_TRUE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"Mardel.Env"));

    // Another copy's wrappers are registered: they are not this copy's to remove.
    const std::wstring other = CopyRelease(L"other", {L"wrappers.dll", L"ostrel.dll"}) + L"wrappers.dll";
    ASSERT_EQ(CallExport(other, "DllRegisterServer"), S_OK);
    ASSERT_EQ(Run(tevrin, L"/unregister"), 0u) << tevrin_.errors();
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"Mardel.Env"));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"CLSID\\" + common::GuidToString(CLSID_Env)));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{AD4EDFC2-81DF-4590-8626-5FCDCD575317}"));
    EXPECT_EQ(common::ToLower(common::InprocServerOf(HKEY_CLASSES_ROOT, CLSID_WNDWrapper)), common::ToLower(other));

    // This copy's own wrappers registration goes.
    ASSERT_EQ(CallExport(e2e::DistPath(L"wrappers.dll"), "DllRegisterServer"), S_OK);
    ASSERT_EQ(Run(tevrin, L"/unregister"), 0u) << tevrin_.errors();
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, kWrapperClassKey));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"Wrappers.WNDWrapper"));

    // The next start puts back what a run needs.
    ASSERT_EQ(RunScript(tevrin), 0u) << out();
    EXPECT_TRUE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"Mardel.Env"));
    EXPECT_TRUE(Contains(out(), "created IWNDWrapper")) << out();
}

namespace {

std::wstring VersionString(const std::wstring& file, const wchar_t* name) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
    void* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!::VerQueryValueW(block.data(), key.c_str(), &value, &length) || !value) return {};
    return static_cast<const wchar_t*>(value);
}

} // namespace

// Every shipped binary says what it is and which Tevrin it belongs to (Explorer's
// Properties, installers and support questions read it).
TEST(ShippedBinaries, CarryTheProductsVersionAndTheirOwnDescription) {
    const std::wstring version = common::AnsiToWide(TEVRIN_VERSION_TEXT);
    for (const wchar_t* file : {L"Tevrin.exe", L"wrappers.dll", L"ostrel.dll", L"debugservices.dll", L"stepscript.dll"}) {
        const std::wstring path = e2e::DistPath(file);
        EXPECT_EQ(VersionString(path, L"ProductVersion"), version) << common::WideToAnsi(file);
        EXPECT_EQ(VersionString(path, L"ProductName"), L"Tevrin") << common::WideToAnsi(file);
        EXPECT_EQ(VersionString(path, L"OriginalFilename"), file);
        EXPECT_FALSE(VersionString(path, L"FileDescription").empty()) << common::WideToAnsi(file);
    }
    EXPECT_EQ(VersionString(e2e::DistPath(L"wrappers.dll"), L"FileDescription"), L"Control wrappers module for Tevrin");
    EXPECT_EQ(VersionString(e2e::DistPath(L"wrappers.dll"), L"FileVersion"), L"1.1.0.1");
    EXPECT_EQ(VersionString(e2e::DistPath(L"Tevrin.exe"), L"FileVersion"), version);
}
