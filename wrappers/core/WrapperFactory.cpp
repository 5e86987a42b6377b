#include "wrappers/core/WrapperFactory.h"
#include "common/ComObject.h"
#include "wrappers/core/HtmlDocumentAccess.h"
#include "wrappers/core/WindowSearch.h"
#include "wrappers/core/WrapperCore.h"
#include "wrappers/core/WrapperError.h"
#include <array>
#include <cstring>

using Microsoft::WRL::ComPtr;

namespace wrappers {
namespace {

std::array<WrapperMaker, static_cast<size_t>(WrapperKind::Count)>& makers() {
    static std::array<WrapperMaker, static_cast<size_t>(WrapperKind::Count)> table{};
    return table;
}

const char kHtmlWindowClass[] = "Internet Explorer_Server";

// Window classes in the order they are compared.
struct WindowClassEntry {
    const char* className;
    WrapperKind kind;
};
const WindowClassEntry kWindowClasses[] = {
    {"Edit", WrapperKind::Edit},
    {"SysTabControl32", WrapperKind::Tab},
    {"SysListView32", WrapperKind::ListView},
    {"Button", WrapperKind::Button},
    {"Static", WrapperKind::Static},
    {"SysTreeView32", WrapperKind::TreeView},
    {"#32770", WrapperKind::Dialog},
    {"RichEdit", WrapperKind::RichEdit},
    {"RichEdit20W", WrapperKind::RichEdit},
    {"RichEdit20A", WrapperKind::RichEdit},
    {"ComboBox", WrapperKind::ComboBox},
    {"ListBox", WrapperKind::ListBox},
    {"ToolbarWindow32", WrapperKind::ToolBar},
    {"tooltips_class32", WrapperKind::ToolTip},
};

std::string ansiClassName(HWND window) {
    char name[1024] = {};
    int n = ::GetClassNameA(window, name, 1024);
    return n > 0 ? std::string(name, static_cast<size_t>(n)) : std::string();
}

} // namespace

WrapperClassRegistration::WrapperClassRegistration(WrapperKind kind, WrapperMaker maker) {
    makers()[static_cast<size_t>(kind)] = maker;
}

WrapperObject* makeUnboundWrapper(WrapperKind kind) {
    WrapperMaker maker = makers()[static_cast<size_t>(kind)];
    if (!maker) throw WrapperError(L"This kind of control is not supported by this version of wrappers");
    return maker();
}

ComPtr<IWNDWrapper> makeWrapper(WrapperKind kind, HWND window) {
    WrapperObject* object = makeUnboundWrapper(kind);
    ComPtr<IWNDWrapper> wrapper;
    wrapper = common::Adopt(object->wrapperInterface());
    object->core().bindTo(window);
    return wrapper;
}

WrapperKind kindOfWindow(HWND window) {
    const std::string name = ansiClassName(window);
    for (const WindowClassEntry& entry : kWindowClasses)
        if (name == entry.className) return entry.kind;
    return WrapperKind::Wnd;
}

ComPtr<IDispatch> objectForWindow(HWND window) {
    if (ansiClassName(window) == kHtmlWindowClass) {
        ComPtr<ISynchronizer> synchronizer;
        ::CoCreateInstance(CLSID_Synchronizer, nullptr, CLSCTX_INPROC_SERVER, IID_ISynchronizer,
                           reinterpret_cast<void**>(synchronizer.GetAddressOf()));
        return handOutHtmlDocument(window, nullptr, synchronizer.Get(), L"Could not obtain a IHTMLDocument2 pointer");
    }
    WrapperKind kind = kindOfWindow(window);
    if (!makers()[static_cast<size_t>(kind)]) kind = WrapperKind::Wnd;
    ComPtr<IDispatch> object;
    common::ThrowIfFailed(makeWrapper(kind, window).As(&object));
    return object;
}

} // namespace wrappers
