// Rich edit and HTML document members (richedit, tom, mshtml, the browser-window case
// of dlgItem and waitForWindow) driven through IDispatch like a script, against the
// accessible test application and Wine's wordpad.
#include "AccAppSession.h"
#include "common/ComInit.h"
#include <gtest/gtest.h>
#include <mshtml.h>
#include <tom.h>
#include <thread>

using common::Variant;
using e2e::Bool;
using e2e::call;
using e2e::CallResult;
using e2e::Narrow;
using e2e::put;
using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kTitle[] = L"Document Wrapper Test";
// ITextDocument's IID; MinGW's tom.h does not attach it to the interface.
const IID kIidTextDocument = {0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

// The text of a control of another process (GetWindowText would not ask it).
std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 10000, &copied);
    return text;
}

// The text of a text object model document from start to end.
std::wstring StoryText(IDispatch* document) {
    CallResult range = call(document, L"Range", {Variant(0L), Variant(100000L)});
    EXPECT_TRUE(range.ok()) << std::hex << range.hr;
    return call(range.object().Get(), L"Text").text();
}

// The thread's error information left by the last call, as "description|source".
std::wstring LeftErrorText() {
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, &info) != S_OK || !info) return L"";
    BSTR description = nullptr, source = nullptr;
    info->GetDescription(&description);
    info->GetSource(&source);
    std::wstring text = std::wstring(description ? description : L"") + L"|" + (source ? source : L"");
    ::SysFreeString(description);
    ::SysFreeString(source);
    return text;
}

class DocumentWrappersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app_ = new e2e::AccAppSession(kTitle); }
    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(app_->started()) << "accapp did not start"; }

    static IDispatch* root() { return app_->root(); }
    static HWND item(int id) { return ::GetDlgItem(app_->main(), id); }

    static e2e::AccAppSession* app_;
};

e2e::AccAppSession* DocumentWrappersTest::app_ = nullptr;

TEST_F(DocumentWrappersTest, TomReadsAndChangesTheRichEditOfTheOtherProcess) {
    CallResult wide = call(root(), L"richedit");
    ASSERT_TRUE(wide.ok()) << Narrow(wide.description);
    CallResult tom = call(wide.object().Get(), L"tom");
    ASSERT_EQ(tom.hr, S_OK) << Narrow(tom.description);
    ASSERT_TRUE(tom.object());
    ComPtr<IUnknown> document;
    EXPECT_TRUE(SUCCEEDED(tom.object()->QueryInterface(kIidTextDocument, reinterpret_cast<void**>(document.GetAddressOf()))))
        << "tom is not a text document";
    EXPECT_EQ(StoryText(tom.object().Get()), L"Wide rich text\r");

    CallResult range = call(tom.object().Get(), L"Range", {Variant(0L), Variant(4L)});
    ASSERT_TRUE(range.ok());
    ASSERT_TRUE(put(range.object().Get(), L"Text", {}, Variant(L"Changed")).ok());
    EXPECT_EQ(WindowText(item(201)), L"Changed rich text");
}

TEST_F(DocumentWrappersTest, TomOfAnAnsiRichEditByClassAndByDialogItem) {
    // The default class is RichEdit20W; the ANSI control needs its class named.
    CallResult ansi = call(root(), L"richedit", {Variant(0L), Variant(L"RichEdit20A")});
    ASSERT_TRUE(ansi.ok()) << Narrow(ansi.description);
    EXPECT_EQ(StoryText(call(ansi.object().Get(), L"tom").object().Get()), L"Ansi rich text\r");

    CallResult byId = call(root(), L"dlgItem", {Variant(202L)});
    ASSERT_TRUE(byId.ok()) << Narrow(byId.description);
    ComPtr<IRichEditCtrl> richEdit;
    ASSERT_TRUE(SUCCEEDED(byId.object().As(&richEdit)));
    EXPECT_EQ(StoryText(call(byId.object().Get(), L"tom").object().Get()), L"Ansi rich text\r");
}

TEST_F(DocumentWrappersTest, TomWithoutADocumentLeavesTheErrorTextAndNoObject) {
    // Error information of a successful call does not travel back through a proxy, so the
    // wrapper is used where it lives: in the multithreaded apartment.
    HRESULT hr = E_UNEXPECTED;
    bool gotObject = true;
    std::wstring left;
    const LONG main = static_cast<LONG>(reinterpret_cast<LONG_PTR>(app_->main()));
    std::thread worker([&] {
        const common::ComInit apartment(COINIT_MULTITHREADED);
        {
            ComPtr<IDispatch> wrapper = e2e::newWrapper();
            call(wrapper.Get(), L"connect", {Variant(static_cast<long>(main))});
            // A rich edit wrapper bound to a plain edit control: the hook finds no document.
            CallResult plain = call(wrapper.Get(), L"richedit", {Variant(0L), Variant(L"Edit")});
            ComPtr<IRichEditCtrl> control;
            if (plain.object() && SUCCEEDED(plain.object().As(&control))) {
                IDispatch* document = nullptr;
                ::SetErrorInfo(0, nullptr);
                hr = control->get_tom(&document);
                gotObject = document != nullptr;
                if (document) document->Release();
                left = LeftErrorText();
            }
        }
    });
    worker.join();
    EXPECT_EQ(hr, S_OK);
    EXPECT_FALSE(gotObject);
    EXPECT_EQ(left, L"Could not obtain an ITextDocument interface|Runtime Error");
}

