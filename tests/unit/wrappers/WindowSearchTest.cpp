// Window search over windows of this process: a main window with buttons and labels,
// one of them inside a panel, so that index counting, title patterns, the top-level
// phase and the own-class fallback can be checked against known windows.
#include "wrappers/core/WindowSearch.h"
#include <gtest/gtest.h>
#include <vector>

using wrappers::findMainWindow;
using wrappers::findWindow;
using wrappers::WindowId;

namespace {

const wchar_t kMainClass[] = L"TevrinSearchMain";

class WindowSearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kMainClass;
        ::RegisterClassW(&windowClass);
    }

    void SetUp() override {
        main_ = create(0, kMainClass, L"Search Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
        name_ = child(L"Button", L"Name", main_);
        names_ = child(L"Button", L"Names", main_);
        label_ = child(L"Static", L"name", main_);
        panel_ = child(L"Static", L"panel", main_);
        inner_ = child(L"Button", L"inner", panel_);
        dotted_ = child(L"Button", L"a.b", main_);
        edit_ = child(L"Edit", L"", main_);
        processId_ = ::GetCurrentProcessId();
    }

    void TearDown() override {
        for (auto it = windows_.rbegin(); it != windows_.rend(); ++it) ::DestroyWindow(*it);
    }

    HWND create(DWORD exStyle, const wchar_t* cls, const wchar_t* title, DWORD style, HWND parent) {
        HWND window = ::CreateWindowExW(exStyle, cls, title, style, 10, 10, 200, 100, parent, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr);
        if (!parent) windows_.push_back(window);
        return window;
    }
    HWND child(const wchar_t* cls, const wchar_t* title, HWND parent) {
        return create(0, cls, title, WS_CHILD | WS_VISIBLE, parent);
    }
    HWND inMain(const WindowId& id, const wchar_t* cls) { return findWindow(main_, processId_, id, cls, false); }

    std::vector<HWND> windows_;
    HWND main_, name_, names_, label_, panel_, inner_, dotted_, edit_;
    DWORD processId_;
};

} // namespace

TEST_F(WindowSearchTest, IndexCountsOnlyWindowsOfTheClassChildrenBeforeTheirDescendants) {
    EXPECT_EQ(inMain(WindowId::ofIndex(0), L"Button"), name_);
    EXPECT_EQ(inMain(WindowId::ofIndex(1), L"Button"), names_);
    // The panel's button comes right after the panel, before the later siblings.
    EXPECT_EQ(inMain(WindowId::ofIndex(2), L"Button"), inner_);
    EXPECT_EQ(inMain(WindowId::ofIndex(3), L"Button"), dotted_);
    EXPECT_EQ(inMain(WindowId::ofIndex(4), L"Button"), nullptr);
    EXPECT_EQ(inMain(WindowId::ofIndex(1), L"Static"), panel_);
    EXPECT_EQ(inMain(WindowId::ofIndex(-1), L"Button"), nullptr);
}

TEST_F(WindowSearchTest, TitlePatternsAreLiteralOrFullRegularExpressions) {
    EXPECT_EQ(inMain(WindowId::ofTitle(L"Names"), L"Button"), names_);
    EXPECT_EQ(inMain(WindowId::ofTitle(L"\\Na.*e"), L""), name_);
    EXPECT_EQ(inMain(WindowId::ofTitle(L"name"), L""), label_);
    EXPECT_EQ(inMain(WindowId::ofTitle(L"a.b"), L"Button"), dotted_);
    EXPECT_EQ(inMain(WindowId::ofTitle(L"axb"), L"Button"), nullptr);
    // Class patterns are patterns too.
    EXPECT_EQ(inMain(WindowId::ofIndex(0), L"\\B.*n"), name_);
    EXPECT_ANY_THROW(inMain(WindowId::ofTitle(L"\\(x"), L"Button"));
    EXPECT_ANY_THROW(inMain(WindowId::ofIndex(0), L"\\[a-"));
}

TEST_F(WindowSearchTest, TopLevelPhaseRunsFirstForAWindowWithoutParent) {
    // The main window has no parent: its own process's top-level windows are searched
    // first, by title and class, and an index is not counted there.
    EXPECT_EQ(inMain(WindowId::ofIndex(3), kMainClass), main_);
    EXPECT_EQ(inMain(WindowId::ofTitle(L"Search Main"), L""), main_);
    // Forced on a child, the top-level phase finds the main window as well.
    EXPECT_EQ(findWindow(panel_, processId_, WindowId::ofIndex(0), kMainClass, true), main_);
    // A process filter of another process hides our windows in that phase.
    EXPECT_EQ(findWindow(panel_, processId_ + 4, WindowId::ofTitle(L"Search Main"), L"", true), nullptr);
}

