// Application under test for the list and item wrappers: one dialog holding every
// standard control they drive. It writes one line per event it receives to the file
// given with /log, and shows the last event in its status label.
//   controls.exe [/log <file>] [/rows <n>] [/treeitems <n>] [/title <caption>] [/singlesel] [/nocheckboxes]
// /treeitems fills the tree with about n items on three levels (roots of 10 children of
// 9 leaves each, so 100 items a root) named "R<i>", "R<i>.C<j>" and "R<i>.C<j>.L<k>".
#include "ControlsIds.h"
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>
#include <cstdio>
#include <string>

namespace {

struct Options {
    std::wstring logPath;
    std::wstring title;
    int rows = -1;  // -1: the four sample rows
    int treeItems = -1;  // -1: the six sample items
    bool singleSelection = false;
    bool checkBoxes = true;
};

Options g_options;
FILE* g_log = nullptr;

void Record(HWND dialog, const std::wstring& line) {
    if (g_log) {
        fwprintf(g_log, L"%ls\n", line.c_str());
        fflush(g_log);
    }
    ::SetDlgItemTextW(dialog, IDC_STATUS_LABEL, line.c_str());
}

// The window's data object, published for WM_HTML_GETOBJECT like a browser window
// publishes its document: an IDispatch whose value is "controls data".
class DataObject : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override { return ::InterlockedDecrement(&refs_); }  // static lifetime
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
        if (id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
        if (result) {
            ::VariantInit(result);
            result->vt = VT_BSTR;
            result->bstrVal = ::SysAllocString(L"controls data");
        }
        return S_OK;
    }

private:
    LONG refs_ = 1;
};

DataObject g_dataObject;
UINT g_htmlGetObject = 0;

std::wstring ItemText(HWND list, int index, bool combo) {
    int length = static_cast<int>(::SendMessageW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, index, 0));
    if (length < 0) return L"";
    std::wstring text(length + 1, L'\0');
    ::SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(length);
    return text;
}

void AddListViewRow(HWND list, int row, const wchar_t* a, const wchar_t* b, const wchar_t* c) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(a);
    item.lParam = 100 + row;
    int index = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    LVITEMW sub{};
    sub.iSubItem = 1;
    sub.pszText = const_cast<wchar_t*>(b);
    ::SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
    sub.iSubItem = 2;
    sub.pszText = const_cast<wchar_t*>(c);
    ::SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&sub));
}

HTREEITEM AddTreeItem(HWND tree, HTREEITEM parent, const wchar_t* text) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(text);
    return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void Fill(HWND dialog) {
    HWND single = ::GetDlgItem(dialog, IDC_SINGLE_LIST);
    for (const wchar_t* s : {L"apple", L"banana", L"cherry", L"date", L"elderberry"})
        ::SendMessageW(single, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    HWND multi = ::GetDlgItem(dialog, IDC_MULTI_LIST);
    for (const wchar_t* s : {L"one", L"two", L"three", L"four", L"five", L"six"})
        ::SendMessageW(multi, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    HWND combo = ::GetDlgItem(dialog, IDC_COMBO);
    for (const wchar_t* s : {L"red", L"green", L"blue"})
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));

    HWND list = ::GetDlgItem(dialog, IDC_LISTVIEW);
    if (g_options.singleSelection)
        ::SetWindowLongPtrW(list, GWL_STYLE, ::GetWindowLongPtrW(list, GWL_STYLE) | LVS_SINGLESEL);
    if (g_options.checkBoxes)
        ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    const wchar_t* headers[] = {L"Name", L"Number", L"Remark"};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.cx = 100;
        column.pszText = const_cast<wchar_t*>(headers[i]);
        column.iSubItem = i;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    if (g_options.rows < 0) {
        AddListViewRow(list, 0, L"alpha", L"1", L"first");
        AddListViewRow(list, 1, L"beta", L"2", L"second");
        AddListViewRow(list, 2, L"gamma", L"3", L"third");
        AddListViewRow(list, 3, L"alpha", L"4", L"fourth");
    } else {
        for (int i = 0; i < g_options.rows; ++i) {
            std::wstring n = std::to_wstring(i);
            AddListViewRow(list, i, (L"row" + n).c_str(), n.c_str(), (L"text" + n).c_str());
        }
    }

    HWND tree = ::GetDlgItem(dialog, IDC_TREE);
    if (g_options.treeItems < 0) {
        HTREEITEM a = AddTreeItem(tree, TVI_ROOT, L"Root A");
        HTREEITEM a1 = AddTreeItem(tree, a, L"Child A1");
        AddTreeItem(tree, a1, L"Leaf A1x");
        AddTreeItem(tree, a, L"Child A2");
        HTREEITEM b = AddTreeItem(tree, TVI_ROOT, L"Root B");
        AddTreeItem(tree, b, L"Child B1");
    } else {
        for (int i = 0; i < (g_options.treeItems + 99) / 100; ++i) {
            const std::wstring r = L"R" + std::to_wstring(i);
            HTREEITEM root = AddTreeItem(tree, TVI_ROOT, r.c_str());
            for (int j = 0; j < 10; ++j) {
                const std::wstring c = r + L".C" + std::to_wstring(j);
                HTREEITEM child = AddTreeItem(tree, root, c.c_str());
                for (int k = 0; k < 9; ++k) AddTreeItem(tree, child, (c + L".L" + std::to_wstring(k)).c_str());
            }
        }
    }

    HWND tab = ::GetDlgItem(dialog, IDC_TAB);
    const wchar_t* tabs[] = {L"General", L"Details", L"Advanced"};
    for (int i = 0; i < 3; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(tabs[i]);
        ::SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    ::SetDlgItemTextW(dialog, IDC_RICHEDIT, L"rich text");
}

INT_PTR CALLBACK ModalProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void OnCommand(HWND dialog, WORD id, WORD code, HWND control) {
    switch (id) {
    case IDC_PUSH:
        if (code == BN_CLICKED) Record(dialog, L"push");
        break;
    case IDC_TRISTATE:
        if (code == BN_CLICKED)
            Record(dialog, L"tristate " + std::to_wstring(::SendMessageW(control, BM_GETCHECK, 0, 0)));
        break;
    case IDC_OPEN_MODAL:
        if (code == BN_CLICKED) {
            Record(dialog, L"modal open");
            ::DialogBoxW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MODAL), dialog, ModalProc);
            Record(dialog, L"modal closed");
        }
        break;
    case IDC_SINGLE_LIST:
        if (code == LBN_SELCHANGE) {
            int sel = static_cast<int>(::SendMessageW(control, LB_GETCURSEL, 0, 0));
            Record(dialog, L"single select " + ItemText(control, sel, false));
        }
        break;
    case IDC_MULTI_LIST:
        if (code == LBN_SELCHANGE) Record(dialog, L"multi select");
        break;
    case IDC_COMBO:
        if (code == CBN_SELCHANGE) {
            int sel = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
            Record(dialog, L"combo select " + ItemText(control, sel, true));
        } else if (code == CBN_SELENDOK) {
            int sel = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
            Record(dialog, L"combo taken " + ItemText(control, sel, true));
        }
        break;
    case IDCANCEL:
        ::EndDialog(dialog, 0);
        break;
    }
}

