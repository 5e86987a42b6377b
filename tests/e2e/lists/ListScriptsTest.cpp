// The list wrappers from a VBScript test script run by Wine's cscript, and Wine's own
// regedit read through them.
#include "tests/unit/hook/ControlsTarget.h"
#include "common/ComInit.h"
#include "wrappers.h"
#include <gtest/gtest.h>
#include <wrl/client.h>
#include <string>

using Microsoft::WRL::ComPtr;
using testing_hook::ControlsTarget;

namespace {

const DWORD kScriptTimeout = 120000;

std::wstring SourcePath(const wchar_t* relative) { return std::wstring(TEVRIN_SOURCE_DIR) + L"\\" + relative; }

TEST(ListScripts, VBScriptDrivesEveryListWrapper) {
    ControlsTarget target;
    ASSERT_TRUE(target.ready());
    e2e::ProcessRunner script;
    ASSERT_TRUE(script.start(L"cscript.exe //nologo \"" + SourcePath(L"tests\\e2e\\lists\\lists.vbs") + L"\" " +
                             std::to_wstring(reinterpret_cast<LONG_PTR>(target.dialog()))));
    ASSERT_TRUE(script.wait(kScriptTimeout)) << "the script did not end";
    EXPECT_EQ(script.exitCode(), 0u) << script.output() << script.errors();
    EXPECT_EQ(script.output().find("FAIL"), std::string::npos) << script.output();
    EXPECT_NE(script.output().find("ok tree selection"), std::string::npos) << script.output() << script.errors();
    EXPECT_TRUE(target.alive());
}

struct Arg {
    VARIANT v;
    explicit Arg(LONG n) { ::VariantInit(&v); v.vt = VT_I4; v.lVal = n; }
    explicit Arg(const wchar_t* s) { ::VariantInit(&v); v.vt = VT_BSTR; v.bstrVal = ::SysAllocString(s); }
    ~Arg() { ::VariantClear(&v); }
};

TEST(ListScripts, RegeditTreeAndListReadThroughTheWrappers) {
    const common::ComInit apartment(COINIT_MULTITHREADED);
    ASSERT_TRUE(apartment.succeeded());
    {
        e2e::ProcessRunner regedit;
        ASSERT_TRUE(regedit.start(L"regedit.exe"));
        HWND main = regedit.waitForWindow(L"RegEdit_RegEdit", testing_hook::kWindowTimeout);
        ASSERT_NE(main, nullptr) << "regedit showed no window";

        ComPtr<IWNDWrapper> root;
        ASSERT_EQ(::CoCreateInstance(CLSID_WNDWrapper, nullptr, CLSCTX_INPROC_SERVER, IID_IWNDWrapper,
                                     reinterpret_cast<void**>(root.GetAddressOf())), S_OK);
        ASSERT_EQ(root->connect(static_cast<LONG>(reinterpret_cast<LONG_PTR>(main))), S_OK);
        ComPtr<IDispatch> object;
        // Through the vtable the type library's default class is not filled in.
        BSTR treeClass = ::SysAllocString(L"SysTreeView32");
        BSTR listClass = ::SysAllocString(L"SysListView32");
        ASSERT_EQ(root->get_treectrl(Arg(0L).v, treeClass, &object), S_OK);
        ComPtr<ITreeViewCtrl> tree;
        ASSERT_EQ(object.As(&tree), S_OK);
        LONG handle = 0;
        tree->get_hwnd(&handle);
        wchar_t className[64] = L"";
        ::GetClassNameW(reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle)), className, 64);
        EXPECT_STREQ(className, L"SysTreeView32");
        LONG count = 0;
        tree->get_count(&count);
        EXPECT_GT(count, 0);
        BSTR key = ::SysAllocString(L"HKEY_LOCAL_MACHINE");
        LONG hklm = 0;
        EXPECT_EQ(tree->get_findItem(key, 0, &hklm), S_OK);
        EXPECT_NE(hklm, 0);
        BSTR text = nullptr;
        tree->get_item(Arg(hklm).v, 0, &text);
        EXPECT_STREQ(text, L"HKEY_LOCAL_MACHINE");
        ::SysFreeString(text);
        text = nullptr;

        // Selecting a key fills the list view with its values; the first is the default value.
        EXPECT_EQ(tree->put_curSel(0, Arg(L"HKEY_CURRENT_USER").v), S_OK);
        VARIANT sel;
        ::VariantInit(&sel);
        tree->get_curSel(0, &sel);
        EXPECT_EQ(sel.vt, VT_BSTR);
        if (sel.vt == VT_BSTR) {
            EXPECT_STREQ(sel.bstrVal, L"HKEY_CURRENT_USER");
        }
        ::VariantClear(&sel);

        object.Reset();
        ASSERT_EQ(root->get_listview(Arg(0L).v, listClass, &object), S_OK);
        ComPtr<IListViewCtrl> values;
        ASSERT_EQ(object.As(&values), S_OK);
        LONG rows = 0;
        for (int i = 0; i < 100 && rows == 0; ++i) {
            values->get_count(&rows);
            if (!rows) ::Sleep(50);
        }
        EXPECT_GE(rows, 1);
        values->get_item(0, 1, &text);
        EXPECT_STREQ(text, L"REG_SZ") << "the default value's type";
        ::SysFreeString(text);
        BSTR pattern = ::SysAllocString(L"\\.*|REG_SZ");
        BSTR separator = ::SysAllocString(L"|");
        LONG row = -1;
        values->get_findItem(pattern, separator, &row);
        EXPECT_EQ(row, 0);
        ::SysFreeString(pattern);
        ::SysFreeString(separator);
        ::SysFreeString(key);
        ::SysFreeString(treeClass);
        ::SysFreeString(listClass);

        values.Reset();
        tree.Reset();
        object.Reset();
        root.Reset();
        ::PostMessageW(main, WM_CLOSE, 0, 0);
        regedit.wait(10000);
    }
}

} // namespace
