#pragma once
#include <windows.h>

namespace host {

// Whether a script engine can be debugged: it gives IActiveScriptDebug and answers it
// (some engines hand out the interface with every method unimplemented).
class EngineProbe {
public:
    // The engine of the class asked once per process and class; later calls answer from
    // the first answer (creating an engine is not free, and the answer cannot change).
    static bool IsDebuggable(const CLSID& clsid);
    // Creates the engine and asks it; no cache.
    static bool Probe(const CLSID& clsid);
};

} // namespace host
