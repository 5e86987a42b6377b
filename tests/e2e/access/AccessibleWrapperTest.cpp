// The accessible-object members of every wrapper (role and state properties, accExists,
// accClick/accDblClick, accObj, forwarded IAccessible members with a child name), driven
// through IDispatch like a script against the accessible test application.
#include "AccAppSession.h"
#include <gtest/gtest.h>
#include <oleacc.h>
#include <memory>
#include <thread>

using common::Variant;
using e2e::Bool;
using e2e::call;
using e2e::CallResult;
using e2e::Narrow;
using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kTitle[] = L"Accessible Wrapper Test";
const HRESULT kNotFound = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);

class AccessibleWrapperTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app_ = new e2e::AccAppSession(kTitle); }
    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(app_->started()) << "accapp did not start"; }

    static IDispatch* root() { return app_->root(); }
    // A wrapper from a role property of `from`, failing the test when there is none.
    static ComPtr<IDispatch> role(IDispatch* from, const wchar_t* property, Variant id) {
        CallResult r = call(from, property, {id});
        EXPECT_EQ(r.hr, S_OK) << Narrow(property) << " " << std::hex << r.hr;
        EXPECT_TRUE(r.object()) << Narrow(property);
        return r.object();
    }
    static std::wstring nameOf(IDispatch* wrapper) { return call(wrapper, L"accName").text(); }
    static HWND hwndOf(IDispatch* wrapper) {
        return reinterpret_cast<HWND>(static_cast<LONG_PTR>(call(wrapper, L"hwnd").number()));
    }
    static bool state(IDispatch* wrapper, const wchar_t* property, std::vector<Variant> args = {}) {
        CallResult r = call(wrapper, property, args);
        EXPECT_EQ(r.hr, S_OK) << Narrow(property) << " " << Narrow(r.description);
        return r.value.type() == VT_BOOL && r.value.get()->boolVal == VARIANT_TRUE;
    }

    static e2e::AccAppSession* app_;
};

e2e::AccAppSession* AccessibleWrapperTest::app_ = nullptr;

TEST_F(AccessibleWrapperTest, RolePropertiesFindByNameDepthFirst) {
    ComPtr<IDispatch> cancel = role(root(), L"accPushButton", Variant(L"Cancel"));
    EXPECT_EQ(nameOf(cancel.Get()), L"Cancel");
    EXPECT_EQ(hwndOf(cancel.Get()), app_->control(L"Cancel"));

    // A regular expression names it as well; the first match in depth-first order wins.
    EXPECT_EQ(nameOf(role(root(), L"accPushButton", Variant(L"\\C.*l")).Get()), L"Cancel");
    EXPECT_EQ(nameOf(role(root(), L"accPushButton", Variant(L"\\.*")).Get()), L"OK");
    EXPECT_EQ(nameOf(role(root(), L"accScrollBar", Variant(L"Horizontal")).Get()), L"Horizontal");
    EXPECT_EQ(nameOf(role(root(), L"accTitleBar", Variant(kTitle)).Get()), kTitle);
}

TEST_F(AccessibleWrapperTest, RolePropertiesCountByIndexDepthFirst) {
    // OK and Cancel lie inside the Options grouping, Help after the list.
    EXPECT_EQ(nameOf(role(root(), L"accPushButton", Variant(0L)).Get()), L"OK");
    EXPECT_EQ(nameOf(role(root(), L"accPushButton", Variant(1L)).Get()), L"Cancel");
    EXPECT_EQ(nameOf(role(root(), L"accPushButton", Variant(2L)).Get()), L"Help");
    EXPECT_EQ(nameOf(call(root(), L"accPushButton").object().Get()), L"OK");  // omitted: index 0
    // The two check boxes of the grouping come first; the third check box is the list's
    // first element, which the wrapper stands for through the list that holds it.
    EXPECT_EQ(nameOf(role(root(), L"accCheckButton", Variant(1L)).Get()), L"Send reports");
    ComPtr<IDispatch> holder = role(root(), L"accCheckButton", Variant(2L));
    EXPECT_EQ(nameOf(holder.Get()), L"Items");
    EXPECT_EQ(hwndOf(holder.Get()), ::FindWindowExW(app_->main(), nullptr, L"TevrinAccList", nullptr));
}

