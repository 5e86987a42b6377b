// The Window Explorer driven with real mouse input over applications running in other
// processes: accapp (its own accessible tree) and controls (standard controls).
#include "ExplorerHostFrame.h"
#include "ExplorerTestSupport.h"
#include "explorer/AccessibleNames.h"
#include "explorer/CWindowExplorer.h"
#include "explorer/ExplorerCommands.h"
#include "resources/explorer/explorerids.h"
#include "tests/e2e/ProcessRunner.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <memory>

using namespace explorer_test;
using explorer::CWindowExplorer;

namespace {

std::wstring BinPath(const wchar_t* name) { return std::wstring(TEVRIN_BIN_DIR) + L"\\" + name; }

HWND ChildWithText(HWND parent, const wchar_t* text) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (TextOf(child) == text) return child;
    return nullptr;
}

class ExplorerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::OleInitialize(nullptr);
        accApp_ = new e2e::ProcessRunner;
        controlsApp_ = new e2e::ProcessRunner;
        ASSERT_TRUE(accApp_->start(L"\"" + BinPath(L"accapp.exe") + L"\""));
        ASSERT_TRUE(controlsApp_->start(L"\"" + BinPath(L"controls.exe") + L"\""));
        accMain_ = accApp_->waitForWindow(L"TevrinAccApp", 30000);
        controlsMain_ = controlsApp_->waitForWindow(L"#32770", 30000);
        ASSERT_NE(accMain_, nullptr);
        ASSERT_NE(controlsMain_, nullptr);
        // accapp sits at the top left and the explorer at the top right; the controls
        // go below accapp so that every window has a spot nothing covers.
        ::SetWindowPos(controlsMain_, HWND_TOP, 0, 500, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetWindowPos(accMain_, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);

        app_ = new CExplorerApp;
        ASSERT_TRUE(app_->InitInstance());
        ::ShowWindow(app_->frame()->hwnd(), SW_SHOW);
        explorer_ = dynamic_cast<CWindowExplorer*>(app_->frame()->explorer());
        ASSERT_NE(explorer_, nullptr);
    }

    static void TearDownTestSuite() {
        if (app_ && app_->frame() && app_->frame()->hwnd()) ::DestroyWindow(app_->frame()->hwnd());
        delete app_;
        app_ = nullptr;
        delete accApp_;
        delete controlsApp_;
        ::OleUninitialize();
    }

    void SetUp() override {
        ASSERT_NE(explorer_, nullptr);
        if (!explorer_->IsVisible()) explorer::ToggleWindowExplorer(explorer_);
        ASSERT_TRUE(PumpUntil([] { return explorer_->IsVisible(); }));
        // Every test starts from the first view: accessibility on, everything shown.
        for (int id : {IDC_USE_MSAA, IDC_SHOW_INVISIBLE})
            if (::IsDlgButtonChecked(*explorer_, id) != BST_CHECKED) Click(id);
        ASSERT_EQ(::SendMessageW(explorer_->Item(IDC_TREE_TABS), TCM_GETCURSEL, 0, 0), 0);
    }

    void TearDown() override {
        if (explorer_->dragging()) LeftButton(false);
    }

    static void Click(int id) { ::SendMessageW(explorer_->Item(id), BM_CLICK, 0, 0); }
    static std::wstring Field(int id) { return TextOf(explorer_->Item(id)); }
    static std::vector<std::wstring> Tree() { return TreeLines(explorer_->Item(IDC_EXPLORER_TREE)); }

    // Presses the finder and drags it to `screen`.
    static void DragFinderTo(POINT screen) {
        MouseTo(CenterOf(explorer_->Item(IDC_FINDER)));
        LeftButton(true);
        ASSERT_TRUE(PumpUntil([] { return explorer_->dragging(); }));
        MouseTo(screen);
    }

    static void ClickTab(int index) {
        HWND tabs = explorer_->Item(IDC_TREE_TABS);
        RECT r{};
        TabCtrl_GetItemRect(tabs, index, &r);
        ::MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&r), 2);
        // Never twice on one spot: that would be a double click.
        static int clicks = 0;
        ClickAt(POINT{r.left + 5 + (clicks++ % 2) * 8, (r.top + r.bottom) / 2});
    }

    static HWND AccControl(const wchar_t* name) { return ChildWithText(accMain_, name); }

    static e2e::ProcessRunner* accApp_;
    static e2e::ProcessRunner* controlsApp_;
    static HWND accMain_;
    static HWND controlsMain_;
    static CExplorerApp* app_;
    static CWindowExplorer* explorer_;
};

