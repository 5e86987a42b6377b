#include "wrappers/hook/SendRemote.h"
#include "ostrel/ostrel.h"

namespace wrappers {

void deliverHookRequest(HWND hookedWindow, LPARAM block, bool post) {
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutA(hookedWindow, g_nMsgSendMessage, post ? 1 : 0, block, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                               kRemoteSendTimeout, &ignored)) {
        throw RemoteError(::IsWindow(hookedWindow) ? L"The application did not handle the message in time"
                                                   : L"The window of the application no longer exists");
    }
}

LRESULT sendRemote(RemoteProcess& process, HWND target, UINT msg, WPARAM wParam, LPARAM lParam, bool post) {
    RemoteBuffer block(process, sizeof(OstrelRequest));
    OstrelRequest request{};
    request.window = reinterpret_cast<ULONG_PTR>(target);
    request.message = msg;
    request.wParam = static_cast<ULONG_PTR>(wParam);
    request.lParam = static_cast<LONG_PTR>(lParam);
    block.write(request);

    deliverHookRequest(process.channel().hookedWindow, block.lparam(), post);
    block.read(request);
    // The hook marks a request it carried out; an unmarked one never reached the control.
    if (request.unused[0] != 1) throw RemoteError(L"The message could not be delivered to the control");
    return post ? 0 : static_cast<LRESULT>(request.wParam);
}

bool sendRemote(const HookChannel& channel, HWND target, UINT msg, WPARAM wParam, LPARAM lParam, bool post,
                LRESULT* result) {
    if (result) *result = 0;
    try {
        RemoteProcess process(channel);
        LRESULT r = sendRemote(process, target, msg, wParam, lParam, post);
        if (result) *result = r;
        return true;
    } catch (const common::ComError&) {
        return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

LRESULT sendDirect(HWND target, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(target, msg, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kRemoteSendTimeout,
                               &result)) {
        throw RemoteError(::IsWindow(target) ? L"The application did not handle the message in time"
                                             : L"The window of the application no longer exists");
    }
    return static_cast<LRESULT>(result);
}

bool sendTerminate(HWND hookedWindow, bool rebinding) {
    if (!hookedWindow || !::IsWindow(hookedWindow)) return false;
    DWORD_PTR ignored = 0;
    // When the process ends inside the call, the send reports failure although the
    // request was carried out; the caller waits for the process itself.
    ::SendMessageTimeoutA(hookedWindow, g_nMsgTerminate, rebinding ? 1 : 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                          kHookRequestTimeout, &ignored);
    return true;
}

} // namespace wrappers
