#include "FrameFixture.h"
#include "framework/BarPlaces.h"
#include "framework/MiniDockFrame.h"
#include "framework/Profile.h"
#include <algorithm>
#include <functional>

class DockPaneStateTest : public FrameFixture {
protected:
    // Closes the frame (which saves the bars), runs `meanwhile`, starts a new frame.
    void Restart(const std::function<void()>& meanwhile = [] {}) {
        ::SendMessageW(frame->hwnd(), WM_CLOSE, 0, 0);
        Pump();
        meanwhile();
        frame = new CFrameAppWindow;
        frame->deleteOnDestroy = true;
        ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, L"Frame Test"));
        app->SetMainWnd(frame);
        ::SetWindowPos(frame->hwnd(), nullptr, 0, 0, 1000, 750, SWP_NOZORDER);
        ::ShowWindow(frame->hwnd(), SW_SHOW);
        Pump();
    }
};

TEST_F(DockPaneStateTest, SaveAndLoadRoundTripUnderTheSectionName) {
    CDockPane& pane = frame->outputPane;
    EXPECT_EQ(pane.SectionName(L"Output"), L"Output-Pane-200");
    SIZE initialHorz = pane.sizeHorz();
    pane.SetSizeHorz(SIZE{initialHorz.cx + 40, initialHorz.cy + 30});
    pane.SetSizeVert(SIZE{pane.sizeVert().cx + 20, pane.sizeVert().cy + 10});
    pane.SetSizeFloat(SIZE{pane.sizeFloat().cx + 5, pane.sizeFloat().cy + 6});
    pane.SaveState(L"Output");
    const CProfile& profile = app->profile();
    EXPECT_EQ(profile.GetInt(L"Output-Pane-200", L"sizeHorzCY", 0), initialHorz.cy + 30);

    // A new frame starts with the initial sizes and takes the saved ones.
    frame->DestroyWindow();
    Pump();
    frame = new CFrameAppWindow;
    frame->deleteOnDestroy = true;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, L"Frame Test"));
    app->SetMainWnd(frame);
    ::ShowWindow(frame->hwnd(), SW_SHOW);
    EXPECT_EQ(frame->outputPane.sizeHorz().cx, initialHorz.cx + 40);
    EXPECT_EQ(frame->outputPane.sizeHorz().cy, initialHorz.cy + 30);
    EXPECT_EQ(frame->outputPane.sizeFloat().cy, profile.GetInt(L"Output-Pane-200", L"sizeFloatCY", 0));
    EXPECT_EQ(frame->outputPane.WindowRect().bottom - frame->outputPane.WindowRect().top, initialHorz.cy + 30);
}

TEST_F(DockPaneStateTest, ValuesBelowTheMinimumAreIgnoredPerDimension) {
    CDockPane& pane = frame->treePane;
    const CProfile& profile = app->profile();
    std::wstring section = pane.SectionName(L"Tree");
    SIZE min = pane.minVert();
    profile.WriteInt(section.c_str(), L"sizeVertCX", min.cx - 1);
    profile.WriteInt(section.c_str(), L"sizeVertCY", min.cy + 15);
    profile.WriteInt(section.c_str(), L"sizeFloatCX", -5);
    pane.LoadState(L"Tree");
    EXPECT_EQ(pane.sizeVert().cx, min.cx);
    EXPECT_EQ(pane.sizeVert().cy, min.cy + 15);
    EXPECT_EQ(pane.sizeFloat().cx, pane.minFloat().cx);
}

TEST_F(DockPaneStateTest, ADeletedSectionRestoresTheInitialSize) {
    CDockPane& pane = frame->outputPane;
    SIZE initial = pane.sizeHorz();
    pane.SetSizeHorz(SIZE{initial.cx, initial.cy + 50});
    pane.SaveState(L"Output");
    ASSERT_TRUE(app->profile().DeleteSection(L"Output-Pane-200"));
    frame->DestroyWindow();
    Pump();
    frame = new CFrameAppWindow;
    frame->deleteOnDestroy = true;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, L"Frame Test"));
    app->SetMainWnd(frame);
    EXPECT_EQ(frame->outputPane.sizeHorz().cy, initial.cy);
}

