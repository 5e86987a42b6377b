// Tevrin.exe as the local COM server of Env, as an outside program uses it.
#include "ProcessRunner.h"
#include "common/ComInit.h"
#include "common/Bstr.h"
#include "common/Registry.h"
#include "mardel.h"
#include <gtest/gtest.h>
#include <tlhelp32.h>
#include <wrl/client.h>
#include <set>

using Microsoft::WRL::ComPtr;

namespace {

std::set<DWORD> TevrinProcesses() {
    std::set<DWORD> ids;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = ::Process32FirstW(snapshot, &entry); ok; ok = ::Process32NextW(snapshot, &entry))
        if (::lstrcmpiW(entry.szExeFile, L"Tevrin.exe") == 0) ids.insert(entry.th32ProcessID);
    ::CloseHandle(snapshot);
    return ids;
}

struct WindowQuery {
    DWORD pid;
    bool found;
};

BOOL CALLBACK FindVisibleWindowOf(HWND window, LPARAM param) {
    auto* q = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == q->pid && ::IsWindowVisible(window)) q->found = true;
    return !q->found;
}

bool HasWindow(DWORD processId) {
    WindowQuery query{processId, false};
    ::EnumWindows(FindVisibleWindowOf, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

// Any non-COM start registers the server; a run of a missing script is the quickest.
void RegisterServerByRunningTevrin() {
    e2e::ProcessRunner tevrin;
    ASSERT_TRUE(tevrin.start(L"\"" + e2e::DistPath(L"Tevrin.exe") + L"\" c:\\no\\such\\file.vbs"));
    ASSERT_TRUE(tevrin.wait(60000));
}

class EnvServer : public ::testing::Test {
protected:
    const common::ComInit apartment_{COINIT_APARTMENTTHREADED};
};

} // namespace

TEST_F(EnvServer, StartsWithoutWindowServesEnvAndEndsWithItsLastObject) {
    RegisterServerByRunningTevrin();
    EXPECT_EQ(common::GetRegString(HKEY_CLASSES_ROOT, L"Mardel.Env\\CurVer", nullptr), L"Mardel.Env.1");
    EXPECT_TRUE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\{AD4EDFC2-81DF-4590-8626-5FCDCD575317}\\1.0"));
    const std::set<DWORD> before = TevrinProcesses();

    // Registry keys the COM start must leave alone.
    common::DeleteRegTree(HKEY_CLASSES_ROOT, L"AppID\\Mardel.EXE");

    ComPtr<IEnv> env;
    ASSERT_EQ(::CoCreateInstance(CLSID_Env, nullptr, CLSCTX_LOCAL_SERVER, IID_IEnv,
                                 reinterpret_cast<void**>(env.GetAddressOf())),
              S_OK);
    std::set<DWORD> server;
    for (DWORD id : TevrinProcesses())
        if (!before.count(id)) server.insert(id);
    ASSERT_EQ(server.size(), 1u);
    const DWORD serverId = *server.begin();
    EXPECT_FALSE(HasWindow(serverId));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CLASSES_ROOT, L"AppID\\Mardel.EXE"));

    common::Bstr text(L"from another process");
    EXPECT_EQ(env->LogInfo(text.get()), S_OK);
    EXPECT_EQ(env->LogWarning(nullptr), S_OK);
    EXPECT_EQ(env->Sleep(0), S_OK);
    EXPECT_EQ(env->Sleep(-1), E_INVALIDARG);

    // Late binding goes through the type library, as scripts do.
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(env.As(&dispatch), S_OK);
    LPOLESTR name = const_cast<LPOLESTR>(L"logerror");
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, 1);

    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, serverId);
    ASSERT_NE(process, nullptr);
    dispatch.Reset();
    env.Reset();
    EXPECT_EQ(::WaitForSingleObject(process, 20000), WAIT_OBJECT_0) << "the server outlived its last object";
    ::CloseHandle(process);
}
