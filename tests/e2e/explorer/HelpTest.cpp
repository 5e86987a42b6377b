// The help file, its reference pages against the type libraries, and the about box.
#include "explorer/CAboutDialog.h"
#include "explorer/ExplorerCommands.h"
#include "resources/explorer/explorerids.h"
#include <gtest/gtest.h>
#include <htmlhelp.h>
#include <oleauto.h>
#include <wrl/client.h>
#include <fstream>
#include <sstream>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

std::wstring DistFile(const wchar_t* name) { return std::wstring(TEVRIN_DIST_DIR) + L"\\" + name; }

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

struct Member {
    std::string anchor;  // Interface_member_kind, as the reference page names it
    MEMBERID id;
};

// The members each interface of the type library declares itself (inherited ones belong
// to the base interface's section), without restricted ones.
std::vector<Member> MembersOf(ITypeLib* library) {
    std::vector<Member> members;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        ComPtr<ITypeInfo> info;
        if (FAILED(library->GetTypeInfo(i, &info))) continue;
        TYPEATTR* attr = nullptr;
        info->GetTypeAttr(&attr);
        const TYPEKIND kind = attr->typekind;
        const bool dual = (attr->wTypeFlags & TYPEFLAG_FDUAL) != 0;
        info->ReleaseTypeAttr(attr);
        if (kind != TKIND_DISPATCH && kind != TKIND_INTERFACE) continue;
        ComPtr<ITypeInfo> own = info;
        if (kind == TKIND_DISPATCH && dual) {
            HREFTYPE ref = 0;
            if (FAILED(info->GetRefTypeOfImplType(-1, &ref)) || FAILED(info->GetRefTypeInfo(ref, &own))) continue;
        }
        BSTR name = nullptr;
        own->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        const std::string interfaceName = Narrow(name ? name : L"");
        ::SysFreeString(name);
        own->GetTypeAttr(&attr);
        const WORD count = attr->cFuncs;
        own->ReleaseTypeAttr(attr);
        for (WORD f = 0; f < count; ++f) {
            FUNCDESC* func = nullptr;
            if (FAILED(own->GetFuncDesc(f, &func))) continue;
            BSTR member = nullptr;
            own->GetDocumentation(func->memid, &member, nullptr, nullptr, nullptr);
            const char* suffix = func->invkind == INVOKE_PROPERTYGET ? "get"
                                 : func->invkind == INVOKE_FUNC      ? "method"
                                                                     : "put";
            if (!(func->wFuncFlags & FUNCFLAG_FRESTRICTED))
                members.push_back({interfaceName + "_" + Narrow(member ? member : L"") + "_" + suffix, func->memid});
            ::SysFreeString(member);
            own->ReleaseFuncDesc(func);
        }
    }
    return members;
}

void ExpectReferenceMatches(const std::wstring& library, const std::wstring& page) {
    ComPtr<ITypeLib> typeLib;
    ASSERT_EQ(::LoadTypeLib(library.c_str(), &typeLib), S_OK) << Narrow(library);
    const std::string html = ReadFile(page);
    ASSERT_FALSE(html.empty()) << Narrow(page);
    const std::vector<Member> members = MembersOf(typeLib.Get());
    ASSERT_FALSE(members.empty());
    for (const Member& member : members) {
        const size_t at = html.find("<a name=\"" + member.anchor + "\">");
        ASSERT_NE(at, std::string::npos) << member.anchor << " is missing from the reference";
        // The member's row shows its DISPID.
        const size_t rowEnd = html.find("</tr>", at);
        EXPECT_NE(html.substr(at, rowEnd - at).find("<td>" + std::to_string(member.id) + "</td>"), std::string::npos)
            << member.anchor;
    }
    // Nothing documented that the library does not have.
    size_t anchors = 0;
    for (size_t at = html.find("<a name=\""); at != std::string::npos; at = html.find("<a name=\"", at + 1))
        if (html.compare(at + 9, 1, "I") == 0 && html.find('_', at) < html.find('"', at + 9)) ++anchors;
    EXPECT_EQ(anchors, members.size());
}

TEST(HelpReference, WrappersPageListsEveryMemberOfTheShippedTypeLibrary) {
    ExpectReferenceMatches(DistFile(L"wrappers.dll"), std::wstring(TEVRIN_HELP_DIR) + L"\\wrappers_reference.htm");
}

TEST(HelpReference, EnvPageListsEveryMemberOfMardelLib) {
    ExpectReferenceMatches(std::wstring(TEVRIN_IDL_DIR) + L"\\mardel.tlb",
                           std::wstring(TEVRIN_HELP_DIR) + L"\\env_reference.htm");
}

TEST(HelpFile, OpensInItsMainWindowUnderTheHelpTitle) {
    const std::wstring chm = DistFile(L"Tevrin.chm");
    ASSERT_NE(::GetFileAttributesW(chm.c_str()), INVALID_FILE_ATTRIBUTES);
    HWND help = explorer::OpenHelpFile(nullptr, chm);
    ASSERT_NE(help, nullptr);
    wchar_t title[128] = {};
    ::GetWindowTextW(help, title, 128);
    EXPECT_STREQ(title, L"Tevrin Help");
    ::HtmlHelpW(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

TEST(HelpFile, MissingFileOpensNothing) {
    EXPECT_EQ(explorer::OpenHelpFile(nullptr, DistFile(L"NoSuchHelp.chm")), nullptr);
}

// The about box, read from inside its modal loop and closed.
std::wstring g_aboutText;
void CALLBACK ReadAbout(HWND, UINT, UINT_PTR, DWORD) {
    HWND about = ::FindWindowW(L"#32770", L"About Tevrin");
    if (!about) return;
    wchar_t text[256] = {};
    ::GetDlgItemTextW(about, IDC_ABOUT_VERSION, text, 256);
    g_aboutText = text;
    ::PostMessageW(about, WM_COMMAND, IDOK, 0);
}

TEST(About, ShowsTheVersionOfTheVersionResource) {
    EXPECT_EQ(explorer::ProgramVersion(), L"Tevrin version 0.1.0");
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, ReadAbout);
    explorer::ShowAbout(nullptr);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_aboutText, L"Tevrin version 0.1.0");
}

} // namespace
