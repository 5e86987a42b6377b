// The list, combo box, tab, list view and tree view wrappers through COM, against the
// controls application in its own process.
#include "tests/unit/hook/ControlsTarget.h"
#include "common/ComInit.h"
#include "wrappers.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <wrl/client.h>
#include <atomic>
#include <string>
#include <thread>

using Microsoft::WRL::ComPtr;
using testing_hook::ControlsTarget;

namespace {

// VARIANT arguments as scripts pass them.
struct Arg {
    VARIANT v;
    explicit Arg(LONG n) { ::VariantInit(&v); v.vt = VT_I4; v.lVal = n; }
    explicit Arg(short n) { ::VariantInit(&v); v.vt = VT_I2; v.iVal = n; }
    explicit Arg(double d) { ::VariantInit(&v); v.vt = VT_R8; v.dblVal = d; }
    explicit Arg(const wchar_t* s) { ::VariantInit(&v); v.vt = VT_BSTR; v.bstrVal = ::SysAllocString(s); }
    // A script variable: a reference to another VARIANT.
    explicit Arg(VARIANT* target) { ::VariantInit(&v); v.vt = VT_BYREF | VT_VARIANT; v.pvarVal = target; }
    ~Arg() { ::VariantClear(&v); }
    operator VARIANT() const { return v; }
};

struct Str {
    BSTR b = nullptr;
    ~Str() { ::SysFreeString(b); }
    BSTR* put() { ::SysFreeString(b); b = nullptr; return &b; }
    std::wstring str() const { return b ? b : L""; }
};

std::wstring ErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, &info) != S_OK || !info) return L"";
    BSTR text = nullptr;
    info->GetDescription(&text);
    std::wstring result = text ? text : L"";
    ::SysFreeString(text);
    return result;
}

// Elements of a VT_DISPATCH collection, or the VT_I4 value as one element with `single`.
std::vector<LONG> Elements(VARIANT& value, bool* single = nullptr) {
    std::vector<LONG> out;
    if (single) *single = value.vt == VT_I4;
    if (value.vt == VT_I4) {
        out.push_back(value.lVal);
        return out;
    }
    EXPECT_EQ(value.vt, VT_DISPATCH);
    if (value.vt != VT_DISPATCH) return out;
    ComPtr<ICollection> collection;
    EXPECT_TRUE(SUCCEEDED(value.pdispVal->QueryInterface(IID_ICollection, reinterpret_cast<void**>(collection.GetAddressOf()))));
    LONG count = 0;
    collection->get_count(&count);
    for (LONG i = 0; i < count; ++i) {
        VARIANT element;
        ::VariantInit(&element);
        collection->get_item(Arg(i), &element);
        out.push_back(element.vt == VT_I4 ? element.lVal : -999);
        ::VariantClear(&element);
    }
    return out;
}

class ListWrappers : public ::testing::Test {
protected:
    explicit ListWrappers(const wchar_t* arguments = L"") : target(arguments) {}

    void SetUp() override {
        ASSERT_TRUE(apartment_.succeeded());
        ASSERT_TRUE(target.ready()) << "controls.exe showed no dialog";
        ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_WNDWrapper, nullptr, CLSCTX_INPROC_SERVER, IID_IWNDWrapper,
                                                 reinterpret_cast<void**>(root.GetAddressOf()))));
        ASSERT_TRUE(SUCCEEDED(root->connect(static_cast<LONG>(reinterpret_cast<LONG_PTR>(target.dialog())))));
    }
    void TearDown() override {
        root.Reset();
    }

    template <typename I>
    ComPtr<I> Item(LONG id, REFIID iid) {
        ComPtr<IDispatch> object;
        EXPECT_EQ(root->get_dlgItem(id, &object), S_OK);
        ComPtr<I> wrapper;
        if (object) {
            EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(wrapper.GetAddressOf())), S_OK);
        }
        return wrapper;
    }

    const common::ComInit apartment_{COINIT_MULTITHREADED};
    ControlsTarget target;
    ComPtr<IWNDWrapper> root;
};

// ---- list box ----

