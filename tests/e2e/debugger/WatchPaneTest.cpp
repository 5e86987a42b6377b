// The Watch pane: expressions typed into the placeholder row, evaluated at every stop
// in the selected frame.
#include "DebuggerFixture.h"
#include "debugger/FrameEvaluation.h"

using namespace debuggertest;

namespace {

class Watch : public DebuggerTest {
protected:
    debugger::WatchPane& pane() { return panes_->watch(); }
    debugger::SortableList& list() { return panes_->watch().list(); }
    int Placeholders() {
        int count = 0;
        for (int row = 0; row < list().RowCount(); ++row)
            if (list().UserValue(row) == debugger::WatchPane::kPlaceholder) ++count;
        return count;
    }
    int LastRow() { return list().RowCount() - 1; }
};

} // namespace

TEST_F(Watch, AnExpressionTypedIntoTheEmptyRowIsEvaluatedAtOnce) {
    const std::string path = WriteScript("tevrin_watch_typed.vbs", kProcedureScript);
    BreakAt(path, kProcedureScript, 6);
    Start(path);
    ASSERT_TRUE(Stopped());
    ASSERT_EQ(list().RowCount(), 1);
    ASSERT_TRUE(EditRow(pane(), 0, L"doubled + 1", VK_RETURN));
    ASSERT_EQ(list().RowCount(), 2);
    EXPECT_EQ(list().Text(0, 0), L"doubled + 1");
    EXPECT_EQ(list().Text(0, 1), L"5");
    EXPECT_EQ(list().UserValue(0), debugger::WatchPane::kWatch);
    EXPECT_EQ(list().Text(1, 0), L"");
    EXPECT_EQ(list().UserValue(1), debugger::WatchPane::kPlaceholder);

    // An undefined name shows what the engine says about it.
    ASSERT_TRUE(EditRow(pane(), LastRow(), L"nosuchname + 1", VK_RETURN));
    const std::wstring error = list().Text(1, 1);
    debugger::Evaluation direct =
        debugger::EvaluateInFrame(host_, L"nosuchname + 1", debugger::kWatchFlags, true);
    EXPECT_TRUE(FAILED(direct.result));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error, direct.text);

    // The caller's frame: the watch follows the chosen frame.
    DoubleClick(panes_->callStack(), 1);
    EXPECT_NE(list().Text(0, 1), L"5");
    Go();
    ASSERT_TRUE(Ended());
}

TEST_F(Watch, EscapeOnTheEmptyRowLeavesOneEmptyRowAndDeleteSparesIt) {
    ASSERT_TRUE(EditRow(pane(), 0, L"abandoned", VK_ESCAPE));
    host::DispatchWaitingMessages();
    EXPECT_EQ(list().RowCount(), 1);
    EXPECT_EQ(Placeholders(), 1);

    // Delete on the placeholder does nothing; on a watch it removes the watch.
    ListView_SetItemState(pane().control(), 0, LVIS_SELECTED, LVIS_SELECTED);
    pane().DeleteSelected();
    EXPECT_EQ(list().RowCount(), 1);
    ASSERT_TRUE(EditRow(pane(), 0, L"total", VK_RETURN));
    ASSERT_EQ(list().RowCount(), 2);
    ListView_SetItemState(pane().control(), 0, LVIS_SELECTED, LVIS_SELECTED);
    pane().DeleteSelected();
    EXPECT_EQ(list().RowCount(), 1);
    EXPECT_EQ(Placeholders(), 1);
}

TEST_F(Watch, AWatchTypedOutsideABreakWaitsForTheNextStop) {
    ASSERT_TRUE(EditRow(pane(), 0, L"total * 10", VK_RETURN));
    EXPECT_EQ(list().Text(0, 1), L"");
    const std::string path = WriteScript("tevrin_watch_later.vbs", kProcedureScript);
    BreakAt(path, kProcedureScript, 11);
    BreakAt(path, kProcedureScript, 13);
    Start(path);
    ASSERT_TRUE(Stopped());
    EXPECT_EQ(list().Text(0, 1), L"10");
    Go();
    ASSERT_TRUE(Stopped());
    EXPECT_EQ(list().Text(0, 1), L"50");
    Go();
    ASSERT_TRUE(Ended());
    // After the run the last results stay.
    EXPECT_EQ(list().Text(0, 1), L"50");
}