e2e::ProcessRunner* ExplorerTest::accApp_ = nullptr;
e2e::ProcessRunner* ExplorerTest::controlsApp_ = nullptr;
HWND ExplorerTest::accMain_ = nullptr;
HWND ExplorerTest::controlsMain_ = nullptr;
CExplorerApp* ExplorerTest::app_ = nullptr;
CWindowExplorer* ExplorerTest::explorer_ = nullptr;

TEST_F(ExplorerTest, OpeningHidesTheFrameAndClosingShowsItAgain) {
    HWND frame = app_->frame()->hwnd();
    EXPECT_FALSE(::IsWindowVisible(frame));
    EXPECT_NE(::GetWindowLongW(*explorer_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    RECT r{};
    ::GetWindowRect(*explorer_, &r);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 400);

    Click(IDOK);
    EXPECT_TRUE(PumpUntil([frame] { return ::IsWindowVisible(frame) && !explorer_->IsVisible(); }));
    EXPECT_TRUE(Tree().empty());
    EXPECT_TRUE(explorer::ToggleWindowExplorer(explorer_));
    EXPECT_FALSE(::IsWindowVisible(frame));
}

TEST_F(ExplorerTest, FinderOverAccessibleApplicationShowsItsTreeFieldsAndOutline) {
    HWND ok = AccControl(L"OK");
    ASSERT_NE(ok, nullptr);
    DragFinderTo(CenterOf(ok));
    ASSERT_TRUE(PumpUntil([] { return explorer_->target() == accMain_; }));

    const std::vector<std::wstring> tree = Tree();
    EXPECT_TRUE(Contains(tree, L"accDialog(\"Accessible Test\")"));
    EXPECT_TRUE(Contains(tree, L"  accGrouping(\"Options\")"));
    EXPECT_TRUE(Contains(tree, L"    accPushButton(\"OK\")"));
    EXPECT_TRUE(Contains(tree, L"    accCheckButton(\"Remember me\")"));
    EXPECT_TRUE(Contains(tree, L"  accList(\"Items\")"));
    EXPECT_TRUE(Contains(tree, L"    [ accCheckButton(\"Alpha\") ]"));
    EXPECT_TRUE(Contains(tree, L"    [ accListItem(\"Delta\") ]"));
    EXPECT_TRUE(Contains(tree, L"  accPushButton(\"Help\")"));

    EXPECT_EQ(Field(IDC_HANDLE), explorer::FormatHandle(ok));
    EXPECT_EQ(Field(IDC_CLASS), L"TevrinAccControl");
    EXPECT_EQ(Field(IDC_NAME), L"OK");
    // The path is the chain of role properties down to the button.
    EXPECT_EQ(Field(IDC_PATH), L"accDialog(\"Accessible Test\").accGrouping(\"Options\").accPushButton(\"OK\")");

    RECT okRect{};
    ::GetWindowRect(ok, &okRect);
    EXPECT_TRUE(::EqualRect(&explorer_->highlight(), &okRect));
    LeftButton(false);
    EXPECT_FALSE(explorer_->dragging());
    EXPECT_TRUE(::IsRectEmpty(&explorer_->highlight()));
}

TEST_F(ExplorerTest, SameApplicationKeepsTheTreeAnotherApplicationRebuildsIt) {
    DragFinderTo(CenterOf(AccControl(L"OK")));
    ASSERT_TRUE(PumpUntil([] { return explorer_->target() == accMain_; }));
    const int builds = explorer_->builds();

    HWND cancel = AccControl(L"Cancel");
    MouseTo(CenterOf(cancel));
    EXPECT_TRUE(PumpUntil([cancel] { return Field(IDC_HANDLE) == explorer::FormatHandle(cancel); }));
    EXPECT_EQ(explorer_->builds(), builds);
    EXPECT_EQ(Field(IDC_PATH), L"accDialog(\"Accessible Test\").accGrouping(\"Options\").accPushButton(\"Cancel\")");

    RECT controls{};
    ::GetWindowRect(controlsMain_, &controls);
    MouseTo(POINT{controls.right - 20, controls.bottom - 20});
    EXPECT_TRUE(PumpUntil([] { return explorer_->target() == controlsMain_; }));
    EXPECT_EQ(explorer_->builds(), builds + 1);
    EXPECT_FALSE(Contains(Tree(), L"accDialog(\"Accessible Test\")"));
    LeftButton(false);
}

TEST_F(ExplorerTest, DraggingOverTheExplorerItselfChangesNothing) {
    DragFinderTo(CenterOf(AccControl(L"Help")));
    ASSERT_TRUE(PumpUntil([] { return explorer_->target() == accMain_; }));
    const int builds = explorer_->builds();
    const std::wstring handle = Field(IDC_HANDLE), path = Field(IDC_PATH);
    const RECT outline = explorer_->highlight();

    for (int id : {IDC_EXPLORER_TREE, IDC_NAME, IDC_FINDER_LABEL}) {
        MouseTo(CenterOf(explorer_->Item(id)));
        EXPECT_EQ(explorer_->target(), accMain_);
        EXPECT_EQ(explorer_->builds(), builds);
        EXPECT_EQ(Field(IDC_HANDLE), handle);
        EXPECT_EQ(Field(IDC_PATH), path);
        EXPECT_TRUE(::EqualRect(&explorer_->highlight(), &outline));
    }
    LeftButton(false);
}

TEST_F(ExplorerTest, HiddenFramePartsAppearOnlyWithShowInvisibleItems) {
    DragFinderTo(CenterOf(AccControl(L"OK")));
    ASSERT_TRUE(PumpUntil([] { return explorer_->target() == accMain_; }));
    LeftButton(false);
    std::vector<std::wstring> tree = Tree();
    EXPECT_TRUE(Contains(tree, L"  accTitleBar(\"Accessible Test\")"));
    EXPECT_TRUE(Contains(tree, L"  accScrollBar(\"Vertical\")"));
    EXPECT_TRUE(Contains(tree, L"  accScrollBar(\"Horizontal\")"));

    Click(IDC_SHOW_INVISIBLE);
    tree = Tree();
    EXPECT_FALSE(Contains(tree, L"  accTitleBar(\"Accessible Test\")"));
    EXPECT_FALSE(Contains(tree, L"  accScrollBar(\"Vertical\")"));
    EXPECT_FALSE(Contains(tree, L"  accScrollBar(\"Horizontal\")"));
    // Everything visible stays.
    EXPECT_TRUE(Contains(tree, L"    accPushButton(\"OK\")"));
    EXPECT_TRUE(Contains(tree, L"    [ accCheckButton(\"Gamma\") ]"));
}

TEST_F(ExplorerTest, WindowModeShowsWindowTextsAndNotApplicable) {
    HWND edit = ::GetDlgItem(controlsMain_, 1001);
    ASSERT_NE(edit, nullptr);
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed by the test"));
    ClickTab(1);
    ASSERT_TRUE(PumpUntil([] { return !explorer_->accessibleMode(); }));

    DragFinderTo(CenterOf(edit));
    ASSERT_TRUE(PumpUntil([edit] { return Field(IDC_HANDLE) == explorer::FormatHandle(edit); }));
    EXPECT_EQ(Field(IDC_NAME), L"N/A");
    EXPECT_EQ(Field(IDC_ROLE), L"N/A");
    EXPECT_EQ(Field(IDC_DESCRIPTION), L"N/A");
    EXPECT_EQ(Field(IDC_VALUE), L"typed by the test");
    EXPECT_EQ(Field(IDC_CLASS), L"Edit");
    EXPECT_EQ(Field(IDC_PATH), L"");
    RECT editRect{};
    ::GetWindowRect(edit, &editRect);
    EXPECT_TRUE(::EqualRect(&explorer_->highlight(), &editRect));
    LeftButton(false);

    const std::vector<std::wstring> tree = Tree();
    EXPECT_TRUE(Contains(tree, L"(" + explorer::FormatHandle(controlsMain_) + L") #32770 \"Tevrin Controls\""));
    EXPECT_TRUE(Contains(tree, L"  (" + explorer::FormatHandle(edit) + L") Edit \"" + TextOf(edit) + L"\""));
    ClickTab(0);
    EXPECT_TRUE(PumpUntil([] { return explorer_->accessibleMode(); }));
}

// The message box of the tab rule, answered from inside its own modal loop.
std::wstring g_boxText;
CWindowExplorer* g_explorer = nullptr;
BOOL CALLBACK AnswerIfMessageBox(HWND window, LPARAM) {
    wchar_t cls[16] = {};
    ::GetClassNameW(window, cls, 16);
    if (::lstrcmpW(cls, L"#32770") != 0 || !::IsWindowVisible(window) ||
        ::GetWindow(window, GW_OWNER) != g_explorer->hwnd())
        return TRUE;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (TextOf(child).find(L"Please") == 0) g_boxText = TextOf(child);
    ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    ::EnumThreadWindows(::GetCurrentThreadId(), AnswerIfMessageBox, 0);
    if (!g_boxText.empty()) ::KillTimer(nullptr, timer);
}

TEST_F(ExplorerTest, AccTabNeedsUseMsaa) {
    Click(IDC_USE_MSAA);
    HWND tabs = explorer_->Item(IDC_TREE_TABS);
    EXPECT_EQ(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);

    g_boxText.clear();
    g_explorer = explorer_;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 100, AnswerMessageBox);
    ClickTab(0);
    PumpUntil([] { return !g_boxText.empty(); });
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_boxText, L"Please check the 'Use Accessibility' box first.");
    EXPECT_EQ(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 1);

    Click(IDC_USE_MSAA);
    EXPECT_EQ(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
}

