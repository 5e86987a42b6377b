#include "wrappers/controls/RichEditCtrl.h"
#include "ostrel/ostrel.h"
#include "wrappers/hook/RemoteInterface.h"

using Microsoft::WRL::ComPtr;

namespace wrappers {

TEVRIN_WRAPPER_CLASS(RichEdit, RichEditCtrl);

STDMETHODIMP RichEditCtrl::get_tom(IDispatch** pVal) {
    return WrapperCall([&]() -> HRESULT {
        if (!pVal) return E_POINTER;
        *pVal = nullptr;
        HookChannel channel;
        HWND control;
        {
            std::lock_guard<std::recursive_mutex> lock(core().mutex());
            channel = channelOf(binding());
            control = binding().window;
        }
        RemoteObject answer = requestRemoteObject(channel, g_nMsgGetRichEditInterface, control);
        if (!answer.found) {
            // Not a failure: the script gets no object and can read why.
            SetErrorText(L"Could not obtain an ITextDocument interface");
            return S_OK;
        }
        ComPtr<IDispatch> document;
        if (!answer.object || FAILED(answer.object.As(&document))) return E_FAIL;
        *pVal = document.Detach();
        return S_OK;
    });
}

} // namespace wrappers
