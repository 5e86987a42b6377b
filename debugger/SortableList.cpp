#include "debugger/SortableList.h"
#include "common/TextConv.h"
#include <commctrl.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace debugger {

namespace {
const size_t kTextKeyBytes = 18;
}

SortableList::~SortableList() { Detach(); }

void SortableList::Attach(HWND list, const std::vector<ListColumn>& columns, DWORD extendedStyle, bool sortable) {
    Detach();
    list_ = list;
    sortable_ = sortable;
    kinds_.clear();
    sortColumn_ = -1;
    ascending_ = true;
    ListView_SetExtendedListViewStyle(list_, extendedStyle);
    int index = 0;
    for (const ListColumn& column : columns) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        c.pszText = const_cast<wchar_t*>(column.name);
        c.cx = column.width;
        c.iSubItem = index;
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&c));
        kinds_.push_back(column.sort);
        ++index;
    }
}

void SortableList::Detach() {
    if (list_ && ::IsWindow(list_)) DeleteAll();
    for (RowData* data : rows_) delete data;
    rows_.clear();
    list_ = nullptr;
}

int SortableList::AddRow(const std::vector<std::wstring>& texts, LPARAM userValue) {
    if (!list_) return -1;
    RowData* data = sortable_ ? new RowData{userValue, 0.0, {}} : nullptr;
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = RowCount();
    item.pszText = const_cast<wchar_t*>(texts.empty() ? L"" : texts[0].c_str());
    item.lParam = sortable_ ? reinterpret_cast<LPARAM>(data) : userValue;
    int row = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) {
        delete data;
        return -1;
    }
    if (data) rows_.push_back(data);
    for (size_t column = 1; column < texts.size(); ++column) SetText(row, static_cast<int>(column), texts[column]);
    return row;
}

LPARAM SortableList::ItemData(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!list_ || !::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

SortableList::RowData* SortableList::DataOf(int row) const {
    if (!sortable_) return nullptr;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!list_ || !::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<RowData*>(item.lParam);
}

void SortableList::DeleteRow(int row) {
    RowData* data = DataOf(row);
    if (!::SendMessageW(list_, LVM_DELETEITEM, row, 0)) return;
    if (data) {
        rows_.erase(std::remove(rows_.begin(), rows_.end(), data), rows_.end());
        delete data;
    }
}

void SortableList::DeleteAll() {
    if (list_) ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
    for (RowData* data : rows_) delete data;
    rows_.clear();
}

int SortableList::RowCount() const {
    return list_ ? static_cast<int>(::SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring SortableList::Text(int row, int column) const {
    wchar_t buffer[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 1024;
    ::SendMessageW(list_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void SortableList::SetText(int row, int column, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

LPARAM SortableList::UserValue(int row) const {
    if (!sortable_) return ItemData(row);
    RowData* data = DataOf(row);
    return data ? data->user : 0;
}

void SortableList::SetUserValue(int row, LPARAM value) {
    if (!sortable_) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = value;
        ::SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    } else if (RowData* data = DataOf(row)) {
        data->user = value;
    }
}

int SortableList::FindUserValue(LPARAM value) const {
    for (int row = 0, count = RowCount(); row < count; ++row)
        if (UserValue(row) == value) return row;
    return -1;
}

int SortableList::SelectedRow() const {
    return list_ ? static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED))
                 : -1;
}

void SortableList::SelectRow(int row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void SortableList::OnColumnClick(int column) {
    if (!list_ || !sortable_ || column < 0 || column >= static_cast<int>(kinds_.size())) return;
    ascending_ = column == sortColumn_ ? !ascending_ : true;
    sortColumn_ = column;
    // The keys are taken from the texts as they are now.
    for (int row = 0, count = RowCount(); row < count; ++row) {
        RowData* data = DataOf(row);
        if (!data) continue;
        const std::wstring text = Text(row, column);
        if (kinds_[column] == SortKind::Numeric) {
            data->number = std::wcstod(text.c_str(), nullptr);
            // Hexadecimal texts ("0x0000002A") are numbers too.
            if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X'))
                data->number = static_cast<double>(std::wcstoull(text.c_str() + 2, nullptr, 16));
        } else {
            data->text = common::WideToAnsi(text).substr(0, kTextKeyBytes);
        }
    }
    ::SendMessageW(list_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(&Compare));
}

int CALLBACK SortableList::Compare(LPARAM first, LPARAM second, LPARAM self) {
    const auto* list = reinterpret_cast<const SortableList*>(self);
    const auto* a = reinterpret_cast<const RowData*>(first);
    const auto* b = reinterpret_cast<const RowData*>(second);
    if (!a || !b) return 0;
    int order;
    if (list->kinds_[list->sortColumn_] == SortKind::Numeric)
        order = a->number < b->number ? -1 : (a->number > b->number ? 1 : 0);
    else
        order = std::strncmp(a->text.c_str(), b->text.c_str(), kTextKeyBytes);
    return list->ascending_ ? order : -order;
}

void SortableList::SizeColumnsToFit() {
    for (size_t column = 0; column < kinds_.size(); ++column)
        ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE_USEHEADER);
}

} // namespace debugger
