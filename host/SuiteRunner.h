#pragma once
#include "host/CommandLine.h"

namespace host {

// /Suite: runs every script of a folder or list file, each in a Tevrin process of its own
// so that a crash or a hang cannot take the others down, under a time limit per script
// (/Timeout, or a "#timeout <seconds>" line of the script). Prints each run's records, a
// summary line per script and a total; writes a JUnit report (/JUnit), a screenshot of
// each failure (/Screenshots) and runs one shard of the sorted list (/Shard i/n).
// Returns 0 when every script passed, 1 when some failed, 2 when the suite could not
// start (printing a Fatal Error line that says why).
int RunSuite(const CommandLine& args);

} // namespace host
