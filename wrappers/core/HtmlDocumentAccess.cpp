#include "wrappers/core/HtmlDocumentAccess.h"
#include "common/ComError.h"
#include "ostrel/ostrel.h"
#include "common/Oleacc.h"
#include "wrappers/core/WindowBinding.h"
#include "wrappers/core/WrapperError.h"
#include "wrappers/hook/RemoteInterface.h"
#include <servprov.h>

using Microsoft::WRL::ComPtr;

namespace wrappers {
namespace {

ComPtr<IHTMLDocument2> documentThroughAccessibility(HWND window) {
    const common::Oleacc& oleacc = common::Oleacc::Instance();
    ComPtr<IUnknown> object;
    ComPtr<IServiceProvider> services;
    ComPtr<IHTMLWindow2> htmlWindow;
    ComPtr<IHTMLDocument2> document;
    if (!oleacc.accessibleObjectFromWindow ||
        FAILED(oleacc.accessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), IID_IUnknown,
                                                  reinterpret_cast<void**>(object.GetAddressOf()))) ||
        !object || FAILED(object.As(&services)) ||
        FAILED(services->QueryService(IID_IHTMLWindow2, IID_IHTMLWindow2,
                                      reinterpret_cast<void**>(htmlWindow.GetAddressOf()))) ||
        !htmlWindow || FAILED(htmlWindow->get_document(&document)))
        return nullptr;
    return document;
}

bool sameThread(HWND a, HWND b) {
    return a && b && ::GetWindowThreadProcessId(a, nullptr) == ::GetWindowThreadProcessId(b, nullptr);
}

ComPtr<IHTMLDocument2> documentThroughHook(HWND window, const HookChannel* channel) {
    RemoteObject answer;
    if (channel && sameThread(channel->hookedWindow, window)) {
        answer = requestRemoteObject(*channel, g_nMsgUnknownFromWndData, window);
    } else {
        // The hook runs only on the thread it was installed for: the wrapper's own hook
        // does not reach a browser window of another thread or process.
        WindowBinding own;
        own.bind(window);
        if (!own.hook) return nullptr;
        answer = requestRemoteObject(channelOf(own), g_nMsgUnknownFromWndData, window);
    }
    if (!answer.object) return nullptr;
    ComPtr<IHTMLDocument2> document;
    common::ThrowIfFailed(answer.object.As(&document));
    return document;
}

} // namespace

ComPtr<IHTMLDocument2> htmlDocumentOfWindow(HWND window, const HookChannel* channel) {
    if (ComPtr<IHTMLDocument2> document = documentThroughAccessibility(window)) return document;
    return documentThroughHook(window, channel);
}

ComPtr<IDispatch> handOutHtmlDocument(HWND window, const HookChannel* channel, ISynchronizer* synchronizer,
                                      const std::wstring& missingMessage) {
    ComPtr<IHTMLDocument2> document = htmlDocumentOfWindow(window, channel);
    if (!document) throw WrapperError(missingMessage);
    ComPtr<IDispatch> dispatch;
    common::ThrowIfFailed(document.As(&dispatch));
    if (synchronizer) common::ThrowIfFailed(synchronizer->add_mshtml(dispatch.Get()));
    return dispatch;
}

} // namespace wrappers