TEST_F(ListWrappers, ListBoxItemsByIndexPatternAndOtherTypes) {
    auto list = Item<IListBoxCtrl>(IDC_SINGLE_LIST, IID_IListBoxCtrl);
    ASSERT_TRUE(list);
    LONG n = 0;
    ASSERT_EQ(list->get_count(&n), S_OK);
    EXPECT_EQ(n, 5);
    Str text;
    EXPECT_EQ(list->get_item(Arg(2L), text.put()), S_OK);
    EXPECT_EQ(text.str(), L"cherry");
    list->get_item(Arg(short(4)), text.put());
    EXPECT_EQ(text.str(), L"elderberry");
    list->get_item(Arg(L"\\b.*"), text.put());
    EXPECT_EQ(text.str(), L"banana");
    list->get_item(Arg(L"ban"), text.put());  // exact unless a backslash makes it an expression
    EXPECT_EQ(text.str(), L"");
    Arg index(3L);
    list->get_item(Arg(&index.v), text.put());
    EXPECT_EQ(text.str(), L"date");
    for (LONG bad : {-1L, -7L, 99L, 2147483647L}) {
        EXPECT_EQ(list->get_item(Arg(bad), text.put()), S_OK) << bad;
        EXPECT_EQ(text.str(), L"") << bad;
    }
    EXPECT_EQ(list->get_item(Arg(1.0), text.put()), S_OK);
    EXPECT_EQ(text.str(), L"");

    EXPECT_EQ(list->get_findItem(Str().b, &n), S_OK);  // a null pattern
    EXPECT_EQ(n, -1);
    Str pattern;
    *pattern.put() = ::SysAllocString(L"date");
    list->get_findItem(pattern.b, &n);
    EXPECT_EQ(n, 3);
    // An invalid expression is an exception inside: E_UNEXPECTED, the target untouched.
    *pattern.put() = ::SysAllocString(L"\\(");
    EXPECT_EQ(list->get_findItem(pattern.b, &n), E_UNEXPECTED);
    EXPECT_TRUE(target.alive());
}

TEST_F(ListWrappers, ListBoxAddsDeletesAndKeepsItemData) {
    auto list = Item<IListBoxCtrl>(IDC_SINGLE_LIST, IID_IListBoxCtrl);
    ASSERT_TRUE(list);
    Str text;
    *text.put() = ::SysAllocString(L"fig \xe9");  // an ANSI character beyond ASCII
    LONG index = 0;
    ASSERT_EQ(list->newItem(text.b, &index), S_OK);
    EXPECT_EQ(index, 5);
    Str back;
    list->get_item(Arg(5L), back.put());
    EXPECT_EQ(back.str(), L"fig \xe9");

    LONG n = 0;
    EXPECT_EQ(list->deleteItem(Arg(L"nothing like it")), S_OK);
    list->get_count(&n);
    EXPECT_EQ(n, 6);
    EXPECT_EQ(list->deleteItem(Arg(L"\\fig.*")), S_OK);
    list->get_count(&n);
    EXPECT_EQ(n, 5);

    EXPECT_EQ(list->put_itemData(Arg(L"banana"), 77), S_OK);
    LONG data = 0;
    list->get_itemData(Arg(1L), &data);
    EXPECT_EQ(data, 77);
    list->get_itemData(Arg(L"no such"), &data);
    EXPECT_EQ(data, 0);

    EXPECT_EQ(list->resetContent(), S_OK);
    list->get_count(&n);
    EXPECT_EQ(n, 0);
    Str pattern;
    *pattern.put() = ::SysAllocString(L"apple");
    list->get_findItem(pattern.b, &n);
    EXPECT_EQ(n, -1);
}

TEST_F(ListWrappers, SingleSelectionListBoxSelectsWhateverTheValue) {
    auto list = Item<IListBoxCtrl>(IDC_SINGLE_LIST, IID_IListBoxCtrl);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->put_selected(Arg(L"cherry"), VARIANT_FALSE), S_OK);
    VARIANT_BOOL selected = VARIANT_FALSE;
    list->get_selected(Arg(2L), &selected);
    EXPECT_EQ(selected, VARIANT_TRUE);
    list->get_selected(Arg(-1L), &selected);
    EXPECT_EQ(selected, VARIANT_FALSE);
    list->get_selected(Arg(99L), &selected);  // the control answers LB_ERR
    EXPECT_EQ(selected, VARIANT_FALSE);
    VARIANT items;
    ::VariantInit(&items);
    ASSERT_EQ(list->get_selectedItems(&items), S_OK);
    bool single = false;
    EXPECT_EQ(Elements(items, &single), std::vector<LONG>{2});
    EXPECT_TRUE(single);
    ::VariantClear(&items);
}

TEST_F(ListWrappers, MultipleSelectionListBoxGivesACollection) {
    auto list = Item<IListBoxCtrl>(IDC_MULTI_LIST, IID_IListBoxCtrl);
    ASSERT_TRUE(list);
    list->put_selected(Arg(1L), VARIANT_TRUE);
    list->put_selected(Arg(L"five"), VARIANT_TRUE);
    VARIANT items;
    ::VariantInit(&items);
    ASSERT_EQ(list->get_selectedItems(&items), S_OK);
    EXPECT_EQ(Elements(items), (std::vector<LONG>{1, 4}));
    ::VariantClear(&items);

    list->put_selected(Arg(L"five"), VARIANT_FALSE);
    VARIANT_BOOL selected = VARIANT_TRUE;
    list->get_selected(Arg(4L), &selected);
    EXPECT_EQ(selected, VARIANT_FALSE);
    // An item that resolves to nothing applies to every item.
    list->put_selected(Arg(L"no such"), VARIANT_TRUE);
    list->get_selectedItems(&items);
    EXPECT_EQ(Elements(items).size(), 6u);
    ::VariantClear(&items);
    list->put_selected(Arg(L"no such"), VARIANT_FALSE);
    list->get_selectedItems(&items);
    EXPECT_TRUE(Elements(items).empty());
    ::VariantClear(&items);
}

