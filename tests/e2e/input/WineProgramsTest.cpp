// The menu and toolbar wrappers on programs nobody here wrote: Wine's notepad and
// wordpad.
#include "AutomationClient.h"
#include <gtest/gtest.h>

using common::Variant;
using e2e::Bool;
using e2e::call;
using e2e::CallResult;
using Microsoft::WRL::ComPtr;

namespace {

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// A Wine program started through a root wrapper and ended with the test.
class WineProgram {
public:
    WineProgram(const wchar_t* exeName, const wchar_t* commandLine, const wchar_t* title) : exeName_(exeName) {
        root_ = e2e::newWrapper();
        CallResult r = call(root_.Get(), L"appExecute", {Variant(commandLine), Variant(title)});
        started_ = r.ok();
        if (!started_) ADD_FAILURE() << narrow(r.description);
        main_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(call(root_.Get(), L"hwnd").number()));
    }
    ~WineProgram() {
        if (started_) call(root_.Get(), L"appRelease", {Bool(true)});
        // A program whose window was never found is not bound: end it by name.
        else e2e::KillProcesses(exeName_);
    }
    bool started() const { return started_; }
    IDispatch* root() const { return root_.Get(); }
    HWND main() const { return main_; }

private:
    const wchar_t* exeName_;
    ComPtr<IDispatch> root_;
    HWND main_ = nullptr;
    bool started_ = false;
};

ComPtr<IDispatch> synchronizer() {
    CLSID clsid;
    ComPtr<IDispatch> sync;
    if (SUCCEEDED(::CLSIDFromProgID(L"Wrappers.Synchronizer", &clsid)))
        ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&sync));
    return sync;
}

HWND editOf(HWND main) { return ::FindWindowExW(main, nullptr, L"Edit", nullptr); }

HWND waitForTitle(const wchar_t* title, DWORD milliseconds) { return e2e::WaitForTitle(title, milliseconds); }

} // namespace

TEST(WinePrograms, NotepadWrapsLongLinesThroughItsFormatMenu) {
    WineProgram notepad(L"notepad.exe", L"notepad.exe", L"\\.*Notepad");
    ASSERT_TRUE(notepad.started());
    CallResult bar = call(notepad.root(), L"menu");
    ASSERT_TRUE(bar.ok());
    const long popups = call(bar.object().Get(), L"count").number();
    EXPECT_GE(popups, 5);

    HWND edit = editOf(notepad.main());
    ASSERT_NE(edit, nullptr);
    const bool scrolledBefore = (::GetWindowLongW(edit, GWL_STYLE) & WS_HSCROLL) != 0;
    // Whichever popup holds the item: the others report that they have no such item.
    int found = 0;
    for (long i = 0; i < popups; ++i) {
        CallResult popup = call(bar.object().Get(), L"menu", {Variant(i)});
        ASSERT_TRUE(popup.ok());
        CallResult select = call(popup.object().Get(), L"select", {Variant(L"&Wrap long lines")});
        if (select.ok()) {
            ++found;
        } else {
            EXPECT_EQ(select.description, L"Cannot find menu item.");
        }
    }
    EXPECT_EQ(found, 1);
    // Notepad builds a new edit control with the other scrolling style.
    edit = editOf(notepad.main());
    ASSERT_NE(edit, nullptr);
    EXPECT_NE((::GetWindowLongW(edit, GWL_STYLE) & WS_HSCROLL) != 0, scrolledBefore);
}

TEST(WinePrograms, NotepadAboutBoxOpensWithAsyncAndTheScriptGoesOn) {
    WineProgram notepad(L"notepad.exe", L"notepad.exe", L"\\.*Notepad");
    ASSERT_TRUE(notepad.started());
    CallResult bar = call(notepad.root(), L"menu");
    ASSERT_TRUE(bar.ok());
    CallResult help = call(bar.object().Get(), L"menu", {Variant(L"&Help")});
    ASSERT_TRUE(help.ok()) << narrow(help.description);
    ComPtr<IDispatch> sync = synchronizer();
    ASSERT_TRUE(sync);
    ASSERT_TRUE(e2e::put(sync.Get(), L"async", {}, Bool(true)).ok());
    // The about box is modal: a sent command would hold the caller until it closes.
    CallResult about = call(help.object().Get(), L"select", {Variant(L"&About Notepad")});
    EXPECT_TRUE(about.ok()) << narrow(about.description);
    HWND box = waitForTitle(L"About Notepad", 20000);
    ASSERT_NE(box, nullptr);
    ::PostMessageW(box, WM_CLOSE, 0, 0);
}

TEST(WinePrograms, WordpadToolbarCutsAndPastesTheDocumentText) {
    WineProgram wordpad(L"wordpad.exe", L"\"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe\"", L"\\.*Wordpad");
    ASSERT_TRUE(wordpad.started());
    // The format bar comes first; the standard toolbar is the second one.
    CallResult format = call(wordpad.root(), L"toolbar");
    ASSERT_TRUE(format.ok()) << narrow(format.description);
    EXPECT_EQ(call(format.object().Get(), L"count").number(), 10);
    CallResult toolbar = call(wordpad.root(), L"toolbar", {Variant(1L)});
    ASSERT_TRUE(toolbar.ok()) << narrow(toolbar.description);
    // New, Open, Save | Print, Preview | Find | Cut, Copy, Paste, Undo, Redo | Date/Time.
    EXPECT_EQ(call(toolbar.object().Get(), L"count").number(), 16);

    CallResult document = call(wordpad.root(), L"richedit", {Variant(0L), Variant(L"\\RichEdit.*")});
    ASSERT_TRUE(document.ok()) << narrow(document.description);
    ASSERT_TRUE(e2e::put(document.object().Get(), L"value", {}, Variant(L"wordpad text")).ok());
    HWND editor = reinterpret_cast<HWND>(static_cast<LONG_PTR>(call(document.object().Get(), L"hwnd").number()));
    ::SendMessageW(editor, EM_SETSEL, 0, -1);

    // The separator before Cut does nothing; Cut empties the document, Paste brings it back.
    EXPECT_TRUE(call(toolbar.object().Get(), L"select", {Variant(8L)}).ok());
    EXPECT_EQ(call(document.object().Get(), L"value").text(), L"wordpad text");
    EXPECT_TRUE(call(toolbar.object().Get(), L"select", {Variant(9L)}).ok());
    EXPECT_EQ(call(document.object().Get(), L"value").text(), L"");
    EXPECT_TRUE(call(toolbar.object().Get(), L"select", {Variant(11L)}).ok());
    // Pasted as rich text, with the paragraph end of the cut selection.
    EXPECT_EQ(call(document.object().Get(), L"value").text().substr(0, 12), L"wordpad text");
    // Its buttons show pictures, not texts.
    CallResult byText = call(toolbar.object().Get(), L"click", {Variant(L"Cut"), Variant(0L)});
    EXPECT_EQ(byText.description, L"Cannot find toolbar button.");
}
