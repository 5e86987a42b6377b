#pragma once
#include <windows.h>

// Interface of the hook library that runs inside the application under test.
// The message ids are registered when the library loads, in every process that loads it.
#ifdef OSTREL_BUILD
#define OSTREL_API extern "C" __declspec(dllexport)
#else
#define OSTREL_API extern "C" __declspec(dllimport)
#endif

OSTREL_API UINT g_nMsgAllocMem;
OSTREL_API UINT g_nMsgFreeMem;
OSTREL_API UINT g_nMsgGetRichEditInterface;
OSTREL_API UINT g_nMsgUnknownFromWndData;
OSTREL_API UINT g_nMsgSendMessage;
OSTREL_API UINT g_nMsgTerminate;

// WH_CALLWNDPROC hook procedure; take its address through this declaration or
// GetProcAddress, never through a plain extern (that would be the import thunk).
OSTREL_API LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam);
