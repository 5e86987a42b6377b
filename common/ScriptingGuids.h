#pragma once
// Active Scripting and Active Script Debugging GUIDs. MinGW's libuuid lacks most of
// them; ScriptingGuids.cpp (linked with common) defines every GUID of activscp.h and
// activdbg.h once.
#include <windows.h>
#include <activscp.h>
#include <activdbg.h>

// Tevrin's own VBScript engine (ProgID "StepScript"): the host creates it from the DLL
// beside the program when no engine of that class is registered.
extern const CLSID CLSID_StepScript;
