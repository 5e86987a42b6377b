#include "FrameFixture.h"
#include "frame/CDockPaneFloatFrame.h"
#include "framework/MiniDockFrame.h"
#include "framework/ToolBar.h"
#include <cstdlib>
#include <initializer_list>

namespace {

LPARAM ScreenParam(POINT p) { return MAKELPARAM(p.x, p.y); }

// Drags a pane's edge with the mouse messages a user's drag produces.
void DragEdge(CDockPane& pane, POINT from, POINT to) {
    UINT hit = static_cast<UINT>(::SendMessageW(pane.hwnd(), WM_NCHITTEST, 0, ScreenParam(from)));
    ASSERT_TRUE(hit == HTTOP || hit == HTBOTTOM || hit == HTLEFT || hit == HTRIGHT) << hit;
    ::SendMessageW(pane.hwnd(), WM_NCLBUTTONDOWN, hit, ScreenParam(from));
    POINT mid{(from.x + to.x) / 2, (from.y + to.y) / 2};
    for (POINT p : {mid, to}) {
        ::ScreenToClient(pane.hwnd(), &p);
        ::SendMessageW(pane.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    }
    POINT up = to;
    ::ScreenToClient(pane.hwnd(), &up);
    ::SendMessageW(pane.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
}

// Drags a bar as a user's mouse does: the button goes down at `from` on the bar's grip
// (`down` with `hit`: a caption's WM_NCLBUTTONDOWN, a gripper's WM_LBUTTONDOWN), the
// pointer moves to `to` and the button comes up there, with `held` keys down meanwhile;
// with `cancel`, Escape comes instead of the release.
void DragBar(HWND window, UINT down, WPARAM hit, POINT from, POINT to, std::initializer_list<UINT> held = {},
             bool cancel = false) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_LBUTTON] = 0x80;
    for (UINT key : held) state[key] = 0x80;
    ::SetKeyboardState(state);
    const auto client = [window](POINT p) {
        ::ScreenToClient(window, &p);
        return MAKELPARAM(p.x, p.y);
    };
    const POINT mid{(from.x + to.x) / 2, (from.y + to.y) / 2};
    ::PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, client(mid));
    ::PostMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, client(to));
    if (cancel)
        ::PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    else
        ::PostMessageW(window, WM_LBUTTONUP, 0, client(to));
    ::SendMessageW(window, down, hit, down == WM_NCLBUTTONDOWN ? ScreenParam(from) : client(from));
    state[VK_LBUTTON] = 0;
    for (UINT key : held) state[key] = 0;
    ::SetKeyboardState(state);
    Pump();
}

// On the screen: the frame's client area, and its central area inside the docked rows.
void FrameAreas(const CMDIFrameWnd& frame, RECT& outer, RECT& central) {
    outer = frame.ClientRect();
    ::MapWindowPoints(frame.hwnd(), nullptr, reinterpret_cast<POINT*>(&outer), 2);
    ::GetWindowRect(frame.mdiClient(), &central);
}

// A point on a pane's caption strip (along its top or left edge).
POINT CaptionOf(const CDockPane& pane) {
    const RECT w = pane.WindowRect();
    return POINT{w.left + 6, w.top + 6};
}

int Height(const RECT& r) { return r.bottom - r.top; }
int Width(const RECT& r) { return r.right - r.left; }

} // namespace

using DockingTest = FrameFixture;

TEST_F(DockingTest, PaneSizesComeFromTheContentDialog) {
    RECT dlg = frame->outputDialog.WindowRect();
    int w = Width(dlg) + 10, h = Height(dlg) + 10;
    EXPECT_EQ(frame->outputPane.sizeHorz().cx, w + 12);
    EXPECT_EQ(frame->outputPane.sizeHorz().cy, h);
    EXPECT_EQ(frame->outputPane.sizeVert().cx, w);
    EXPECT_EQ(frame->outputPane.sizeVert().cy, h + 12);
    EXPECT_EQ(frame->outputPane.sizeFloat().cx, w);
    EXPECT_EQ(frame->outputPane.minFloat().cy, h);
    EXPECT_EQ(frame->outputPane.minHorz().cx, w + 12);
}

