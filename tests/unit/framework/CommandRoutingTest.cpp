#include "FrameFixture.h"
#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/RichEditDoc.h"
#include "framework/MDIChildWnd.h"
#include "framework/RichEditView.h"
#include "tests/apps/KeyboardInput.h"
#include <initializer_list>

namespace {

HMENU PopupWith(HMENU bar, UINT id) {
    for (int i = 0; i < ::GetMenuItemCount(bar); ++i) {
        HMENU sub = ::GetSubMenu(bar, i);
        for (int j = 0; sub && j < ::GetMenuItemCount(sub); ++j)
            if (::GetMenuItemID(sub, j) == id) return sub;
    }
    return nullptr;
}

UINT MenuState(HMENU menu, UINT id) { return ::GetMenuState(menu, id, MF_BYCOMMAND); }

// What a user sees when the popup holding `id` opens.
UINT StateWhenOpened(HWND frame, UINT id) {
    HMENU popup = PopupWith(::GetMenu(frame), id);
    if (!popup) return 0xFFFFFFFF;
    ::SendMessageW(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    return MenuState(popup, id);
}

} // namespace

using CommandRoutingTest = FrameFixture;

TEST_F(CommandRoutingTest, MenuCommandsReachTheFrameAndDisabledOnesDoNothing) {
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_RUN, 0);
    EXPECT_EQ(frame->runCount, 1);
    EXPECT_EQ(frame->statusBar.GetPaneText(0), L"Run 1");

    frame->runEnabled = false;
    EXPECT_TRUE(StateWhenOpened(frame->hwnd(), ID_RUN) & MF_GRAYED);
    // An accelerator or a stray message of a disabled command runs nothing.
    ::SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(ID_RUN, 1), 0);
    EXPECT_EQ(frame->runCount, 1);

    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_TOGGLE_RUN_ENABLED, 0);
    EXPECT_TRUE(frame->runEnabled);
    UINT state = StateWhenOpened(frame->hwnd(), ID_RUN);
    EXPECT_FALSE(state & MF_GRAYED);
    EXPECT_TRUE(StateWhenOpened(frame->hwnd(), ID_TOGGLE_RUN_ENABLED) & MF_CHECKED);
}

TEST_F(CommandRoutingTest, ViewTogglesCheckExactlyWhenThePaneIsVisible) {
    EXPECT_TRUE(StateWhenOpened(frame->hwnd(), ID_VIEW_OUTPUT) & MF_CHECKED);
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_VIEW_OUTPUT, 0);
    EXPECT_FALSE(frame->outputPane.IsBarVisible());
    EXPECT_FALSE(StateWhenOpened(frame->hwnd(), ID_VIEW_OUTPUT) & MF_CHECKED);
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_VIEW_OUTPUT, 0);
    EXPECT_TRUE(frame->outputPane.IsBarVisible());
    EXPECT_TRUE(StateWhenOpened(frame->hwnd(), ID_VIEW_OUTPUT) & MF_CHECKED);

    // Toolbar and status bar toggles come with the frame.
    EXPECT_TRUE(StateWhenOpened(frame->hwnd(), ID_VIEW_STATUS_BAR) & MF_CHECKED);
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_VIEW_STATUS_BAR, 0);
    EXPECT_FALSE(frame->statusBar.IsBarVisible());
    EXPECT_EQ(ClientRectOf(frame->outputPane.hwnd()).bottom, frame->ClientRect().bottom);
}

TEST_F(CommandRoutingTest, ToolbarButtonsFollowUpdateHandlersAtIdle) {
    frame->runEnabled = false;
    app->OnIdle(0);
    EXPECT_FALSE(frame->toolBar.IsButtonEnabled(ID_RUN));
    EXPECT_TRUE(frame->toolBar.IsButtonChecked(ID_VIEW_OUTPUT));
    // Nobody handles Help or Save without a document: disabled.
    EXPECT_FALSE(frame->toolBar.IsButtonEnabled(ID_HELP));
    EXPECT_FALSE(frame->toolBar.IsButtonEnabled(ID_FILE_SAVE));
    EXPECT_TRUE(frame->toolBar.IsButtonEnabled(ID_FILE_NEW));
    frame->runEnabled = true;
    app->OnIdle(0);
    EXPECT_TRUE(frame->toolBar.IsButtonEnabled(ID_RUN));
    frame->toolBar.ClickButton(ID_RUN);
    EXPECT_EQ(frame->runCount, 1);
}

