#include <gtest/gtest.h>
#include <windows.h>
#include <set>
#include <string>

// The hook library as its callers see it: loaded by name, exports found by GetProcAddress.
TEST(OstrelExports, MessageIdsAreRegisteredAndDistinct) {
    const std::wstring path = std::wstring(TEVRIN_DIST_DIR) + L"\\ostrel.dll";
    HMODULE module = ::LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr) << "cannot load " << ::GetLastError();

    std::set<UINT> ids;
    for (const char* name : {"g_nMsgAllocMem", "g_nMsgFreeMem", "g_nMsgGetRichEditInterface",
                             "g_nMsgUnknownFromWndData", "g_nMsgSendMessage", "g_nMsgTerminate"}) {
        auto* id = reinterpret_cast<const UINT*>(::GetProcAddress(module, name));
        ASSERT_NE(id, nullptr) << name;
        // Registered window messages live in 0xC000..0xFFFF.
        EXPECT_GE(*id, 0xC000u) << name;
        EXPECT_LE(*id, 0xFFFFu) << name;
        ids.insert(*id);
    }
    EXPECT_EQ(ids.size(), 6u);
    EXPECT_NE(::GetProcAddress(module, "CallWndProc"), nullptr);
    ::FreeLibrary(module);
}
