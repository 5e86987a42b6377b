// keys as a script calls it: text, named keys and chords typed into Wine's notepad and
// into the input application's click pad, which records every key and character; the
// errors a script sees for a dead window and a bad key sequence.
#include "InputAppSession.h"
#include <gtest/gtest.h>

using common::Variant;
using e2e::Bool;
using e2e::call;
using e2e::CallResult;
using Microsoft::WRL::ComPtr;

namespace {

std::string narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring windowText(HWND window) {
    wchar_t buffer[4096] = {};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                          &ignored);
    return buffer;
}

// Waits until the window's text satisfies `done`; the keys reach the application after
// the call returns, as a user's typing does.
template <typename Done>
bool waitForText(HWND window, Done done, DWORD milliseconds = 10000) {
    const ULONGLONG start = ::GetTickCount64();
    while (!done(windowText(window))) {
        if (::GetTickCount64() - start > milliseconds) return false;
        ::Sleep(50);
    }
    return true;
}

// No modifier key may stay down after keys, whatever it typed or refused.
void expectNoKeyHeld() {
    ::Sleep(200);
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU})
        EXPECT_GE(::GetAsyncKeyState(key), 0) << "virtual key " << key << " is still down";
}

class NotepadKeys : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = e2e::newWrapper();
        ASSERT_TRUE(root_);
        CallResult started = call(root_.Get(), L"appExecute", {Variant(L"notepad.exe"), Variant(L"\\.*Notepad")});
        ASSERT_TRUE(started.ok()) << narrow(started.description);
        started_ = true;
        main_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(call(root_.Get(), L"hwnd").number()));
        edit_ = ::FindWindowExW(main_, nullptr, L"Edit", nullptr);
        ASSERT_NE(edit_, nullptr);
    }
    void TearDown() override {
        if (started_ && ::IsWindow(main_)) call(root_.Get(), L"appRelease", {Bool(true)});
        expectNoKeyHeld();
    }

    CallResult keys(IDispatch* wrapper, const wchar_t* sequence) {
        return call(wrapper, L"keys", {Variant(sequence)}, DISPATCH_METHOD);
    }

    ComPtr<IDispatch> root_;
    bool started_ = false;
    HWND main_ = nullptr;
    HWND edit_ = nullptr;
};

TEST_F(NotepadKeys, TextAndEnterTypedIntoTheMainWindowReachItsEdit) {
    CallResult r = keys(root_.Get(), L"Hello{ENTER}World~x{TAB}+(ab)");
    ASSERT_TRUE(r.ok()) << narrow(r.description);
    const std::wstring expected = L"Hello\r\nWorld\r\nx\tAB";
    EXPECT_TRUE(waitForText(edit_, [&](const std::wstring& text) { return text == expected; }))
        << narrow(windowText(edit_));
}

TEST_F(NotepadKeys, ControlAThenTextReplacesEverythingThroughTheEditWrapper) {
    CallResult edit = call(root_.Get(), L"edit");
    ASSERT_TRUE(edit.ok());
    // A control wrapper answers the new interface and the new member by name.
    ComPtr<IWNDWrapper2> extended;
    EXPECT_EQ(edit.object()->QueryInterface(IID_PPV_ARGS(&extended)), S_OK);
    ASSERT_TRUE(keys(edit.object().Get(), L"first line{ENTER}second line").ok());
    ASSERT_TRUE(waitForText(edit_, [](const std::wstring& text) { return text == L"first line\r\nsecond line"; }))
        << narrow(windowText(edit_));

    ASSERT_TRUE(keys(edit.object().Get(), L"^a").ok());
    ASSERT_TRUE(keys(edit.object().Get(), L"replaced").ok());
    EXPECT_TRUE(waitForText(edit_, [](const std::wstring& text) { return text == L"replaced"; }))
        << narrow(windowText(edit_));
    // Home, Shift+End and a repeat count: the word selected and overtyped.
    ASSERT_TRUE(keys(edit.object().Get(), L"{HOME}+{END}{x 3}{LEFT 2}-").ok());
    EXPECT_TRUE(waitForText(edit_, [](const std::wstring& text) { return text == L"x-xx"; }))
        << narrow(windowText(edit_));
}