class RoutingDocumentTest : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        app->AddDocTemplate(std::make_unique<CDocTemplate>(
            IDR_TEXTTYPE, [] { return new CRichEditDoc; }, [] { return new CMDIChildWnd; },
            [] { return new CRichEditView; }));
    }
};

TEST_F(RoutingDocumentTest, CommandsGoToTheActiveViewAndDocumentFirst) {
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_FILE_NEW, 0);
    Pump();
    CMDIChildWnd* child = frame->MDIGetActive();
    ASSERT_NE(child, nullptr);
    auto* view = dynamic_cast<CRichEditView*>(child->view());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(child->document()->GetTitle(), L"Text1");
    EXPECT_EQ(frame->GetText(), L"Frame Test - Text1");
    // The document's menu replaced the frame's; the panes keep their places.
    EXPECT_EQ(::GetMenu(frame->hwnd()), child->menu());
    Pump();
    EXPECT_EQ(ClientRectOf(frame->mdiClient()).bottom, ClientRectOf(frame->outputPane.hwnd()).top);
    EXPECT_TRUE(::IsWindowVisible(frame->outputPane.hwnd()));

    // Save is the document's; Cut and Copy the view's, enabled by the selection.
    EXPECT_FALSE(StateWhenOpened(frame->hwnd(), ID_FILE_SAVE) & MF_GRAYED);
    EXPECT_TRUE(StateWhenOpened(frame->hwnd(), ID_EDIT_COPY) & MF_GRAYED);
    view->SetWindowTextW(L"hello world");
    ::SendMessageW(view->hwnd(), EM_SETSEL, 0, 5);
    EXPECT_FALSE(StateWhenOpened(frame->hwnd(), ID_EDIT_COPY) & MF_GRAYED);
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_EDIT_CUT, 0);
    EXPECT_EQ(view->GetWindowTextW(), L" world");
    EXPECT_TRUE(child->document()->IsModified());

    // Commands nobody below handles still reach the frame.
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_RUN, 0);
    EXPECT_EQ(frame->runCount, 1);
}

TEST_F(RoutingDocumentTest, ClosingAModifiedDocumentAsksFirst) {
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_FILE_NEW, 0);
    CMDIChildWnd* child = frame->MDIGetActive();
    ASSERT_NE(child, nullptr);
    auto* view = dynamic_cast<CRichEditView*>(child->view());
    view->SetWindowTextW(L"draft");
    child->document()->SetModifiedFlag(true);
    HWND childWindow = child->hwnd();

    app->answers = {IDCANCEL};
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_FILE_CLOSE, 0);
    ASSERT_EQ(app->messages.size(), 1u);
    EXPECT_EQ(app->messages[0], L"Save changes to Text1?");
    EXPECT_TRUE(::IsWindow(childWindow));

    app->answers = {IDNO};
    ::SendMessageW(childWindow, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(::IsWindow(childWindow));
    EXPECT_EQ(frame->MDIGetActive(), nullptr);
    EXPECT_EQ(::GetMenu(frame->hwnd()), frame->defaultMenu());
    EXPECT_TRUE(app->templates().front()->documents().empty());
    EXPECT_EQ(frame->GetText(), L"Frame Test");
}

TEST_F(CommandRoutingTest, MenuSelectionShowsThePromptAndClosingTheMenuSaysReady) {
    HMENU popup = PopupWith(::GetMenu(frame->hwnd()), ID_VIEW_OUTPUT);
    ::SendMessageW(frame->hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_VIEW_OUTPUT, MF_STRING), reinterpret_cast<LPARAM>(popup));
    EXPECT_EQ(frame->statusBar.GetPaneText(0), L"Show/hide the output window");
    ::SendMessageW(frame->hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(frame->statusBar.GetPaneText(0), L"Ready");
}

TEST_F(CommandRoutingTest, AcceleratorsWorkWhileAPaneHasTheFocus) {
    HWND edit = frame->watchDialog.Item(IDC_WATCH_EDIT);
    MSG msg{edit, WM_KEYDOWN, VK_F8, 0x00420001, 0, {0, 0}};
    EXPECT_TRUE(app->PumpPreTranslate(&msg));
    Pump();
    EXPECT_EQ(frame->runCount, 1);
    // Disabled: the key is still taken, the command does not run.
    frame->runEnabled = false;
    EXPECT_TRUE(app->PumpPreTranslate(&msg));
    Pump();
    EXPECT_EQ(frame->runCount, 1);
    // Keys that are no accelerator stay with the dialog (no command).
    MSG tab{edit, WM_KEYDOWN, VK_TAB, 0x000F0001, 0, {0, 0}};
    app->PumpPreTranslate(&tab);
    EXPECT_EQ(frame->runCount, 1);
}

