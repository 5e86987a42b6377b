#include "DocAppFixture.h"
#include "common/ComObject.h"

// MinGW's tom.h gives the interface no IID for __uuidof.
__CRT_UUID_DECL(ITextDocument, 0x8CC497C0, 0xA1DF, 0x11CE, 0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D)

namespace docview {

using DocumentTest = DocAppFixture;

TEST_F(DocumentTest, LoadsAFileAndSavesItWithLineFeeds) {
    CMardelDoc* doc = Open(L"crlf.vbs", "Dim a\r\n\ta = 1\r\n\r\nEnv.LogInfo a\r\n");
    ASSERT_NE(nullptr, doc);
    EXPECT_EQ(L"Dim a\r\ta = 1\r\rEnv.LogInfo a\r", TextOf(doc));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(L"crlf.vbs", doc->GetTitle());

    ASSERT_TRUE(doc->OnSaveDocument(doc->GetPathName()));
    EXPECT_EQ("Dim a\n\ta = 1\n\nEnv.LogInfo a\n", ReadBytes(PathOf(L"crlf.vbs")));
    // Nothing is left beside the file.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(PathOf(L"crlf.vbs.tmp").c_str()));

    // A file without a final line end keeps it that way.
    CMardelDoc* plain = Open(L"plain.vbs", "a\nb");
    ASSERT_NE(nullptr, plain);
    ASSERT_TRUE(plain->OnSaveDocument(plain->GetPathName()));
    EXPECT_EQ("a\nb", ReadBytes(PathOf(L"plain.vbs")));
}

TEST_F(DocumentTest, SavingKeepsEveryCharacter) {
    CMardelDoc* doc = Open(L"wide.vbs", "");
    ASSERT_NE(nullptr, doc);
    // A character the ANSI code page lacks, between ordinary text on several lines.
    ::SendMessageW(EditOf(doc), EM_REPLACESEL, FALSE,
                   reinterpret_cast<LPARAM>(L"before \x4E2D after\rsecond \x0416\rend"));
    Pump();
    ASSERT_EQ(L"before \x4E2D after\rsecond \x0416\rend", TextOf(doc));

    ASSERT_TRUE(doc->OnSaveDocument(doc->GetPathName()));
    CPINFO info{};
    ASSERT_TRUE(::GetCPInfo(CP_ACP, &info));
    const std::string odd(1, static_cast<char>(info.DefaultChar[0]));
    EXPECT_EQ("before " + odd + " after\nsecond " + odd + "\nend", ReadBytes(PathOf(L"wide.vbs")));

    // A NUL ends neither the conversion nor what is written.
    EXPECT_EQ(std::string("a\0b\n", 4) + odd + "c", CMardelDoc::FileBytes(std::wstring(L"a\0b\r\x4E2D" L"c", 6)));
    ASSERT_TRUE(CMardelDoc::WriteFileSafely(PathOf(L"zero.vbs"), std::string("x\0y", 3)));
    EXPECT_EQ(std::string("x\0y", 3), ReadBytes(PathOf(L"zero.vbs")));
}

TEST_F(DocumentTest, SavingALongScriptWritesEveryPiece) {
    // Longer than two pieces of 204800 characters, with a foreign character on each
    // piece boundary.
    std::string line = "Env.LogInfo \"a line of a long script\"\n";
    std::string contents;
    while (contents.size() < 2 * CMardelDoc::kSaveChunk + 1000) contents += line;
    CMardelDoc* doc = Open(L"long.vbs", contents);
    ASSERT_NE(nullptr, doc);
    for (long at : {CMardelDoc::kSaveChunk - 1, 2 * CMardelDoc::kSaveChunk - 1}) {
        Select(EditOf(doc), at, at + 1);
        ::SendMessageW(EditOf(doc), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"\x4E2D"));
    }
    ASSERT_EQ(contents.size(), TextOf(doc).size());
    ASSERT_TRUE(doc->OnSaveDocument(doc->GetPathName()));
    const std::string bytes = ReadBytes(PathOf(L"long.vbs"));
    ASSERT_EQ(contents.size(), bytes.size());
    CPINFO info{};
    ::GetCPInfo(CP_ACP, &info);
    std::string expected = contents;
    expected[CMardelDoc::kSaveChunk - 1] = static_cast<char>(info.DefaultChar[0]);
    expected[2 * CMardelDoc::kSaveChunk - 1] = static_cast<char>(info.DefaultChar[0]);
    EXPECT_TRUE(expected == bytes);
}

