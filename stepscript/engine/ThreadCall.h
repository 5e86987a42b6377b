#pragma once
#include "common/ScriptingGuids.h"
#include <functional>

namespace stepscript {

// Runs work on the thread that thread (the debug services' view of the script thread)
// stands for, through SynchronousCallIntoThread, and returns its result. The services
// carry the call out while the script waits at a break or asks for its break flags.
HRESULT CallIntoThread(IDebugApplicationThread* thread, const std::function<HRESULT()>& work);

} // namespace stepscript
