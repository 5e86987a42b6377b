#include "host/CommandLine.h"
#include "common/TextConv.h"
#include <windows.h>
#include <shellapi.h>

namespace host {

CommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLine result;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.empty() || (arg[0] != L'/' && arg[0] != L'-')) {
            if (result.fileName.empty()) result.fileName = arg;
            continue;
        }
        const std::wstring name = common::ToLower(arg.substr(1));
        std::wstring* value = name == L"suite"         ? &result.suite
                              : name == L"junit"       ? &result.junitFile
                              : name == L"screenshots" ? &result.screenshotFolder
                              : name == L"shard"       ? &result.shard
                              : name == L"timeout"     ? &result.timeout
                                                       : nullptr;
        if (value) {
            if (i + 1 < args.size()) {
                *value = args[++i];
            } else {
                result.badSwitches.push_back(arg + L" (without a value)");
            }
        } else if (name == L"embedding" || name == L"automation") {
            result.automation = true;
        } else if (name == L"version") {
            result.version = true;
        } else if (name == L"unregister") {
            result.unregister = true;
        } else if (name == L"noserver") {
            result.noServer = true;
        } else {
            result.badSwitches.push_back(arg);
        }
    }
    return result;
}

std::vector<std::wstring> SplitArguments(const wchar_t* commandLine) {
    std::vector<std::wstring> args;
    if (!commandLine || !*commandLine) return args;
    // CommandLineToArgvW takes the first token as the program name with its own rules,
    // so give it a dummy one.
    std::wstring line = L"x ";
    line += commandLine;
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(line.c_str(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) args.emplace_back(argv[i]);
    ::LocalFree(argv);
    return args;
}

} // namespace host
