#include "FrameFixture.h"
#include <commctrl.h>

TEST(AnchoredRect, EachAxisFollowsItsAnchors) {
    const RECT r{10, 20, 110, 70};
    // Near edge only: stays.
    RECT same = CAnchorDialog::AnchoredRect(r, ANCHOR_LEFT | ANCHOR_TOP, 30, 40);
    EXPECT_TRUE(::EqualRect(&same, &r));
    // Both edges: stretches by the change.
    RECT all = CAnchorDialog::AnchoredRect(r, ANCHOR_ALL, 30, 40);
    EXPECT_EQ(all.left, 10);
    EXPECT_EQ(all.right, 140);
    EXPECT_EQ(all.top, 20);
    EXPECT_EQ(all.bottom, 110);
    // Far edge only: moves.
    RECT moved = CAnchorDialog::AnchoredRect(r, ANCHOR_RIGHT | ANCHOR_BOTTOM, 30, -10);
    EXPECT_EQ(moved.left, 40);
    EXPECT_EQ(moved.right, 140);
    EXPECT_EQ(moved.top, 10);
    EXPECT_EQ(moved.bottom, 60);
    // Mixed: stretch across, move down.
    RECT mixed = CAnchorDialog::AnchoredRect(r, ANCHOR_LEFT | ANCHOR_RIGHT | ANCHOR_BOTTOM, 5, 7);
    EXPECT_EQ(mixed.left, 10);
    EXPECT_EQ(mixed.right, 115);
    EXPECT_EQ(mixed.top, 27);
    EXPECT_EQ(mixed.bottom, 77);
}

using AnchorDialogTest = FrameFixture;

TEST_F(AnchorDialogTest, ControlsFollowThePaneSize) {
    CAnchorDialog& dlg = frame->watchDialog;
    HWND edit = dlg.Item(IDC_WATCH_EDIT), add = dlg.Item(IDC_WATCH_ADD), list = dlg.Item(IDC_WATCH_LIST);
    auto rectOf = [&](HWND h) {
        RECT r{};
        ::GetWindowRect(h, &r);
        ::MapWindowPoints(nullptr, dlg.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    ::MoveWindow(dlg.hwnd(), 0, 0, 300, 200, TRUE);
    RECT e1 = rectOf(edit), a1 = rectOf(add), l1 = rectOf(list);
    ::MoveWindow(dlg.hwnd(), 0, 0, 360, 260, TRUE);
    RECT e2 = rectOf(edit), a2 = rectOf(add), l2 = rectOf(list);
    EXPECT_EQ(e2.left, e1.left);
    EXPECT_EQ(e2.right, e1.right + 60);
    EXPECT_EQ(e2.top, e1.top);
    EXPECT_EQ(e2.bottom, e1.bottom);
    EXPECT_EQ(a2.left, a1.left + 60);
    EXPECT_EQ(a2.right - a2.left, a1.right - a1.left);
    EXPECT_EQ(a2.top, a1.top);
    EXPECT_EQ(l2.right, l1.right + 60);
    EXPECT_EQ(l2.bottom, l1.bottom + 60);
    EXPECT_EQ(l2.top, l1.top);
    // Back to the first size: exactly the first layout (no drift).
    ::MoveWindow(dlg.hwnd(), 0, 0, 300, 200, TRUE);
    RECT e3 = rectOf(edit);
    EXPECT_TRUE(::EqualRect(&e3, &e1));
    EXPECT_EQ(dlg.GetAnchor(IDC_WATCH_ADD), ANCHOR_RIGHT | ANCHOR_TOP);
    EXPECT_EQ(dlg.GetAnchor(12345), ANCHOR_LEFT | ANCHOR_TOP);
}

TEST_F(AnchorDialogTest, ResizingThePaneResizesItsContent) {
    frame->treePane.SetSizeVert(SIZE{frame->treePane.sizeVert().cx + 50, frame->treePane.sizeVert().cy});
    RECT client = frame->treePane.ClientRect();
    RECT tree{};
    ::GetWindowRect(frame->treeDialog.Item(IDC_TREE), &tree);
    EXPECT_EQ(tree.right - tree.left, client.right);
}

TEST_F(AnchorDialogTest, TooltipHasOneTextPerControl) {
    CAnchorDialog& dlg = frame->watchDialog;
    ASSERT_NE(dlg.tooltip(), nullptr);
    EXPECT_EQ(::SendMessageW(dlg.tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    dlg.AddTooltip(IDC_WATCH_ADD, L"Adds it");
    EXPECT_EQ(::SendMessageW(dlg.tooltip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[80] = {};
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = dlg.hwnd();
    ti.uId = reinterpret_cast<UINT_PTR>(dlg.Item(IDC_WATCH_ADD));
    ti.lpszText = text;
    ::SendMessageW(dlg.tooltip(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(text, L"Adds it");
}

TEST_F(AnchorDialogTest, TheResourceSizeIsTheMinimumTrackingSize) {
    CAnchorDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_WATCH_PANE, frame->hwnd()));
    RECT initial = dlg.WindowRect();
    EXPECT_EQ(dlg.minimumSize().cx, initial.right - initial.left);
    EXPECT_EQ(dlg.minimumSize().cy, initial.bottom - initial.top);
    dlg.DestroyWindow();
}