TEST_F(DocumentWrappersTest, MshtmlGivesTheServedDocument) {
    CallResult document = call(root(), L"mshtml");
    ASSERT_EQ(document.hr, S_OK) << Narrow(document.description);
    ComPtr<IHTMLDocument2> html;
    ASSERT_TRUE(SUCCEEDED(document.object().As(&html)));
    EXPECT_EQ(call(document.object().Get(), L"title").text(), L"Served Document");
    EXPECT_EQ(call(document.object().Get(), L"readyState").text(), L"Complete");
    ASSERT_TRUE(put(document.object().Get(), L"title", {}, Variant(L"Renamed")).ok());
    // The same document again, by title this time.
    CallResult again = call(root(), L"mshtml", {Variant(L"Document")});
    ASSERT_EQ(again.hr, S_OK) << Narrow(again.description);
    EXPECT_EQ(call(again.object().Get(), L"title").text(), L"Renamed");
}

TEST_F(DocumentWrappersTest, MshtmlAsksAccessibilityFirst) {
    // This window gives its document only to accessibility clients, as a service of its
    // accessible object; it ignores the hook library's request.
    CallResult document = call(root(), L"mshtml", {Variant(L"Accessible")});
    ASSERT_EQ(document.hr, S_OK) << Narrow(document.description);
    EXPECT_EQ(call(document.object().Get(), L"title").text(), L"Accessible Document");
}

TEST_F(DocumentWrappersTest, MshtmlFailures) {
    CallResult blank = call(root(), L"mshtml", {Variant(L"Blank")});
    EXPECT_EQ(blank.hr, E_FAIL);
    EXPECT_EQ(blank.description, L"Could not obtain an IHTMLDocument2 pointer");
    EXPECT_EQ(blank.source, L"Runtime Error");

    CallResult missing = call(root(), L"mshtml", {Variant(L"Nowhere")});
    EXPECT_EQ(missing.hr, E_FAIL);
    EXPECT_EQ(missing.description, L"Cannot find window with title 'Nowhere' of class Internet Explorer_Server");
}

TEST_F(DocumentWrappersTest, BrowserWindowsFoundByIdOrWaitGiveTheirDocument) {
    CallResult byId = call(root(), L"dlgItem", {Variant(301L)});
    ASSERT_EQ(byId.hr, S_OK) << Narrow(byId.description);
    ComPtr<IHTMLDocument2> html;
    EXPECT_TRUE(SUCCEEDED(byId.object().As(&html)));
    ComPtr<IWNDWrapper> wrapper;
    EXPECT_FALSE(SUCCEEDED(byId.object().As(&wrapper))) << "a wrapper instead of the document";
    EXPECT_FALSE(call(byId.object().Get(), L"title").text().empty());

    CallResult waited = call(root(), L"waitForWindow", {Variant(L"Document"), Variant(L"Internet Explorer_Server"), Variant(5L)});
    ASSERT_EQ(waited.hr, S_OK) << Narrow(waited.description);
    EXPECT_TRUE(SUCCEEDED(waited.object().As(&html)));

    CallResult blank = call(root(), L"dlgItem", {Variant(302L)});
    EXPECT_EQ(blank.hr, E_FAIL);
    EXPECT_EQ(blank.description, L"Could not obtain a IHTMLDocument2 pointer");
}

TEST(WordpadDocument, TomReadsAndChangesWordpadsText) {
    ComPtr<IDispatch> app = e2e::newWrapper();
    ASSERT_TRUE(app);
    CallResult started = call(app.Get(), L"appExecute",
                              {Variant(L"\"C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe\"")});
    ASSERT_TRUE(started.ok()) << Narrow(started.description);
    struct Release {
        IDispatch* app;
        ~Release() { call(app, L"appRelease", {Bool(true)}); }
    } release{app.Get()};

    // Wordpad's rich edit class depends on the rich edit version it was built against.
    CallResult editor = call(app.Get(), L"richedit", {Variant(0L), Variant(L"\\RichEdit.*")});
    ASSERT_TRUE(editor.ok()) << Narrow(editor.description);
    CallResult tom = call(editor.object().Get(), L"tom");
    ASSERT_EQ(tom.hr, S_OK) << Narrow(tom.description);
    ASSERT_TRUE(tom.object());

    CallResult start = call(tom.object().Get(), L"Range", {Variant(0L), Variant(0L)});
    ASSERT_TRUE(start.ok());
    ASSERT_TRUE(put(start.object().Get(), L"Text", {}, Variant(L"Typed through tom")).ok());
    EXPECT_EQ(StoryText(tom.object().Get()), L"Typed through tom\r");
    HWND control = reinterpret_cast<HWND>(static_cast<LONG_PTR>(call(editor.object().Get(), L"hwnd").number()));
    EXPECT_EQ(WindowText(control), L"Typed through tom");
}

} // namespace
