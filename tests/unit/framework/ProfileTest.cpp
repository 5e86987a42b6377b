#include "FrameFixture.h"
#include "framework/Profile.h"
#include "framework/RecentFileList.h"

namespace {
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override { common::DeleteRegTree(HKEY_CURRENT_USER, TestRootKey()); }
    void TearDown() override { common::DeleteRegTree(HKEY_CURRENT_USER, TestRootKey()); }
    CProfile profile{TestCompany(), L"Frame Test"};
};
} // namespace

TEST_F(ProfileTest, ValuesLiveUnderCompanyAndApplication) {
    EXPECT_EQ(profile.RootKey(), L"Software\\NorwendFrameworkTest\\Frame Test");
    EXPECT_EQ(profile.GetInt(L"Settings", L"PreviewPages", 7), 7);
    EXPECT_EQ(profile.GetString(L"Settings", L"Name", L"none"), L"none");
    ASSERT_TRUE(profile.WriteInt(L"Settings", L"PreviewPages", 2));
    ASSERT_TRUE(profile.WriteString(L"Settings", L"Name", L"value"));
    EXPECT_EQ(profile.GetInt(L"Settings", L"PreviewPages", 7), 2);
    EXPECT_EQ(profile.GetString(L"Settings", L"Name"), L"value");
    EXPECT_EQ(common::GetRegString(HKEY_CURRENT_USER, TestRootKey() + L"\\Frame Test\\Settings", L"Name"), L"value");
    // A value of the wrong type reads as the default.
    EXPECT_EQ(profile.GetInt(L"Settings", L"Name", 5), 5);
    ASSERT_TRUE(profile.WriteString(L"Settings", L"Name", nullptr));
    EXPECT_EQ(profile.GetString(L"Settings", L"Name", L"gone"), L"gone");
    ASSERT_TRUE(profile.DeleteSection(L"Settings"));
    EXPECT_FALSE(common::RegKeyExists(HKEY_CURRENT_USER, TestRootKey() + L"\\Frame Test\\Settings"));
    EXPECT_TRUE(profile.DeleteSection(L"Settings"));
}

TEST_F(ProfileTest, WithoutKeysNothingIsWritten) {
    CProfile none;
    EXPECT_FALSE(none.WriteInt(L"Settings", L"x", 1));
    EXPECT_EQ(none.GetInt(L"Settings", L"x", 3), 3);
}

TEST_F(ProfileTest, RecentFilesKeepFourMostRecentFirst) {
    CRecentFileList list(4);
    for (const wchar_t* f : {L"C:\\a.vbs", L"C:\\b.vbs", L"C:\\c.vbs", L"C:\\d.vbs", L"C:\\e.vbs"}) list.Add(f);
    ASSERT_EQ(list.count(), 4u);
    EXPECT_EQ(list[0], L"C:\\e.vbs");
    EXPECT_EQ(list[3], L"C:\\b.vbs");
    // Opened again (in other case): moves to the top, no duplicate.
    list.Add(L"c:\\C.VBS");
    ASSERT_EQ(list.count(), 4u);
    EXPECT_EQ(list[0], L"c:\\C.VBS");
    EXPECT_EQ(list[1], L"C:\\e.vbs");
    EXPECT_EQ(list[3], L"C:\\b.vbs");

    list.Save(profile);
    EXPECT_EQ(profile.GetString(L"Recent File List", L"File1"), L"c:\\C.VBS");
    EXPECT_EQ(profile.GetString(L"Recent File List", L"File4"), L"C:\\b.vbs");
    CRecentFileList loaded(4);
    loaded.Load(profile);
    EXPECT_EQ(loaded.files(), list.files());

    // A shorter list clears the entries it no longer has.
    list.Remove(0);
    list.Remove(0);
    list.Save(profile);
    EXPECT_EQ(profile.GetString(L"Recent File List", L"File3", L"none"), L"none");
}

TEST_F(ProfileTest, RecentFilesFillTheFileMenu) {
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, 57601, L"&Open...");
    ::AppendMenuW(menu, MF_STRING | MF_GRAYED, 57616, L"Recent File");
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, 57665, L"E&xit");
    CRecentFileList list(4);
    ASSERT_TRUE(list.UpdateMenu(menu));
    EXPECT_EQ(::GetMenuItemCount(menu), 4);
    EXPECT_TRUE(::GetMenuState(menu, 57616, MF_BYCOMMAND) & MF_GRAYED);

    list.Add(L"C:\\one.vbs");
    list.Add(L"C:\\R&D\\two.vbs");
    ASSERT_TRUE(list.UpdateMenu(menu));
    EXPECT_EQ(::GetMenuItemCount(menu), 5);
    wchar_t text[128] = {};
    ::GetMenuStringW(menu, 57616, text, 128, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"&1 C:\\R&&D\\two.vbs");
    ::GetMenuStringW(menu, 57617, text, 128, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"&2 C:\\one.vbs");
    EXPECT_EQ(::GetMenuItemID(menu, 3), 0u); // the separator stays after the list
    ::DestroyMenu(menu);
}

using RecentFilesAppTest = FrameFixture;

TEST_F(RecentFilesAppTest, ExitSavesTheListAndStartLoadsIt) {
    app->AddToRecentFileList(L"C:\\x.vbs");
    app->AddToRecentFileList(L"C:\\y.vbs");
    app->ExitInstance();
    TestApp second;
    second.SetRegistryKey(TestCompany());
    second.LoadStdProfileSettings(4);
    ASSERT_EQ(second.recentFiles().count(), 2u);
    EXPECT_EQ(second.recentFiles()[0], L"C:\\y.vbs");
}

TEST_F(RecentFilesAppTest, LockCountClosesAServerWithoutUser) {
    app->LockApp();
    app->LockApp();
    app->SetUserControl(false);
    app->UnlockApp();
    Pump();
    EXPECT_TRUE(::IsWindow(frame->hwnd()));
    // The user closing the frame while locked only hides it.
    app->SetUserControl(true);
    HWND h = frame->hwnd();
    ::SendMessageW(h, WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(h));
    EXPECT_FALSE(::IsWindowVisible(h));
    app->UnlockApp();
    Pump();
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(app->mainWnd(), nullptr);
    // An unbalanced unlock is ignored.
    app->UnlockApp();
    EXPECT_EQ(app->lockCount(), 0);
}
