#include "editor/FindReplace.h"
#include "EditorWindow.h"
#include <gtest/gtest.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>

using namespace editortest;

namespace {

class FindReplaceTest : public EditorWindow {
protected:
    editor::FindReplace& Finder() { return editor_->Finder(); }

    // Works the dialog from another thread once it appears (this thread runs its loop).
    std::thread Operate(std::function<void(HWND)> work) {
        const DWORD thread = ::GetCurrentThreadId();
        return std::thread([this, thread, work] {
            HWND dialog = nullptr;
            for (int i = 0; i < 200 && !dialog; ++i) {  // up to 10 s
                ::Sleep(50);
                dialog = Finder().DialogWindow();
                if (dialog && !::IsWindowVisible(dialog)) dialog = nullptr;
            }
            if (dialog) {
                work(dialog);
            } else {
                dialogMissing_ = true;
                ::PostThreadMessageW(thread, WM_NULL, 0, 0);
            }
        });
    }
    static std::string ItemText(HWND dialog, int id) {
        char text[300] = {};
        ::GetDlgItemTextA(dialog, id, text, sizeof(text));
        return text;
    }
    static void Press(HWND dialog, int id) {
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    }
    std::atomic<bool> dialogMissing_{false};
};

TEST_F(FindReplaceTest, F3FindsDownwardsWithoutWrapping) {
    SetText(L"one two one two one");
    Finder().SetSearchText("one");
    Select(0, 0);
    PressKey(VK_F3);
    EXPECT_EQ(0, Selection().cpMin);
    EXPECT_EQ(3, Selection().cpMax);
    PressKey(VK_F3);
    EXPECT_EQ(8, Selection().cpMin);
    PressKey(VK_F3);
    EXPECT_EQ(16, Selection().cpMin);
    PressKey(VK_F3);  // nothing after: the selection stays
    EXPECT_EQ(16, Selection().cpMin);
    EXPECT_EQ(19, Selection().cpMax);
    EXPECT_TRUE(Finder().Down());
}

TEST_F(FindReplaceTest, ShiftF3FindsUpwardsToTheStart) {
    SetText(L"one two one two one");
    Finder().SetSearchText("one");
    Select(10, 10);  // inside the second "one"
    PressKey(VK_F3, true);
    EXPECT_EQ(0, Selection().cpMin);
    EXPECT_FALSE(Finder().Down());
    PressKey(VK_F3, true);
    EXPECT_EQ(0, Selection().cpMin);
    EXPECT_EQ(3, Selection().cpMax);

    Select(16, 19);  // the last match selected: the one before it
    PressKey(VK_F3, true);
    EXPECT_EQ(8, Selection().cpMin);
}

TEST_F(FindReplaceTest, CtrlF3TakesTheWordAtTheCaret) {
    SetText(L"alpha beta gamma beta");
    Select(7, 7);
    PressKey(VK_F3, false, true);
    EXPECT_STREQ("beta", Finder().SearchText());
    EXPECT_EQ(17, Selection().cpMin);
    EXPECT_EQ(21, Selection().cpMax);
}

TEST_F(FindReplaceTest, MatchCaseAndWholeWordNarrowTheSearch) {
    SetText(L"dimension Dim dim");
    Finder().SetSearchText("dim");
    Select(0, 0);
    Finder().FindNext();
    EXPECT_EQ(0, Selection().cpMin);  // neither option: any case, inside words
    Finder().SetOptions(false, true);
    Select(0, 0);
    Finder().FindNext();
    EXPECT_EQ(10, Selection().cpMin);
    Finder().SetOptions(true, true);
    Select(0, 0);
    Finder().FindNext();
    EXPECT_EQ(14, Selection().cpMin);
}

TEST_F(FindReplaceTest, ReplaceAllFromTheMiddleChangesOnlyWhatFollows) {
    SetText(L"cat cat cat cat");
    Finder().SetSearchText("cat");
    Finder().SetReplaceText("dog");
    Select(6, 6);
    Finder().ReplaceAll();
    EXPECT_EQ(L"cat cat dog dog", Text());

    SetText(L"cat cat");
    Select(0, 0);
    Finder().SetReplaceText("cats");  // the replacement contains the pattern: no endless loop
    Finder().ReplaceAll();
    EXPECT_EQ(L"cats cats", Text());
}

TEST_F(FindReplaceTest, ReplaceChangesTheSelectionThenFindsTheNext) {
    SetText(L"a x b x");
    Finder().SetSearchText("x");
    Finder().SetReplaceText("yy");
    Select(2, 3);
    Finder().Replace();
    EXPECT_EQ(L"a yy b x", Text());
    EXPECT_EQ(7, Selection().cpMin);
    EXPECT_EQ(8, Selection().cpMax);
}

TEST_F(FindReplaceTest, DialogFillsTheWordRunsOnceAndRemembersOptions) {
    SetText(L"alpha Beta beta gamma Beta");
    Select(8, 8);  // inside "Beta"
    std::string shown;
    auto worker = Operate([&](HWND dialog) {
        shown = ItemText(dialog, 0x480);  // the find text
        ::SendDlgItemMessageW(dialog, 0x411, BM_SETCHECK, BST_CHECKED, 0);  // match case
        Press(dialog, 0x411);
        Press(dialog, IDOK);  // Find Next
    });
    PressKey('F', false, true);
    worker.join();
    ASSERT_FALSE(dialogMissing_);
    EXPECT_EQ("Beta", shown);
    EXPECT_TRUE(Finder().MatchCase());
    EXPECT_EQ(nullptr, Finder().DialogWindow());
    // Case matters now: "beta" is passed over.
    EXPECT_EQ(22, Selection().cpMin);
    EXPECT_EQ(26, Selection().cpMax);

    // The next dialog opens with the options last used.
    bool caseChecked = false;
    auto again = Operate([&](HWND dialog) {
        caseChecked = ::IsDlgButtonChecked(dialog, 0x411) == BST_CHECKED;
        Press(dialog, IDCANCEL);
    });
    PressKey('H', false, true);
    again.join();
    ASSERT_FALSE(dialogMissing_);
    EXPECT_TRUE(caseChecked);
    EXPECT_EQ(L"alpha Beta beta gamma Beta", Text());
}

} // namespace
