// Breakpoints: the list, their placement on the engine's code and the Breakpoints pane.
#include "DebuggerFixture.h"
#include "debugger/DebuggerMessages.h"

using namespace debuggertest;

namespace {

const char kCommentedScript[] =
    "#language StepScript\r\n"   // 1
    "Dim x\r\n"                  // 2
    "x = 1\r\n"                  // 3
    "' the second step\r\n"      // 4
    "' comes next\r\n"           // 5
    "x = x + 1\r\n"              // 6
    "Env.LogInfo \"x \" & x\r\n";  // 7

class Breakpoints : public DebuggerTest {
protected:
    std::vector<int> Lines() {
        std::vector<int> lines;
        for (const auto& record : host_.breakpoints()) lines.push_back(record.line + 1);
        return lines;
    }
};

} // namespace

TEST_F(Breakpoints, ToggleTwiceAddsThenRemovesAndThePaneFollows) {
    const std::string path = WriteScript("tevrin_bp_toggle.vbs", kProcedureScript);
    BreakAt(path, kProcedureScript, 10);
    panes_->RefreshBreakpoints();
    auto& pane = panes_->breakpoints();
    ASSERT_EQ(pane.list().RowCount(), 1);
    EXPECT_EQ(pane.list().Text(0, 0), L"10");
    EXPECT_EQ(pane.list().Text(0, 1), common::AnsiToWide(path));
    EXPECT_TRUE(pane.IsChecked(0));

    // The same line again, from another caret position on it: the same breakpoint.
    host_.ToggleBreakpoint({9, OffsetOfLine(kProcedureScript, 10) + 3, true, path});
    EXPECT_TRUE(Lines().empty());
    panes_->RefreshBreakpoints();
    EXPECT_EQ(pane.list().RowCount(), 0);
}

TEST_F(Breakpoints, BreakpointsOnCommentLinesMoveToTheNextCodeWithOneMessage) {
    const std::string path = WriteScript("tevrin_bp_moved.vbs", kCommentedScript);
    BreakAt(path, kCommentedScript, 2);
    BreakAt(path, kCommentedScript, 4);
    BreakAt(path, kCommentedScript, 5);
    Start(path);
    EXPECT_TRUE(host_.breakpointsMoved());
    EXPECT_FALSE(host_.breakpointsDisabled());
    // Two breakpoints that land on the same line are one breakpoint.
    EXPECT_EQ(Lines(), (std::vector<int>{3, 6}));
    EXPECT_EQ(debugger::ShowPlacementMessages(host_), 1);
    ASSERT_EQ(app_->messages.size(), 1u);
    EXPECT_EQ(app_->messages[0],
              L"One or more breakpoints were not positioned on valid lines. These breakpoints were moved to the "
              L"nearest valid line.");

    ASSERT_TRUE(Stopped());
    EXPECT_EQ(host_.currentLine(), 3);
    Go();
    ASSERT_TRUE(Stopped());
    EXPECT_EQ(host_.currentLine(), 6);
    Go();
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(app_->Logged(L"x 2"));

    // Placed where they are, they stay put on the next run.
    Start(path);
    EXPECT_FALSE(host_.breakpointsMoved());
    ASSERT_TRUE(Stopped());
    host_.Stop();
    ASSERT_TRUE(Ended());
}

TEST_F(Breakpoints, UncheckingKeepsTheRowAndTheRunNoLongerStopsThere) {
    const std::string path = WriteScript("tevrin_bp_uncheck.vbs", kProcedureScript);
    BreakAt(path, kProcedureScript, 10);
    BreakAt(path, kProcedureScript, 12);
    panes_->RefreshBreakpoints();
    auto& pane = panes_->breakpoints();
    ListView_SetCheckState(pane.control(), 0, FALSE);
    host::DispatchWaitingMessages();
    ASSERT_EQ(pane.list().RowCount(), 2);
    EXPECT_FALSE(pane.IsChecked(0));
    EXPECT_TRUE(pane.IsChecked(1));
    EXPECT_FALSE(host_.breakpoints()[0].enabled);

    Start(path);
    // A disabled breakpoint is not placed again as a failure.
    EXPECT_FALSE(host_.breakpointsDisabled());
    ASSERT_TRUE(Stopped());
    EXPECT_EQ(host_.currentLine(), 12);
    EXPECT_TRUE(app_->Logged(L"in work 5"));

    Go();
    ASSERT_TRUE(Ended());
    panes_->RefreshBreakpoints();
    EXPECT_EQ(pane.list().RowCount(), 2);
    EXPECT_FALSE(pane.IsChecked(0));
}

