#pragma once
// The script document test window built in-process: an MDI frame with script documents
// and the results pane around a script host whose state the tests set by hand. Scripts
// are files in a fresh temporary folder; input goes through the thread's message loop
// with the application's accelerators, as a user's would.
#include "DocAppWindow.h"
#include "common/Bstr.h"
#include "tests/apps/KeyboardInput.h"
#include "common/TextConv.h"
#include "framework/DocTemplate.h"
#include "framework/MDIChildWnd.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>
#include <initializer_list>
#include <memory>
#include <string>

namespace docview {

inline void Pump() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            if (msg.message == WM_QUIT) continue;
            CApplication* app = CApplication::Get();
            if (app && app->PumpPreTranslate(&msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

inline std::string ReadBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(::GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ::ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    if (!bytes.empty()) ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

class DocAppFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::OleInitialize(nullptr); }

    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"docview" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                  std::to_wstring(counter_++);
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        app = std::make_unique<CDocApp>();
        app->AddScriptTemplate();
        ASSERT_TRUE(app->CreateFrame(1000, 750));
        Pump();
    }

    void TearDown() override {
        if (app->mainWnd()) {
            // Nothing may ask to save on the way out.
            for (CMardelDoc* doc : app->Documents()) doc->SetModifiedFlag(false);
            app->mainWnd()->DestroyWindow();
            Pump();
        }
        app.reset();
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((folder_ + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do ::DeleteFileW((folder_ + L"\\" + data.cFileName).c_str());
            while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(folder_.c_str());
    }

    std::wstring PathOf(const std::wstring& name) const { return folder_ + L"\\" + name; }

    // Writes a script file and opens it.
    CMardelDoc* Open(const std::wstring& name, const std::string& bytes) {
        WriteBytes(PathOf(name), bytes);
        auto* doc = dynamic_cast<CMardelDoc*>(app->OpenDocumentFile(PathOf(name)));
        Pump();
        return doc;
    }
    CMardelDoc* NewDocument() {
        app->OnFileNew();
        Pump();
        auto docs = app->Documents();
        return docs.empty() ? nullptr : docs.back();
    }
    static CMardelView* ViewOf(CMardelDoc* doc) { return doc ? doc->mardelView() : nullptr; }
    static HWND EditOf(CMardelDoc* doc) { return ViewOf(doc) ? ViewOf(doc)->hwnd() : nullptr; }

    // The control's text, paragraph marks as \r, without the final one.
    static std::wstring TextOf(CMardelDoc* doc) { return TextOf(ViewOf(doc)); }
    static std::wstring TextOf(CMardelView* view) {
        auto document = view->textDocument();
        Microsoft::WRL::ComPtr<ITextRange> range;
        document->Range(0, 0x7FFFFFFF, &range);
        common::Bstr text;
        range->GetText(text.put());
        std::wstring result = text.str();
        if (!result.empty() && result.back() == L'\r') result.pop_back();
        return result;
    }
    static long LineStart(HWND edit, long line0) {
        return static_cast<long>(::SendMessageW(edit, EM_LINEINDEX, line0, 0));
    }
    static void Select(HWND edit, long start, long end) {
        CHARRANGE range{start, end};
        ::SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    }

    // A key pressed on the focused control: down (translated by the loop), then up.
    static void PressKey(HWND edit, UINT key) {
        ::SetFocus(edit);
        const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
        ::PostMessageW(edit, WM_KEYDOWN, key, 1 | (scan << 16));
        Pump();
        ::PostMessageW(edit, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000);
        Pump();
    }
    // A key pressed with modifier keys held (VK_SHIFT, VK_CONTROL, VK_MENU), through the
    // loop and the application's accelerators.
    static void PressKeyWith(HWND edit, UINT key, std::initializer_list<UINT> held) {
        ::SetFocus(edit);
        testing_apps::PressKeyWith(edit, key, held, [] { Pump(); });
    }
    static void TypeChars(HWND edit, const std::wstring& chars) {
        ::SetFocus(edit);
        for (wchar_t c : chars) ::PostMessageW(edit, WM_CHAR, c, 1);
        Pump();
    }

    std::unique_ptr<CDocApp> app;
    std::wstring folder_;
    static inline int counter_ = 0;
};

} // namespace docview