TEST_F(NotepadKeys, FunctionKeyInsertsTheTimeAndDate) {
    ASSERT_TRUE(keys(root_.Get(), L"{F5}").ok());
    EXPECT_TRUE(waitForText(edit_, [](const std::wstring& text) { return text.size() >= 6; }))
        << narrow(windowText(edit_));
}

TEST_F(NotepadKeys, AltF4ClosesAnUnchangedDocument) {
    ASSERT_TRUE(keys(root_.Get(), L"%{F4}").ok());
    const ULONGLONG start = ::GetTickCount64();
    while (::IsWindow(main_) && ::GetTickCount64() - start < 10000) ::Sleep(50);
    EXPECT_FALSE(::IsWindow(main_));
}

TEST_F(NotepadKeys, KeysOfADisabledMainWindowGoToItsModalQuestion) {
    ASSERT_TRUE(keys(root_.Get(), L"changed").ok());
    ASSERT_TRUE(waitForText(edit_, [](const std::wstring& text) { return text == L"changed"; }));
    // A changed document: Alt+F4 asks whether to save it.
    ASSERT_TRUE(keys(root_.Get(), L"%{F4}").ok());
    HWND question = nullptr;
    const ULONGLONG start = ::GetTickCount64();
    while (!question && ::GetTickCount64() - start < 10000) {
        HWND popup = ::GetLastActivePopup(main_);
        if (popup && popup != main_) question = popup;
        else ::Sleep(50);
    }
    ASSERT_NE(question, nullptr);
    // Escape through the wrapper of the main window reaches the question (Cancel).
    ASSERT_TRUE(keys(root_.Get(), L"{ESC}").ok());
    const ULONGLONG shown = ::GetTickCount64();
    while (::IsWindow(question) && ::GetTickCount64() - shown < 10000) ::Sleep(50);
    EXPECT_FALSE(::IsWindow(question));
    EXPECT_TRUE(::IsWindow(main_));
    EXPECT_EQ(windowText(edit_), L"changed");
}

TEST_F(NotepadKeys, BadSequencesFailBeforeAnyKeyIsTyped) {
    ASSERT_TRUE(keys(root_.Get(), L"kept").ok());
    ASSERT_TRUE(waitForText(edit_, [](const std::wstring& text) { return text == L"kept"; }));

    CallResult unknown = keys(root_.Get(), L"abc{FOO}");
    EXPECT_EQ(unknown.hr, E_FAIL);
    EXPECT_EQ(unknown.description, L"Unknown key name: {FOO}");
    EXPECT_EQ(unknown.source, L"Runtime Error");
    CallResult open = keys(root_.Get(), L"^(abc");
    EXPECT_EQ(open.hr, E_FAIL);
    EXPECT_EQ(open.description,
              L"Unbalanced parentheses in keys: '(' at position 2 is not closed; type a literal ( as {(}");
    CallResult modifier = keys(root_.Get(), L"abc^");
    EXPECT_EQ(modifier.description, L"The modifier '^' at position 4 has no key after it; type a literal ^ as {^}");
    // A number where the text belongs is converted by the type library, as in any member.
    EXPECT_TRUE(call(root_.Get(), L"keys", {Variant(7L)}, DISPATCH_METHOD).ok());
    EXPECT_TRUE(waitForText(edit_, [](const std::wstring& text) { return text == L"kept7"; }))
        << narrow(windowText(edit_));
    // A missing argument is refused.
    EXPECT_TRUE(FAILED(call(root_.Get(), L"keys", {}, DISPATCH_METHOD).hr));
}