TEST_F(WindowSearchTest, OwnClassFallbackReturnsTheBoundWindow) {
    EXPECT_EQ(findWindow(edit_, processId_, WindowId::ofIndex(0), L"Edit", false), edit_);
    EXPECT_EQ(findWindow(edit_, processId_, WindowId::ofIndex(7), L"Edit", false), edit_);
    EXPECT_EQ(findWindow(edit_, processId_, WindowId::ofIndex(0), L"Button", false), nullptr);
    // A title must be the bound window's own.
    EXPECT_EQ(findWindow(panel_, processId_, WindowId::ofTitle(L"panel"), L"Static", false), panel_);
    EXPECT_EQ(findWindow(panel_, processId_, WindowId::ofTitle(L"other"), L"Static", false), nullptr);
    // The panel's own descendants come first.
    EXPECT_EQ(findWindow(panel_, processId_, WindowId::ofIndex(0), L"Button", false), inner_);
    EXPECT_EQ(findWindow(panel_, processId_, WindowId::ofIndex(1), L"Static", false), panel_);
}

TEST_F(WindowSearchTest, OtherIdentifierTypesMatchNoDescendant) {
    VARIANT number;
    ::VariantInit(&number);
    number.vt = VT_R8;
    number.dblVal = 0;
    EXPECT_EQ(findWindow(panel_, processId_, WindowId::from(&number), L"Button", false), nullptr);
}

TEST_F(WindowSearchTest, StaleHandleFindsNothingBelowIt) {
    HWND gone = create(0, kMainClass, L"Gone", WS_OVERLAPPEDWINDOW, nullptr);
    ::DestroyWindow(gone);
    windows_.pop_back();
    EXPECT_EQ(findWindow(gone, processId_, WindowId::ofIndex(0), L"Button", false), nullptr);
    EXPECT_EQ(wrappers::readWindowText(gone), L"");
    EXPECT_EQ(wrappers::readClassName(gone), L"");
}

TEST(WindowId, NormalisesScriptArguments) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_ERROR;
    v.scode = DISP_E_PARAMNOTFOUND;
    WindowId missing = WindowId::from(&v);
    EXPECT_EQ(missing.kind, WindowId::Kind::Index);
    EXPECT_EQ(missing.index, 0);

    v.vt = VT_I2;
    v.iVal = 5;
    EXPECT_EQ(WindowId::from(&v).index, 5);

    LONG byRef = 9;
    v.vt = VT_I4 | VT_BYREF;
    v.plVal = &byRef;
    EXPECT_EQ(WindowId::from(&v).kind, WindowId::Kind::Index);
    EXPECT_EQ(WindowId::from(&v).index, 9);

    v.vt = VT_BSTR;
    v.bstrVal = nullptr;  // a null string is the empty title
    EXPECT_EQ(WindowId::from(&v).kind, WindowId::Kind::Title);
    EXPECT_EQ(WindowId::from(&v).title, L"");

    v.vt = VT_EMPTY;
    EXPECT_EQ(WindowId::from(&v).kind, WindowId::Kind::Other);
}

TEST(WindowNotFound, MessagesNameIndexOrTitleAndClass) {
    EXPECT_EQ(wrappers::windowNotFoundMessage(WindowId::ofIndex(2), L"Button"),
              L"Cannot find window index 2 of class Button");
    EXPECT_EQ(wrappers::windowNotFoundMessage(WindowId::ofTitle(L"OK"), L"Button"),
              L"Cannot find window with title 'OK' of class Button");
    EXPECT_EQ(wrappers::windowNotFoundMessage(WindowId::ofTitle(L"Main"), L""),
              L"Cannot find window with title 'Main' of class ");
}

TEST_F(WindowSearchTest, MainWindowIsTheLastFramedVisibleNonPopupOneElseTheFirst) {
    const DWORD thread = ::GetCurrentThreadId();
    HWND hiddenPopup = create(0, kMainClass, L"Twin", WS_POPUP, nullptr);
    EXPECT_EQ(findMainWindow(std::wstring(L"Twin"), thread, processId_), hiddenPopup);

    HWND framed = create(0, kMainClass, L"Twin", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
    EXPECT_EQ(findMainWindow(std::wstring(L"Twin"), thread, processId_), framed);
    EXPECT_EQ(findMainWindow(std::wstring(L"\\Tw.n"), 0, 0), framed);
    EXPECT_EQ(findMainWindow(std::wstring(L"Twin"), thread + 1, processId_), nullptr);
    EXPECT_EQ(findMainWindow(std::wstring(L"No Such Title"), 0, 0), nullptr);
    ::DestroyWindow(hiddenPopup);
}
