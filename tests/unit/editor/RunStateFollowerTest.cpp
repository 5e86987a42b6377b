#include "editor/RunStateFollower.h"
#include "EditorWindow.h"
#include <gtest/gtest.h>

using namespace editortest;

namespace {

class FakeRunState : public editor::IScriptRunState {
public:
    bool IsScriptRunning() const override { return running; }
    bool running = false;
};

class RunStateFollowerTest : public EditorWindow {
protected:
    void SetUp() override {
        EditorWindow::SetUp();
        runState_ = &state_;
    }
    bool ReadOnly() const { return (::GetWindowLongPtrW(edit_, GWL_STYLE) & ES_READONLY) != 0; }
    void Click() {
        ::PostMessageW(edit_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 5));
        ::PostMessageW(edit_, WM_LBUTTONUP, 0, MAKELPARAM(60, 5));
        Pump();
    }
    FakeRunState state_;
};

TEST_F(RunStateFollowerTest, TypingIsRefusedWhileAScriptRunsAndAllowedAfterIt) {
    SetText(L"abc");
    state_.running = true;
    Select(3, 3);
    TypeChars(L"x");  // the first key makes the control read-only before it is handled
    EXPECT_TRUE(ReadOnly());
    EXPECT_EQ(L"abc", Text());

    state_.running = false;
    EXPECT_TRUE(ReadOnly());  // not pushed: nothing happens until the next input
    Click();
    EXPECT_FALSE(ReadOnly());
    Select(3, 3);
    TypeChars(L"y");
    EXPECT_EQ(L"abcy", Text());
}

TEST_F(RunStateFollowerTest, MouseMovesAndUnchangedStatesLeaveTheControlAlone) {
    state_.running = true;
    EXPECT_FALSE(editor::FollowRunState(edit_, WM_MOUSEMOVE, state_));
    EXPECT_FALSE(ReadOnly());
    EXPECT_TRUE(editor::FollowRunState(edit_, WM_KEYDOWN, state_));
    EXPECT_FALSE(editor::FollowRunState(edit_, WM_KEYDOWN, state_));
    EXPECT_TRUE(ReadOnly());
    // Colouring during the run lifts read-only only for its own pass.
    editor_->SetLanguageByExtension(L"vbs");
    SetText(L"dim x");
    editor_->ForgetColored(0, -1);
    EXPECT_EQ(S_OK, editor_->ColorVisible());
    EXPECT_EQ(kKeywordColor, ForeColorAt(0));
    EXPECT_TRUE(ReadOnly());
}

} // namespace
