#pragma once
// The HTML document of an embedded browser window ("Internet Explorer_Server") of the
// application under test, for mshtml and the class-by-window dispatch.
#include "wrappers.h"
#include "wrappers/hook/RemoteBuffer.h"
#include <windows.h>
#include <mshtml.h>
#include <string>
#include <wrl/client.h>

namespace wrappers {

// The document of `window`: first through accessibility (the window's accessible object
// as a service provider of its IHTMLWindow2), then through the hook library. `channel`
// is the hook channel to use when its hooked window runs on `window`'s thread; otherwise
// a hook is installed on that thread for the request. Null when neither road gives a
// document. Throws a ComError with the HRESULT when the hook's object is not an HTML
// document, RemoteError when the application does not answer the hook.
Microsoft::WRL::ComPtr<IHTMLDocument2> htmlDocumentOfWindow(HWND window, const HookChannel* channel);

// The document of `window` as IDispatch, registered with `synchronizer` (when there is
// one) so that synchronize waits for it. Throws WrapperError(missingMessage) when the
// window gives no document.
Microsoft::WRL::ComPtr<IDispatch> handOutHtmlDocument(HWND window, const HookChannel* channel,
                                                      ISynchronizer* synchronizer,
                                                      const std::wstring& missingMessage);

} // namespace wrappers
