#pragma once
// SortableList: a report-style list control whose rows carry item data (a user value
// and a sort key) and which sorts by a column when its header is clicked: ascending
// first, then toggling. Numeric columns sort by the floating-point value of their
// text, text columns by the first 18 bytes of their (ANSI) text.
//     SortableList list;
//     list.Attach(dialog.Item(1007), {{L"Thread ID", 80, SortKind::Numeric}, {L"Location", 300, SortKind::Text}},
//                 LVS_EX_FULLROWSELECT);
//     list.AddRow({L"0x0000002A", L"Global code"}, 0);
// The owner forwards LVN_COLUMNCLICK to OnColumnClick. Rows are removed through
// DeleteRow/DeleteAll, which free their item data.
#include <windows.h>
#include <string>
#include <vector>

namespace debugger {

enum class SortKind { Numeric = 1, Text = 2 };

struct ListColumn {
    const wchar_t* name;
    int width;
    SortKind sort;
};

class SortableList {
public:
    SortableList() = default;
    ~SortableList();
    SortableList(const SortableList&) = delete;
    SortableList& operator=(const SortableList&) = delete;

    // A list that never sorts (`sortable` false) keeps each row's user value as the
    // control's item data itself, where other code may look for it.
    void Attach(HWND list, const std::vector<ListColumn>& columns, DWORD extendedStyle, bool sortable = true);
    // Frees the item data of the remaining rows (the window may be gone already).
    void Detach();
    HWND hwnd() const { return list_; }

    // Appends a row; returns its index or -1.
    int AddRow(const std::vector<std::wstring>& texts, LPARAM userValue);
    void DeleteRow(int row);
    void DeleteAll();
    int RowCount() const;
    std::wstring Text(int row, int column) const;
    void SetText(int row, int column, const std::wstring& text);
    LPARAM UserValue(int row) const;
    void SetUserValue(int row, LPARAM value);
    // The row whose user value is `value`, or -1.
    int FindUserValue(LPARAM value) const;
    int SelectedRow() const;
    void SelectRow(int row);

    // Header click: sorts by the column, ascending on a new column, else the other way.
    void OnColumnClick(int column);
    int sortColumn() const { return sortColumn_; }
    bool ascending() const { return ascending_; }
    // Every column as wide as its header or its widest text, whichever is wider.
    void SizeColumnsToFit();

private:
    struct RowData {
        LPARAM user;
        double number;
        std::string text;
    };
    RowData* DataOf(int row) const;
    LPARAM ItemData(int row) const;
    static int CALLBACK Compare(LPARAM first, LPARAM second, LPARAM self);

    HWND list_ = nullptr;
    std::vector<SortKind> kinds_;
    std::vector<RowData*> rows_;  // every item data handed to the control, for Detach
    bool sortable_ = true;
    int sortColumn_ = -1;
    bool ascending_ = true;
};

} // namespace debugger
