#include "host/ScriptLoader.h"
#include "host/Components.h"
#include "host/EngineProbe.h"
#include "common/ScriptingGuids.h"
#include "host/ScriptSite.h"
#include "common/ComError.h"
#include "common/ExcepInfo.h"
#include "common/Registry.h"
#include "common/TextConv.h"
#include <boost/regex.hpp>
#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace host {
namespace {

// "Access is denied. (0x80070005)": what a failed call says, with its code.
std::wstring FailureText(HRESULT hr) {
    wchar_t code[16] = {};
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    const std::wstring message = common::SystemMessage(static_cast<DWORD>(hr));
    return message.empty() ? code : message + L" (" + code + L")";
}

const boost::wregex& LanguagePattern() {
    static const boost::wregex pattern(
        L"^[[:blank:]]*#[[:blank:]]*language[[:blank:]]*((?:\\{[-0-9a-zA-Z]*\\})|(?:[0-9a-zA-Z]*))");
    return pattern;
}

// A language directive's whole line, for blanking.
const boost::wregex& LanguageLinePattern() {
    static const boost::wregex pattern(L"^[[:blank:]]*#[[:blank:]]*language[^\\n]*");
    return pattern;
}

// A suite's time limit for the script ("#timeout 120"): read by the suite runner, blanked
// here like the language directive so that no engine sees it.
const boost::wregex& TimeoutLinePattern() {
    static const boost::wregex pattern(L"^[[:blank:]]*#[[:blank:]]*timeout[[:blank:]][^\\n]*");
    return pattern;
}

const boost::wregex& IncludePattern() {
    static const boost::wregex pattern(L"^[[:blank:]]*#[[:blank:]]*include[[:blank:]]*\"([^\\\\\"\\n]*)\"");
    return pattern;
}

// Blanks every match in place so that lines and columns stay as written.
void BlankMatches(std::wstring& text, const boost::wregex& pattern) {
    std::vector<std::pair<size_t, size_t>> spans;
    for (boost::wsregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        spans.emplace_back(static_cast<size_t>(it->position()), static_cast<size_t>(it->length()));
    for (const auto& span : spans)
        for (size_t i = span.first; i < span.first + span.second; ++i) text[i] = L' ';
}

std::string LowerAnsi(const std::string& text) { return common::ToLower(text); }

std::string ExtensionOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path.substr(dot + 1);
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string CurrentDirectory() {
    char buffer[1025] = {};
    DWORD n = ::GetCurrentDirectoryA(1024, buffer);
    return n > 0 && n <= 1024 ? std::string(buffer, n) : std::string();
}

// Restores the working directory when a file's loading ends, however it ends.
class WorkingDirectoryScope {
public:
    WorkingDirectoryScope() : saved_(CurrentDirectory()) {}
    ~WorkingDirectoryScope() {
        if (!saved_.empty()) ::SetCurrentDirectoryA(saved_.c_str());
    }

private:
    std::string saved_;
};

} // namespace

HRESULT ScriptLoader::DefaultVBScriptEngine(CLSID* clsid) {
    CLSID platform;
    const bool hasPlatform = SUCCEEDED(::CLSIDFromProgID(L"VBScript", &platform));
    // The platform's VBScript is the default only where it steps: with the platform's
    // own debug manager, and where it answers the debugging interfaces (Wine's has stubs).
    if (hasPlatform && Components::DebugManagerOrigin() == Components::Origin::Platform &&
        EngineProbe::IsDebuggable(platform)) {
        *clsid = platform;
        return S_OK;
    }
    if (SUCCEEDED(::CLSIDFromProgID(L"StepScript", clsid))) return S_OK;
    if (Components::HasOwnStepScript()) {
        *clsid = CLSID_StepScript;
        return S_OK;
    }
    if (!hasPlatform) return E_FAIL;
    *clsid = platform;
    return S_OK;
}

ScriptLoader::ScriptLoader(ScriptHost& host, RunContext& run, const std::string& scriptPath)
    : host_(host), run_(run), scriptPath_(scriptPath) {}

bool ScriptLoader::ReadScriptText(const std::string& path, std::wstring& text) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, n);
    std::fclose(file);
    text.clear();
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text.push_back(static_cast<wchar_t>(c));
    }
    return true;
}

