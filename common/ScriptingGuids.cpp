// Instantiates every GUID declared with DEFINE_GUID by the scripting headers,
// CLSID_ProcessDebugManager among them.
#include <initguid.h>
#include "common/ScriptingGuids.h"

// {0F0BE28A-BD73-4CE6-BC2E-37A67058BE89}
const CLSID CLSID_StepScript = {0x0f0be28a, 0xbd73, 0x4ce6, {0xbc, 0x2e, 0x37, 0xa6, 0x70, 0x58, 0xbe, 0x89}};