// ---- combo box ----

TEST_F(ListWrappers, ComboBoxSelectionIsReadAsText) {
    auto combo = Item<IComboBoxCtrl>(IDC_COMBO, IID_IComboBoxCtrl);
    ASSERT_TRUE(combo);
    LONG n = 0;
    combo->get_count(&n);
    EXPECT_EQ(n, 3);
    VARIANT sel;
    ::VariantInit(&sel);
    ASSERT_EQ(combo->get_curSel(&sel), S_OK);
    ASSERT_EQ(sel.vt, VT_BSTR);
    EXPECT_STREQ(sel.bstrVal, L"");
    ::VariantClear(&sel);

    EXPECT_EQ(combo->put_curSel(Arg(L"blue")), S_OK);
    combo->get_curSel(&sel);
    EXPECT_STREQ(sel.bstrVal, L"blue");
    ::VariantClear(&sel);
    combo->put_curSel(Arg(L"purple"));  // no such item: unchanged
    combo->put_curSel(Arg(2.5));
    combo->get_curSel(&sel);
    EXPECT_STREQ(sel.bstrVal, L"blue");
    ::VariantClear(&sel);
    combo->put_curSel(Arg(0L));
    combo->get_curSel(&sel);
    EXPECT_STREQ(sel.bstrVal, L"red");
    ::VariantClear(&sel);

    Str text;
    combo->get_item(Arg(1L), text.put());
    EXPECT_EQ(text.str(), L"green");
    combo->get_item(Arg(-5L), text.put());
    EXPECT_EQ(text.str(), L"");
    combo->put_itemData(Arg(L"green"), 5);
    LONG data = 0;
    combo->get_itemData(Arg(1L), &data);
    EXPECT_EQ(data, 5);

    *text.put() = ::SysAllocString(L"cyan");
    combo->newItem(text.b, &n);
    EXPECT_EQ(n, 3);
    combo->deleteItem(Arg(L"red"));
    combo->get_count(&n);
    EXPECT_EQ(n, 3);

    combo->put_dropped(VARIANT_TRUE);
    VARIANT_BOOL dropped = VARIANT_FALSE;
    combo->get_dropped(&dropped);
    EXPECT_EQ(dropped, VARIANT_TRUE);
    combo->put_dropped(VARIANT_FALSE);
    combo->get_dropped(&dropped);
    EXPECT_EQ(dropped, VARIANT_FALSE);

    combo->resetContent();
    *text.put() = ::SysAllocString(L"");
    combo->get_findItem(text.b, &n);
    EXPECT_EQ(n, -1);
}

TEST_F(ListWrappers, ComboBoxSelectChoosesAsTheUserDoesAndTheDialogHearsOfIt) {
    auto combo = Item<IComboBoxCtrl2>(IDC_COMBO, IID_IComboBoxCtrl2);
    ASSERT_TRUE(combo);
    // curSel alone is silent; select is heard as a change, then as a choice taken.
    EXPECT_EQ(combo->put_curSel(Arg(L"green")), S_OK);
    EXPECT_EQ(combo->select(Arg(L"blue")), S_OK);
    EXPECT_TRUE(target.waitForLog("combo select blue"));
    EXPECT_TRUE(target.waitForLog("combo taken blue"));
    const std::string log = target.log();
    EXPECT_EQ(log.find("combo select green"), std::string::npos) << log;
    EXPECT_LT(log.find("combo select blue"), log.find("combo taken blue")) << log;
    VARIANT sel;
    ::VariantInit(&sel);
    combo->get_curSel(&sel);
    EXPECT_STREQ(sel.bstrVal, L"blue");
    ::VariantClear(&sel);
    // By index, and by a pattern.
    EXPECT_EQ(combo->select(Arg(0L)), S_OK);
    EXPECT_TRUE(target.waitForLog("combo select red"));
    EXPECT_EQ(combo->select(Arg(L"\\gr.*")), S_OK);
    EXPECT_TRUE(target.waitForLog("combo taken green"));

    // An item the box does not have is an error naming it, and changes nothing.
    EXPECT_TRUE(FAILED(combo->select(Arg(L"purple"))));
    EXPECT_NE(ErrorDescription().find(L"\"purple\""), std::wstring::npos);
    EXPECT_TRUE(FAILED(combo->select(Arg(7L))));
    EXPECT_NE(ErrorDescription().find(L"7"), std::wstring::npos);
    EXPECT_TRUE(FAILED(combo->select(Arg(2.5))));
    combo->get_curSel(&sel);
    EXPECT_STREQ(sel.bstrVal, L"green");
    ::VariantClear(&sel);
}