TEST_F(DockingTest, BarsDockInRowsAndTheClientGetsTheRest) {
    // Output and Watch share the bottom row, Tree has the right side, toolbar the top.
    const auto& bottom = frame->Rows(IDW_DOCKBAR_BOTTOM);
    ASSERT_EQ(bottom.size(), 1u);
    ASSERT_EQ(bottom[0].size(), 2u);
    EXPECT_EQ(bottom[0][0], &frame->outputPane);
    EXPECT_EQ(bottom[0][1], &frame->watchPane);
    ASSERT_EQ(frame->Rows(IDW_DOCKBAR_RIGHT).size(), 1u);
    EXPECT_EQ(frame->treePane.dockSide(), static_cast<UINT>(IDW_DOCKBAR_RIGHT));

    RECT client = frame->ClientRect();
    RECT status = ClientRectOf(frame->statusBar.hwnd());
    RECT output = ClientRectOf(frame->outputPane.hwnd());
    RECT watch = ClientRectOf(frame->watchPane.hwnd());
    RECT tree = ClientRectOf(frame->treePane.hwnd());
    RECT tool = ClientRectOf(frame->toolBar.hwnd());
    RECT mdi = ClientRectOf(frame->mdiClient());

    EXPECT_EQ(status.bottom, client.bottom);
    EXPECT_EQ(output.bottom, status.top);
    EXPECT_EQ(output.left, 0);
    // The row's last pane takes the rest of the row.
    EXPECT_EQ(watch.left, output.right);
    EXPECT_EQ(watch.right, client.right);
    EXPECT_EQ(Height(watch), Height(output));
    EXPECT_EQ(tool.top, 0);
    EXPECT_EQ(tree.top, tool.bottom);
    EXPECT_EQ(tree.bottom, output.top);
    EXPECT_EQ(tree.right, client.right);
    EXPECT_EQ(mdi.left, 0);
    EXPECT_EQ(mdi.top, tool.bottom);
    EXPECT_EQ(mdi.right, tree.left);
    EXPECT_EQ(mdi.bottom, output.top);
}

TEST_F(DockingTest, BarsDockOnEachSide) {
    ASSERT_TRUE(frame->DockControlBar(&frame->treePane, IDW_DOCKBAR_LEFT));
    ASSERT_TRUE(frame->DockControlBar(&frame->outputPane, IDW_DOCKBAR_TOP));
    RECT tree = ClientRectOf(frame->treePane.hwnd());
    RECT output = ClientRectOf(frame->outputPane.hwnd());
    RECT tool = ClientRectOf(frame->toolBar.hwnd());
    RECT mdi = ClientRectOf(frame->mdiClient());
    EXPECT_EQ(tree.left, 0);
    EXPECT_EQ(mdi.left, tree.right);
    // A new top row lies inside the toolbar's row.
    EXPECT_EQ(output.top, tool.bottom);
    EXPECT_EQ(mdi.top, output.bottom);
    EXPECT_EQ(frame->outputPane.dockSide(), static_cast<UINT>(IDW_DOCKBAR_TOP));

    // Watch may not dock at the top.
    EXPECT_FALSE(frame->DockControlBar(&frame->watchPane, IDW_DOCKBAR_TOP));
    EXPECT_EQ(frame->watchPane.dockSide(), static_cast<UINT>(IDW_DOCKBAR_BOTTOM));
}

