#include "wrappers/hook/RemoteInterface.h"
#include "ostrel/ostrel.h"
#include <objbase.h>
#include <cstring>

namespace wrappers {

Microsoft::WRL::ComPtr<IUnknown> unmarshalUnknown(const std::vector<BYTE>& transfer) {
    Microsoft::WRL::ComPtr<IUnknown> object;
    if (transfer.empty()) return object;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, transfer.size());
    if (!memory) return object;
    if (void* data = ::GlobalLock(memory)) {
        std::memcpy(data, transfer.data(), transfer.size());
        ::GlobalUnlock(memory);
    }
    Microsoft::WRL::ComPtr<IStream> stream;
    // The stream frees the memory when it goes.
    if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        ::GlobalFree(memory);
        return object;
    }
    if (FAILED(::CoUnmarshalInterface(stream.Get(), IID_IUnknown, reinterpret_cast<void**>(object.GetAddressOf()))))
        object.Reset();
    return object;
}

namespace {

struct HookAnswer {
    bool handled = false;  // the hook library marks the block when it carried the request out
    RemoteObject result;
};

HookAnswer askHook(const HookChannel& channel, UINT hookMessage, HWND window) {
    RemoteProcess process(channel);
    RemoteBuffer transfer(process, kOstrelTransferSize);
    RemoteBuffer block(process, sizeof(OstrelRequest));
    OstrelRequest request{};
    request.window = reinterpret_cast<ULONG_PTR>(window);
    request.wParam = reinterpret_cast<ULONG_PTR>(window);
    request.lParam = static_cast<LONG_PTR>(transfer.address());
    block.write(request);
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutA(channel.hookedWindow, hookMessage, 0, block.lparam(), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                               kHookRequestTimeout, &ignored))
        throw RemoteError(L"The application did not answer the hook library");
    block.read(request);
    HookAnswer answer;
    answer.handled = request.unused[0] == 1;
    if (request.wParam == 0) return answer;
    answer.result.found = true;
    std::vector<BYTE> bytes(kOstrelTransferSize);
    transfer.read(bytes.data(), bytes.size());
    answer.result.object = unmarshalUnknown(bytes);
    return answer;
}

} // namespace

RemoteObject requestRemoteObject(const HookChannel& channel, UINT hookMessage, HWND window) {
    HookAnswer answer = askHook(channel, hookMessage, window);
    // Without the hook the window answers the message itself and the block comes back as
    // it was sent, which would read as success.
    if (!answer.handled) throw RemoteError(L"The hook library is not active in the application");
    return answer.result;
}

Microsoft::WRL::ComPtr<IUnknown> requestRemoteInterface(const HookChannel& channel, UINT hookMessage, HWND window) {
    return askHook(channel, hookMessage, window).result.object;
}

} // namespace wrappers
