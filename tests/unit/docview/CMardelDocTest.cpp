#include "DocAppFixture.h"

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

} // namespace docview
