#pragma once
// Interfaces of objects that live inside the process under test: the hook library
// marshals them into a transfer buffer there, and they are unmarshalled here.
#include "wrappers/hook/RemoteBuffer.h"
#include <unknwn.h>
#include <wrl/client.h>
#include <vector>

namespace wrappers {

// Unmarshals an IUnknown from the bytes of a transfer buffer; null on failure.
Microsoft::WRL::ComPtr<IUnknown> unmarshalUnknown(const std::vector<BYTE>& transfer);

// What the hook library answered to an interface request: whether it found the object,
// and the object when it could also be unmarshalled here.
struct RemoteObject {
    bool found = false;
    Microsoft::WRL::ComPtr<IUnknown> object;
};

// Asks the hook library, through the hooked window of `channel`, for the object of
// `window` (a window of the target). Throws RemoteError when the request itself fails.
RemoteObject requestRemoteObject(const HookChannel& channel, UINT hookMessage, HWND window);

// Asks the hook library (hookMessage is g_nMsgGetRichEditInterface or
// g_nMsgUnknownFromWndData) for the object of `window`, a window of the target.
// Null when the hook reports no object; throws RemoteError when the request itself fails.
Microsoft::WRL::ComPtr<IUnknown> requestRemoteInterface(const HookChannel& channel, UINT hookMessage, HWND window);
template <typename Binding>
Microsoft::WRL::ComPtr<IUnknown> requestRemoteInterface(const Binding& binding, UINT hookMessage, HWND window) {
    return requestRemoteInterface(channelOf(binding), hookMessage, window);
}

} // namespace wrappers
