#include "common/ScriptingGuids.h"
#include <gtest/gtest.h>
TEST(ScriptingGuids, DebugGuidsAreDefined) {
    EXPECT_NE(IID_IActiveScriptDebug, GUID_NULL);
    EXPECT_NE(IID_IProcessDebugManager, GUID_NULL);
    EXPECT_NE(IID_IDebugApplication, GUID_NULL);
    EXPECT_NE(IID_IApplicationDebugger, GUID_NULL);
    EXPECT_NE(IID_IActiveScriptParse, GUID_NULL);
    EXPECT_NE(CLSID_ProcessDebugManager, GUID_NULL);
}
