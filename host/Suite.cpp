#include "host/Suite.h"
#include "host/ScriptLoader.h"
#include "common/TextConv.h"
#include <windows.h>
#include <boost/regex.hpp>
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <sstream>

namespace host {
namespace {

bool IsScript(const std::wstring& name) {
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) return false;
    const std::wstring extension = common::ToLower(name.substr(dot + 1));
    return extension == L"vbs" || extension == L"js";
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH * 4] = {};
    DWORD n = ::GetFullPathNameW(path.c_str(), MAX_PATH * 4, buffer, nullptr);
    return n > 0 && n < MAX_PATH * 4 ? std::wstring(buffer, n) : path;
}

std::wstring WithSlash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder;
}

void CollectFolder(const std::wstring& folder, const std::wstring& relative, std::vector<SuiteScript>& scripts) {
    WIN32_FIND_DATAW found = {};
    HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L".." || name[0] == L'_') continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectFolder(folder + name + L"\\", relative + name + L"\\", scripts);
        else if (IsScript(name))
            scripts.push_back({folder + name, relative + name, L""});
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

std::wstring Trimmed(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring::npos) return {};
    const size_t last = text.find_last_not_of(L" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool CollectList(const std::wstring& listFile, std::vector<SuiteScript>& scripts, std::wstring& error) {
    std::wstring text;
    if (!ScriptLoader::ReadScriptText(common::WideToAnsi(listFile), text)) {
        error = L"Cannot read the list file " + listFile;
        return false;
    }
    const std::wstring base = listFile.substr(0, listFile.find_last_of(L"\\/") + 1);
    std::wistringstream lines(text);
    std::wstring line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = Trimmed(line);
        if (line.empty() || line[0] == L'#') continue;
        const bool absolute = line.size() > 1 && (line[1] == L':' || line[0] == L'\\' || line[0] == L'/');
        SuiteScript script{FullPath(absolute ? line : base + line), line, L""};
        const DWORD attributes = ::GetFileAttributesW(script.path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            script.problem = L"Cannot find " + script.path + L" (" + listFile + L", line " +
                             std::to_wstring(number) + L")";
        scripts.push_back(script);
    }
    if (scripts.empty()) {
        error = L"The list file " + listFile + L" names no scripts";
        return false;
    }
    return true;
}

// Text that XML 1.0 can carry: its five special characters escaped and the control
// characters it does not allow dropped.
std::wstring XmlText(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'&': out += L"&amp;"; break;
            case L'<': out += L"&lt;"; break;
            case L'>': out += L"&gt;"; break;
            case L'"': out += L"&quot;"; break;
            case L'\'': out += L"&apos;"; break;
            default:
                if (c >= 0x20 || c == L'\t' || c == L'\n' || c == L'\r') out += c;
        }
    }
    return out;
}

std::wstring Seconds(double seconds) {
    wchar_t text[32];
    std::swprintf(text, 32, L"%.3f", seconds);
    return text;
}

std::wstring Timestamp() {
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    wchar_t text[32];
    std::swprintf(text, 32, L"%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond);
    return text;
}

std::wstring HostName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring(L"localhost");
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

// The case's name as CI servers group it: its folder, dotted, under the suite's name.
std::wstring ClassName(const std::wstring& suiteName, const std::wstring& scriptName) {
    std::wstring folder = scriptName.substr(0, scriptName.find_last_of(L"\\/") + 1);
    if (folder.empty()) return suiteName;
    folder.pop_back();
    std::replace(folder.begin(), folder.end(), L'\\', L'.');
    std::replace(folder.begin(), folder.end(), L'/', L'.');
    return suiteName + L"." + folder;
}

} // namespace

bool CollectSuite(const std::wstring& folderOrList, std::vector<SuiteScript>& scripts, std::wstring& error) {
    scripts.clear();
    const std::wstring path = FullPath(folderOrList);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = L"Cannot find the suite " + path;
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return CollectList(path, scripts, error);
    CollectFolder(WithSlash(path), L"", scripts);
    std::sort(scripts.begin(), scripts.end(), [](const SuiteScript& a, const SuiteScript& b) {
        return common::ToLower(a.name) < common::ToLower(b.name);
    });
    if (scripts.empty()) {
        error = L"The suite folder " + path + L" holds no .vbs or .js scripts";
        return false;
    }
    return true;
}