void OnNotify(HWND dialog, const NMHDR* header) {
    if (header->idFrom == IDC_TAB && header->code == TCN_SELCHANGE) {
        Record(dialog, L"tab " + std::to_wstring(::SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
    } else if (header->idFrom == IDC_TREE && header->code == TVN_SELCHANGEDW) {
        const NMTREEVIEWW* tree = reinterpret_cast<const NMTREEVIEWW*>(header);
        wchar_t text[256] = L"";
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = tree->itemNew.hItem;
        item.pszText = text;
        item.cchTextMax = 256;
        if (item.hItem) ::SendMessageW(header->hwndFrom, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        Record(dialog, std::wstring(L"tree select ") + text);
    } else if (header->idFrom == IDC_TREE &&
               (header->code == TVN_ITEMEXPANDINGW || header->code == TVN_ITEMEXPANDEDW)) {
        const NMTREEVIEWW* tree = reinterpret_cast<const NMTREEVIEWW*>(header);
        wchar_t text[256] = L"";
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = tree->itemNew.hItem;
        item.pszText = text;
        item.cchTextMax = 256;
        if (item.hItem) ::SendMessageW(header->hwndFrom, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        const bool opening = (tree->action & 0x0003) == TVE_EXPAND;
        const bool before = header->code == TVN_ITEMEXPANDINGW;
        Record(dialog, std::wstring(L"tree ") + (opening ? (before ? L"expanding " : L"expanded ")
                                                         : (before ? L"collapsing " : L"collapsed ")) +
                           text);
    } else if (header->idFrom == IDC_LISTVIEW && header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* list = reinterpret_cast<const NMLISTVIEW*>(header);
        if ((list->uChanged & LVIF_STATE) && list->uNewState != list->uOldState)
            Record(dialog, L"listview " + std::to_wstring(list->iItem) + L" state " +
                               std::to_wstring(list->uNewState));
    }
}

INT_PTR CALLBACK MainProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_htmlGetObject && g_htmlGetObject) {
        ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, ::LresultFromObject(IID_IDispatch, wParam, &g_dataObject));
        return TRUE;
    }
    switch (message) {
    case WM_INITDIALOG:
        if (!g_options.title.empty()) ::SetWindowTextW(dialog, g_options.title.c_str());
        Fill(dialog);
        Record(dialog, L"ready");
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_NOTIFY:
        OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
        return FALSE;
    case WM_CLOSE:
        ::EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

void ParseCommandLine() {
    int count = 0;
    wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args) return;
    for (int i = 1; i < count; ++i) {
        std::wstring arg = args[i];
        if (arg == L"/log" && i + 1 < count) g_options.logPath = args[++i];
        else if (arg == L"/title" && i + 1 < count) g_options.title = args[++i];
        else if (arg == L"/rows" && i + 1 < count) g_options.rows = _wtoi(args[++i]);
        else if (arg == L"/treeitems" && i + 1 < count) g_options.treeItems = _wtoi(args[++i]);
        else if (arg == L"/singlesel") g_options.singleSelection = true;
        else if (arg == L"/nocheckboxes") g_options.checkBoxes = false;
    }
    ::LocalFree(args);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ParseCommandLine();
    if (!g_options.logPath.empty()) g_log = _wfopen(g_options.logPath.c_str(), L"w");
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&init);
    ::LoadLibraryW(L"riched20.dll");
    g_htmlGetObject = ::RegisterWindowMessageW(L"WM_HTML_GETOBJECT");
    INT_PTR result = ::DialogBoxW(instance, MAKEINTRESOURCEW(IDD_CONTROLS), nullptr, MainProc);
    if (g_log) fclose(g_log);
    ::OleUninitialize();
    return static_cast<int>(result);
}