TEST(Keys, ADeadWindowIsAClearErrorAndNothingIsTyped) {
    ComPtr<IDispatch> stale = e2e::newWrapper();
    HWND gone = ::CreateWindowExW(0, L"EDIT", L"gone", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr, nullptr, nullptr,
                                  nullptr);
    ASSERT_TRUE(call(stale.Get(), L"connect", {Variant(static_cast<long>(reinterpret_cast<LONG_PTR>(gone)))}).ok());
    ::DestroyWindow(gone);
    HWND foreground = ::GetForegroundWindow();
    CallResult r = call(stale.Get(), L"keys", {Variant(L"^a{DEL}")}, DISPATCH_METHOD);
    EXPECT_EQ(r.hr, E_FAIL);
    EXPECT_EQ(r.description, L"Cannot type keys: the window no longer exists");
    EXPECT_EQ(r.source, L"Runtime Error");
    EXPECT_EQ(::GetForegroundWindow(), foreground);
    // Through the vtable too, with a null string.
    ComPtr<IWNDWrapper2> vtable;
    ASSERT_EQ(stale->QueryInterface(IID_PPV_ARGS(&vtable)), S_OK);
    EXPECT_EQ(vtable->keys(nullptr), E_FAIL);
    expectNoKeyHeld();
}

// The click pad records every key going down and up, in order.
class PadKeys : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app_.started());
        CallResult r = call(app_.root(), L"wnd", {Variant(0L), Variant(L"TevrinClickPad")});
        ASSERT_TRUE(r.ok());
        pad_ = r.object();
    }
    // The key lines (and character lines when `characters`) recorded for the sequence,
    // once there are `count` of them.
    std::vector<std::string> typeAndRecord(const wchar_t* sequence, size_t count, bool characters) {
        app_.mark();
        CallResult r = call(pad_.Get(), L"keys", {Variant(sequence)}, DISPATCH_METHOD);
        EXPECT_TRUE(r.ok()) << narrow(r.description);
        std::vector<std::string> lines;
        auto select = [&](const std::vector<std::string>& all) {
            lines.clear();
            for (const std::string& line : all)
                if (line.rfind("key ", 0) == 0 || (characters && line.rfind("char ", 0) == 0)) lines.push_back(line);
            return lines.size() >= count;
        };
        EXPECT_TRUE(app_.waitFor(select)) << "the application recorded only " << lines.size() << " lines";
        ::Sleep(200);
        select(app_.linesSinceMark());
        return lines;
    }
    e2e::InputAppSession app_{L"Keys Input"};
    ComPtr<IDispatch> pad_;
};

TEST_F(PadKeys, ChordsHoldTheirModifiersAroundTheKeyAndReleaseThem) {
    // F4 is virtual key 115, S is 83.
    std::vector<std::string> lines = typeAndRecord(L"%{F4}", 4, false);
    EXPECT_EQ(lines, (std::vector<std::string>{"key down MENU", "key down 115", "key up 115", "key up MENU"}));
    lines = typeAndRecord(L"^+s", 6, false);
    EXPECT_EQ(lines, (std::vector<std::string>{"key down CONTROL", "key down SHIFT", "key down 83", "key up 83",
                                               "key up SHIFT", "key up CONTROL"}));
    expectNoKeyHeld();
}

TEST_F(PadKeys, TextArrivesAsKeysAndCharactersCapitalsWithShift) {
    // '+' is a shifted key (187) on the US layout.
    std::vector<std::string> lines = typeAndRecord(L"aB{+}", 13, true);
    const std::vector<std::string> expected = {"key down 65",    "char 97",       "key up 65",   "key down SHIFT",
                                               "key down 66",    "char 66",       "key up 66",   "key up SHIFT",
                                               "key down SHIFT", "key down 187",  "char 43",     "key up 187",
                                               "key up SHIFT"};
    EXPECT_EQ(lines, expected);
}

} // namespace
