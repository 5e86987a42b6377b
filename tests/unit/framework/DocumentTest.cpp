#include "FrameFixture.h"
#include "framework/DocTemplate.h"
#include "framework/MDIChildWnd.h"
#include "framework/RichEditDoc.h"
#include "framework/RichEditView.h"
#include <fstream>
#include <iterator>

namespace {

std::wstring TempFile(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
}

class DocumentTest : public FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        app->AddDocTemplate(std::make_unique<CDocTemplate>(
            IDR_TEXTTYPE, [] { return new CRichEditDoc; }, [] { return new CMDIChildWnd; },
            [] { return new CRichEditView; }));
        a = TempFile(L"fwdoc_a.txt");
        b = TempFile(L"fwdoc_b.txt");
        WriteBytes(a, "alpha");
        WriteBytes(b, "beta");
    }
    void TearDown() override {
        FrameFixture::TearDown();
        ::DeleteFileW(a.c_str());
        ::DeleteFileW(b.c_str());
    }
    std::wstring a, b;
};

} // namespace

TEST_F(DocumentTest, TemplateStringsSplitAtLineFeeds) {
    CDocTemplate& t = *app->templates().front();
    EXPECT_EQ(t.GetDocString(CDocTemplate::windowTitle), L"");
    EXPECT_EQ(t.GetDocString(CDocTemplate::docName), L"Text");
    EXPECT_EQ(t.GetDocString(CDocTemplate::regFileTypeId), L"FrameApp.Document");
    EXPECT_EQ(t.GetDocString(CDocTemplate::regFileTypeName), L"Text Document");
    t.SetDescription(L"\nScript\nScript\n\n\nTevrin.Document\nScript Document");
    EXPECT_EQ(t.GetDocString(CDocTemplate::fileNewName), L"Script");
    EXPECT_EQ(t.GetDocString(CDocTemplate::filterExt), L"");
}

TEST_F(DocumentTest, OpeningAnOpenFileActivatesItsDocument) {
    CDocument* first = app->OpenDocumentFile(a);
    ASSERT_NE(first, nullptr);
    auto* view = dynamic_cast<CRichEditView*>(first->FirstView());
    EXPECT_EQ(view->GetWindowTextW(), L"alpha");
    EXPECT_FALSE(first->IsModified());
    EXPECT_EQ(first->GetTitle(), L"fwdoc_a.txt");
    CDocument* second = app->OpenDocumentFile(b);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(frame->GetActiveDocument(), second);
    // Same file again, in other case: no second document, the first comes forward.
    std::wstring upper = a;
    for (auto& c : upper) c = static_cast<wchar_t>(::towupper(c));
    EXPECT_EQ(app->OpenDocumentFile(upper), first);
    EXPECT_EQ(app->templates().front()->documents().size(), 2u);
    EXPECT_EQ(frame->GetActiveDocument(), first);
    // Most recent first in the recent files.
    EXPECT_EQ(app->recentFiles()[0], first->GetPathName());
    EXPECT_EQ(app->recentFiles()[1], second->GetPathName());
}

TEST_F(DocumentTest, AFileThatCannotBeOpenedSaysSoAndLeavesNothingBehind) {
    EXPECT_EQ(app->OpenDocumentFile(TempFile(L"fwdoc_missing.txt")), nullptr);
    ASSERT_EQ(app->messages.size(), 1u);
    EXPECT_EQ(app->messages[0], L"Failed to open document.");
    EXPECT_TRUE(app->templates().front()->documents().empty());
    EXPECT_EQ(frame->MDIGetActive(), nullptr);
}

TEST_F(DocumentTest, SavingKeepsEveryCharacter) {
    CDocument* doc = app->OpenDocumentFile(a);
    ASSERT_NE(doc, nullptr);
    auto* view = dynamic_cast<CRichEditView*>(doc->FirstView());
    // A character outside the code page becomes its replacement, nothing after it is lost.
    view->SetWindowTextW(L"x = \x4E2D\x6587 ' end");
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_FILE_SAVE, 0);
    EXPECT_FALSE(doc->IsModified());
    std::string saved = ReadBytes(a);
    EXPECT_EQ(saved.substr(0, 4), "x = ");
    EXPECT_EQ(saved.substr(saved.size() - 6), " ' end");
    EXPECT_EQ(saved.size(), 12u);
    EXPECT_EQ(CRichEditDoc::ToAnsi(std::wstring(L"a\0b", 3)), std::string("a\0b", 3));
}