bool ParseShard(const std::wstring& text, int* index, int* count) {
    unsigned i = 0, n = 0;
    wchar_t rest = 0;
    if (std::swscanf(text.c_str(), L"%u/%u%lc", &i, &n, &rest) != 2) return false;
    if (n == 0 || i == 0 || i > n) return false;
    *index = static_cast<int>(i);
    *count = static_cast<int>(n);
    return true;
}

std::vector<SuiteScript> ShardOf(const std::vector<SuiteScript>& scripts, int index, int count) {
    std::vector<SuiteScript> shard;
    for (size_t i = static_cast<size_t>(index - 1); i < scripts.size(); i += static_cast<size_t>(count))
        shard.push_back(scripts[i]);
    return shard;
}

unsigned ScriptTimeoutSeconds(const std::wstring& text) {
    static const boost::wregex pattern(L"^[[:blank:]]*#[[:blank:]]*timeout[[:blank:]]+([0-9]{1,9})");
    unsigned seconds = 0;
    for (boost::wsregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        seconds = static_cast<unsigned>(std::wcstoul((*it)[1].str().c_str(), nullptr, 10));
    return seconds;
}

std::wstring FirstErrorRecord(const std::wstring& output) {
    std::wistringstream lines(output);
    std::wstring line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        for (const wchar_t* kind : {L"Error: ", L"Fatal Error: "}) {
            const size_t length = std::wcslen(kind);
            if (line.compare(0, length, kind) == 0) return line.substr(length);
        }
    }
    return {};
}

std::string JUnitReport(const std::wstring& suiteName, const std::vector<SuiteResult>& results,
                        const std::vector<std::pair<std::wstring, std::wstring>>& properties) {
    size_t failures = 0, errors = 0;
    double total = 0;
    for (const SuiteResult& result : results) {
        failures += result.outcome == SuiteOutcome::Failed;
        errors += result.outcome == SuiteOutcome::Error;
        total += result.seconds;
    }
    std::wstring xml = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += L"<testsuite name=\"" + XmlText(suiteName) + L"\" tests=\"" + std::to_wstring(results.size()) +
           L"\" failures=\"" + std::to_wstring(failures) + L"\" errors=\"" + std::to_wstring(errors) +
           L"\" skipped=\"0\" time=\"" + Seconds(total) + L"\" timestamp=\"" + Timestamp() + L"\" hostname=\"" +
           XmlText(HostName()) + L"\">\n";
    xml += L"  <properties>\n";
    for (const auto& property : properties)
        xml += L"    <property name=\"" + XmlText(property.first) + L"\" value=\"" + XmlText(property.second) +
               L"\"/>\n";
    xml += L"  </properties>\n";
    for (const SuiteResult& result : results) {
        xml += L"  <testcase name=\"" + XmlText(result.script.name) + L"\" classname=\"" +
               XmlText(ClassName(suiteName, result.script.name)) + L"\" file=\"" + XmlText(result.script.path) +
               L"\" time=\"" + Seconds(result.seconds) + L"\">\n";
        if (result.outcome != SuiteOutcome::Passed) {
            const wchar_t* element = result.outcome == SuiteOutcome::Failed ? L"failure" : L"error";
            xml += std::wstring(L"    <") + element + L" message=\"" + XmlText(result.message) + L"\" type=\"" +
                   (result.outcome == SuiteOutcome::Failed ? L"Error" : L"Fatal Error") + L"\">" +
                   XmlText(result.output) + L"</" + element + L">\n";
        }
        std::wstring out = result.output;
        // The attachment form that CI servers' JUnit plugins turn into a link.
        if (!result.screenshot.empty()) out += L"[[ATTACHMENT|" + result.screenshot + L"]]\n";
        xml += L"    <system-out>" + XmlText(out) + L"</system-out>\n";
        xml += L"  </testcase>\n";
    }
    xml += L"</testsuite>\n";
    return Utf8(xml);
}

} // namespace host