TEST_F(DocumentTest, TitleShowsAStarWhileModified) {
    CMardelDoc* doc = Open(L"title.vbs", "Dim a\n");
    ASSERT_NE(nullptr, doc);
    EXPECT_EQ(L"title.vbs", doc->GetTitle());
    TypeChars(EditOf(doc), L"x");
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(L"title.vbs *", doc->GetTitle());
    TypeChars(EditOf(doc), L"y");
    EXPECT_EQ(L"title.vbs *", doc->GetTitle());
    ASSERT_TRUE(doc->DoFileSave());
    EXPECT_EQ(L"title.vbs", doc->GetTitle());
    EXPECT_EQ("xyDim a\n", ReadBytes(PathOf(L"title.vbs")));

    // An unnamed script keeps its own name.
    CMardelDoc* unnamed = NewDocument();
    ASSERT_NE(nullptr, unnamed);
    const std::wstring name = unnamed->GetTitle();
    EXPECT_EQ(L"Script", name.substr(0, 6));
    TypeChars(EditOf(unnamed), L"a");
    EXPECT_EQ(name + L" *", unnamed->GetTitle());
    TypeChars(EditOf(unnamed), L"b");
    EXPECT_EQ(name + L" *", unnamed->GetTitle());
}

TEST_F(DocumentTest, SaveAsUnderAnotherExtensionChangesTheLanguage) {
    CMardelDoc* doc = Open(L"script.js", "var a = 1;\n");
    ASSERT_NE(nullptr, doc);
    const std::wstring before = ViewOf(doc)->syntaxEditor().Language();
    app->fileNames.push_back(PathOf(L"script.vbs"));
    ASSERT_TRUE(doc->DoSave(std::wstring()));
    Pump();
    EXPECT_EQ(L"script.vbs", doc->GetTitle());
    EXPECT_NE(before, ViewOf(doc)->syntaxEditor().Language());
    EXPECT_EQ(L"vbs", ViewOf(doc)->syntaxEditor().Language());
    EXPECT_EQ("var a = 1;\n", ReadBytes(PathOf(L"script.vbs")));
}

TEST_F(DocumentTest, DocumentStringNamesTheScriptType) {
    const auto& docTemplate = app->templates().front();
    EXPECT_EQ(L"Script", docTemplate->GetDocString(CDocTemplate::docName));
    EXPECT_EQ(L"", docTemplate->GetDocString(CDocTemplate::filterExt));
    EXPECT_EQ(L"Tevrin.Document", docTemplate->GetDocString(CDocTemplate::regFileTypeId));
    EXPECT_EQ(L"Script Document", docTemplate->GetDocString(CDocTemplate::regFileTypeName));
}

