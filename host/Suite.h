#pragma once
#include <string>
#include <utility>
#include <vector>

namespace host {

// One script of a suite.
struct SuiteScript {
    std::wstring path;     // full path
    std::wstring name;     // relative to the suite folder (or the list file's), as reports show it
    std::wstring problem;  // why it cannot run (a list names a missing file); empty when it can
};

enum class SuiteOutcome { Passed, Failed, Error };

// What one script's run gave.
struct SuiteResult {
    SuiteScript script;
    SuiteOutcome outcome = SuiteOutcome::Error;
    double seconds = 0;
    std::wstring output;      // the records the run printed, one per line
    std::wstring message;     // the first Error or Fatal Error record ("file (line): text"), or why it failed
    std::wstring screenshot;  // path of the screen taken when it failed, or empty
};

// The suite's scripts in sorted path order: every .vbs and .js file under a folder, at
// any depth, leaving out files and folders whose names begin with '_' (shared files that
// scripts include); or the files a list file names, one per line, relative to the list
// file's folder, with blank lines and '#' comments skipped. A named file that does not
// exist stays in the list with its problem set. False with `error` set when there is no
// such folder or file, or no script in it.
bool CollectSuite(const std::wstring& folderOrList, std::vector<SuiteScript>& scripts, std::wstring& error);

// "i/n" with 1 <= i <= n; false otherwise.
bool ParseShard(const std::wstring& text, int* index, int* count);
// The index-th (1-based) of count slices: every count-th script from the index-th on, so
// every script is in exactly one shard and the shards stay about the same size.
std::vector<SuiteScript> ShardOf(const std::vector<SuiteScript>& scripts, int index, int count);

// The seconds of a "#timeout <seconds>" line of the script's text (the last one); 0 when none.
unsigned ScriptTimeoutSeconds(const std::wstring& text);

// The first Error or Fatal Error record of a run's output, without its kind: what a
// failure's message shows. Empty when there is none.
std::wstring FirstErrorRecord(const std::wstring& output);

// The JUnit XML of a suite's results, UTF-8, as CI servers read it.
std::string JUnitReport(const std::wstring& suiteName, const std::vector<SuiteResult>& results,
                        const std::vector<std::pair<std::wstring, std::wstring>>& properties);

} // namespace host