namespace {

// The application's loop: the frame's accelerators first, as a user's keys meet them.
void PumpThroughApplication(CApplication* app) {
    MSG msg;
    for (int i = 0; i < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (app->PumpPreTranslate(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PressKey(CApplication* app, HWND focus, UINT key, std::initializer_list<UINT> held = {}) {
    testing_apps::PressKeyWith(focus, key, held, [app] { PumpThroughApplication(app); });
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = {};
    ::GetWindowTextW(window, text, 256);
    return text;
}

} // namespace

TEST_F(CommandRoutingTest, AnEditWithTheFocusKeepsItsEditingKeys) {
    HWND edit = frame->watchDialog.Item(IDC_WATCH_EDIT);
    ASSERT_TRUE(testing_apps::SetClipboardText(L"pasted", edit));

    // Paste, paste again and undo are the edit box's, not the frame's command.
    ::SetFocus(edit);
    PressKey(app.get(), edit, 'V', {VK_CONTROL});
    EXPECT_EQ(WindowText(edit), L"pasted");
    PressKey(app.get(), edit, VK_INSERT, {VK_SHIFT});
    EXPECT_EQ(WindowText(edit), L"pastedpasted");
    PressKey(app.get(), edit, VK_BACK, {VK_MENU});
    EXPECT_EQ(frame->runCount, 0);
    // A key the edit box has no use for is still the frame's.
    PressKey(app.get(), edit, VK_F8);
    EXPECT_EQ(frame->runCount, 1);

    // Escape in a list's in-place edit cancels the edit.
    HWND list = frame->watchDialog.Item(IDC_WATCH_LIST);
    ::SetFocus(list);
    HWND label = reinterpret_cast<HWND>(::SendMessageW(list, LVM_EDITLABELW, 0, 0));
    ASSERT_NE(label, nullptr);
    const std::wstring before = WindowText(label);
    ::SetWindowTextW(label, L"typed");
    PressKey(app.get(), label, VK_ESCAPE);
    EXPECT_EQ(::SendMessageW(list, LVM_GETEDITCONTROL, 0, 0), 0);
    wchar_t text[64] = {};
    LVITEMW item{};
    item.pszText = text;
    item.cchTextMax = 64;
    ::SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(text), before);
    EXPECT_EQ(frame->runCount, 1);
}

TEST_F(CommandRoutingTest, CommandsNamingTheFrameOrAnOutsideWindowAreRoutedButChildNotificationsAreNot) {
    // A test tool selecting a menu item names the window it drives as the source.
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_RUN, reinterpret_cast<LPARAM>(frame->hwnd()));
    EXPECT_EQ(frame->runCount, 1);
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_VIEW_OUTPUT, reinterpret_cast<LPARAM>(frame->hwnd()));
    EXPECT_FALSE(frame->outputPane.IsBarVisible());

    HWND outside = ::CreateWindowExW(0, L"STATIC", L"outside", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(outside, nullptr);
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_RUN, reinterpret_cast<LPARAM>(outside));
    EXPECT_EQ(frame->runCount, 2);
    // Disabled commands stay disabled whatever the source.
    frame->runEnabled = false;
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_RUN, reinterpret_cast<LPARAM>(frame->hwnd()));
    EXPECT_EQ(frame->runCount, 2);
    frame->runEnabled = true;

    // A control inside the frame that happens to use a command's id notifies; it
    // does not run the command.
    HWND edit = frame->watchDialog.Item(IDC_WATCH_EDIT);
    ASSERT_TRUE(::IsChild(frame->hwnd(), edit));
    ::SendMessageW(frame->hwnd(), WM_COMMAND, MAKEWPARAM(ID_RUN, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(frame->runCount, 2);

    EXPECT_TRUE(CMDIFrameWnd::IsCommandSource(frame->hwnd(), nullptr));
    EXPECT_TRUE(CMDIFrameWnd::IsCommandSource(frame->hwnd(), frame->hwnd()));
    EXPECT_TRUE(CMDIFrameWnd::IsCommandSource(frame->hwnd(), outside));
    EXPECT_FALSE(CMDIFrameWnd::IsCommandSource(frame->hwnd(), edit));
    ::DestroyWindow(outside);
}
