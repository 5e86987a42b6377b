#include "DebugServicesFakes.h"
#include "common/ComInit.h"
#include "common/ComObject.h"
#include <gtest/gtest.h>

using namespace fakes;

namespace {

class FakeCodeContext : public common::ComObject<IDebugCodeContext> {
public:
    explicit FakeCodeContext(ULONG offset) : offset(offset) {}
    STDMETHODIMP GetDocumentContext(IDebugDocumentContext** context) override {
        *context = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetBreakPoint(BREAKPOINT_STATE) override { return S_OK; }
    const ULONG offset;
};

class FakeCodeContextEnum : public common::ComObject<IEnumDebugCodeContexts> {
public:
    explicit FakeCodeContextEnum(std::vector<ULONG> offsets) : offsets_(std::move(offsets)) {}
    STDMETHODIMP Next(ULONG count, IDebugCodeContext** out, ULONG* fetched) override {
        ULONG n = 0;
        while (n < count && next_ < offsets_.size()) out[n++] = new FakeCodeContext(offsets_[next_++]);
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        next_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumDebugCodeContexts**) override { return E_NOTIMPL; }

private:
    std::vector<ULONG> offsets_;
    size_t next_ = 0;
};

// An engine whose statements start at fixed offsets of every block; it answers
// EnumCodeContextsOfPosition with the first statement at or after the offset.
class FakeEngine : public common::ComObject<IActiveScript, IActiveScriptDebug> {
public:
    explicit FakeEngine(std::vector<ULONG> statementOffsets) : statements_(std::move(statementOffsets)) {}

