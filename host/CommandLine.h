#pragma once
#include <string>
#include <vector>

namespace host {

// What the program was asked to do, read from its command line.
struct CommandLine {
    bool automation = false;   // started by the COM runtime (/Embedding or /Automation)
    bool version = false;      // /Version: print the version and the components a run uses
    bool unregister = false;   // /Unregister: remove the registrations Tevrin wrote itself
    bool noServer = false;     // /NoServer: serve no Env objects to other programs (a suite's runs)
    std::wstring fileName;     // first argument that is not a switch: a script to run headless

    // /Suite <folder or list file>: runs many scripts, each in a Tevrin process of its own.
    std::wstring suite;
    std::wstring junitFile;        // /JUnit <file>
    std::wstring screenshotFolder; // /Screenshots <folder>
    std::wstring shard;            // /Shard <i>/<n>, as given
    std::wstring timeout;          // /Timeout <seconds>, as given
    // Switches the program does not know, and value switches given no value.
    std::vector<std::wstring> badSwitches;
};

// Switches begin with '/' or '-' and are matched without regard to case. The suite's
// switches take the next argument as their value.
CommandLine ParseCommandLine(const std::vector<std::wstring>& args);

// Splits a Windows command line (without the program name) into arguments.
std::vector<std::wstring> SplitArguments(const wchar_t* commandLine);

} // namespace host
