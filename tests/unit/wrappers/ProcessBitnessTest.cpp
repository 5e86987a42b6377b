#include "wrappers/core/ProcessBitness.h"
#include "common/ComError.h"
#include <gtest/gtest.h>

using wrappers::BitnessMismatch;

TEST(ProcessBitness, OnlyTheOtherBitnessIsRefusedAndTheMessageNamesTheBuildToUse) {
    EXPECT_EQ(BitnessMismatch(true, true, L"app.exe"), L"");
    EXPECT_EQ(BitnessMismatch(false, false, L"app.exe"), L"");
    EXPECT_EQ(BitnessMismatch(true, false, L"legacy.exe"),
              L"This is the 64-bit Tevrin: the application 'legacy.exe' is a 32-bit process; "
              L"use the 32-bit Tevrin build (win32\\dist)");
    EXPECT_EQ(BitnessMismatch(false, true, L"notepad.exe"),
              L"This is the 32-bit Tevrin: the application 'notepad.exe' is a 64-bit process; "
              L"use the 64-bit Tevrin build (win64\\dist)");
}

TEST(ProcessBitness, ProcessesOfThisBuildsBitnessPass) {
    // The test program itself and a child started from it have this build's bitness.
    std::optional<bool> self = wrappers::ProcessIs64Bit(::GetCurrentProcess());
    ASSERT_TRUE(self.has_value());
    EXPECT_EQ(*self, sizeof(void*) == 8);

    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    std::wstring command = std::wstring(L"\"") + path + L"\" --gtest_list_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW,
                                 nullptr, nullptr, &startup, &info));
    EXPECT_NO_THROW(wrappers::RequireSameBitness(info.dwProcessId));
    ::TerminateProcess(info.hProcess, 0);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);

    // No such process: nothing can be told, nothing is refused.
    EXPECT_NO_THROW(wrappers::RequireSameBitness(0xFFFFFFF0));
}