TEST_F(DockingTest, DraggingTheInnerEdgeResizesLiveAndRespectsTheMinimum) {
    CDockPane& pane = frame->outputPane;
    pane.SetDragFullWindows(true);
    RECT before = pane.WindowRect();
    POINT edge{(before.left + before.right) / 2, before.top + 2};
    DragEdge(pane, edge, POINT{edge.x, edge.y - 60});
    RECT after = pane.WindowRect();
    EXPECT_EQ(Height(after), Height(before) + 60);
    EXPECT_EQ(pane.sizeHorz().cy, Height(before) + 60);
    // The row shares its thickness; the MDI client shrank with it.
    EXPECT_EQ(Height(frame->watchPane.WindowRect()), Height(after));
    EXPECT_EQ(ClientRectOf(frame->mdiClient()).bottom, ClientRectOf(pane.hwnd()).top);

    // Far below the minimum: stops at the minimum.
    POINT edge2{edge.x, after.top + 2};
    DragEdge(pane, edge2, POINT{edge.x, edge2.y + 500});
    EXPECT_EQ(pane.sizeHorz().cy, pane.minHorz().cy);
    EXPECT_EQ(Height(pane.WindowRect()), pane.minHorz().cy);
}

TEST_F(DockingTest, HalftoneTrackingAppliesTheSizeOnRelease) {
    CDockPane& pane = frame->treePane; // docked right: the left edge sizes it
    pane.SetDragFullWindows(false);
    RECT before = pane.WindowRect();
    POINT from{before.left + 2, (before.top + before.bottom) / 2};
    UINT hit = static_cast<UINT>(::SendMessageW(pane.hwnd(), WM_NCHITTEST, 0, ScreenParam(from)));
    ASSERT_EQ(hit, static_cast<UINT>(HTLEFT));
    ::SendMessageW(pane.hwnd(), WM_NCLBUTTONDOWN, hit, ScreenParam(from));
    EXPECT_TRUE(pane.IsTracking());
    POINT p{from.x - 80, from.y};
    ::ScreenToClient(pane.hwnd(), &p);
    ::SendMessageW(pane.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    // Nothing moves until the button is released.
    EXPECT_EQ(Width(pane.WindowRect()), Width(before));
    ::SendMessageW(pane.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    EXPECT_FALSE(pane.IsTracking());
    EXPECT_EQ(Width(pane.WindowRect()), Width(before) + 80);
    EXPECT_EQ(ClientRectOf(frame->mdiClient()).right, ClientRectOf(pane.hwnd()).left);
}

TEST_F(DockingTest, EscapeCancelsTracking) {
    CDockPane& pane = frame->treePane;
    pane.SetDragFullWindows(true);
    RECT before = pane.WindowRect();
    POINT from{before.left + 2, (before.top + before.bottom) / 2};
    ::SendMessageW(pane.hwnd(), WM_NCLBUTTONDOWN, HTLEFT, ScreenParam(from));
    POINT p{from.x - 50, from.y};
    ::ScreenToClient(pane.hwnd(), &p);
    ::SendMessageW(pane.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    EXPECT_EQ(Width(pane.WindowRect()), Width(before) + 50);
    ::SendMessageW(pane.hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(pane.IsTracking());
    EXPECT_EQ(Width(pane.WindowRect()), Width(before));
}

TEST_F(DockingTest, AChangedDragFullWindowsSettingReachesDockedAndFloatingPanes) {
    BOOL original = TRUE;
    ::SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &original, 0);
    CDockPane& docked = frame->treePane;
    CDockPane& floating = frame->outputPane;
    frame->FloatControlBar(&floating, POINT{300, 300});
    Pump();
    for (BOOL setting : {FALSE, TRUE}) {
        ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, setting, nullptr, 0);
        docked.SetDragFullWindows(!setting);
        floating.SetDragFullWindows(!setting);
        // What the system sends every top-level window when the setting changes.
        ::SendMessageW(frame->hwnd(), WM_SETTINGCHANGE, SPI_SETDRAGFULLWINDOWS, 0);
        EXPECT_EQ(docked.dragFullWindows(), setting != FALSE);
        EXPECT_EQ(floating.dragFullWindows(), setting != FALSE);
    }
    ::SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, original, nullptr, 0);
}

TEST_F(DockingTest, APaneDraggedByItsCaptionDocksOnAnySideJoinsARowOrFloats) {
    CDockPane& tree = frame->treePane;
    ASSERT_EQ(tree.dockSide(), static_cast<UINT>(IDW_DOCKBAR_RIGHT));
    RECT outer{}, central{};
    FrameAreas(*frame, outer, central);
    const int middleY = (central.top + central.bottom) / 2;

    // To the frame's left edge: a row of its own on the left.
    DragBar(tree.hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, CaptionOf(tree), POINT{outer.left + 4, middleY});
    EXPECT_EQ(tree.dockSide(), static_cast<UINT>(IDW_DOCKBAR_LEFT));
    EXPECT_EQ(frame->Rows(IDW_DOCKBAR_LEFT).size(), 1u);

    // Onto the bottom row, right of the output pane: beside the other bars of that row.
    const RECT output = frame->outputPane.WindowRect();
    DragBar(tree.hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, CaptionOf(tree),
            POINT{output.right - 20, (output.top + output.bottom) / 2});
    EXPECT_EQ(tree.dockSide(), static_cast<UINT>(IDW_DOCKBAR_BOTTOM));
    ASSERT_NE(frame->RowOf(&tree), nullptr);
    EXPECT_EQ(frame->RowOf(&tree), frame->RowOf(&frame->outputPane));
    EXPECT_TRUE(frame->Rows(IDW_DOCKBAR_LEFT).empty() || frame->Rows(IDW_DOCKBAR_LEFT).front().empty());

    // Into the middle of the frame: a floating frame where it was dropped.
    const POINT middle{(central.left + central.right) / 2, middleY};
    DragBar(tree.hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, CaptionOf(tree), middle);
    ASSERT_TRUE(tree.IsFloating());
    ASSERT_NE(tree.floatFrame(), nullptr);
    const RECT floating = tree.floatFrame()->WindowRect();
    EXPECT_LE(std::abs(floating.left - (middle.x - 6)), 1);
    EXPECT_LE(std::abs(floating.top - (middle.y - 6)), 1);

    // Its floating frame dragged by the caption onto the right edge: docked again.
    HWND floatWindow = tree.floatFrame()->hwnd();
    DragBar(floatWindow, WM_NCLBUTTONDOWN, HTCAPTION, POINT{floating.left + 30, floating.top + 5},
            POINT{outer.right - 4, middleY});
    EXPECT_EQ(tree.dockSide(), static_cast<UINT>(IDW_DOCKBAR_RIGHT));
    EXPECT_FALSE(::IsWindow(floatWindow));
}

TEST_F(DockingTest, CtrlKeepsADraggedPaneFloatingAndEscapeLeavesItWhereItWas) {
    CDockPane& tree = frame->treePane;
    RECT outer{}, central{};
    FrameAreas(*frame, outer, central);
    const POINT leftEdge{outer.left + 4, (central.top + central.bottom) / 2};

    DragBar(tree.hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, CaptionOf(tree), leftEdge, {VK_CONTROL});
    ASSERT_TRUE(tree.IsFloating());
    const RECT floating = tree.floatFrame()->WindowRect();

    DragBar(tree.floatFrame()->hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, POINT{floating.left + 30, floating.top + 5},
            POINT{outer.right - 4, leftEdge.y}, {}, true);
    ASSERT_TRUE(tree.IsFloating());
    const RECT after = tree.floatFrame()->WindowRect();
    EXPECT_EQ(after.left, floating.left);
    EXPECT_EQ(after.top, floating.top);

    // A pane that may not dock on the top stays where it was dropped instead: floating.
    CDockPane& watch = frame->watchPane;
    DragBar(watch.hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, CaptionOf(watch), POINT{central.left + 200, outer.top + 2});
    EXPECT_TRUE(watch.IsFloating());
}

TEST_F(DockingTest, AToolbarDraggedByItsGripperDocksOnTheLeftStandingUp) {
    CToolBar& bar = frame->toolBar;
    RECT outer{}, central{};
    FrameAreas(*frame, outer, central);
    const RECT before = bar.WindowRect();
    DragBar(bar.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, POINT{before.left + 3, (before.top + before.bottom) / 2},
            POINT{outer.left + 4, (central.top + central.bottom) / 2});
    EXPECT_EQ(bar.dockSide(), static_cast<UINT>(IDW_DOCKBAR_LEFT));
    const RECT after = bar.WindowRect();
    EXPECT_GT(Height(after), Width(after));
}

TEST_F(DockingTest, TheSplitterBetweenRowNeighboursChangesBoth) {
    CDockPane& left = frame->outputPane;
    left.SetDragFullWindows(true);
    RECT l = left.WindowRect(), r = frame->watchPane.WindowRect();
    POINT from{l.right - 2, (l.top + l.bottom) / 2};
    DragEdge(left, from, POINT{from.x + 100, from.y});
    EXPECT_EQ(Width(left.WindowRect()), Width(l) + 100);
    EXPECT_EQ(Width(frame->watchPane.WindowRect()), Width(r) - 100);
    EXPECT_EQ(frame->watchPane.WindowRect().left, left.WindowRect().right);
    // The last pane of the row keeps its own minimum.
    DragEdge(left, POINT{left.WindowRect().right - 2, from.y}, POINT{from.x + 5000, from.y});
    EXPECT_EQ(Width(frame->watchPane.WindowRect()), frame->watchPane.minHorz().cx);
}

TEST_F(DockingTest, FloatsInAToolWindowAndDocksAgain) {
    CDockPane& pane = frame->outputPane;
    ASSERT_TRUE(frame->FloatControlBar(&pane, POINT{300, 200}));
    EXPECT_TRUE(pane.IsFloating());
    ASSERT_NE(pane.floatFrame(), nullptr);
    HWND floating = pane.floatFrame()->hwnd();
    EXPECT_TRUE(dynamic_cast<CDockPaneFloatFrame*>(pane.floatFrame()) != nullptr);
    EXPECT_TRUE(::GetWindowLongW(floating, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(::GetParent(pane.hwnd()), floating);
    EXPECT_TRUE(pane.IsBarVisible());
    RECT c{};
    ::GetClientRect(floating, &c);
    EXPECT_EQ(c.right, pane.sizeFloat().cx);
    EXPECT_EQ(c.bottom, pane.sizeFloat().cy);
    // The system menu hides instead of closing.
    HMENU system = ::GetSystemMenu(floating, FALSE);
    wchar_t text[64] = {};
    ::GetMenuStringW(system, SC_CLOSE, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"&Hide");
    // Watch is now alone in the bottom row and takes all of it.
    EXPECT_EQ(Width(frame->watchPane.WindowRect()), frame->ClientRect().right);

    // Resizing the floating frame becomes the floating size.
    RECT w = pane.floatFrame()->WindowRect();
    ::SetWindowPos(floating, nullptr, 0, 0, Width(w) + 40, Height(w) + 30, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(pane.sizeFloat().cx, c.right + 40);

    // Double click on its caption docks it where it was.
    ::SendMessageW(floating, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    Pump();
    EXPECT_FALSE(pane.IsFloating());
    EXPECT_EQ(pane.dockSide(), static_cast<UINT>(IDW_DOCKBAR_BOTTOM));
    EXPECT_FALSE(::IsWindow(floating));
    EXPECT_EQ(::GetParent(pane.hwnd()), frame->hwnd());
    EXPECT_TRUE(pane.IsBarVisible());
}

TEST_F(DockingTest, CloseButtonHidesAndTheViewCommandShowsAgain) {
    CDockPaneCF& pane = frame->watchPane;
    RECT button = pane.CloseButtonRect();
    ASSERT_FALSE(::IsRectEmpty(&button));
    POINT p{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ASSERT_EQ(::SendMessageW(pane.hwnd(), WM_NCHITTEST, 0, ScreenParam(p)), HTCLOSE);
    ::SendMessageW(pane.hwnd(), WM_NCLBUTTONDOWN, HTCLOSE, ScreenParam(p));
    EXPECT_TRUE(pane.closePressed());
    POINT c = p;
    ::ScreenToClient(pane.hwnd(), &c);
    ::SendMessageW(pane.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    EXPECT_FALSE(pane.IsBarVisible());
    // Output now has the bottom row to itself.
    EXPECT_EQ(Width(frame->outputPane.WindowRect()), frame->ClientRect().right);

    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_VIEW_WATCH, 0);
    EXPECT_TRUE(pane.IsBarVisible());
    EXPECT_EQ(pane.WindowRect().left, frame->outputPane.WindowRect().right);
}

TEST_F(DockingTest, ReleasingTheCloseButtonElsewhereKeepsThePane) {
    CDockPaneCF& pane = frame->watchPane;
    RECT button = pane.CloseButtonRect();
    POINT p{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ::SendMessageW(pane.hwnd(), WM_NCLBUTTONDOWN, HTCLOSE, ScreenParam(p));
    POINT away{button.left - 40, button.bottom + 40};
    ::ScreenToClient(pane.hwnd(), &away);
    ::SendMessageW(pane.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(away.x, away.y));
    ::SendMessageW(pane.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(away.x, away.y));
    EXPECT_TRUE(pane.IsBarVisible());
}

TEST_F(DockingTest, FloatingPaneHidesThroughItsFrame) {
    CDockPane& pane = frame->treePane;
    ASSERT_TRUE(frame->FloatControlBar(&pane, POINT{100, 100}));
    HWND floating = pane.floatFrame()->hwnd();
    ::SendMessageW(floating, WM_CLOSE, 0, 0);
    EXPECT_FALSE(pane.IsBarVisible());
    EXPECT_TRUE(::IsWindow(floating));
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_VIEW_TREE, 0);
    EXPECT_TRUE(pane.IsBarVisible());
    EXPECT_TRUE(::IsWindowVisible(floating));
}

TEST_F(DockingTest, CaptionFontIsTahomaOrArial) {
    std::wstring face = CDockPaneCF::CaptionFontFace();
    EXPECT_TRUE(face == L"Tahoma" || face == L"Arial") << face.c_str();
}

TEST_F(DockingTest, ASecondToolbarDocksBesideTheFirst) {
    CToolBar second;
    ASSERT_TRUE(second.Create(frame, 0xE802, L"Debug"));
    second.SetButtons({ID_RUN, ID_SEPARATOR, ID_VIEW_TREE});
    RECT beside = frame->toolBar.layoutRect;
    ::OffsetRect(&beside, beside.right - beside.left + 1, 0);
    ASSERT_TRUE(frame->DockControlBar(&second, IDW_DOCKBAR_TOP, &beside));
    ASSERT_EQ(frame->Rows(IDW_DOCKBAR_TOP).size(), 1u);
    RECT first = ClientRectOf(frame->toolBar.hwnd()), next = ClientRectOf(second.hwnd());
    EXPECT_EQ(next.top, first.top);
    EXPECT_EQ(next.left, first.right);
    // Docked at the side, a toolbar turns into a column.
    ASSERT_TRUE(frame->DockControlBar(&second, IDW_DOCKBAR_LEFT));
    RECT column = ClientRectOf(second.hwnd());
    EXPECT_GT(column.bottom - column.top, column.right - column.left);
    EXPECT_EQ(ClientRectOf(frame->mdiClient()).left, column.right);
}