TEST_F(AccessibleWrapperTest, RolePropertiesReportNotFoundWithoutErrorText) {
    for (std::vector<Variant> args : {std::vector<Variant>{Variant(L"Nope")}, std::vector<Variant>{Variant(3L)}}) {
        CallResult r = call(root(), L"accPushButton", args);
        EXPECT_EQ(r.hr, kNotFound);
        EXPECT_TRUE(r.description.empty()) << Narrow(r.description);
    }
    CallResult none = call(root(), L"accSlider", {Variant(0L)});
    EXPECT_EQ(none.hr, kNotFound);
}

TEST_F(AccessibleWrapperTest, AccExistsAnswersWithoutErrorText) {
    struct Case {
        Variant id;
        long role;
        bool expected;
    };
    const Case cases[] = {
        {Variant(L"OK"), ROLE_SYSTEM_PUSHBUTTON, true},
        {Variant(L"Alpha"), ROLE_SYSTEM_CHECKBUTTON, true},  // a simple element
        {Variant(L"Delta"), ROLE_SYSTEM_LISTITEM, true},
        {Variant(L"Alpha"), ROLE_SYSTEM_PUSHBUTTON, false},
        {Variant(L"Nope"), ROLE_SYSTEM_PUSHBUTTON, false},
        {Variant(7L), ROLE_SYSTEM_PUSHBUTTON, false},
    };
    for (const Case& c : cases) {
        std::wstring id;
        c.id.toString(id);
        CallResult r = call(root(), L"accExists", {c.id, Variant(c.role)});
        EXPECT_EQ(r.hr, S_OK) << Narrow(id);
        EXPECT_EQ(r.value.type(), VT_BOOL) << Narrow(id);
        EXPECT_EQ(r.value.get()->boolVal == VARIANT_TRUE, c.expected) << Narrow(id);
        ComPtr<IErrorInfo> info;
        EXPECT_NE(::GetErrorInfo(0, &info), S_OK) << "error information left by accExists " << Narrow(id);
    }
}

TEST_F(AccessibleWrapperTest, StatePropertiesOfNamedChildren) {
    ComPtr<IDispatch> list = role(root(), L"accList", Variant(L"Items"));
    EXPECT_TRUE(state(list.Get(), L"accIsChecked", {Variant(L"Alpha")}));
    EXPECT_FALSE(state(list.Get(), L"accIsChecked", {Variant(L"Beta")}));
    EXPECT_TRUE(state(list.Get(), L"accIsSelected", {Variant(L"Gamma")}));
    EXPECT_FALSE(state(list.Get(), L"accIsSelected", {Variant(L"Alpha")}));
    EXPECT_TRUE(state(list.Get(), L"accIsSelectable", {Variant(L"\\D.*")}));
    // A child id instead of a name; the list itself when nothing is named.
    EXPECT_TRUE(state(list.Get(), L"accIsChecked", {Variant(3L)}));
    EXPECT_FALSE(state(list.Get(), L"accIsChecked"));
    EXPECT_TRUE(state(list.Get(), L"accIsFocusable"));

    // Direct children that are objects: the invisible scroll bars and title bar.
    EXPECT_TRUE(state(root(), L"accIsInvisible", {Variant(L"Vertical")}));
    EXPECT_TRUE(state(root(), L"accIsInvisible", {Variant(kTitle)}));
    EXPECT_FALSE(state(root(), L"accIsInvisible"));
    EXPECT_TRUE(state(root(), L"accIsValid", {Variant(L"Horizontal")}));

    ComPtr<IDispatch> options = role(root(), L"accGrouping", Variant(L"Options"));
    EXPECT_TRUE(state(options.Get(), L"accIsChecked", {Variant(L"Remember me")}));
    EXPECT_FALSE(state(options.Get(), L"accIsChecked", {Variant(L"Send reports")}));
    EXPECT_TRUE(state(options.Get(), L"accIsDefault", {Variant(L"OK")}));
}