TEST_F(ExplorerTest, WithoutTheAccessibilityLibraryOnlyWindowsAreShown) {
    auto* bare = new CWindowExplorer(nullptr, common::Oleacc{});
    ASSERT_TRUE(bare->Create());
    bare->deleteOnDestroy = true;
    ::ShowWindow(*bare, SW_SHOW);
    EXPECT_NE(::GetWindowLongW(*bare, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_FALSE(::IsWindowEnabled(bare->Item(IDC_USE_MSAA)));
    EXPECT_FALSE(::IsWindowEnabled(bare->Item(IDC_SHOW_INVISIBLE)));
    EXPECT_EQ(::SendMessageW(bare->Item(IDC_TREE_TABS), TCM_GETCURSEL, 0, 0), 1);

    HWND ok = AccControl(L"OK");
    MouseTo(CenterOf(bare->Item(IDC_FINDER)));
    LeftButton(true);
    ASSERT_TRUE(PumpUntil([bare] { return bare->dragging(); }));
    MouseTo(CenterOf(ok));
    EXPECT_TRUE(PumpUntil([bare] { return bare->target() == accMain_; }));
    EXPECT_EQ(TextOf(bare->Item(IDC_NAME)), L"N/A");
    EXPECT_EQ(TextOf(bare->Item(IDC_HANDLE)), explorer::FormatHandle(ok));
    EXPECT_TRUE(Contains(TreeLines(bare->Item(IDC_EXPLORER_TREE)),
                         L"  (" + explorer::FormatHandle(ok) + L") TevrinAccControl \"OK\""));
    LeftButton(false);
    ::DestroyWindow(*bare);
}

} // namespace

namespace {

TEST_F(ExplorerTest, KeepOnTopFollowsItsButton) {
    EXPECT_NE(::GetWindowLongW(*explorer_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    Click(IDC_KEEP_ON_TOP);
    EXPECT_EQ(::IsDlgButtonChecked(*explorer_, IDC_KEEP_ON_TOP), BST_UNCHECKED);
    EXPECT_EQ(::GetWindowLongW(*explorer_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    // Checking it again asks for the topmost place once more; Wine 8 keeps a window
    // that owns topmost tooltips out of the topmost band then, so only the box is read.
    Click(IDC_KEEP_ON_TOP);
    EXPECT_EQ(::IsDlgButtonChecked(*explorer_, IDC_KEEP_ON_TOP), BST_CHECKED);
}

} // namespace