TEST_F(DockPaneStateTest, ClosingTheFrameSavesThePanes) {
    frame->watchPane.SetSizeHorz(SIZE{frame->watchPane.sizeHorz().cx, frame->watchPane.sizeHorz().cy + 21});
    int expected = frame->watchPane.sizeHorz().cy;
    ::SendMessageW(frame->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(app->mainWnd(), nullptr);
    EXPECT_EQ(app->profile().GetInt(L"Watch-Pane-201", L"sizeHorzCY", 0), expected);
}

TEST_F(DockPaneStateTest, EveryPanesPlaceSurvivesARestartUnlessItIsOffTheScreen) {
    // The tree pane on the left, the watch pane floating, the output pane where it was.
    frame->DockControlBar(&frame->treePane, IDW_DOCKBAR_LEFT);
    frame->FloatControlBar(&frame->watchPane, POINT{300, 200});
    Pump();
    const RECT floating = frame->watchPane.floatFrame()->WindowRect();
    Restart();
    EXPECT_EQ(frame->treePane.dockSide(), static_cast<UINT>(IDW_DOCKBAR_LEFT));
    ASSERT_TRUE(frame->watchPane.IsFloating());
    const RECT again = frame->watchPane.floatFrame()->WindowRect();
    EXPECT_EQ(again.left, floating.left);
    EXPECT_EQ(again.top, floating.top);
    EXPECT_EQ(frame->outputPane.dockSide(), static_cast<UINT>(IDW_DOCKBAR_BOTTOM));

    // Two panes in one row come back in their order.
    RECT beside = frame->outputPane.layoutRect;
    ::OffsetRect(&beside, beside.right - beside.left + 1, 0);
    frame->DockControlBar(&frame->treePane, IDW_DOCKBAR_BOTTOM, &beside);
    ASSERT_EQ(frame->RowOf(&frame->treePane), frame->RowOf(&frame->outputPane));
    Restart();
    const auto* row = frame->RowOf(&frame->treePane);
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row, frame->RowOf(&frame->outputPane));
    EXPECT_LT(std::find(row->begin(), row->end(), &frame->outputPane) - row->begin(),
              std::find(row->begin(), row->end(), &frame->treePane) - row->begin());

    // A floating place off every screen gives way to the program's own layout.
    const std::wstring section = frame->watchPane.SectionName(L"Watch");
    Restart([&] { app->profile().WriteInt(section.c_str(), L"floatX", -20000); });
    EXPECT_EQ(frame->watchPane.dockSide(), static_cast<UINT>(IDW_DOCKBAR_BOTTOM));
}

TEST_F(DockPaneStateTest, AToolBarsPlaceSurvivesARestartBesideThePanes) {
    // The toolbar on the left, in one row with the tree pane.
    CToolBar& bar = frame->toolBar;
    frame->DockControlBar(&frame->treePane, IDW_DOCKBAR_LEFT);
    frame->RecalcLayout();
    RECT below = frame->treePane.layoutRect;
    ::OffsetRect(&below, 0, below.bottom - below.top + 1);
    frame->DockControlBar(&bar, IDW_DOCKBAR_LEFT, &below);
    ASSERT_EQ(frame->RowOf(&bar), frame->RowOf(&frame->treePane));
    Restart();
    EXPECT_EQ(frame->toolBar.dockSide(), static_cast<UINT>(IDW_DOCKBAR_LEFT));
    const auto* row = frame->RowOf(&frame->toolBar);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row, frame->RowOf(&frame->treePane));
    EXPECT_LT(std::find(row->begin(), row->end(), &frame->treePane) - row->begin(),
              std::find(row->begin(), row->end(), &frame->toolBar) - row->begin());

    // Floating, it comes back where it floated.
    frame->FloatControlBar(&frame->toolBar, POINT{250, 300});
    Pump();
    const RECT floating = frame->toolBar.floatFrame()->WindowRect();
    Restart();
    ASSERT_TRUE(frame->toolBar.IsFloating());
    EXPECT_EQ(frame->toolBar.floatFrame()->WindowRect().left, floating.left);
    EXPECT_EQ(frame->toolBar.floatFrame()->WindowRect().top, floating.top);

    // A place off every screen gives way to the program's own: the top.
    const std::wstring section = BarSectionName(L"Standard", frame->toolBar.id());
    Restart([&] { app->profile().WriteInt(section.c_str(), L"floatY", 30000); });
    EXPECT_EQ(frame->toolBar.dockSide(), static_cast<UINT>(IDW_DOCKBAR_TOP));
}