std::wstring ScriptLoader::FindLanguage(const std::wstring& text) {
    std::wstring language;
    for (boost::wsregex_iterator it(text.begin(), text.end(), LanguagePattern()), end; it != end; ++it)
        language = (*it)[1].str();
    return language;
}

void ScriptLoader::BlankLanguageDirectives(std::wstring& text) {
    BlankMatches(text, LanguageLinePattern());
    BlankMatches(text, TimeoutLinePattern());
}

std::vector<std::string> ScriptLoader::TakeIncludes(std::wstring& text) {
    std::vector<std::string> names;
    for (boost::wsregex_iterator it(text.begin(), text.end(), IncludePattern()), end; it != end; ++it)
        names.push_back(common::WideToAnsi((*it)[1].str()));
    BlankMatches(text, IncludePattern());
    return names;
}

HRESULT ScriptLoader::SelectEngine(CLSID* clsid) {
    std::wstring text;
    if (!ReadScriptText(scriptPath_, text)) {
        host_.setErrorText(L"Cannot find " + common::AnsiToWide(scriptPath_));
        return E_FAIL;
    }
    const std::wstring language = FindLanguage(text);
    host_.setLanguageName(language);
    if (!language.empty()) {
        if (SUCCEEDED(::CLSIDFromString(language.c_str(), clsid))) return S_OK;
        if (SUCCEEDED(::CLSIDFromProgID(language.c_str(), clsid))) return S_OK;
        if (Components::ResolveOwnLanguage(language, clsid)) return S_OK;
        host_.setErrorText(language + L" is an invalid CLSID or PROGID");
        return E_FAIL;
    }
    const std::string extension = LowerAnsi(ExtensionOf(scriptPath_));
    if (extension == "js") {
        if (SUCCEEDED(::CLSIDFromProgID(L"JScript", clsid))) return S_OK;
        host_.setErrorText(L"Cannot find the default JScript engine, please use #language syntax.");
        return E_FAIL;
    }
    if (extension == "vbs") {
        if (SUCCEEDED(DefaultVBScriptEngine(clsid))) return S_OK;
        host_.setErrorText(L"Cannot find the default VBScript engine, please use #language syntax.");
        return E_FAIL;
    }
    host_.setErrorText(L"Unknown language for " + common::AnsiToWide(scriptPath_) +
                       L", please use #language <clsid> or a known extension");
    return E_FAIL;
}

HRESULT ScriptLoader::PrepareEngine() {
    CLSID clsid;
    HRESULT hr = SelectEngine(&clsid);
    if (FAILED(hr)) return hr;

    run_.engine.Reset();
    run_.engineDebug.Reset();
    hr = Components::CreateEngine(clsid, run_.engine.GetAddressOf());
    if (FAILED(hr)) {
        host_.setErrorText(L"Cannot create the script engine " + common::GuidToString(clsid) + L": " +
                           common::SystemMessage(static_cast<DWORD>(hr)));
        return hr;
    }
    if (FAILED(run_.engine.As(&run_.engineDebug))) {
        host_.setErrorText(L"This language does not implement all the required "
                           L"script interfaces. Please check with the language vendor "
                           L"for an updated version.");
        return E_FAIL;
    }
    ComPtr<IActiveScriptParse> parse;
    hr = run_.engine.As(&parse);
    if (FAILED(hr)) {
        host_.setErrorText(L"The script engine cannot parse script text.");
        return hr;
    }
    if (FAILED(hr = run_.engine->SetScriptSite(run_.site.Get())) || FAILED(hr = parse->InitNew()) ||
        FAILED(hr = run_.engine->SetScriptState(SCRIPTSTATE_INITIALIZED))) {
        host_.setErrorText(L"The script engine failed to start: " + common::SystemMessage(static_cast<DWORD>(hr)));
        return hr;
    }

    try {
        ComPtr<IDebugDocumentHelper> root;
        common::ThrowIfFailed(run_.debugManager->CreateDebugDocumentHelper(nullptr, &root));
        common::ThrowIfFailed(root->Init(run_.debugApplication.Get(), L"script_root", L"script_root", 0));
        common::ThrowIfFailed(root->Attach(nullptr));
        run_.site->SetRootHelper(root.Get());
        run_.site->AddHelper(root.Get());

        scriptPath_ = LowerAnsi(scriptPath_);
        hr = LoadScriptFile(parse.Get(), scriptPath_, root.Get());
        if (FAILED(hr)) return hr;

        common::ThrowIfFailed(run_.engine->AddNamedItem(L"Env", SCRIPTITEM_ISVISIBLE));
        common::ThrowIfFailed(run_.engine->AddNamedItem(L"Sync", SCRIPTITEM_ISVISIBLE));
    } catch (...) {
        // The user sees the code of the call that failed, not a catastrophic failure.
        hr = common::CurrentExceptionHResult();
        if (host_.errorText().empty()) host_.setErrorText(L"The script could not be prepared: " + FailureText(hr));
        return hr;
    }
    return S_OK;
}

