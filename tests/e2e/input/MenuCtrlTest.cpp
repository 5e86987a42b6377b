// The menu property and the menu wrapper as a script uses them, against the input
// application, whose File popup is empty until the application is told it opens.
#include "InputAppSession.h"
#include "../../apps/inputapp/InputAppIds.h"
#include <gtest/gtest.h>

using common::Variant;
using e2e::Bool;
using e2e::call;
using e2e::CallResult;
using Microsoft::WRL::ComPtr;

namespace {

Variant Short(short value) {
    Variant v;
    v.get()->vt = VT_I2;
    v.get()->iVal = value;
    return v;
}

class MenuCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.started());
        CallResult r = call(app_.root(), L"menu");
        ASSERT_TRUE(r.ok()) << std::string(r.description.begin(), r.description.end());
        bar_ = r.object();
        ASSERT_TRUE(bar_);
    }

    ComPtr<IDispatch> popup(IDispatch* menu, const Variant& id) {
        CallResult r = call(menu, L"menu", {id});
        EXPECT_TRUE(r.ok()) << std::string(r.description.begin(), r.description.end());
        return r.object();
    }

    static void expectError(const CallResult& r, const wchar_t* message) {
        EXPECT_EQ(r.hr, E_FAIL);
        EXPECT_EQ(r.description, message);
        EXPECT_EQ(r.source, L"Runtime Error");
    }

    e2e::InputAppSession app_;
    ComPtr<IDispatch> bar_;
};

} // namespace

TEST_F(MenuCtrlTest, FileThenExitByTextSendsTheCommandAfterThePopupWasFilled) {
    ComPtr<IMenuCtrl> typed;
    EXPECT_TRUE(SUCCEEDED(bar_.As(&typed)));
    EXPECT_EQ(call(bar_.Get(), L"count").number(), 3);
    app_.mark();
    ComPtr<IDispatch> file = popup(bar_.Get(), Variant(L"File"));
    ASSERT_TRUE(file);
    EXPECT_EQ(call(file.Get(), L"count").number(), 4);
    CallResult exit = call(file.Get(), L"select", {Variant(L"Exit")});
    EXPECT_TRUE(exit.ok()) << std::string(exit.description.begin(), exit.description.end());
    const std::vector<std::string> expected = {"initmenupopup File pos=0",
                                               "command " + std::to_string(IDM_FILE_EXIT) + " from=self", "exit"};
    EXPECT_EQ(app_.linesSinceMark(), expected);
    EXPECT_TRUE(app_.waitForExit(10000));
}

TEST_F(MenuCtrlTest, PopupsByPositionAndNestedPopupsByPattern) {
    app_.mark();
    ComPtr<IDispatch> help = popup(bar_.Get(), Variant(2L));
    ASSERT_TRUE(help);
    ComPtr<IDispatch> options = popup(help.Get(), Variant(L"\\Opt.*"));
    ASSERT_TRUE(options);
    EXPECT_TRUE(call(options.Get(), L"select", {Variant(L"Verbose")}).ok());
    EXPECT_TRUE(call(help.Get(), L"select", {Variant(0L)}).ok());
    const std::vector<std::string> expected = {
        "initmenupopup Help pos=2", "initmenupopup Options pos=1",
        "command " + std::to_string(IDM_OPTIONS_VERBOSE) + " from=self",
        "command " + std::to_string(IDM_HELP_ABOUT) + " from=self"};
    EXPECT_EQ(app_.linesSinceMark(), expected);
}

TEST_F(MenuCtrlTest, APopupItemIsNotACommand) {
    expectError(call(bar_.Get(), L"select", {Variant(0L)}), L"Menu item is not a command.");
    expectError(call(bar_.Get(), L"select", {Variant(L"Edit")}), L"Menu item is not a command.");
}

TEST_F(MenuCtrlTest, OnlyThirtyTwoBitNumbersAndTextsChooseAnItem) {
    ComPtr<IDispatch> edit = popup(bar_.Get(), Variant(L"Edit"));
    ASSERT_TRUE(edit);
    app_.mark();
    expectError(call(edit.Get(), L"select", {Short(1)}), L"Cannot find menu item.");
    expectError(call(edit.Get(), L"select", {Variant()}), L"Cannot find menu item.");
    expectError(call(edit.Get(), L"select", {Variant(L"Cut")}), L"Cannot find menu item.");
    expectError(call(edit.Get(), L"select", {Variant(2L)}), L"Cannot find menu item.");
    EXPECT_TRUE(call(edit.Get(), L"select", {Variant(1L)}).ok());
    std::vector<std::string> commands;
    for (const std::string& line : app_.linesSinceMark())
        if (line.rfind("command", 0) == 0) commands.push_back(line);
    EXPECT_EQ(commands, std::vector<std::string>{"command " + std::to_string(IDM_EDIT_PASTE) + " from=self"});
}

TEST_F(MenuCtrlTest, MenuByTextNeedsAPopupWithThatText) {
    expectError(call(bar_.Get(), L"menu", {Variant(L"Nothing")}), L"Cannot find menu item.");
    ComPtr<IDispatch> edit = popup(bar_.Get(), Variant(L"Edit"));
    // Copy has that text but no popup.
    expectError(call(edit.Get(), L"menu", {Variant(L"Copy")}), L"Cannot find menu item.");
}

TEST_F(MenuCtrlTest, AsyncPostsOneCommand) {
    CLSID clsid;
    ComPtr<IDispatch> sync;
    ASSERT_EQ(::CLSIDFromProgID(L"Wrappers.Synchronizer", &clsid), S_OK);
    ASSERT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&sync)), S_OK);
    ComPtr<IDispatch> edit = popup(bar_.Get(), Variant(L"Edit"));
    ASSERT_TRUE(e2e::put(sync.Get(), L"async", {}, Bool(true)).ok());
    app_.mark();
    EXPECT_TRUE(call(edit.Get(), L"select", {Variant(L"Copy")}).ok());
    EXPECT_EQ(call(sync.Get(), L"async").value.get()->boolVal, VARIANT_FALSE);
    EXPECT_TRUE(app_.waitForLine("command " + std::to_string(IDM_EDIT_COPY)));
    // A failing select consumes the flag as well.
    ASSERT_TRUE(e2e::put(sync.Get(), L"async", {}, Bool(true)).ok());
    EXPECT_EQ(call(edit.Get(), L"select", {Variant(L"Nothing")}).hr, E_FAIL);
    EXPECT_EQ(call(sync.Get(), L"async").value.get()->boolVal, VARIANT_FALSE);
}
