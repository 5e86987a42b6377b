// The toolbar and tooltip wrappers as a script uses them, against the input application.
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

std::string command(int id, const char* from) { return "command " + std::to_string(id) + " from=" + from; }

class ToolBarCtrlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.started());
        CallResult r = call(app_.root(), L"toolbar");
        ASSERT_TRUE(r.ok()) << std::string(r.description.begin(), r.description.end());
        toolbar_ = r.object();
        ASSERT_TRUE(toolbar_);
    }

    // The commands the application received since the mark.
    std::vector<std::string> commands() const {
        std::vector<std::string> result;
        for (const std::string& line : app_.linesSinceMark())
            if (line.rfind("command ", 0) == 0) result.push_back(line);
        return result;
    }

    static ComPtr<IDispatch> synchronizer() {
        CLSID clsid;
        ComPtr<IDispatch> sync;
        if (SUCCEEDED(::CLSIDFromProgID(L"Wrappers.Synchronizer", &clsid)))
            ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&sync));
        return sync;
    }

    e2e::InputAppSession app_;
    ComPtr<IDispatch> toolbar_;
};

} // namespace

TEST_F(ToolBarCtrlTest, CountIncludesTheSeparator) {
    EXPECT_EQ(call(toolbar_.Get(), L"count").number(), 5);
}

TEST_F(ToolBarCtrlTest, SelectSendsTheButtonCommandToTheOwnerByIndexOrText) {
    app_.mark();
    EXPECT_TRUE(call(toolbar_.Get(), L"select", {Variant(0L)}).ok());
    EXPECT_TRUE(call(toolbar_.Get(), L"select", {Short(1)}).ok());
    EXPECT_TRUE(call(toolbar_.Get(), L"select", {Variant(L"Save")}).ok());
    EXPECT_TRUE(call(toolbar_.Get(), L"select", {Variant(L"\\Pr.nt")}).ok());
    // Sent: each command was handled before select returned.
    EXPECT_EQ(commands(), (std::vector<std::string>{command(IDT_NEW, "toolbar"), command(IDT_OPEN, "toolbar"),
                                                    command(IDT_SAVE, "toolbar"), command(IDT_PRINT, "toolbar")}));
}

TEST_F(ToolBarCtrlTest, SelectOfASeparatorOrOfNothingDoesNothingAndKeepsTheOwner) {
    app_.mark();
    for (const Variant& item : {Variant(3L), Variant(L"Nothing"), Variant(42L), Variant()}) {
        CallResult r = call(toolbar_.Get(), L"select", {item});
        EXPECT_TRUE(r.ok());
        EXPECT_TRUE(r.description.empty());
    }
    EXPECT_TRUE(commands().empty());
    // The toolbar still reports to its owner: a real click on a button arrives as before.
    EXPECT_TRUE(call(toolbar_.Get(), L"click", {Variant(L"Open"), Variant(0L)}).ok());
    EXPECT_TRUE(app_.waitForLine(command(IDT_OPEN, "toolbar")));
    EXPECT_EQ(commands(), std::vector<std::string>{command(IDT_OPEN, "toolbar")});
}

TEST_F(ToolBarCtrlTest, ClickPressesTheButtonWithTheMouse) {
    app_.mark();
    ASSERT_TRUE(call(toolbar_.Get(), L"click", {Variant(L"Save"), Variant(0L)}).ok());
    ASSERT_TRUE(app_.waitForLine(command(IDT_SAVE, "toolbar")));
    ASSERT_TRUE(call(toolbar_.Get(), L"click", {Short(4), Variant(0L)}).ok());
    ASSERT_TRUE(app_.waitForLine(command(IDT_PRINT, "toolbar")));
    EXPECT_EQ(commands(), (std::vector<std::string>{command(IDT_SAVE, "toolbar"), command(IDT_PRINT, "toolbar")}));
}

TEST_F(ToolBarCtrlTest, ClickOfAButtonThatIsNotThereIsReported) {
    for (const Variant& item : {Variant(L"Nothing"), Variant(L"\\Sav"), Variant(5L), Variant()}) {
        CallResult r = call(toolbar_.Get(), L"click", {item, Variant(0L)});
        EXPECT_EQ(r.hr, E_FAIL);
        EXPECT_EQ(r.description, L"Cannot find toolbar button.");
        EXPECT_EQ(r.source, L"Runtime Error");
    }
}

TEST_F(ToolBarCtrlTest, AsyncPostsOneSelectOnly) {
    ComPtr<IDispatch> sync = synchronizer();
    ASSERT_TRUE(sync);
    ASSERT_TRUE(e2e::put(sync.Get(), L"async", {}, Bool(true)).ok());
    app_.mark();
    EXPECT_TRUE(call(toolbar_.Get(), L"select", {Variant(L"New")}).ok());
    EXPECT_EQ(call(sync.Get(), L"async").value.get()->boolVal, VARIANT_FALSE);
    EXPECT_TRUE(app_.waitForLine(command(IDT_NEW, "toolbar")));
    // A separator consumes the flag too: the next select is sent again.
    ASSERT_TRUE(e2e::put(sync.Get(), L"async", {}, Bool(true)).ok());
    EXPECT_TRUE(call(toolbar_.Get(), L"select", {Variant(3L)}).ok());
    EXPECT_EQ(call(sync.Get(), L"async").value.get()->boolVal, VARIANT_FALSE);
}

TEST_F(ToolBarCtrlTest, TooltipValueIsTheTipShown) {
    // Tooltips are top-level windows of the application; the shown status tip comes first.
    CallResult tip = call(app_.root(), L"tooltip");
    ASSERT_TRUE(tip.ok()) << std::string(tip.description.begin(), tip.description.end());
    ComPtr<IDispatch> tooltip = tip.object();
    ComPtr<IToolTipCtrl> typed;
    EXPECT_TRUE(SUCCEEDED(tooltip.As(&typed)));
    EXPECT_EQ(call(tooltip.Get(), L"value").text(), L"Last: none");
    app_.mark();
    ASSERT_TRUE(call(toolbar_.Get(), L"select", {Variant(L"Save")}).ok());
    EXPECT_EQ(call(tooltip.Get(), L"value").text(), L"Last: " + std::to_wstring(IDT_SAVE));
}