    STDMETHODIMP EnumCodeContextsOfPosition(DWORD_PTR cookie, ULONG offset, ULONG count,
                                            IEnumDebugCodeContexts** contexts) override {
        asked.push_back({cookie, offset, count});
        std::vector<ULONG> found;
        for (ULONG s : statements_) {
            if (s >= offset) {
                found.push_back(s);
                break;
            }
        }
        *contexts = new FakeCodeContextEnum(found);
        return S_OK;
    }
    STDMETHODIMP GetScriptTextAttributes(LPCOLESTR, ULONG, LPCOLESTR, DWORD, SOURCE_TEXT_ATTR*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GetScriptletTextAttributes(LPCOLESTR, ULONG, LPCOLESTR, DWORD, SOURCE_TEXT_ATTR*) override {
        return E_NOTIMPL;
    }

    STDMETHODIMP SetScriptSite(IActiveScriptSite*) override { return E_NOTIMPL; }
    STDMETHODIMP GetScriptSite(REFIID, void**) override { return E_NOTIMPL; }
    STDMETHODIMP SetScriptState(SCRIPTSTATE) override { return E_NOTIMPL; }
    STDMETHODIMP GetScriptState(SCRIPTSTATE*) override { return E_NOTIMPL; }
    STDMETHODIMP Close() override { return E_NOTIMPL; }
    STDMETHODIMP AddNamedItem(LPCOLESTR, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP AddTypeLib(REFGUID, DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetScriptDispatch(LPCOLESTR, IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP GetCurrentScriptThreadID(SCRIPTTHREADID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetScriptThreadID(DWORD, SCRIPTTHREADID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetScriptThreadState(SCRIPTTHREADID, SCRIPTTHREADSTATE*) override { return E_NOTIMPL; }
    STDMETHODIMP InterruptScriptThread(SCRIPTTHREADID, const EXCEPINFO*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IActiveScript**) override { return E_NOTIMPL; }

    struct Ask {
        DWORD_PTR cookie;
        ULONG offset;
        ULONG count;
    };
    std::vector<Ask> asked;

private:
    std::vector<ULONG> statements_;
};

std::wstring NameOf(IDebugDocumentInfo* document, DOCUMENTNAMETYPE type) {
    common::Bstr name;
    if (FAILED(document->GetName(type, name.put()))) return L"<failed>";
    return name.str();
}

class DocumentHelperTest : public ::testing::Test {
protected:
    const common::ComInit apartment_{COINIT_MULTITHREADED};

    void SetUp() override {
        manager = CreateManager();
        ASSERT_TRUE(manager) << "debugservices.dll gives no process debug manager";
        ASSERT_EQ(manager->CreateApplication(application.GetAddressOf()), S_OK);
        engine = common::Adopt(new FakeEngine({0, 13, 40}));
    }
    void TearDown() override {
        if (application) application->Close();
        application.Reset();
        manager.Reset();
        engine.Reset();
    }

    // A helper as the host makes one per file.
    ComPtr<IDebugDocumentHelper> MakeHelper(const wchar_t* shortName, const wchar_t* longName,
                                            IDebugDocumentHelper* parent = nullptr, const wchar_t* text = nullptr) {
        ComPtr<IDebugDocumentHelper> helper;
        EXPECT_EQ(manager->CreateDebugDocumentHelper(nullptr, helper.GetAddressOf()), S_OK);
        EXPECT_EQ(helper->Init(application.Get(), shortName, longName, TEXT_DOC_ATTR_READONLY), S_OK);
        EXPECT_EQ(helper->Attach(parent), S_OK);
        if (text) {
            EXPECT_EQ(helper->AddUnicodeText(text), S_OK);
        }
        return helper;
    }

    static ComPtr<IDebugDocumentText> TextOf(IDebugDocumentHelper* helper) {
        ComPtr<IDebugApplicationNode> node;
        ComPtr<IDebugDocument> document;
        ComPtr<IDebugDocumentText> text;
        if (SUCCEEDED(helper->GetDebugApplicationNode(node.GetAddressOf())) &&
            SUCCEEDED(node->GetDocument(document.GetAddressOf()))) {
            document.As(&text);
        }
        return text;
    }

    static std::vector<std::wstring> ChildNames(IDebugApplicationNode* node) {
        std::vector<std::wstring> names;
        ComPtr<IEnumDebugApplicationNodes> children;
        if (FAILED(node->EnumChildren(children.GetAddressOf()))) return names;
        ComPtr<IDebugApplicationNode> child;
        ULONG fetched = 0;
        while (children->Next(1, child.ReleaseAndGetAddressOf(), &fetched) == S_OK && fetched == 1)
            names.push_back(NameOf(child.Get(), DOCUMENTNAMETYPE_APPNODE));
        return names;
    }

    ComPtr<IProcessDebugManager> manager;
    ComPtr<IDebugApplication> application;
    ComPtr<FakeEngine> engine;
};

const wchar_t kScript[] = L"Dim x\r\nx = 1\n\nCall Foo(x)\rEnd";
// Line starts:             0       7      13 14           26

} // namespace

TEST_F(DocumentHelperTest, NamesForEveryNameType) {
    auto helper = MakeHelper(L"c:\\tests\\main.vbs", L"main.vbs", nullptr, kScript);
    auto text = TextOf(helper.Get());
    ASSERT_TRUE(text);
    EXPECT_EQ(NameOf(text.Get(), DOCUMENTNAMETYPE_APPNODE), L"c:\\tests\\main.vbs");
    EXPECT_EQ(NameOf(text.Get(), DOCUMENTNAMETYPE_UNIQUE_TITLE), L"c:\\tests\\main.vbs");
    EXPECT_EQ(NameOf(text.Get(), DOCUMENTNAMETYPE_TITLE), L"main.vbs");
    EXPECT_EQ(NameOf(text.Get(), DOCUMENTNAMETYPE_FILE_TAIL), L"main.vbs");
    EXPECT_EQ(NameOf(text.Get(), DOCUMENTNAMETYPE_URL), L"main.vbs");
    common::Bstr none;
    EXPECT_EQ(text->GetName(static_cast<DOCUMENTNAMETYPE>(77), none.put()), E_INVALIDARG);

    ASSERT_EQ(helper->SetShortName(L"c:\\tests\\renamed.vbs"), S_OK);
    ASSERT_EQ(helper->SetLongName(L"renamed.vbs"), S_OK);
    EXPECT_EQ(NameOf(text.Get(), DOCUMENTNAMETYPE_APPNODE), L"c:\\tests\\renamed.vbs");
    EXPECT_EQ(NameOf(text.Get(), DOCUMENTNAMETYPE_FILE_TAIL), L"renamed.vbs");

    TEXT_DOC_ATTR attributes = 0;
    ASSERT_EQ(text->GetDocumentAttributes(&attributes), S_OK);
    EXPECT_EQ(attributes, static_cast<TEXT_DOC_ATTR>(TEXT_DOC_ATTR_READONLY));
}

TEST_F(DocumentHelperTest, LinesOfPositions) {
    auto helper = MakeHelper(L"a", L"a", nullptr, kScript);
    auto text = TextOf(helper.Get());
    ASSERT_TRUE(text);
    struct Case {
        ULONG position, line, offset;
    } cases[] = {
        {0, 0, 0},    // first line start
        {5, 0, 5},    // the "\r" of "\r\n" ends line 0
        {6, 0, 6},    // and so does its "\n"
        {7, 1, 0},    // line start after "\r\n"
        {12, 1, 5},   // a lone "\n"
        {13, 2, 0},   // an empty line
        {14, 3, 0},
        {25, 3, 11},  // a lone "\r"
        {26, 4, 0},   // last line, no break after it
        {29, 4, 3},   // the end of the text
    };
    for (const Case& c : cases) {
        ULONG line = 99, offset = 99;
        ASSERT_EQ(text->GetLineOfPosition(c.position, &line, &offset), S_OK) << c.position;
        EXPECT_EQ(line, c.line) << c.position;
        EXPECT_EQ(offset, c.offset) << c.position;
    }
    ULONG line = 0;
    EXPECT_EQ(text->GetLineOfPosition(30, &line, nullptr), E_INVALIDARG);
    EXPECT_EQ(text->GetLineOfPosition(0xFFFFFFFF, &line, nullptr), E_INVALIDARG);

    ULONG position = 0;
    ASSERT_EQ(text->GetPositionOfLine(3, &position), S_OK);
    EXPECT_EQ(position, 14u);
    EXPECT_EQ(text->GetPositionOfLine(5, &position), E_INVALIDARG);
    ULONG lines = 0, chars = 0;
    ASSERT_EQ(text->GetSize(&lines, &chars), S_OK);
    EXPECT_EQ(lines, 5u);
    EXPECT_EQ(chars, 29u);

    // Text added later joins a "\r" at the end with a "\n" at the start.
    auto split = MakeHelper(L"b", L"b", nullptr, L"one\r");
    auto splitText = TextOf(split.Get());
    ASSERT_EQ(split->AddUnicodeText(L"\ntwo\n"), S_OK);
    ASSERT_EQ(splitText->GetLineOfPosition(5, &line, nullptr), S_OK);
    EXPECT_EQ(line, 1u);
    ASSERT_EQ(splitText->GetLineOfPosition(9, &line, nullptr), S_OK);
    EXPECT_EQ(line, 2u);  // after a final break lies an empty last line
    ASSERT_EQ(splitText->GetSize(&lines, &chars), S_OK);
    EXPECT_EQ(lines, 3u);
}

TEST_F(DocumentHelperTest, TextAndAttributes) {
    auto helper = MakeHelper(L"a", L"a", nullptr, L"abc");
    ASSERT_EQ(helper->AddDBCSText("def"), S_OK);
    auto text = TextOf(helper.Get());
    SOURCE_TEXT_ATTR attributes[2] = {SOURCETEXT_ATTR_KEYWORD, SOURCETEXT_ATTR_KEYWORD};
    ASSERT_EQ(helper->SetTextAttributes(2, 2, attributes), S_OK);
    EXPECT_EQ(helper->SetTextAttributes(5, 2, attributes), E_INVALIDARG);

    WCHAR buffer[10] = {};
    SOURCE_TEXT_ATTR read[10] = {};
    ULONG count = 0;
    ASSERT_EQ(text->GetText(1, buffer, read, &count, 4), S_OK);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(std::wstring(buffer, count), L"bcde");
    EXPECT_EQ(read[0], 0);
    EXPECT_EQ(read[1], SOURCETEXT_ATTR_KEYWORD);
    EXPECT_EQ(read[2], SOURCETEXT_ATTR_KEYWORD);
    EXPECT_EQ(read[3], 0);
    // Asking for more than there is gives the rest; at the end, nothing.
    ASSERT_EQ(text->GetText(4, buffer, nullptr, &count, 10), S_OK);
    EXPECT_EQ(std::wstring(buffer, count), L"ef");
    ASSERT_EQ(text->GetText(6, buffer, nullptr, &count, 10), S_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(text->GetText(7, buffer, nullptr, &count, 10), E_INVALIDARG);
}

TEST_F(DocumentHelperTest, ScriptBlocksAndContexts) {
    auto helper = MakeHelper(L"main", L"main", nullptr, kScript);
    DWORD_PTR first = 0, second = 0;
    ASSERT_EQ(helper->DefineScriptBlock(0, 14, engine.Get(), FALSE, &first), S_OK);
    ASSERT_EQ(helper->DefineScriptBlock(14, 15, engine.Get(), FALSE, &second), S_OK);
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);

    ComPtr<IActiveScript> owner;
    ULONG start = 0, length = 0;
    ASSERT_EQ(helper->GetScriptBlockInfo(second, owner.GetAddressOf(), &start, &length), S_OK);
    EXPECT_EQ(start, 14u);
    EXPECT_EQ(length, 15u);
    EXPECT_EQ(owner.Get(), static_cast<IActiveScript*>(engine.Get()));
    ASSERT_EQ(helper->GetScriptBlockInfo(first, nullptr, &start, nullptr), S_OK);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(helper->GetScriptBlockInfo(second + 1000, nullptr, &start, nullptr), E_INVALIDARG);

    // Blocks outside the text, or without an engine, are refused.
    DWORD_PTR bad = 0;
    EXPECT_EQ(helper->DefineScriptBlock(20, 10, engine.Get(), FALSE, &bad), E_INVALIDARG);
    EXPECT_EQ(helper->DefineScriptBlock(0xFFFFFFF0, 0x20, engine.Get(), FALSE, &bad), E_INVALIDARG);
    EXPECT_EQ(helper->DefineScriptBlock(0, 1, nullptr, FALSE, &bad), E_INVALIDARG);
    EXPECT_EQ(bad, 0u);

    // From an engine's block offset to a line, as the host and its panes do it.
    ComPtr<IDebugDocumentContext> context;
    ASSERT_EQ(helper->CreateDebugDocumentContext(start + 7, 5, context.GetAddressOf()), S_OK);
    ComPtr<IDebugDocument> document;
    ASSERT_EQ(context->GetDocument(document.GetAddressOf()), S_OK);
    ComPtr<IDebugDocumentText> text;
    ASSERT_EQ(document.As(&text), S_OK);
    EXPECT_EQ(text.Get(), TextOf(helper.Get()).Get());
    ULONG position = 0, chars = 0, line = 0;
    ASSERT_EQ(text->GetPositionOfContext(context.Get(), &position, &chars), S_OK);
    EXPECT_EQ(position, 7u);
    EXPECT_EQ(chars, 5u);
    ASSERT_EQ(text->GetLineOfPosition(position, &line, nullptr), S_OK);
    EXPECT_EQ(line, 1u);

    // A context is clipped to the text; one beyond it is refused.
    ASSERT_EQ(text->GetContextOfPosition(27, 50, context.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(text->GetPositionOfContext(context.Get(), &position, &chars), S_OK);
    EXPECT_EQ(chars, 2u);
    EXPECT_EQ(helper->CreateDebugDocumentContext(30, 1, context.ReleaseAndGetAddressOf()), E_INVALIDARG);

    // A context of another document has no position here.
    auto other = MakeHelper(L"other", L"other", nullptr, L"x = 1\n");
    ComPtr<IDebugDocumentContext> foreign;
    ASSERT_EQ(other->CreateDebugDocumentContext(0, 1, foreign.GetAddressOf()), S_OK);
    EXPECT_EQ(text->GetPositionOfContext(foreign.Get(), &position, &chars), E_INVALIDARG);
}

TEST_F(DocumentHelperTest, CodeContextsComeFromTheBlocksEngine) {
    auto helper = MakeHelper(L"main", L"main", nullptr, L"' comment\r\n\r\nx = 1\r\ny = 2\r\n");
    DWORD_PTR cookie = 0;
    ASSERT_EQ(helper->DefineScriptBlock(11, 16, engine.Get(), FALSE, &cookie), S_OK);

    // A breakpoint on the blank line asks the engine at that offset of the block.
    ComPtr<IDebugDocumentContext> context;
    ASSERT_EQ(helper->CreateDebugDocumentContext(11, 1, context.GetAddressOf()), S_OK);
    ComPtr<IEnumDebugCodeContexts> contexts;
    ASSERT_EQ(context->EnumCodeContexts(contexts.GetAddressOf()), S_OK);
    ComPtr<IDebugCodeContext> code;
    ULONG fetched = 0;
    ASSERT_EQ(contexts->Next(1, code.GetAddressOf(), &fetched), S_OK);
    ASSERT_EQ(engine->asked.size(), 1u);
    EXPECT_EQ(engine->asked[0].cookie, cookie);
    EXPECT_EQ(engine->asked[0].offset, 0u);
    EXPECT_EQ(engine->asked[0].count, 1u);

    ASSERT_EQ(helper->CreateDebugDocumentContext(20, 1, context.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(context->EnumCodeContexts(contexts.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(engine->asked.back().offset, 9u);

    // Outside every block there is no code, and the engine is not asked.
    ASSERT_EQ(helper->CreateDebugDocumentContext(3, 1, context.ReleaseAndGetAddressOf()), S_OK);
    ASSERT_EQ(context->EnumCodeContexts(contexts.ReleaseAndGetAddressOf()), S_OK);
    EXPECT_EQ(contexts->Next(1, code.ReleaseAndGetAddressOf(), &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(engine->asked.size(), 2u);
}

TEST_F(DocumentHelperTest, NodeTreeFollowsAttachAndDetach) {
    ASSERT_EQ(application->SetName(L"Tevrin script test 7"), S_OK);
    auto root = MakeHelper(L"script_root", L"script_root");
    auto main = MakeHelper(L"c:\\t\\main.vbs", L"main.vbs", root.Get(), L"x = 1\n");
    auto lib = MakeHelper(L"c:\\t\\lib.vbs", L"lib.vbs", main.Get(), L"y = 2\n");

    ComPtr<IDebugApplicationNode> appRoot;
    ASSERT_EQ(application->GetRootNode(appRoot.GetAddressOf()), S_OK);
    EXPECT_EQ(NameOf(appRoot.Get(), DOCUMENTNAMETYPE_APPNODE), L"Tevrin script test 7");
    ComPtr<IDebugDocument> noDocument;
    EXPECT_TRUE(FAILED(appRoot->GetDocument(noDocument.GetAddressOf())));
    EXPECT_EQ(ChildNames(appRoot.Get()), std::vector<std::wstring>{L"script_root"});

    ComPtr<IDebugApplicationNode> rootNode, mainNode, libNode;
    root->GetDebugApplicationNode(rootNode.GetAddressOf());
    main->GetDebugApplicationNode(mainNode.GetAddressOf());
    lib->GetDebugApplicationNode(libNode.GetAddressOf());
    EXPECT_EQ(ChildNames(rootNode.Get()), std::vector<std::wstring>{L"c:\\t\\main.vbs"});
    EXPECT_EQ(ChildNames(mainNode.Get()), std::vector<std::wstring>{L"c:\\t\\lib.vbs"});
    ComPtr<IDebugApplicationNode> parent;
    ASSERT_EQ(libNode->GetParent(parent.GetAddressOf()), S_OK);
    EXPECT_EQ(parent.Get(), mainNode.Get());

    // A node's document is the helper's document.
    ComPtr<IDebugDocument> document;
    ASSERT_EQ(libNode->GetDocument(document.GetAddressOf()), S_OK);
    ComPtr<IDebugDocumentText> text;
    ASSERT_EQ(document.As(&text), S_OK);
    EXPECT_EQ(text.Get(), TextOf(lib.Get()).Get());

    // No node goes below itself or its own descendants.
    EXPECT_EQ(mainNode->Attach(libNode.Get()), E_INVALIDARG);
    EXPECT_EQ(mainNode->Attach(mainNode.Get()), E_INVALIDARG);

    // Detaching in the host's order empties the tree.
    ASSERT_EQ(root->Detach(), S_OK);
    ASSERT_EQ(main->Detach(), S_OK);
    ASSERT_EQ(lib->Detach(), S_OK);
    EXPECT_TRUE(ChildNames(appRoot.Get()).empty());
    EXPECT_TRUE(ChildNames(rootNode.Get()).empty());
    EXPECT_TRUE(ChildNames(mainNode.Get()).empty());
    EXPECT_EQ(libNode->GetParent(parent.ReleaseAndGetAddressOf()), E_FAIL);
    EXPECT_EQ(lib->Detach(), S_OK);  // twice is harmless
}

TEST_F(DocumentHelperTest, HelperNeedsInitFirst) {
    ComPtr<IDebugDocumentHelper> helper;
    ASSERT_EQ(manager->CreateDebugDocumentHelper(nullptr, helper.GetAddressOf()), S_OK);
    EXPECT_EQ(helper->Attach(nullptr), E_UNEXPECTED);
    EXPECT_EQ(helper->AddUnicodeText(L"x"), E_UNEXPECTED);
    DWORD_PTR cookie = 0;
    EXPECT_EQ(helper->DefineScriptBlock(0, 0, engine.Get(), FALSE, &cookie), E_UNEXPECTED);
    ComPtr<IDebugApplicationNode> node;
    EXPECT_EQ(helper->GetDebugApplicationNode(node.GetAddressOf()), E_UNEXPECTED);
    EXPECT_EQ(helper->Init(nullptr, L"a", L"a", 0), E_INVALIDARG);
    ASSERT_EQ(helper->Init(application.Get(), L"a", L"a", 0), S_OK);
    EXPECT_EQ(helper->Init(application.Get(), L"b", L"b", 0), E_UNEXPECTED);

    ComPtr<IDebugDocumentHelper> aggregated;
    ComPtr<IUnknown> outer;
    helper.As(&outer);
    EXPECT_EQ(manager->CreateDebugDocumentHelper(outer.Get(), aggregated.GetAddressOf()), CLASS_E_NOAGGREGATION);
}
