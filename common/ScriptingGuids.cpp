// Instantiates every GUID declared with DEFINE_GUID by the scripting headers,
// CLSID_ProcessDebugManager among them.
#include <initguid.h>
#include "common/ScriptingGuids.h"