TEST_F(Breakpoints, ToggleDuringARunPlacesTheBreakpointOnCode) {
    const std::string path = WriteScript("tevrin_bp_running.vbs", kProcedureScript);
    const std::string other = WriteScript("tevrin_bp_other.vbs", kCommentedScript);
    BreakAt(path, kProcedureScript, 10);
    Start(path);
    ASSERT_TRUE(Stopped());
    ASSERT_EQ(host_.currentLine(), 10);

    // On the comment line in front of the statement it stops at: that statement's
    // breakpoint goes, and comes back.
    host_.ToggleBreakpoint({8, OffsetOfLine(kProcedureScript, 9), true, path});
    EXPECT_TRUE(Lines().empty());
    host_.ToggleBreakpoint({8, OffsetOfLine(kProcedureScript, 9), true, path});
    EXPECT_EQ(Lines(), (std::vector<int>{10}));
    BreakAt(path, kProcedureScript, 11);
    EXPECT_EQ(Lines(), (std::vector<int>{10, 11}));
    // A file that is not part of the run has no code.
    host_.ToggleBreakpoint({2, OffsetOfLine(kCommentedScript, 3), true, other});
    ASSERT_EQ(app_->messages.size(), 1u);
    EXPECT_EQ(app_->messages[0], L"No code exists for that source line. Breakpoint cannot be set.");
    EXPECT_EQ(Lines(), (std::vector<int>{10, 11}));

    Go();
    ASSERT_TRUE(Stopped());
    EXPECT_EQ(host_.currentLine(), 11);
    // Removed during the run, the engine forgets it too.
    host_.ToggleBreakpoint({10, OffsetOfLine(kProcedureScript, 11), true, path});
    EXPECT_EQ(Lines(), (std::vector<int>{10}));
    Go();
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(app_->Logged(L"after 5"));
}

TEST_F(Breakpoints, DeleteInThePaneRemovesTheSelectedBreakpointOnly) {
    const std::string path = WriteScript("tevrin_bp_delete.vbs", kProcedureScript);
    BreakAt(path, kProcedureScript, 10);
    BreakAt(path, kProcedureScript, 12);
    panes_->RefreshBreakpoints();
    auto& pane = panes_->breakpoints();
    pane.DeleteSelected();  // nothing selected
    EXPECT_EQ(pane.list().RowCount(), 2);

    ListView_SetItemState(pane.control(), 1, LVIS_SELECTED, LVIS_SELECTED);
    pane.DeleteSelected();
    host::DispatchWaitingMessages();
    EXPECT_EQ(Lines(), (std::vector<int>{10}));
    ASSERT_EQ(pane.list().RowCount(), 1);
    EXPECT_EQ(pane.list().Text(0, 0), L"10");

    // A double-click shows the breakpoint's line.
    DoubleClick(pane, 0);
    auto shown = app_->Positions();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().file, path);
    EXPECT_EQ(shown.back().line, 10);
    EXPECT_FALSE(shown.back().markFrame);
}

TEST_F(Breakpoints, TheLineWinsOverAnOffsetLeftBehindByEdits) {
    const std::string path = WriteScript("tevrin_bp_edited.vbs", kProcedureScript);
    // Lines were inserted above the breakpoint after it was set: its line followed the
    // text, its offset still points two lines higher.
    host_.ToggleBreakpoint({11, OffsetOfLine(kProcedureScript, 10), true, path});
    Start(path);
    EXPECT_FALSE(host_.breakpointsMoved());
    ASSERT_TRUE(Stopped());
    EXPECT_EQ(host_.currentLine(), 12);
    EXPECT_EQ(Lines(), (std::vector<int>{12}));
    Go();
    ASSERT_TRUE(Ended());
}