// ---- tab ----

TEST_F(ListWrappers, TabTextsAndSelectionByIndexAndPattern) {
    auto tab = Item<ITabCtrl>(IDC_TAB, IID_ITabCtrl);
    ASSERT_TRUE(tab);
    LONG n = 0;
    tab->get_count(&n);
    EXPECT_EQ(n, 3);
    Str text;
    tab->get_item(1, text.put());
    EXPECT_EQ(text.str(), L"Details");
    EXPECT_EQ(tab->get_item(99, text.put()), S_OK);
    EXPECT_EQ(text.str(), L"");
    tab->get_item(-1, text.put());
    EXPECT_EQ(text.str(), L"");

    VARIANT sel;
    ::VariantInit(&sel);
    tab->get_curSel(&sel);
    ASSERT_EQ(sel.vt, VT_BSTR);
    EXPECT_STREQ(sel.bstrVal, L"General");
    ::VariantClear(&sel);

    EXPECT_EQ(tab->put_curSel(Arg(2L)), S_OK);
    EXPECT_TRUE(target.waitForLog("tab 2"));
    tab->get_curSel(&sel);
    EXPECT_STREQ(sel.bstrVal, L"Advanced");
    ::VariantClear(&sel);

    tab->put_curSel(Arg(L"\\Det.*"));
    tab->get_curSel(&sel);
    EXPECT_STREQ(sel.bstrVal, L"Details");
    ::VariantClear(&sel);
    EXPECT_EQ(tab->put_curSel(Arg(L"Nowhere")), S_OK);
    tab->put_curSel(Arg(1.0));
    tab->get_curSel(&sel);
    EXPECT_STREQ(sel.bstrVal, L"Details");
    ::VariantClear(&sel);
}

// ---- list view ----

TEST_F(ListWrappers, ListViewCellsAndRowSearchByFields) {
    ComPtr<IDispatch> object;
    // Through the typed property too: the first list view of the dialog.
    Str listClass;
    *listClass.put() = ::SysAllocString(L"SysListView32");
    ASSERT_EQ(root->get_listview(Arg(0L), listClass.b, &object), S_OK);
    ComPtr<IListViewCtrl> view;
    ASSERT_EQ(object.As(&view), S_OK);
    ASSERT_TRUE(view);
    LONG n = 0;
    view->get_count(&n);
    EXPECT_EQ(n, 4);
    Str text;
    view->get_item(1, 0, text.put());
    EXPECT_EQ(text.str(), L"beta");
    view->get_item(2, 2, text.put());
    EXPECT_EQ(text.str(), L"third");
    for (auto cell : {std::pair<LONG, LONG>{99, 0}, {-1, 0}, {0, -1}, {2147483647, 2147483647}}) {
        EXPECT_EQ(view->get_item(cell.first, cell.second, text.put()), S_OK);
        EXPECT_EQ(text.str(), L"");
    }

    auto find = [&](const wchar_t* pattern, const wchar_t* separator = L"|") {
        Str p, s;
        *p.put() = ::SysAllocString(pattern);
        *s.put() = ::SysAllocString(separator);
        LONG row = -2;
        EXPECT_EQ(view->get_findItem(p.b, s.b, &row), S_OK) << pattern;
        return row;
    };
    EXPECT_EQ(find(L"alpha"), 0);              // only the first column compared
    EXPECT_EQ(find(L"alpha|4"), 3);
    EXPECT_EQ(find(L"alpha||4"), 3);           // empty fields are dropped
    EXPECT_EQ(find(L"\\g.*|3|third"), 2);
    EXPECT_EQ(find(L"beta,2", L","), 1);
    EXPECT_EQ(find(L"beta;2", L",;"), 1);      // every character separates
    EXPECT_EQ(find(L""), 0);
    EXPECT_EQ(find(L"alpha|5"), -1);
    EXPECT_EQ(find(L"delta"), -1);
}