TEST_F(AccessibleWrapperTest, ForwardedMembersResolveChildNames) {
    ComPtr<IDispatch> list = role(root(), L"accList", Variant(L"Items"));
    EXPECT_EQ(call(list.Get(), L"accName", {Variant(L"\\B.*")}).text(), L"Beta");
    EXPECT_EQ(call(list.Get(), L"accRole", {Variant(L"Delta")}).number(), ROLE_SYSTEM_LISTITEM);
    EXPECT_EQ(call(list.Get(), L"accChildCount").number(), 4);
    EXPECT_EQ(call(root(), L"accName").text(), kTitle);
    EXPECT_EQ(call(root(), L"accRole", {Variant(L"Options")}).number(), ROLE_SYSTEM_GROUPING);

    // A wrapper of a control window takes the accessible object that window gives.
    CallResult reports = call(root(), L"wnd", {Variant(L"Send reports"), Variant(L"TevrinAccControl")});
    ASSERT_TRUE(reports.ok()) << Narrow(reports.description);
    EXPECT_EQ(call(reports.object().Get(), L"accRole").number(), ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_FALSE(state(reports.object().Get(), L"accIsChecked"));
}

TEST_F(AccessibleWrapperTest, StatePropertyWithoutAccessibleObjectFails) {
    ComPtr<IDispatch> unbound = e2e::newWrapper();
    CallResult r = call(unbound.Get(), L"accIsChecked");
    EXPECT_EQ(r.hr, E_FAIL);
    CallResult click = call(unbound.Get(), L"accClick");
    EXPECT_EQ(click.hr, E_FAIL);
    EXPECT_TRUE(click.description.empty()) << Narrow(click.description);
}

TEST_F(AccessibleWrapperTest, AccClickHitsTheCentreOfTheObject) {
    app_->clearLog();
    ComPtr<IDispatch> ok = role(root(), L"accPushButton", Variant(L"OK"));
    CallResult r = call(ok.Get(), L"accClick");
    ASSERT_EQ(r.hr, S_OK) << Narrow(r.description);
    const RECT rect = e2e::ScreenRect(app_->control(L"OK"));
    const std::wstring expected = L"down OK button=left x=" + std::to_wstring(rect.left + (rect.right - rect.left) / 2) +
                                  L" y=" + std::to_wstring(rect.top + (rect.bottom - rect.top) / 2) +
                                  L" shift=0 ctrl=0 alt=0";
    EXPECT_EQ(app_->waitForLogLine(L"down OK", 10000), expected);
}

TEST_F(AccessibleWrapperTest, AccClickAtAnOffsetWithButtonAndModifiers) {
    app_->clearLog();
    ComPtr<IDispatch> options = role(root(), L"accGrouping", Variant(L"Options"));
    // A direct child by name, the right button, 5 and 3 pixels in, shift held.
    CallResult r = call(options.Get(), L"accClick",
                        {Variant(L"Cancel"), Variant(2L), Variant(5L), Variant(3L), Variant(1L), Variant(0L), Variant(0L)});
    ASSERT_EQ(r.hr, S_OK) << Narrow(r.description);
    const RECT rect = e2e::ScreenRect(app_->control(L"Cancel"));
    EXPECT_EQ(app_->waitForLogLine(L"down Cancel", 10000),
              L"down Cancel button=right x=" + std::to_wstring(rect.left + 5) + L" y=" + std::to_wstring(rect.top + 3) +
                  L" shift=1 ctrl=0 alt=0");
}

TEST_F(AccessibleWrapperTest, AccDblClickOnASimpleElement) {
    app_->clearLog();
    ComPtr<IDispatch> list = role(root(), L"accList", Variant(L"Items"));
    CallResult r = call(list.Get(), L"accDblClick",
                        {Variant(L"Beta"), Variant(0L), Variant(-1L), Variant(4L), Variant(0L), Variant(1L)});
    ASSERT_EQ(r.hr, S_OK) << Narrow(r.description);
    HWND listWindow = ::FindWindowExW(app_->main(), nullptr, L"TevrinAccList", nullptr);
    RECT client{};
    ::GetClientRect(listWindow, &client);
    POINT origin{0, 0};
    ::ClientToScreen(listWindow, &origin);
    const long rowTop = origin.y + 22;  // Beta is the second row of 22 pixels
    EXPECT_EQ(app_->waitForLogLine(L"dblclk", 10000),
              L"dblclk Beta button=left x=" + std::to_wstring(origin.x + client.right / 2) + L" y=" +
                  std::to_wstring(rowTop + 4) + L" shift=0 ctrl=1 alt=0");
}

TEST_F(AccessibleWrapperTest, AccObjGivesTheRawObjectOfAWindow) {
    CallResult own = call(root(), L"accObj");
    ASSERT_EQ(own.hr, S_OK) << Narrow(own.description);
    ComPtr<IAccessible> accessible;
    ASSERT_TRUE(own.object() && SUCCEEDED(own.object().As(&accessible)));
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    ASSERT_EQ(accessible->get_accName(self, &name), S_OK);
    EXPECT_STREQ(name, kTitle);
    ::SysFreeString(name);

    // With a class: the object of the matching window, not of the bound one.
    CallResult list = call(root(), L"accObj", {Variant(0L), Variant(L"TevrinAccList")});
    ASSERT_EQ(list.hr, S_OK) << Narrow(list.description);
    ASSERT_TRUE(list.object() && SUCCEEDED(list.object().As(&accessible)));
    ASSERT_EQ(accessible->get_accName(self, &name), S_OK);
    EXPECT_STREQ(name, L"Items");
    ::SysFreeString(name);

    // The client object id gives the system's client object of the window.
    CallResult client = call(root(), L"accObj", {Variant(static_cast<long>(OBJID_CLIENT))});
    ASSERT_EQ(client.hr, S_OK) << Narrow(client.description);
    ASSERT_TRUE(client.object() && SUCCEEDED(client.object().As(&accessible)));
    VARIANT roleValue;
    ::VariantInit(&roleValue);
    ASSERT_EQ(accessible->get_accRole(self, &roleValue), S_OK);
    EXPECT_EQ(roleValue.lVal, ROLE_SYSTEM_CLIENT);

    CallResult missing = call(root(), L"accObj", {Variant(0L), Variant(L"NoSuchClass")});
    EXPECT_EQ(missing.hr, E_FAIL);
    EXPECT_EQ(missing.description, L"Cannot find window index 0 of class NoSuchClass");
    EXPECT_EQ(missing.source, L"Runtime Error");
}

} // namespace

