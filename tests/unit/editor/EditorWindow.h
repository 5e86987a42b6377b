#pragma once
// A real rich edit control in a host window of the test process, with the editor
// component attached and the host's forwarding of notifications, driven by posted key
// and mouse messages that go through the thread's message loop.
#include "editor/CSyntaxEditor.h"
#include "editor/RunStateFollower.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>
#include <fstream>
#include <memory>
#include <string>

namespace editortest {

using Microsoft::WRL::ComPtr;

// Writes <program folder>\<name>.ini with the given contents.
inline void WriteIni(const std::wstring& name, const std::string& contents) {
    std::ofstream out(editor::LanguageDefinitions::IniPathBesideProgram(name), std::ios::binary | std::ios::trunc);
    out << contents;
}

// Colours kept apart so that each class is recognisable.
constexpr long kKeywordColor = 0x0000FF;   // "FF": red
constexpr long kCommentColor = 0x00FF00;
constexpr long kStringColor = 0x000080;
constexpr long kNumberColor = 0x800080;
constexpr long kPreprocessorColor = 0x008080;
constexpr long kDefaultColor = 0x101010;

inline void WriteTestStyles() {
    WriteIni(L"edtest_tagclass",
             "[default]\nForeColor=101010\n"
             "[preprocessor]\nForeColor=0x008080\n"
             "[Comment]\nForeColor=00FF00\nItalic=1\n"
             "[number]\nForeColor=800080\n"
             "[string]\nForeColor=000080\n"
             "[keyword]\nForeColor=FF\nBold=1\n");
}

inline void WriteTestLanguages() {
    WriteIni(L"edtest_languages",
             "[CPP]\nExtensions=cpp;c;h\n"
             "[vbs]\nExtensions=vbs\nCaseSensitive=0\n"
             "[js]\nExtensions=js\n"
             "[plain]\nExtensions=txt\n");
}

class EditorWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::OleInitialize(nullptr);
        ::LoadLibraryW(L"riched20.dll");
        WNDCLASSW wc{};
        wc.lpfnWndProc = &EditorWindow::HostProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"EditorTestHost";
        ::RegisterClassW(&wc);
        WriteTestStyles();
        WriteTestLanguages();
    }

    void SetUp() override {
        host_ = ::CreateWindowW(L"EditorTestHost", L"Editor test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400,
                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(host_);
        RECT client{};
        ::GetClientRect(host_, &client);
        edit_ = ::CreateWindowExW(0, L"RichEdit20W", L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                      ES_AUTOHSCROLL,
                                  0, 0, client.right, client.bottom, host_, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(edit_);
        editor_ = std::make_unique<editor::CSyntaxEditor>();
        current_ = editor_.get();
        ASSERT_EQ(S_OK, editor_->Attach(edit_, L"edtest_languages", L"edtest_tagclass", nullptr, nullptr));
        ComPtr<ITextDocument> doc;
        ASSERT_EQ(S_OK, editor_->GetTextDocument(&doc));
        text_ = editor::TextModel(edit_, doc);
        ::SetForegroundWindow(host_);
        ::SetFocus(edit_);
        Pump();
    }

    // A new editor component on the same control, drawing the margin with `draw`.
    void Reattach(editor::MarginDrawCallback draw, void* data) {
        current_ = nullptr;
        editor_.reset();
        editor_ = std::make_unique<editor::CSyntaxEditor>();
        ASSERT_EQ(S_OK, editor_->Attach(edit_, L"edtest_languages", L"edtest_tagclass", draw, data));
        current_ = editor_.get();
    }

    void TearDown() override {
        current_ = nullptr;
        runState_ = nullptr;
        if (host_) ::DestroyWindow(host_);
        editor_.reset();
        Pump();
    }

    // Replaces the text without keys; the selection goes to the start.
    void SetText(const std::wstring& text) {
        ::SetWindowTextW(edit_, text.c_str());
        Select(0, 0);
        ::SendMessageW(edit_, EM_SETMODIFY, FALSE, 0);
        Pump();
    }
    // The text with paragraph marks as \r, without the final mark.
    std::wstring Text() const {
        const long length = text_.StoryLength();
        std::wstring text = text_.Text(0, length);
        if (!text.empty() && text.back() == L'\r') text.pop_back();
        return text;
    }
    void Select(long start, long end) {
        CHARRANGE range{start, end};
        ::SendMessageW(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }
    CHARRANGE Selection() const {
        CHARRANGE range{};
        ::SendMessageW(edit_, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }
    long LineStart(long line) const { return static_cast<long>(::SendMessageW(edit_, EM_LINEINDEX, line, 0)); }

    // Dispatches everything queued, the way the application's loop would.
    static void Pump() {
        MSG msg;
        for (int round = 0; round < 3; ++round) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }

    // A key press with modifiers held, posted to the control: key down (translated into
    // its character by the loop, as a keyboard would), then key up.
    void PressKey(UINT key, bool shift = false, bool control = false) {
        BYTE state[256] = {};
        ::GetKeyboardState(state);
        state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
        state[VK_CONTROL] = state[VK_LCONTROL] = control ? 0x80 : 0;
        ::SetKeyboardState(state);
        const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
        ::PostMessageW(edit_, WM_KEYDOWN, key, 1 | (scan << 16));
        Pump();
        ::PostMessageW(edit_, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000);
        Pump();
        state[VK_SHIFT] = state[VK_LSHIFT] = state[VK_CONTROL] = state[VK_LCONTROL] = 0;
        ::SetKeyboardState(state);
    }
    void TypeChars(const std::wstring& chars) {
        for (wchar_t c : chars) ::PostMessageW(edit_, WM_CHAR, c, 1);
        Pump();
    }

    // The font of the character at pos; its colour, bold and the weight it is drawn with.
    ComPtr<ITextFont> FontAt(long pos) const {
        ComPtr<ITextFont> font;
        EXPECT_EQ(S_OK, text_.Range(pos, pos + 1)->GetFont(&font));
        return font;
    }
    long ForeColorAt(long pos) const {
        long color = 0;
        FontAt(pos)->GetForeColor(&color);
        return color;
    }
    bool BoldAt(long pos) const {
        long bold = 0;
        FontAt(pos)->GetBold(&bold);
        return bold == tomTrue;
    }
    long WeightAt(long pos) const {
        long weight = 0;
        FontAt(pos)->GetWeight(&weight);
        return weight;
    }

    HWND host_ = nullptr;
    HWND edit_ = nullptr;
    std::unique_ptr<editor::CSyntaxEditor> editor_;
    editor::TextModel text_;

private:
    static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (current_ && message == WM_NOTIFY) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->code == EN_MSGFILTER && runState_) {
                editor::FollowRunState(header->hwndFrom, reinterpret_cast<MSGFILTER*>(lParam)->msg, *runState_);
            }
            LRESULT result = 0;
            if (current_->OnNotify(header->code, header, &result)) return result;
        } else if (current_ && message == WM_COMMAND && lParam) {
            bool handled = false;
            LRESULT result = current_->OnMessage(message, wParam, lParam, &handled);
            if (handled) return result;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    static inline editor::CSyntaxEditor* current_ = nullptr;

protected:
    // The host's run state, consulted at every filtered input message when set.
    static inline const editor::IScriptRunState* runState_ = nullptr;
};

} // namespace editortest
