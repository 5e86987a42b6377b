#include "common/TextConv.h"
#include <gtest/gtest.h>
#include <windows.h>

using namespace common;

TEST(TextConv, RoundTripsThroughAnsiAndUtf8) {
    const std::wstring text = L"Caf\u00e9 na\u00efve";
    EXPECT_EQ(WideToUtf8(text), "Caf\xc3\xa9 na\xc3\xafve");
    EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
    EXPECT_EQ(AnsiToWide(WideToAnsi(L"plain ascii")), L"plain ascii");
    EXPECT_EQ(AnsiToWide(""), L"");
    EXPECT_EQ(WideToAnsi(L""), "");
}

TEST(TextConv, EmbeddedNulsSurvive) {
    const std::wstring text(L"a\0b", 3);
    EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
}

TEST(TextConv, LowerCasesNonAsciiLetters) {
    EXPECT_EQ(ToLower(std::wstring(L"C:\\Scripts\\\u00c9T\u00c9.VBS")), L"c:\\scripts\\\u00e9t\u00e9.vbs");
    EXPECT_EQ(ToLower(std::string("MiXeD")), "mixed");
}

TEST(TextConv, LowerFullPathResolvesRelativeParts) {
    EXPECT_EQ(LowerFullPath(L"C:\\Tests\\Sub\\..\\Main.VBS"), L"c:\\tests\\main.vbs");
    EXPECT_EQ(LowerFullPath(L""), L"");

    wchar_t cwd[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, cwd);
    std::wstring expected = ToLower(std::wstring(cwd));
    if (expected.back() != L'\\') expected += L'\\';
    EXPECT_EQ(LowerFullPath(L"Script.js"), expected + L"script.js");
}

TEST(TextConv, DirectoryOfKeepsTrailingSeparator) {
    EXPECT_EQ(DirectoryOf(L"c:\\a\\b.vbs"), L"c:\\a\\");
    EXPECT_EQ(DirectoryOf(L"c:/a/b.vbs"), L"c:/a/");
    EXPECT_EQ(DirectoryOf(L"b.vbs"), L"");
}

TEST(TextConv, ModuleDirectoryIsThisProgramsFolder) {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_EQ(ModuleDirectory(reinterpret_cast<void*>(&ModuleDirectory)), DirectoryOf(std::wstring(path, n)));
}
