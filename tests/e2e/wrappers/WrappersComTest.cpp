// The wrapper object model, window search and simple controls, driven through IDispatch
// like a script, against the controls application in another process.
#include "AutomationClient.h"
#include "../../apps/controls/ControlsIds.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

using e2e::Bool;
using e2e::call;
using e2e::CallResult;
using e2e::put;
using Microsoft::WRL::ComPtr;
using common::Variant;

namespace {

const wchar_t kTitle[] = L"Wrap Controls";

class WrappersComTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = e2e::newWrapper().Detach();
        ASSERT_NE(root_, nullptr) << "Wrappers.WNDWrapper is not registered";
        std::wstring command = L"\"" + e2e::BinPath(L"controls.exe") + L"\" /title \"" + kTitle + L"\"";
        CallResult started = call(root_, L"appExecute", {Variant(command), Variant(kTitle)});
        ASSERT_TRUE(started.ok()) << std::hex << started.hr << " " << std::string(started.description.begin(), started.description.end());
        main_ = ::FindWindowW(nullptr, kTitle);
    }
    static void TearDownTestSuite() {
        if (root_) {
            call(root_, L"appRelease", {Bool(true)});
            root_->Release();
            root_ = nullptr;
        }
    }
    void SetUp() override {
        ASSERT_NE(root_, nullptr);
        ASSERT_NE(main_, nullptr);
    }

    // A child wrapper of the main window, failing the test when it cannot be made.
    static ComPtr<IDispatch> child(const wchar_t* property, std::vector<Variant> args) {
        CallResult r = call(root_, property, args);
        EXPECT_TRUE(r.ok()) << std::string(r.description.begin(), r.description.end());
        return r.object();
    }
    static HWND hwndOf(IDispatch* wrapper) {
        return reinterpret_cast<HWND>(static_cast<LONG_PTR>(call(wrapper, L"hwnd").number()));
    }
    template <typename I>
    static bool answers(IDispatch* object) {
        ComPtr<I> query;
        return object && SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&query)));
    }
    static std::wstring status() {
        wchar_t text[256] = {};
        ::GetDlgItemTextW(main_, IDC_STATUS_LABEL, text, 256);
        return text;
    }
    static bool waitForStatus(const std::wstring& expected, DWORD milliseconds) {
        const ULONGLONG start = ::GetTickCount64();
        while (status() != expected) {
            if (::GetTickCount64() - start > milliseconds) return false;
            ::Sleep(50);
        }
        return true;
    }

    static IDispatch* root_;
    static HWND main_;
};

IDispatch* WrappersComTest::root_ = nullptr;
HWND WrappersComTest::main_ = nullptr;

} // namespace

TEST_F(WrappersComTest, AppExecuteBindsTheRootToTheMainWindow) {
    EXPECT_EQ(hwndOf(root_), main_);
    EXPECT_EQ(call(root_, L"value").text(), kTitle);
}

TEST_F(WrappersComTest, TypedPropertiesCountDescendantsOfTheirClassOnly) {
    EXPECT_EQ(call(child(L"button", {}).Get(), L"value").text(), L"Push");
    EXPECT_EQ(call(child(L"button", {Variant(1L)}).Get(), L"value").text(), L"Tri-state");
    EXPECT_EQ(call(child(L"button", {Variant(2L)}).Get(), L"value").text(), L"Open modal");
    EXPECT_EQ(hwndOf(child(L"button", {Variant(L"Open modal")}).Get()), ::GetDlgItem(main_, IDC_OPEN_MODAL));
    EXPECT_EQ(hwndOf(child(L"label", {Variant(L"\\Na.*e:")}).Get()), ::GetDlgItem(main_, IDC_NAME_LABEL));
    EXPECT_EQ(hwndOf(child(L"edit", {}).Get()), ::GetDlgItem(main_, IDC_EDIT));
    // wnd counts every descendant, but on a top-level window the top-level phase wins:
    // the result is a top-level window of the same process, whatever the index.
    HWND first = hwndOf(child(L"wnd", {Variant(3L)}).Get());
    EXPECT_EQ(::GetAncestor(first, GA_PARENT), ::GetDesktopWindow());
    DWORD mainProcess = 0, foundProcess = 0;
    ::GetWindowThreadProcessId(main_, &mainProcess);
    ::GetWindowThreadProcessId(first, &foundProcess);
    EXPECT_EQ(foundProcess, mainProcess);
    EXPECT_EQ(hwndOf(child(L"wnd", {Variant(0L)}).Get()), first);
}