TEST_F(ListWrappers, ListViewNewItemSplitsFieldsIntoColumns) {
    auto view = Item<IListViewCtrl>(IDC_LISTVIEW, IID_IListViewCtrl);
    ASSERT_TRUE(view);
    Str text, sep;
    *sep.put() = ::SysAllocString(L"|");
    *text.put() = ::SysAllocString(L"a|b|c");
    LONG row = 0;
    ASSERT_EQ(view->newItem(text.b, sep.b, &row), S_OK);
    EXPECT_EQ(row, 4);
    Str cell;
    for (LONG col = 0; col < 3; ++col) {
        view->get_item(row, col, cell.put());
        EXPECT_EQ(cell.str(), std::wstring(1, L"abc"[col]));
    }
    *text.put() = ::SysAllocString(L"x||z");
    view->newItem(text.b, sep.b, &row);
    EXPECT_EQ(row, 5);
    view->get_item(5, 1, cell.put());
    EXPECT_EQ(cell.str(), L"z");
    view->get_item(5, 2, cell.put());
    EXPECT_EQ(cell.str(), L"");

    Str value;
    *value.put() = ::SysAllocString(L"w");
    view->put_item(5, 2, value.b);
    view->get_item(5, 2, cell.put());
    EXPECT_EQ(cell.str(), L"w");

}

TEST_F(ListWrappers, ListViewItemDataChecksAndDeletion) {
    auto view = Item<IListViewCtrl>(IDC_LISTVIEW, IID_IListViewCtrl);
    ASSERT_TRUE(view);
    LONG data = 0;
    view->get_itemData(2, &data);
    EXPECT_EQ(data, 102);
    view->put_itemData(2, -12345);
    view->get_itemData(2, &data);
    EXPECT_EQ(data, -12345);
    view->get_itemData(99, &data);
    EXPECT_EQ(data, 0);

    VARIANT_BOOL checked = VARIANT_TRUE;
    view->get_check(1, &checked);
    EXPECT_EQ(checked, VARIANT_FALSE);
    EXPECT_EQ(view->put_check(1, VARIANT_TRUE), S_OK);
    view->get_check(1, &checked);
    EXPECT_EQ(checked, VARIANT_TRUE);
    view->put_check(1, VARIANT_FALSE);
    view->get_check(1, &checked);
    EXPECT_EQ(checked, VARIANT_FALSE);

    EXPECT_EQ(view->ensureVisible(3), S_OK);
    EXPECT_EQ(view->deleteItem(0), S_OK);
    LONG n = 0;
    view->get_count(&n);
    EXPECT_EQ(n, 3);
    EXPECT_EQ(view->deleteItem(-5), S_OK);
    EXPECT_EQ(view->resetContent(), S_OK);
    view->get_count(&n);
    EXPECT_EQ(n, 0);
    Str p, s;
    *p.put() = ::SysAllocString(L"");
    *s.put() = ::SysAllocString(L"|");
    view->get_findItem(p.b, s.b, &n);
    EXPECT_EQ(n, -1);
}

TEST_F(ListWrappers, ListViewSelectionByRowPattern) {
    auto view = Item<IListViewCtrl>(IDC_LISTVIEW, IID_IListViewCtrl);
    ASSERT_TRUE(view);
    Str p, s;
    *s.put() = ::SysAllocString(L"|");
    *p.put() = ::SysAllocString(L"gamma");
    ASSERT_EQ(view->put_selected(p.b, s.b, VARIANT_TRUE), S_OK);
    VARIANT_BOOL selected = VARIANT_FALSE;
    view->get_selected(p.b, s.b, &selected);
    EXPECT_EQ(selected, VARIANT_TRUE);
    VARIANT items;
    ::VariantInit(&items);
    view->get_selectedItems(&items);
    EXPECT_EQ(Elements(items), std::vector<LONG>{2});
    ::VariantClear(&items);

    *p.put() = ::SysAllocString(L"omega");
    view->get_selected(p.b, s.b, &selected);
    EXPECT_EQ(selected, VARIANT_FALSE);
    view->put_selected(p.b, s.b, VARIANT_TRUE);  // no row matches: every row
    view->get_selectedItems(&items);
    EXPECT_EQ(Elements(items), (std::vector<LONG>{0, 1, 2, 3}));
    ::VariantClear(&items);
    view->put_selected(p.b, s.b, VARIANT_FALSE);
    view->get_selectedItems(&items);
    EXPECT_TRUE(Elements(items).empty());
    ::VariantClear(&items);
}

class SingleSelectionListView : public ListWrappers {
protected:
    SingleSelectionListView() : ListWrappers(L"/singlesel /nocheckboxes") {}
};

TEST_F(SingleSelectionListView, SelectedItemsIsOneIndexAndChecksWithoutBoxesAreTrue) {
    auto view = Item<IListViewCtrl>(IDC_LISTVIEW, IID_IListViewCtrl);
    ASSERT_TRUE(view);
    VARIANT items;
    ::VariantInit(&items);
    view->get_selectedItems(&items);
    bool single = false;
    EXPECT_EQ(Elements(items, &single), std::vector<LONG>{-1});
    EXPECT_TRUE(single);
    Str p, s;
    *p.put() = ::SysAllocString(L"beta");
    *s.put() = ::SysAllocString(L"|");
    view->put_selected(p.b, s.b, VARIANT_TRUE);
    view->get_selectedItems(&items);
    EXPECT_EQ(Elements(items, &single), std::vector<LONG>{1});
    VARIANT_BOOL checked = VARIANT_FALSE;
    view->get_check(0, &checked);
    EXPECT_EQ(checked, VARIANT_TRUE);
}

