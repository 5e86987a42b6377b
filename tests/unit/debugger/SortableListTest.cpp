// The sortable list: columns with sort kinds, item data that follows its row, and
// header clicks that sort ascending first and then toggle.
#include "debugger/SortableList.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <string>
#include <vector>

using debugger::SortableList;
using debugger::SortKind;

namespace {

class SortableListTest : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
        list_ = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 400, 300, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(list_, nullptr);
        sorted_.Attach(list_, {{L"Count", 60, SortKind::Numeric}, {L"Name", 120, SortKind::Text}},
                       LVS_EX_FULLROWSELECT);
        sorted_.AddRow({L"10", L"beta"}, 1);
        sorted_.AddRow({L"9", L"alpha"}, 2);
        sorted_.AddRow({L"100", L"gamma"}, 3);
        sorted_.AddRow({L"-2.5", L"Delta"}, 4);
    }
    void TearDown() override {
        sorted_.Detach();
        ::DestroyWindow(list_);
    }
    std::vector<LPARAM> Order() {
        std::vector<LPARAM> values;
        for (int row = 0; row < sorted_.RowCount(); ++row) values.push_back(sorted_.UserValue(row));
        return values;
    }

    HWND list_ = nullptr;
    SortableList sorted_;
};

} // namespace

TEST_F(SortableListTest, HeaderClicksSortAscendingThenToggle) {
    ASSERT_EQ(Header_GetItemCount(ListView_GetHeader(list_)), 2);
    sorted_.OnColumnClick(0);
    EXPECT_EQ(Order(), (std::vector<LPARAM>{4, 2, 1, 3}));
    EXPECT_EQ(sorted_.Text(0, 0), L"-2.5");
    sorted_.OnColumnClick(0);
    EXPECT_EQ(Order(), (std::vector<LPARAM>{3, 1, 2, 4}));
    // Another column starts ascending again.
    sorted_.OnColumnClick(1);
    EXPECT_EQ(Order(), (std::vector<LPARAM>{4, 2, 1, 3}));  // "Delta" sorts before lower case
    sorted_.OnColumnClick(1);
    EXPECT_EQ(Order(), (std::vector<LPARAM>{3, 1, 2, 4}));
    sorted_.OnColumnClick(0);
    EXPECT_TRUE(sorted_.ascending());
}

TEST_F(SortableListTest, NumericColumnsSortByValueTextColumnsByText) {
    SortableList asText;
    HWND other = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 400, 300, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    asText.Attach(other, {{L"Count", 60, SortKind::Text}}, 0);
    for (const wchar_t* text : {L"10", L"9", L"100"}) asText.AddRow({text}, 0);
    asText.OnColumnClick(0);
    EXPECT_EQ(asText.Text(0, 0), L"10");
    EXPECT_EQ(asText.Text(1, 0), L"100");
    EXPECT_EQ(asText.Text(2, 0), L"9");
    asText.Detach();
    ::DestroyWindow(other);

    // Thread ids are hexadecimal numbers.
    sorted_.DeleteAll();
    for (const wchar_t* id : {L"0x000000FF", L"0x00000010", L"0x00001000"}) sorted_.AddRow({id, L""}, 0);
    sorted_.OnColumnClick(0);
    EXPECT_EQ(sorted_.Text(0, 0), L"0x00000010");
    EXPECT_EQ(sorted_.Text(2, 0), L"0x00001000");
}

TEST_F(SortableListTest, DeletingRowsKeepsTheOthersItemData) {
    sorted_.OnColumnClick(0);
    sorted_.DeleteRow(1);  // value 2
    EXPECT_EQ(Order(), (std::vector<LPARAM>{4, 1, 3}));
    EXPECT_EQ(sorted_.FindUserValue(3), 2);
    EXPECT_EQ(sorted_.FindUserValue(2), -1);
    sorted_.SetUserValue(0, 40);
    sorted_.OnColumnClick(0);
    EXPECT_EQ(Order(), (std::vector<LPARAM>{3, 1, 40}));
    sorted_.DeleteAll();
    EXPECT_EQ(sorted_.RowCount(), 0);
    sorted_.AddRow({L"1", L"again"}, 7);
    EXPECT_EQ(Order(), (std::vector<LPARAM>{7}));
}

TEST_F(SortableListTest, ListsThatDoNotSortKeepTheUserValueAsItemData) {
    HWND other = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 400, 300, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    SortableList plain;
    plain.Attach(other, {{L"Expression", 150, SortKind::Text}}, 0, false);
    plain.AddRow({L""}, 12345);
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    ASSERT_TRUE(::SendMessageW(other, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(item.lParam, 12345);
    plain.SetUserValue(0, 1);
    EXPECT_EQ(plain.UserValue(0), 1);
    plain.Detach();
    ::DestroyWindow(other);
}
