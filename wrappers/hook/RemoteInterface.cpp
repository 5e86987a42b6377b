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

Microsoft::WRL::ComPtr<IUnknown> requestRemoteInterface(const HookChannel& channel, UINT hookMessage, HWND window) {
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
    if (request.wParam == 0) return nullptr;
    std::vector<BYTE> bytes(kOstrelTransferSize);
    transfer.read(bytes.data(), bytes.size());
    return unmarshalUnknown(bytes);
}

} // namespace wrappers