// ---- tree view ----

TEST_F(ListWrappers, TreeItemsByHandleAndByTextBelowAParent) {
    auto tree = Item<ITreeViewCtrl>(IDC_TREE, IID_ITreeViewCtrl);
    ASSERT_TRUE(tree);
    auto find = [&](const wchar_t* pattern, LONG parent = 0) {
        Str p;
        *p.put() = ::SysAllocString(pattern);
        LONG handle = -1;
        EXPECT_EQ(tree->get_findItem(p.b, parent, &handle), S_OK);
        return handle;
    };
    LONG n = 0;
    tree->get_count(&n);
    EXPECT_EQ(n, 6);
    const LONG rootA = find(L"Root A");
    const LONG rootB = find(L"Root B");
    const LONG childA1 = find(L"Child A1");
    ASSERT_NE(rootA, 0);
    ASSERT_NE(rootB, 0);
    ASSERT_NE(childA1, 0);
    Str text;
    tree->get_item(Arg(childA1), 0, text.put());
    EXPECT_EQ(text.str(), L"Child A1");
    tree->get_item(Arg(0L), 0, text.put());
    EXPECT_EQ(text.str(), L"");
    tree->get_item(Arg(L"\\Leaf.*"), 0, text.put());  // depth first, below the first child
    EXPECT_EQ(text.str(), L"Leaf A1x");
    // A number that is no item of the tree never reaches the control.
    for (LONG bad : {12345L, -1L, 2147483647L}) {
        EXPECT_EQ(tree->get_item(Arg(bad), 0, text.put()), S_OK);
        EXPECT_EQ(text.str(), L"");
    }
    tree->get_item(Arg(1.5), 0, text.put());
    EXPECT_EQ(text.str(), L"");

    EXPECT_EQ(find(L"Child B1", rootA), 0);
    EXPECT_NE(find(L"Child B1", rootB), 0);
    EXPECT_EQ(find(L"Child B1", 999), 0);
    EXPECT_EQ(find(L"nothing"), 0);

    LONG parent = -1;
    tree->get_parent(Arg(childA1), &parent);
    EXPECT_EQ(parent, rootA);
    tree->get_parent(Arg(L"Leaf A1x"), &parent);
    EXPECT_EQ(parent, childA1);
    tree->get_parent(Arg(rootA), &parent);
    EXPECT_EQ(parent, 0);
    tree->get_parent(Arg(L"nothing"), &parent);
    EXPECT_EQ(parent, 0);
}

