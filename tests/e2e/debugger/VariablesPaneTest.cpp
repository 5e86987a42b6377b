// The Variables pane: the selected frame's variables, and values edited in place.
#include "DebuggerFixture.h"

using namespace debuggertest;

namespace {

class Variables : public DebuggerTest {
protected:
    int RowOf(const std::wstring& name) {
        auto& list = panes_->variables().list();
        for (int row = 0; row < list.RowCount(); ++row)
            if (list.Text(row, debugger::VariablesPane::kNameColumn) == name) return row;
        return -1;
    }
    std::wstring ValueOf(const std::wstring& name) {
        int row = RowOf(name);
        return row < 0 ? L"<none>" : panes_->variables().list().Text(row, debugger::VariablesPane::kValueColumn);
    }
};

} // namespace

TEST_F(Variables, AnEditedValueIsAssignedInTheScript) {
    const std::string path = WriteScript("tevrin_var_edit.vbs", kProcedureScript);
    BreakAt(path, kProcedureScript, 6);
    Start(path);
    ASSERT_TRUE(Stopped());
    EXPECT_EQ(ValueOf(L"n"), L"2");
    EXPECT_EQ(ValueOf(L"doubled"), L"4");
    // The variable's name is shown first, its value second.
    int order[2] = {};
    ListView_GetColumnOrderArray(panes_->variables().control(), 2, order);
    EXPECT_EQ(order[0], debugger::VariablesPane::kNameColumn);

    const int row = RowOf(L"doubled");
    ASSERT_TRUE(EditRow(panes_->variables(), row, L"10", VK_RETURN));
    EXPECT_EQ(ValueOf(L"doubled"), L"10");
    // Text the engine cannot take leaves the old value.
    ASSERT_TRUE(EditRow(panes_->variables(), row, L"10 +", VK_RETURN));
    EXPECT_EQ(ValueOf(L"doubled"), L"10");
    // Escape changes nothing.
    ASSERT_TRUE(EditRow(panes_->variables(), row, L"99", VK_ESCAPE));
    EXPECT_EQ(ValueOf(L"doubled"), L"10");

    // The next statement sees the new value.
    Go();
    ASSERT_TRUE(Ended());
    EXPECT_TRUE(app_->Logged(L"in work 11"));
    EXPECT_TRUE(app_->Logged(L"after 11"));
}