// Wrappers are free-threaded: another apartment calls the same objects, and what they
// hold of other processes (the window's accessible object, the object a role search
// found) still answers there.
TEST_F(AccessibleWrapperTest, AccessibleMembersWorkFromAnotherApartment) {
    ComPtr<IDispatch> cancel = role(root(), L"accPushButton", Variant(L"Cancel"));
    ASSERT_TRUE(cancel);
    EXPECT_EQ(e2e::ServingModule(cancel.Get()), L"wrappers.dll");
    IStream* rootStream = nullptr;
    IStream* cancelStream = nullptr;
    ASSERT_EQ(::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, root(), &rootStream), S_OK);
    ASSERT_EQ(::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, cancel.Get(), &cancelStream), S_OK);
    std::wstring foundThere, nameThere, module;
    bool cancelExists = false;
    std::thread other([&] {
        ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            ComPtr<IDispatch> rootThere, cancelThere;
            ::CoGetInterfaceAndReleaseStream(rootStream, IID_PPV_ARGS(&rootThere));
            ::CoGetInterfaceAndReleaseStream(cancelStream, IID_PPV_ARGS(&cancelThere));
            module = e2e::ServingModule(cancelThere.Get());
            nameThere = call(cancelThere.Get(), L"accName").text();
            foundThere = call(call(rootThere.Get(), L"accPushButton", {Variant(L"Cancel")}).object().Get(),
                              L"accName").text();
            cancelExists = call(rootThere.Get(), L"accExists", {Variant(L"Cancel"), Variant(long{ROLE_SYSTEM_PUSHBUTTON})})
                               .value.get()->boolVal == VARIANT_TRUE;
        }
        ::CoUninitialize();
    });
    other.join();
    EXPECT_EQ(module, L"wrappers.dll");
    EXPECT_EQ(nameThere, L"Cancel");
    EXPECT_EQ(foundThere, L"Cancel");
    EXPECT_TRUE(cancelExists);
    // And back in the apartment that made them.
    EXPECT_EQ(nameOf(cancel.Get()), L"Cancel");
}