TEST_F(WrappersComTest, MissingWindowsAreReportedWithTheirIndexOrTitleAndClass) {
    CallResult byIndex = call(root_, L"button", {Variant(9L)});
    EXPECT_EQ(byIndex.hr, E_FAIL);
    EXPECT_EQ(byIndex.description, L"Cannot find window index 9 of class Button");
    EXPECT_EQ(byIndex.source, L"Runtime Error");

    // A full match: the label reads "Name:".
    CallResult byTitle = call(root_, L"label", {Variant(L"\\Na.*e")});
    EXPECT_EQ(byTitle.hr, E_FAIL);
    EXPECT_EQ(byTitle.description, L"Cannot find window with title '\\Na.*e' of class Static");
    EXPECT_EQ(byTitle.source, L"Runtime Error");

    CallResult literal = call(root_, L"button", {Variant(L"Push."), Variant(L"Button")});
    EXPECT_EQ(literal.description, L"Cannot find window with title 'Push.' of class Button");

    CallResult item = call(root_, L"dlgItem", {Variant(9999L)});
    EXPECT_EQ(item.hr, E_FAIL);
    EXPECT_EQ(item.description, L"Cannot find dialog item id=9999");
}

TEST_F(WrappersComTest, InvalidRegularExpressionFailsUnexpectedly) {
    EXPECT_EQ(call(root_, L"button", {Variant(L"\\(Push")}).hr, E_UNEXPECTED);
    EXPECT_EQ(call(root_, L"button", {Variant(0L), Variant(L"\\[a-")}).hr, E_UNEXPECTED);
    EXPECT_EQ(call(root_, L"exists", {Variant(L"\\(x"), Variant(L"")}).hr, E_UNEXPECTED);
}

TEST_F(WrappersComTest, ExistsAnswersWithoutError) {
    CallResult missing = call(root_, L"exists", {Variant(5L), Variant(L"Button")});
    EXPECT_TRUE(missing.ok());
    EXPECT_EQ(missing.value.get()->boolVal, VARIANT_FALSE);
    EXPECT_TRUE(missing.description.empty());
    ComPtr<IErrorInfo> info;
    EXPECT_NE(::GetErrorInfo(0, &info), S_OK);

    CallResult present = call(root_, L"exists", {Variant(L"Push"), Variant(L"Button")});
    EXPECT_EQ(present.value.get()->boolVal, VARIANT_TRUE);
}

TEST_F(WrappersComTest, PropertyDecidesTheClassDlgItemAndWaitForWindowTheWindowClass) {
    HWND rich = ::GetDlgItem(main_, IDC_RICHEDIT);
    ComPtr<IDispatch> editOfRich = child(L"edit", {Variant(0L), Variant(L"RichEdit20W")});
    EXPECT_TRUE(answers<IEditCtrl>(editOfRich.Get()));
    EXPECT_EQ(hwndOf(editOfRich.Get()), rich);
    ComPtr<IDispatch> richOfEdit = child(L"richedit", {Variant(0L), Variant(L"Edit")});
    EXPECT_TRUE(answers<IRichEditCtrl>(richOfEdit.Get()));
    ComPtr<IDispatch> plain = child(L"wnd", {Variant(0L), Variant(L"Button")});
    EXPECT_TRUE(answers<IWNDWrapper>(plain.Get()));
    EXPECT_FALSE(answers<IButtonCtrl>(plain.Get()));

    EXPECT_TRUE(answers<IButtonCtrl>(call(root_, L"dlgItem", {Variant(long{IDC_PUSH})}).object().Get()));
    EXPECT_TRUE(answers<IStaticCtrl>(call(root_, L"dlgItem", {Variant(long{IDC_NAME_LABEL})}).object().Get()));
    EXPECT_TRUE(answers<IEditCtrl>(call(root_, L"dlgItem", {Variant(long{IDC_EDIT})}).object().Get()));
    EXPECT_TRUE(answers<IRichEditCtrl>(call(root_, L"dlgItem", {Variant(long{IDC_RICHEDIT})}).object().Get()));

    // The list view's header has a class without a wrapper of its own.
    ComPtr<IDispatch> header = call(root_, L"waitForWindow", {Variant(0L), Variant(L"SysHeader32"), Variant(5L)}).object();
    ASSERT_TRUE(header);
    EXPECT_TRUE(answers<IWNDWrapper>(header.Get()));
    EXPECT_FALSE(answers<IButtonCtrl>(header.Get()));
    EXPECT_FALSE(answers<IEditCtrl>(header.Get()));
    // The dialog itself is found in the top-level phase.
    EXPECT_TRUE(answers<IDialogCtrl>(call(root_, L"waitForWindow", {Variant(kTitle), Variant(L"#32770"), Variant(0L)}).object().Get()));
}