TEST_F(ListWrappers, TreeNewItemsStatesAndSelection) {
    auto tree = Item<ITreeViewCtrl>(IDC_TREE, IID_ITreeViewCtrl);
    ASSERT_TRUE(tree);
    Str text;
    *text.put() = ::SysAllocString(L"Root C");
    LONG rootC = 0;
    ASSERT_EQ(tree->newItem(text.b, 0, &rootC), S_OK);
    ASSERT_NE(rootC, 0);
    LONG found = 0;
    tree->get_findItem(text.b, 0, &found);
    EXPECT_EQ(found, rootC);
    *text.put() = ::SysAllocString(L"Child C1");
    LONG childC1 = 0;
    tree->newItem(text.b, rootC, &childC1);
    LONG parent = 0;
    tree->get_parent(Arg(childC1), &parent);
    EXPECT_EQ(parent, rootC);
    LONG n = 0;
    tree->get_count(&n);
    EXPECT_EQ(n, 8);
    tree->newItem(text.b, 4242, &found);  // a parent the tree does not have
    EXPECT_EQ(found, 0);

    *text.put() = ::SysAllocString(L"Renamed C1");
    tree->put_item(Arg(L"Child C1"), rootC, text.b);
    Str back;
    tree->get_item(Arg(childC1), 0, back.put());
    EXPECT_EQ(back.str(), L"Renamed C1");

    tree->put_itemData(Arg(childC1), 0, 31337);
    LONG data = 0;
    tree->get_itemData(Arg(L"Renamed C1"), 0, &data);
    EXPECT_EQ(data, 31337);

    VARIANT_BOOL flag = VARIANT_FALSE;
    tree->get_check(Arg(rootC), 0, &flag);
    EXPECT_EQ(flag, VARIANT_TRUE);  // no check boxes: state image 0
    tree->put_check(Arg(rootC), 0, VARIANT_FALSE);
    tree->get_check(Arg(rootC), 0, &flag);
    EXPECT_EQ(flag, VARIANT_FALSE);

    tree->get_expanded(Arg(L"Root B"), 0, &flag);
    EXPECT_EQ(flag, VARIANT_FALSE);
    tree->put_expanded(Arg(L"Root B"), 0, VARIANT_TRUE);
    tree->get_expanded(Arg(L"Root B"), 0, &flag);
    EXPECT_EQ(flag, VARIANT_TRUE);
    tree->put_expanded(Arg(L"Root B"), 0, VARIANT_FALSE);
    tree->get_expanded(Arg(L"Root B"), 0, &flag);
    EXPECT_EQ(flag, VARIANT_FALSE);

    // expand and collapse do it as the user does: the application hears of it before and
    // after; the state alone (above) it does not hear of.
    const std::string stateOnly = target.log();
    EXPECT_EQ(stateOnly.find("tree expanding Root B"), std::string::npos) << stateOnly;
    ComPtr<ITreeViewCtrl2> later;
    ASSERT_EQ(tree->QueryInterface(IID_ITreeViewCtrl2, reinterpret_cast<void**>(later.GetAddressOf())), S_OK);
    EXPECT_EQ(later->expand(Arg(L"Root B"), 0), S_OK);
    later->get_expanded(Arg(L"Root B"), 0, &flag);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_TRUE(target.waitForLog("tree expanding Root B"));
    EXPECT_TRUE(target.waitForLog("tree expanded Root B"));
    EXPECT_EQ(later->collapse(Arg(L"Root B"), 0), S_OK);
    later->get_expanded(Arg(L"Root B"), 0, &flag);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_TRUE(target.waitForLog("tree collapsed Root B"));
    EXPECT_TRUE(FAILED(later->expand(Arg(L"No Such Root"), 0)));
    EXPECT_NE(ErrorDescription().find(L"\"No Such Root\""), std::wstring::npos);

    EXPECT_EQ(tree->put_curSel(0, Arg(L"Child A2")), S_OK);
    VARIANT sel;
    ::VariantInit(&sel);
    tree->get_curSel(0, &sel);
    ASSERT_EQ(sel.vt, VT_BSTR);
    EXPECT_STREQ(sel.bstrVal, L"Child A2");
    ::VariantClear(&sel);
    EXPECT_TRUE(target.waitForLog("tree select Child A2"));
    EXPECT_EQ(tree->ensureVisible(Arg(L"Leaf A1x"), 0), S_OK);

    tree->deleteItem(Arg(L"Root C"), 0);
    tree->get_count(&n);
    EXPECT_EQ(n, 6);
    tree->resetContent();
    tree->get_count(&n);
    EXPECT_EQ(n, 0);
    tree->get_curSel(0, &sel);
    EXPECT_STREQ(sel.bstrVal, L"");
    ::VariantClear(&sel);
}

// Handles a tree wrapper has seen are checked without walking the tree again; a handle
// whose item was deleted since, by this wrapper, another one or the application, must
// still never reach the control.
TEST_F(ListWrappers, TreeRefusesWrongAndDeletedHandlesAfterSeeingThem) {
    auto tree = Item<ITreeViewCtrl>(IDC_TREE, IID_ITreeViewCtrl);
    auto other = Item<ITreeViewCtrl>(IDC_TREE, IID_ITreeViewCtrl);
    ASSERT_TRUE(tree && other);
    auto find = [&](ITreeViewCtrl* wrapper, const wchar_t* pattern) {
        Str p;
        *p.put() = ::SysAllocString(pattern);
        LONG handle = 0;
        EXPECT_EQ(wrapper->get_findItem(p.b, 0, &handle), S_OK);
        return handle;
    };
    auto text = [&](ITreeViewCtrl* wrapper, LONG handle) {
        Str t;
        EXPECT_EQ(wrapper->get_item(Arg(handle), 0, t.put()), S_OK);
        return t.str();
    };
    const LONG childA1 = find(tree.Get(), L"Child A1");
    const LONG leaf = find(tree.Get(), L"Leaf A1x");
    const LONG childB1 = find(tree.Get(), L"Child B1");  // the walk has seen every item now
    ASSERT_NE(childA1, 0);
    ASSERT_NE(leaf, 0);
    EXPECT_EQ(text(tree.Get(), leaf), L"Leaf A1x");
    for (LONG bad : {childA1 + 4, childA1 - 4, 12345L, -1L})
        EXPECT_EQ(text(tree.Get(), bad), L"") << bad;

    // Deleted through another wrapper: the leaf goes with its parent.
    other->deleteItem(Arg(L"Child A1"), 0);
    EXPECT_EQ(text(tree.Get(), childA1), L"");
    EXPECT_EQ(text(tree.Get(), leaf), L"");
    LONG parent = -1;
    EXPECT_EQ(tree->get_parent(Arg(leaf), &parent), S_OK);
    EXPECT_EQ(parent, 0);
    EXPECT_EQ(text(tree.Get(), childB1), L"Child B1");

    // Deleted by a message the application receives from elsewhere.
    ::SendMessageW(::GetDlgItem(target.dialog(), IDC_TREE), TVM_DELETEITEM, 0,
                   static_cast<LPARAM>(static_cast<LONG_PTR>(childB1)));
    EXPECT_EQ(text(tree.Get(), childB1), L"");
    EXPECT_EQ(text(tree.Get(), find(tree.Get(), L"Root B")), L"Root B");
    LONG n = 0;
    tree->get_count(&n);
    EXPECT_EQ(n, 3);
}