TEST_F(DocumentTest, SaveAsTakesTheNewNameAndASaveFailureIsReported) {
    CDocument* doc = app->OpenDocumentFile(a);
    ASSERT_NE(doc, nullptr);
    app->fileNames = {b};
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_FILE_SAVE_AS, 0);
    EXPECT_EQ(doc->GetTitle(), L"fwdoc_b.txt");
    EXPECT_EQ(ReadBytes(b), "alpha");

    app->fileNames = {TempFile(L"no_such_folder_fw\\x.txt")};
    doc->SetModifiedFlag(true);
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_FILE_SAVE_AS, 0);
    ASSERT_FALSE(app->messages.empty());
    EXPECT_EQ(app->messages.back(), L"Failed to save document.");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->GetTitle(), L"fwdoc_b.txt");
}

TEST_F(DocumentTest, EveryWindowOfADocumentShowsItsTextAndTakesTheKeys) {
    CDocument* doc = app->OpenDocumentFile(a);
    ASSERT_NE(doc, nullptr);
    auto* first = dynamic_cast<CRichEditView*>(doc->FirstView());
    EXPECT_EQ(::GetFocus(), first->hwnd());  // typing goes to the script just opened
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_WINDOW_NEW, 0);
    ASSERT_EQ(doc->views().size(), 2u);
    auto* second = dynamic_cast<CRichEditView*>(doc->views()[1]);
    EXPECT_EQ(second->GetWindowTextW(), L"alpha");
    EXPECT_EQ(::GetFocus(), second->hwnd());
    EXPECT_FALSE(doc->IsModified());
    ::SendMessageW(second->hwnd(), EM_SETSEL, 5, 5);
    ::SendMessageW(second->hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L" beta"));
    EXPECT_EQ(first->GetWindowTextW(), L"alpha beta");
    EXPECT_TRUE(doc->IsModified());

    // A document whose view is gone has no text to save: the file stays.
    CRichEditDoc orphan;
    EXPECT_FALSE(orphan.OnSaveDocument(b));
    EXPECT_EQ(ReadBytes(b), "beta");
}

TEST_F(DocumentTest, NewWindowShowsTheDocumentTwice) {
    CDocument* doc = app->OpenDocumentFile(a);
    ASSERT_NE(doc, nullptr);
    ::SendMessageW(frame->hwnd(), WM_COMMAND, ID_WINDOW_NEW, 0);
    ASSERT_EQ(doc->views().size(), 2u);
    EXPECT_EQ(doc->views()[0]->parentFrame()->GetText(), L"fwdoc_a.txt:1");
    EXPECT_EQ(doc->views()[1]->parentFrame()->GetText(), L"fwdoc_a.txt:2");
    // Closing one frame keeps the document.
    ::SendMessageW(doc->views()[1]->parentFrame()->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(app->templates().front()->documents().size(), 1u);
    EXPECT_EQ(doc->views().size(), 1u);
    EXPECT_EQ(doc->views()[0]->parentFrame()->GetText(), L"fwdoc_a.txt");
}

namespace {

// Messages the MDI client receives after its WM_DESTROY: its state is gone by then.
std::vector<UINT> g_clientMessagesAfterDestroy;
bool g_clientDestroying = false;

LRESULT CALLBACK WatchClient(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (g_clientDestroying && msg >= WM_MDICREATE && msg <= WM_MDIREFRESHMENU) g_clientMessagesAfterDestroy.push_back(msg);
    if (msg == WM_DESTROY) g_clientDestroying = true;
    if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, WatchClient, 1);
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

} // namespace

TEST_F(DocumentTest, ClosingTheFrameWithOpenDocumentsAsksTheDestroyedClientNothing) {
    ASSERT_NE(app->OpenDocumentFile(a), nullptr);
    ASSERT_NE(app->OpenDocumentFile(b), nullptr);
    g_clientMessagesAfterDestroy.clear();
    g_clientDestroying = false;
    ASSERT_TRUE(::SetWindowSubclass(frame->mdiClient(), WatchClient, 1, 0));
    frame->DestroyWindow();
    Pump();
    EXPECT_TRUE(g_clientDestroying);
    EXPECT_TRUE(g_clientMessagesAfterDestroy.empty()) << "first: 0x" << std::hex
        << (g_clientMessagesAfterDestroy.empty() ? 0 : g_clientMessagesAfterDestroy.front());
}
