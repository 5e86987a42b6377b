#define OSTREL_BUILD
#include "ostrel.h"

UINT g_nMsgAllocMem = 0;
UINT g_nMsgFreeMem = 0;
UINT g_nMsgGetRichEditInterface = 0;
UINT g_nMsgUnknownFromWndData = 0;
UINT g_nMsgSendMessage = 0;
UINT g_nMsgTerminate = 0;

namespace {

void RegisterMessages() {
    g_nMsgAllocMem = ::RegisterWindowMessageA("Tevrin.Ostrel.AllocMem");
    g_nMsgFreeMem = ::RegisterWindowMessageA("Tevrin.Ostrel.FreeMem");
    g_nMsgGetRichEditInterface = ::RegisterWindowMessageA("Tevrin.Ostrel.GetRichEditInterface");
    g_nMsgUnknownFromWndData = ::RegisterWindowMessageA("Tevrin.Ostrel.UnknownFromWndData");
    g_nMsgSendMessage = ::RegisterWindowMessageA("Tevrin.Ostrel.SendMessage");
    g_nMsgTerminate = ::RegisterWindowMessageA("Tevrin.Ostrel.Terminate");
}

} // namespace

extern "C" LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        RegisterMessages();
    }
    return TRUE;
}