namespace {

// A text document whose text cannot be read: every range request fails.
class UnreadableDocument : public common::ComObject<ITextDocument> {
public:
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetName(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP GetSelection(ITextSelection**) override { return E_FAIL; }
    STDMETHODIMP GetStoryCount(LONG*) override { return E_FAIL; }
    STDMETHODIMP GetStoryRanges(ITextStoryRanges**) override { return E_FAIL; }
    STDMETHODIMP GetSaved(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP SetSaved(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP GetDefaultTabStop(float*) override { return E_NOTIMPL; }
    STDMETHODIMP SetDefaultTabStop(float) override { return E_NOTIMPL; }
    STDMETHODIMP New() override { return E_NOTIMPL; }
    STDMETHODIMP Open(VARIANT*, LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP Save(VARIANT*, LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP BeginEditCollection() override { return E_NOTIMPL; }
    STDMETHODIMP EndEditCollection() override { return E_NOTIMPL; }
    STDMETHODIMP Undo(LONG, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP Redo(LONG, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP Range(LONG, LONG, ITextRange**) override { return E_FAIL; }
    STDMETHODIMP RangeFromPoint(LONG, LONG, ITextRange**) override { return E_FAIL; }
};

} // namespace

TEST_F(DocumentTest, ASaveThatCannotReadTheTextFailsAndKeepsTheFile) {
    WriteBytes(PathOf(L"kept.vbs"), "Env.LogInfo \"kept\"\n");
    auto unreadable = common::Adopt(new UnreadableDocument);
    std::string bytes = "left alone";
    EXPECT_FALSE(CMardelDoc::FileBytes(unreadable.Get(), bytes));
    EXPECT_FALSE(CMardelDoc::SaveText(unreadable.Get(), PathOf(L"kept.vbs")));
    EXPECT_FALSE(CMardelDoc::SaveText(nullptr, PathOf(L"kept.vbs")));
    EXPECT_EQ("Env.LogInfo \"kept\"\n", ReadBytes(PathOf(L"kept.vbs")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(PathOf(L"kept.vbs.tmp").c_str()));
}

TEST_F(DocumentTest, ASecondWindowShowsTheScriptAndEveryEditReachesBothWindows) {
    const std::string contents = "Dim a\nEnv.LogInfo a\n";
    CMardelDoc* doc = Open(L"twice.vbs", contents);
    ASSERT_NE(nullptr, doc);
    ::SendMessageW(app->frame()->hwnd(), WM_COMMAND, ID_WINDOW_NEW, 0);
    Pump();
    ASSERT_EQ(2u, doc->views().size());
    auto* first = dynamic_cast<CMardelView*>(doc->views()[0]);
    auto* second = dynamic_cast<CMardelView*>(doc->views()[1]);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(L"Dim a\rEnv.LogInfo a\r", TextOf(second));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(L"twice.vbs", doc->GetTitle());
    EXPECT_EQ(0, ::SendMessageW(second->hwnd(), EM_CANUNDO, 0, 0));  // showing the text is no edit

    // Typed into the second window: the first follows and keeps its caret on its word.
    Select(first->hwnd(), 10, 10);
    Select(second->hwnd(), 0, 0);
    TypeChars(second->hwnd(), L"x");
    EXPECT_EQ(L"xDim a\rEnv.LogInfo a\r", TextOf(first));
    CHARRANGE caret{};
    ::SendMessageW(first->hwnd(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    EXPECT_EQ(11, caret.cpMin);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(L"twice.vbs *", doc->GetTitle());

    // Typed, replaced and undone in the first: the second follows each time.
    Select(first->hwnd(), 20, 20);
    TypeChars(first->hwnd(), L"yz");
    EXPECT_EQ(L"xDim a\rEnv.LogInfo ayz\r", TextOf(second));
    Select(first->hwnd(), 1, 4);
    ::SendMessageW(first->hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"Const"));
    Pump();
    EXPECT_EQ(L"xConst a\rEnv.LogInfo ayz\r", TextOf(second));
    ::SendMessageW(first->hwnd(), EM_UNDO, 0, 0);
    Pump();
    EXPECT_EQ(TextOf(first), TextOf(second));

    // The first window goes; saving writes what the remaining one shows.
    ::SendMessageW(first->parentFrame()->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    ASSERT_EQ(1u, doc->views().size());
    const std::wstring shown = TextOf(ViewOf(doc));
    ASSERT_TRUE(doc->DoFileSave());
    std::string expected(shown.begin(), shown.end());
    for (char& c : expected)
        if (c == '\r') c = '\n';
    EXPECT_EQ(expected, ReadBytes(PathOf(L"twice.vbs")));
    EXPECT_NE(contents, expected);
}

TEST_F(DocumentTest, SaveAsOfAModifiedNewScriptProposesItsNameWithoutTheStar) {
    CMardelDoc* doc = NewDocument();
    ASSERT_NE(nullptr, doc);
    const std::wstring name = doc->GetTitle();
    TypeChars(EditOf(doc), L"Env.LogInfo 1");
    ASSERT_EQ(name + L" *", doc->GetTitle());
    EXPECT_EQ(name, doc->ProposedFileName());
    app->fileNames.push_back(PathOf(L"named.vbs"));
    ASSERT_TRUE(doc->DoFileSave());
    EXPECT_EQ(name, app->proposedNames.back());
    EXPECT_EQ(L"named.vbs", doc->GetTitle());
    EXPECT_EQ(PathOf(L"named.vbs"), doc->ProposedFileName());
}

} // namespace docview