HRESULT ScriptLoader::LoadScriptFile(IActiveScriptParse* parse, const std::string& path,
                                     IDebugDocumentHelper* parent) {
    if (run_.fileMap.count(path)) return S_OK;
    run_.fileMap[path] = ScriptFileRecord{path, 0, nullptr};

    ComPtr<IDebugDocumentHelper> helper;
    common::ThrowIfFailed(run_.debugManager->CreateDebugDocumentHelper(nullptr, &helper));

    WorkingDirectoryScope workingDirectory;
    const std::string directory = DirectoryOf(path);
    if (!directory.empty()) ::SetCurrentDirectoryA(directory.c_str());

    std::wstring text;
    if (!ReadScriptText(path, text)) {
        host_.setErrorText(L"Cannot find " + common::AnsiToWide(path));
        return E_FAIL;
    }
    // Engines and debug documents take the text as a C string: a NUL would silently cut
    // the file short.
    const size_t nul = text.find(L'\0');
    if (nul != std::wstring::npos) {
        const auto line = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), L'\n') + 1;
        host_.setErrorText(common::AnsiToWide(path) + L" (" + std::to_wstring(line) +
                           L"): The file holds a NUL character; a script file is text.");
        return E_FAIL;
    }
    const std::vector<std::string> includes = TakeIncludes(text);
    // The directive is the host's, not the language's: an engine that does not skip it
    // (Wine's VBScript) would refuse the whole file.
    BlankLanguageDirectives(text);

    const std::wstring fullName = common::AnsiToWide(path);
    const std::wstring fileName = common::AnsiToWide(FileNameOf(path));
    common::ThrowIfFailed(helper->Init(run_.debugApplication.Get(), fullName.c_str(), fileName.c_str(), 0));
    common::ThrowIfFailed(helper->Attach(parent));
    run_.site->AddHelper(helper.Get());

    for (const std::string& name : includes) {
        char full[1025] = {};
        DWORD n = ::GetFullPathNameA(name.c_str(), 1024, full, nullptr);
        if (n == 0 || n > 1024) {
            host_.setErrorText(L"Cannot resolve the include " + common::AnsiToWide(name) + L" of " + fullName);
            return E_FAIL;
        }
        HRESULT hr = LoadScriptFile(parse, LowerAnsi(std::string(full, n)), helper.Get());
        if (FAILED(hr)) return hr;
    }

    common::ThrowIfFailed(helper->AddUnicodeText(text.c_str()));
    DWORD_PTR cookie = 0;
    common::ThrowIfFailed(helper->DefineScriptBlock(0, static_cast<ULONG>(text.size()), run_.engine.Get(), FALSE, &cookie));
    run_.fileMap[path] = ScriptFileRecord{path, cookie, helper};

    common::ExcepInfo exception;
    return parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, cookie, 0,
                                  SCRIPTTEXT_ISVISIBLE | SCRIPTTEXT_ISPERSISTENT | SCRIPTTEXT_HOSTMANAGESSOURCE,
                                  nullptr, exception.put());
}

} // namespace host
