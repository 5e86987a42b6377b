#include "host/EngineProbe.h"
#include "common/ComInit.h"
#include "host/ScriptLoader.h"
#include "common/ComError.h"
#include "common/TextConv.h"
#include "host/ScriptSite.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <windows.h>

using host::ScriptLoader;

namespace {

std::string TempFile(const char* name, const std::string& bytes) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

// Engine selection of a main file with the given name and text.
struct Selection {
    HRESULT hr;
    CLSID clsid;
    std::wstring error;
    std::wstring language;
};

Selection Select(const char* name, const std::string& text) {
    host::ScriptHost host;
    host::RunContext run;
    const std::string path = TempFile(name, text);
    ScriptLoader loader(host, run, path);
    Selection s{};
    s.hr = loader.SelectEngine(&s.clsid);
    s.error = host.errorText();
    s.language = host.languageName();
    ::DeleteFileA(path.c_str());
    return s;
}

CLSID ProgId(const wchar_t* name) {
    CLSID clsid = {};
    ::CLSIDFromProgID(name, &clsid);
    return clsid;
}

// Refuses every document helper, as a debug manager that has run out of resources would.
class RefusingDebugManager : public common::ComObject<IProcessDebugManager> {
public:
    STDMETHODIMP CreateApplication(IDebugApplication**) override { return E_NOTIMPL; }
    STDMETHODIMP GetDefaultApplication(IDebugApplication**) override { return E_NOTIMPL; }
    STDMETHODIMP AddApplication(IDebugApplication*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP RemoveApplication(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP CreateDebugDocumentHelper(IUnknown*, IDebugDocumentHelper**) override { return E_ACCESSDENIED; }
};

class ScriptLoaderTest : public ::testing::Test {
protected:
    const common::ComInit apartment_{COINIT_APARTMENTTHREADED};
};

} // namespace

TEST(ScriptText, CarriageReturnLineFeedIsOneNewlineAndBytesWidenAsIs) {
    const std::string path = TempFile("tevrin_text.vbs", "a\r\nb\rc\n\xe9\xff");
    std::wstring text;
    ASSERT_TRUE(ScriptLoader::ReadScriptText(path, text));
    EXPECT_EQ(text, std::wstring(L"a\nb\rc\n\u00e9\u00ff"));
    ::DeleteFileA(path.c_str());
    EXPECT_FALSE(ScriptLoader::ReadScriptText("c:\\no\\such\\file.vbs", text));
}

TEST(LanguageDirective, LastOneWinsAndAnEmptyOneClearsTheChoice) {
    EXPECT_EQ(ScriptLoader::FindLanguage(L"#language JScript\n#language VBScript\n"), L"VBScript");
    EXPECT_EQ(ScriptLoader::FindLanguage(L"#language VBScript\n#language\n"), L"");
    EXPECT_EQ(ScriptLoader::FindLanguage(L"#language VBScript\n#language !x\n"), L"");
}

TEST(LanguageDirective, FormsThatCountAndFormsThatDoNot) {
    EXPECT_EQ(ScriptLoader::FindLanguage(L" \t# \tlanguage\tStepScript\n"), L"StepScript");
    EXPECT_EQ(ScriptLoader::FindLanguage(L"#languageStepScript"), L"StepScript");
    EXPECT_EQ(ScriptLoader::FindLanguage(L"#language {0BA-12-ff}\n"), L"{0BA-12-ff}");
    EXPECT_EQ(ScriptLoader::FindLanguage(L"#language Mardel.Engine\n"), L"Mardel");
    EXPECT_EQ(ScriptLoader::FindLanguage(L"#LANGUAGE VBScript\n"), L"");
    EXPECT_EQ(ScriptLoader::FindLanguage(L"x = 1 #language VBScript\n"), L"");
    EXPECT_EQ(ScriptLoader::FindLanguage(L"x = 1\n  #language StepScript\n"), L"StepScript");
}

TEST(LanguageDirective, IsBlankedWithoutMovingLines) {
    std::wstring text = L"#language VBScript\nx = 1 ' #language kept\n  # language Mardel.Engine\ny = 2\n";
    const std::wstring before = text;
    ScriptLoader::BlankLanguageDirectives(text);
    ASSERT_EQ(text.size(), before.size());
    EXPECT_EQ(text.substr(0, 19), std::wstring(18, L' ') + L"\n");
    EXPECT_NE(text.find(L"x = 1 ' #language kept\n"), std::wstring::npos);
    EXPECT_EQ(text.find(L"Mardel"), std::wstring::npos);
    EXPECT_EQ(text.find(L".Engine"), std::wstring::npos);
    EXPECT_EQ(text.find(L"y = 2"), before.find(L"y = 2"));
    EXPECT_EQ(ScriptLoader::FindLanguage(text), L"");
}

TEST(IncludeDirective, CapturesInOrderAndBlanksWithoutMovingLines) {
    std::wstring text = L"#include \"a.vbs\"\nx = 1\n  #  include\"sub/b.vbs\"\n#include \"c\\\\d.vbs\"\n";
    const std::wstring before = text;
    auto names = ScriptLoader::TakeIncludes(text);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "a.vbs");
    EXPECT_EQ(names[1], "sub/b.vbs");
    ASSERT_EQ(text.size(), before.size());
    EXPECT_EQ(text.substr(0, 17), std::wstring(16, L' ') + L"\n");
    EXPECT_EQ(text.find(L"x = 1"), before.find(L"x = 1"));
    // A name with a backslash is no directive: the line stays for the engine.
    EXPECT_NE(text.find(L"#include \"c\\\\d.vbs\""), std::wstring::npos);
}

// Wine's VBScript hands out the debugging interface with stubs; JScript has none; an
// engine of our own answers it.
TEST_F(ScriptLoaderTest, ProbeTellsDebuggableEnginesFromStubs) {
    EXPECT_TRUE(host::EngineProbe::Probe(CLSID_StepScript));
    EXPECT_FALSE(host::EngineProbe::Probe(ProgId(L"VBScript")));
    EXPECT_FALSE(host::EngineProbe::Probe(ProgId(L"JScript")));
    EXPECT_FALSE(host::EngineProbe::Probe(CLSID_NULL));
    // The kept answer is the asked one, however often it is asked.
    EXPECT_TRUE(host::EngineProbe::IsDebuggable(CLSID_StepScript));
    EXPECT_TRUE(host::EngineProbe::IsDebuggable(CLSID_StepScript));
    EXPECT_FALSE(host::EngineProbe::IsDebuggable(ProgId(L"VBScript")));
    EXPECT_FALSE(host::EngineProbe::IsDebuggable(ProgId(L"VBScript")));
}

TEST_F(ScriptLoaderTest, ExtensionChoosesTheDefaultEngines) {
    // Where the platform's VBScript cannot be debugged, a .vbs file steps on StepScript.
    Selection vbs = Select("tevrin_sel.VBS", "x = 1\r\n");
    ASSERT_EQ(vbs.hr, S_OK) << common::WideToAnsi(vbs.error);
    EXPECT_EQ(vbs.clsid, CLSID_StepScript);
    EXPECT_EQ(vbs.language, L"");
    CLSID byDefault;
    ASSERT_EQ(ScriptLoader::DefaultVBScriptEngine(&byDefault), S_OK);
    EXPECT_EQ(byDefault, CLSID_StepScript);

    Selection js = Select("tevrin_sel.js", "x = 1;\r\n");
    ASSERT_EQ(js.hr, S_OK);
    EXPECT_EQ(js.clsid, ProgId(L"JScript"));
}

TEST_F(ScriptLoaderTest, DirectiveOverridesTheExtensionByProgIdOrClsid) {
    Selection byProgId = Select("tevrin_sel.txt", "#language VBScript\r\n");
    ASSERT_EQ(byProgId.hr, S_OK);
    EXPECT_EQ(byProgId.clsid, ProgId(L"VBScript"));
    // The platform's engine stays one directive away, undebuggable or not.
    Selection platform = Select("tevrin_sel.vbs", "#language VBScript\r\nx = 1\r\n");
    ASSERT_EQ(platform.hr, S_OK);
    EXPECT_EQ(platform.clsid, ProgId(L"VBScript"));

    wchar_t clsid[40];
    ::StringFromGUID2(ProgId(L"JScript"), clsid, 40);
    Selection byClsid = Select("tevrin_sel.vbs", "#language " + common::WideToAnsi(clsid) + "\r\n");
    ASSERT_EQ(byClsid.hr, S_OK);
    EXPECT_EQ(byClsid.clsid, ProgId(L"JScript"));
}

TEST_F(ScriptLoaderTest, FailuresSayWhatIsWrong) {
    Selection unknown = Select("tevrin_sel.txt", "x = 1\r\n");
    EXPECT_EQ(unknown.hr, E_FAIL);
    EXPECT_EQ(unknown.error.rfind(L"Unknown language for ", 0), 0u);
    EXPECT_NE(unknown.error.find(L", please use #language <clsid> or a known extension"), std::wstring::npos);

    Selection bad = Select("tevrin_sel.vbs", "#language NoSuchEngine42\r\n");
    EXPECT_EQ(bad.hr, E_FAIL);
    EXPECT_EQ(bad.error, L"NoSuchEngine42 is an invalid CLSID or PROGID");

    // An emptied directive falls back to the extension.
    Selection emptied = Select("tevrin_sel.vbs", "#language NoSuchEngine42\r\n#language\r\n");
    EXPECT_EQ(emptied.hr, S_OK);

    host::ScriptHost host;
    host::RunContext run;
    ScriptLoader missing(host, run, "c:\\no\\such\\main.vbs");
    CLSID clsid;
    EXPECT_EQ(missing.SelectEngine(&clsid), E_FAIL);
    EXPECT_EQ(host.errorText(), L"Cannot find c:\\no\\such\\main.vbs");
}

TEST_F(ScriptLoaderTest, AFailedPreparationReportsTheCodeOfTheCallThatFailed) {
    host::ScriptHost host;
    host::RunContext run;
    run.debugManager = common::Adopt(new RefusingDebugManager);
    run.site = common::Adopt(new host::ScriptSite(host));
    const std::string path = TempFile("tevrin_prepare.vbs", "x = 1\r\n");
    ScriptLoader loader(host, run, path);
    EXPECT_EQ(loader.PrepareEngine(), E_ACCESSDENIED);
    const std::wstring error = host.errorText();
    EXPECT_NE(error.find(L"0x80070005"), std::wstring::npos) << common::WideToAnsi(error);
    EXPECT_NE(error.find(common::SystemMessage(static_cast<DWORD>(E_ACCESSDENIED))), std::wstring::npos)
        << common::WideToAnsi(error);
    if (run.engine) run.engine->Close();
    ::DeleteFileA(path.c_str());
}