// Members added later live in IWNDWrapper2: every class answers it and resolves its
// names through IDispatch, while each class's own interface, and the type information
// (TypeName) scripts see, stay as clients built earlier know them.
TEST_F(WrappersComTest, EveryWrapperClassAnswersTheLaterMembersAndKeepsItsOwnInterface) {
    struct Kind {
        const wchar_t* property;
        const wchar_t* typeName;
    };
    for (const Kind& kind : {Kind{L"wnd", L"IWNDWrapper"}, Kind{L"edit", L"IEditCtrl"}, Kind{L"button", L"IButtonCtrl"},
                             Kind{L"label", L"IStaticCtrl"}, Kind{L"listview", L"IListViewCtrl"},
                             Kind{L"listbox", L"IListBoxCtrl"}, Kind{L"combobox", L"IComboBoxCtrl"},
                             Kind{L"richedit", L"IRichEditCtrl"}}) {
        ComPtr<IDispatch> wrapper = child(kind.property, {});
        ASSERT_TRUE(wrapper) << kind.property;
        EXPECT_TRUE(answers<IWNDWrapper2>(wrapper.Get())) << kind.property;
        EXPECT_TRUE(answers<IWNDWrapper>(wrapper.Get())) << kind.property;
        LPOLESTR names[] = {const_cast<LPOLESTR>(L"keys")};
        DISPID id = 0;
        EXPECT_EQ(wrapper->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << kind.property;
        EXPECT_EQ(id, 30) << kind.property;
        LPOLESTR missing[] = {const_cast<LPOLESTR>(L"noSuchMember")};
        EXPECT_EQ(wrapper->GetIDsOfNames(IID_NULL, missing, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(wrapper->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
        BSTR name = nullptr;
        info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(std::wstring(name ? name : L""), kind.typeName);
        ::SysFreeString(name);
        // The same object behind both interfaces.
        ComPtr<IUnknown> one, two;
        ComPtr<IWNDWrapper2> extended;
        wrapper->QueryInterface(IID_PPV_ARGS(&extended));
        wrapper->QueryInterface(IID_PPV_ARGS(&one));
        extended->QueryInterface(IID_PPV_ARGS(&two));
        EXPECT_EQ(one.Get(), two.Get());
    }
    // The root object made by its ProgID too, and an unknown member number still fails.
    EXPECT_TRUE(answers<IWNDWrapper2>(root_));
    DISPPARAMS none = {};
    EXPECT_EQ(root_->Invoke(4242, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST_F(WrappersComTest, ValueReadsAndWritesTheWindowText) {
    ComPtr<IDispatch> edit = child(L"edit", {});
    ASSERT_TRUE(put(edit.Get(), L"value", {}, Variant(L"typed by wrappers")).ok());
    EXPECT_EQ(call(edit.Get(), L"value").text(), L"typed by wrappers");
    ASSERT_TRUE(put(edit.Get(), L"value", {}, Variant(L"")).ok());
    EXPECT_EQ(call(edit.Get(), L"value").text(), L"");
    // A window with no text reads as empty, not as an error.
    CallResult header = call(child(L"wnd", {Variant(0L), Variant(L"SysHeader32")}).Get(), L"value");
    EXPECT_TRUE(header.ok());
    EXPECT_EQ(header.text(), L"");
}

TEST_F(WrappersComTest, CheckTreatsIndeterminateAsChecked) {
    ComPtr<IDispatch> triState = child(L"button", {Variant(L"Tri-state")});
    HWND box = ::GetDlgItem(main_, IDC_TRISTATE);
    ::SendMessageW(box, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(call(triState.Get(), L"check").value.get()->boolVal, VARIANT_TRUE);
    ASSERT_TRUE(put(triState.Get(), L"check", {}, Bool(false)).ok());
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(call(triState.Get(), L"check").value.get()->boolVal, VARIANT_FALSE);
    ASSERT_TRUE(put(triState.Get(), L"check", {}, Bool(true)).ok());
    EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(WrappersComTest, PushWaitsUntilTheModalDialogIsClosed) {
    std::atomic<bool> sawDialog{false};
    std::thread closer([&] {
        if (HWND dialog = e2e::WaitForTitle(L"Modal Dialog", 30000)) {
            sawDialog = true;
            ::Sleep(300);
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        }
    });
    CallResult pushed = call(child(L"button", {Variant(L"Open modal")}).Get(), L"push");
    closer.join();
    EXPECT_TRUE(pushed.ok());
    EXPECT_TRUE(sawDialog);
    // push returned only after the click handler, modal dialog included, had finished.
    EXPECT_EQ(status(), L"modal closed");
}

TEST_F(WrappersComTest, AsyncPushPostsOnceAndTheFlagResets) {
    ComPtr<IDispatch> sync;
    CLSID clsid;
    ASSERT_EQ(::CLSIDFromProgID(L"Wrappers.Synchronizer", &clsid), S_OK);
    ASSERT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&sync)), S_OK);
    ASSERT_TRUE(put(sync.Get(), L"async", {}, Bool(true)).ok());

    ComPtr<IDispatch> opener = child(L"button", {Variant(L"Open modal")});
    ASSERT_TRUE(call(opener.Get(), L"push").ok());  // returns while the dialog is open
    EXPECT_EQ(call(sync.Get(), L"async").value.get()->boolVal, VARIANT_FALSE);

    ComPtr<IDispatch> dialog =
        call(root_, L"waitForWindow", {Variant(L"Modal Dialog"), Variant(L"#32770"), Variant(20L)}).object();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(answers<IDialogCtrl>(dialog.Get()));
    EXPECT_EQ(status(), L"modal open");
    EXPECT_EQ(call(dialog.Get(), L"value").text(), L"Modal Dialog");
    // The dialog's own button, pushed without async, closes it. The dialog may be found
    // before its controls exist: wait for the button too.
    CallResult ok = call(dialog.Get(), L"waitForWindow", {Variant(L"OK"), Variant(L"Button"), Variant(10L)});
    ASSERT_TRUE(ok.object()) << std::hex << ok.hr << " " << std::string(ok.description.begin(), ok.description.end());
    ASSERT_TRUE(call(ok.object().Get(), L"push").ok());
    EXPECT_TRUE(waitForStatus(L"modal closed", 10000)) << std::string(status().begin(), status().end());

    // One setting covers one operation: the next push sends and waits.
    ASSERT_TRUE(call(child(L"button", {Variant(L"Push")}).Get(), L"push").ok());
    EXPECT_EQ(status(), L"push");
}

TEST_F(WrappersComTest, UnboundWrapperSearchesEveryProcess) {
    ComPtr<IDispatch> fresh = e2e::newWrapper();
    EXPECT_EQ(hwndOf(fresh.Get()), ::GetDesktopWindow());
    EXPECT_EQ(hwndOf(call(fresh.Get(), L"wnd", {Variant(kTitle)}).object().Get()), main_);
    ASSERT_TRUE(call(fresh.Get(), L"appAttach", {Variant(L"\\Wrap Contr.*")}).ok());
    EXPECT_EQ(hwndOf(fresh.Get()), main_);
    CallResult prefix = call(fresh.Get(), L"appAttach", {Variant(L"Wrap Contr")});
    EXPECT_EQ(prefix.hr, E_FAIL);
    EXPECT_EQ(prefix.description, L"Cannot find application matching Wrap Contr");
    EXPECT_EQ(hwndOf(fresh.Get()), main_);  // a failed attach keeps the binding
}

TEST_F(WrappersComTest, WaitForWindowGivesNothingWhenTimeIsUp) {
    ULONGLONG start = ::GetTickCount64();
    CallResult once = call(root_, L"waitForWindow", {Variant(L"No Such Window"), Variant(L""), Variant(0L)});
    EXPECT_TRUE(once.ok());
    EXPECT_FALSE(once.object());
    EXPECT_LT(::GetTickCount64() - start, 3000u);

    start = ::GetTickCount64();
    CallResult timed = call(root_, L"waitForWindow", {Variant(L"No Such Window"), Variant(L""), Variant(2L)});
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    EXPECT_TRUE(timed.ok());
    EXPECT_FALSE(timed.object());
    EXPECT_TRUE(timed.description.empty());
    EXPECT_GE(elapsed, 1900u);
    EXPECT_LT(elapsed, 6000u);
}

TEST_F(WrappersComTest, BadInputNeverCrashes) {
    ComPtr<IDispatch> stale = e2e::newWrapper();
    ASSERT_TRUE(call(stale.Get(), L"connect", {Variant(0x7FFF1234L)}).ok());
    CallResult text = call(stale.Get(), L"value");
    EXPECT_TRUE(text.ok());
    EXPECT_EQ(text.text(), L"");
    EXPECT_EQ(call(stale.Get(), L"button", {}).hr, E_FAIL);
    EXPECT_EQ(call(stale.Get(), L"dlgItem", {Variant(1L)}).hr, E_FAIL);
    EXPECT_TRUE(call(stale.Get(), L"exists", {Variant(0L), Variant(L"Button")}).ok());

    // A null class string is the empty pattern (any class), as through the vtable.
    ComPtr<IWNDWrapper> vtable;
    ASSERT_EQ(root_->QueryInterface(IID_PPV_ARGS(&vtable)), S_OK);
    Variant first(0L);
    ComPtr<IDispatch> any;
    EXPECT_EQ(vtable->get_wnd(*first.get(), nullptr, &any), S_OK);
    // Null out-pointers are refused (by the marshaller when the call crosses apartments).
    EXPECT_TRUE(FAILED(vtable->get_wnd(*first.get(), nullptr, nullptr)));
    EXPECT_TRUE(FAILED(vtable->get_hwnd(nullptr)));

    // Identifiers of other types count as no title on top and match no descendant.
    Variant number;
    number.get()->vt = VT_R8;
    number.get()->dblVal = 1.5;
    ComPtr<IDispatch> label = child(L"label", {});
    CallResult other = call(label.Get(), L"button", {number});
    EXPECT_EQ(other.hr, E_FAIL);
    EXPECT_EQ(other.description, L"Cannot find window with title '' of class Button");
    // A string where a number belongs is refused by the type library, not misread.
    EXPECT_TRUE(FAILED(call(root_, L"dlgItem", {Variant(L"not a number")}).hr));
}

// A script thread is a single-threaded apartment: it must call the wrappers themselves,
// not proxies into another apartment, and an object handed to another apartment is
// still the same object, working there too.
TEST_F(WrappersComTest, TheScriptApartmentCallsTheObjectsThemselves) {
    ComPtr<IDispatch> fresh = e2e::newWrapper();
    EXPECT_EQ(e2e::ServingModule(fresh.Get()), L"wrappers.dll");
    EXPECT_EQ(e2e::ServingModule(root_), L"wrappers.dll");
    ComPtr<IDispatch> edit = child(L"edit", {});
    EXPECT_EQ(e2e::ServingModule(edit.Get()), L"wrappers.dll");
    ComPtr<IDispatch> list = call(root_, L"dlgItem", {Variant(long{IDC_MULTI_LIST})}).object();
    ASSERT_TRUE(list);
    EXPECT_EQ(e2e::ServingModule(call(list.Get(), L"selectedItems").object().Get()), L"wrappers.dll");
    ComPtr<IDispatch> sync;
    CLSID clsid;
    ASSERT_EQ(::CLSIDFromProgID(L"Wrappers.Synchronizer", &clsid), S_OK);
    ASSERT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&sync)), S_OK);
    EXPECT_EQ(e2e::ServingModule(sync.Get()), L"wrappers.dll");

    ASSERT_TRUE(put(edit.Get(), L"value", {}, Variant(L"from the script thread")).ok());
    IStream* handed = nullptr;
    ASSERT_EQ(::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, edit.Get(), &handed), S_OK);
    IUnknown* identityHere = nullptr;
    edit->QueryInterface(IID_PPV_ARGS(&identityHere));
    bool same = false;
    std::wstring text;
    CallResult written;
    std::thread other([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            ComPtr<IDispatch> there;
            if (SUCCEEDED(::CoGetInterfaceAndReleaseStream(handed, IID_PPV_ARGS(&there)))) {
                ComPtr<IUnknown> identity;
                there.As(&identity);
                same = identity.Get() == identityHere;
                text = call(there.Get(), L"value").text();
                written = put(there.Get(), L"value", {}, Variant(L""));
            }
        }
        ::CoUninitialize();
    });
    other.join();
    identityHere->Release();
    EXPECT_TRUE(same) << "another apartment got a proxy";
    EXPECT_EQ(text, L"from the script thread");
    EXPECT_TRUE(written.ok());
    EXPECT_EQ(call(edit.Get(), L"value").text(), L"");
}