// Handles a wrapper has never handed out (read here with plain messages) are checked
// against the tree as the hook lists it: each is taken for its own item, a wrong number
// or a deleted item's handle is refused without reaching the control.
TEST_F(ListWrappers, TreeHandlesFromElsewhereAreCheckedAgainstTheTree) {
    HWND control = ::GetDlgItem(target.dialog(), IDC_TREE);
    auto next = [&](UINT relation, LONG item) {
        return static_cast<LONG>(::SendMessageW(control, TVM_GETNEXTITEM, relation, static_cast<LPARAM>(item)));
    };
    const LONG rootA = next(TVGN_ROOT, 0);
    const LONG childA1 = next(TVGN_CHILD, rootA);
    const LONG leaf = next(TVGN_CHILD, childA1);
    const LONG rootB = next(TVGN_NEXT, rootA);
    ASSERT_TRUE(rootA && childA1 && leaf && rootB);
    auto text = [&](LONG handle) {
        auto fresh = Item<ITreeViewCtrl>(IDC_TREE, IID_ITreeViewCtrl);  // has seen no handle
        Str t;
        EXPECT_EQ(fresh->get_item(Arg(handle), 0, t.put()), S_OK);
        return t.str();
    };
    EXPECT_EQ(text(rootA), L"Root A");
    EXPECT_EQ(text(childA1), L"Child A1");
    EXPECT_EQ(text(leaf), L"Leaf A1x");
    EXPECT_EQ(text(rootB), L"Root B");
    for (LONG bad : {leaf + 4, leaf - 4, 12345L, -1L}) EXPECT_EQ(text(bad), L"") << bad;

    auto tree = Item<ITreeViewCtrl>(IDC_TREE, IID_ITreeViewCtrl);
    Str t;
    ASSERT_EQ(tree->get_item(Arg(leaf), 0, t.put()), S_OK);  // the whole tree is known now
    ::SendMessageW(control, TVM_DELETEITEM, 0, static_cast<LPARAM>(childA1));
    ASSERT_EQ(tree->get_item(Arg(leaf), 0, t.put()), S_OK);
    EXPECT_EQ(t.str(), L"");
    EXPECT_EQ(text(childA1), L"");
    EXPECT_EQ(text(rootB), L"Root B");
}

// ---- the application going away ----

TEST_F(ListWrappers, TargetThatExitedGivesRuntimeErrorsNotCrashes) {
    auto list = Item<IListBoxCtrl>(IDC_SINGLE_LIST, IID_IListBoxCtrl);
    auto view = Item<IListViewCtrl>(IDC_LISTVIEW, IID_IListViewCtrl);
    ASSERT_TRUE(list && view);
    ::TerminateProcess(target.process(), 9);
    ASSERT_EQ(::WaitForSingleObject(target.process(), 10000), WAIT_OBJECT_0);
    LONG n = 0;
    EXPECT_EQ(list->get_count(&n), E_FAIL);
    EXPECT_FALSE(ErrorDescription().empty());
    Str text;
    EXPECT_EQ(view->get_item(0, 0, text.put()), E_FAIL);
    EXPECT_FALSE(ErrorDescription().empty());
}

TEST_F(ListWrappers, TargetThatExitsDuringReadsEndsThemCleanly) {
    auto view = Item<IListViewCtrl>(IDC_LISTVIEW, IID_IListViewCtrl);
    ASSERT_TRUE(view);
    std::atomic<int> reads{0};
    std::atomic<bool> failed{false};
    std::thread reader([&] {
        const common::ComInit apartment(COINIT_MULTITHREADED);
        for (int i = 0; i < 2000 && !failed; ++i) {
            Str text;
            HRESULT hr = view->get_item(i % 4, i % 3, text.put());
            if (FAILED(hr)) failed = true;
            else ++reads;
        }
    });
    while (reads < 20 && !failed) ::Sleep(5);
    ::TerminateProcess(target.process(), 9);
    reader.join();
    EXPECT_TRUE(failed) << "reads went on after the application ended";
    EXPECT_GE(reads.load(), 20);
}

} // namespace
