#include "frame/CMainFrame.h"
#include <gtest/gtest.h>

namespace {

using Buttons = std::vector<UINT>;

TEST(MainFrameToolBarResource, ReadsBothCompilersLayoutsWithSeparatorsAsZero) {
    EXPECT_EQ(CMainFrame::LoadToolBarButtons(300), (Buttons{32778, 0, 32782}));
    EXPECT_EQ(CMainFrame::LoadToolBarButtons(301), (Buttons{57600, 0, 57601, 57670}));
}

TEST(MainFrameToolBarResource, MissingOrTruncatedResourceGivesNoButtons) {
    EXPECT_TRUE(CMainFrame::LoadToolBarButtons(399).empty());
    EXPECT_TRUE(CMainFrame::LoadToolBarButtons(302).empty());
}

} // namespace
