#pragma once
// Window messages delivered from inside the process under test by the hook library,
// so that pointers in them are addresses of that process (RemoteBuffer blocks).
#include "wrappers/hook/RemoteBuffer.h"
#include <windows.h>

namespace wrappers {

// How long a sent message may take inside the target before the call gives up
// (a modal dialog opened without async ends here rather than hanging the script).
const DWORD kRemoteSendTimeout = 60000;

// Delivers msg to target inside the target process: sent and waited for (post false,
// *result receives the message's result) or posted (post true; the message is handled
// later, and RemoteBuffer blocks stay valid until it has been). Returns false when the
// request could not be carried out (no hook, target gone, timeout); *result is then 0.
// `binding` is a WindowBinding or a HookChannel; result may be null.
bool sendRemote(const HookChannel& channel, HWND target, UINT msg, WPARAM wParam, LPARAM lParam,
                bool post, LRESULT* result);
template <typename Binding>
bool sendRemote(const Binding& binding, HWND target, UINT msg, WPARAM wParam, LPARAM lParam,
                bool post, LRESULT* result) {
    return sendRemote(channelOf(binding), target, msg, wParam, lParam, post, result);
}

// Hands the request block at `block` (an address in the target) to the hook library of
// the hooked window: sent and waited for, or (post) queued there. Throws RemoteError
// when it was not delivered in time.
void deliverHookRequest(HWND hookedWindow, LPARAM block, bool post);

// The same inside an operation that holds the process open; throws RemoteError.
LRESULT sendRemote(RemoteProcess& process, HWND target, UINT msg, WPARAM wParam, LPARAM lParam,
                   bool post);

// A message sent straight to a window of the target (no pointers, or addresses of
// RemoteBuffer blocks), with a timeout; throws RemoteError when the window is gone or
// does not answer.
LRESULT sendDirect(HWND target, UINT msg, WPARAM wParam, LPARAM lParam);

// The hook library's terminate message to the hooked window: rebinding true sends
// wParam 1 (the process goes on), false wParam 0 (the process ends). False when the
// message could not be delivered.
bool sendTerminate(HWND hookedWindow, bool rebinding);

} // namespace wrappers
