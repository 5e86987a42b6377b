#pragma once
// Making child wrappers: by kind for the typed properties, by window class for dlgItem
// and waitForWindow.
#include "wrappers.h"
#include <windows.h>
#include <wrl/client.h>

namespace wrappers {

class WrapperCore;

// The fourteen wrapper classes.
enum class WrapperKind {
    Wnd, Edit, Tab, ListView, Button, Static, TreeView, Dialog, RichEdit, ComboBox, ListBox, ToolBar, ToolTip, Menu,
    Count
};

// What the factory needs of a wrapper object besides its COM interfaces.
class WrapperObject {
public:
    virtual IWNDWrapper* wrapperInterface() = 0;  // no reference added
    virtual WrapperCore& core() = 0;

protected:
    ~WrapperObject() = default;
};

// Creates an object of one wrapper class with one reference, bound to the desktop.
using WrapperMaker = WrapperObject* (*)();

// Registers the class of a kind; used through TEVRIN_WRAPPER_CLASS.
struct WrapperClassRegistration {
    WrapperClassRegistration(WrapperKind kind, WrapperMaker maker);
};

// In the .cpp of a wrapper class, at namespace scope:
//   TEVRIN_WRAPPER_CLASS(ListView, ListViewCtrl);
#define TEVRIN_WRAPPER_CLASS(kind, Class)                                                             \
    static const ::wrappers::WrapperClassRegistration tevrinWrapperClass##Class(                       \
        ::wrappers::WrapperKind::kind, []() -> ::wrappers::WrapperObject* { return new Class(); })

// A new wrapper of `kind` with one reference, still bound to the desktop; throws
// WrapperError when the class of that kind is not part of this build.
WrapperObject* makeUnboundWrapper(WrapperKind kind);
// A new wrapper of `kind` bound to `window`. Throws WrapperError when the class of
// that kind is not part of this build.
Microsoft::WRL::ComPtr<IWNDWrapper> makeWrapper(WrapperKind kind, HWND window);

// Class-by-window dispatch: the kind whose window class equals `window`'s class
// (case-sensitive, first of the table), Wnd when none does.
WrapperKind kindOfWindow(HWND window);
// The object for a found window: a wrapper of kindOfWindow, or for an embedded browser
// window its HTML document.
Microsoft::WRL::ComPtr<IDispatch> objectForWindow(HWND window);

} // namespace wrappers
