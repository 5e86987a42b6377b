#include "wrappers/core/WrapperCore.h"
#include "common/ComObject.h"
#include "common/Bstr.h"
#include "common/TextConv.h"
#include "common/UniqueHandle.h"
#include "common/Variant.h"
#include "common/Oleacc.h"
#include "wrappers/core/ApplicationControl.h"
#include "wrappers/core/HtmlDocumentAccess.h"
#include "wrappers/core/InputSimulation.h"
#include "wrappers/core/MatchText.h"
#include "wrappers/core/Screenshot.h"
#include "wrappers/core/WindowSearch.h"
#include "wrappers/core/WrapperError.h"
#include "wrappers/controls/MenuCtrl.h"
#include <vector>

using Microsoft::WRL::ComPtr;

namespace wrappers {
namespace {

// How long a control may take to answer a text message before the member fails.
const DWORD kTextMessageTimeout = 30000;
// Accessible trees are searched at most this deep (some servers build cycles).
const int kMaxAccessibleDepth = 64;


VARIANT selfChild() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

// The children of an accessible object as AccessibleChildren gives them.
std::vector<common::Variant> childrenOf(IAccessible* parent) {
    std::vector<common::Variant> result;
    const common::Oleacc& oleacc = common::Oleacc::Instance();
    LONG count = 0;
    if (!oleacc.accessibleChildren || FAILED(parent->get_accChildCount(&count)) || count <= 0) return result;
    std::vector<VARIANT> raw(static_cast<size_t>(count));
    for (VARIANT& v : raw) ::VariantInit(&v);
    LONG obtained = 0;
    if (SUCCEEDED(oleacc.accessibleChildren(parent, 0, count, raw.data(), &obtained))) {
        for (LONG i = 0; i < obtained && i < count; ++i) {
            result.emplace_back();
            *result.back().get() = raw[static_cast<size_t>(i)];  // takes over the reference
        }
    }
    return result;
}

std::optional<std::wstring> nameOf(IAccessible* object, VARIANT child) {
    common::Bstr name;
    if (FAILED(object->get_accName(child, name.put())) || !name.get()) return std::nullopt;
    return name.str();
}

LONG roleOf(IAccessible* object, VARIANT child) {
    common::Variant role;
    if (FAILED(object->get_accRole(child, role.put()))) return -1;
    long value = -1;
    return role.type() == VT_I4 && role.toLong(value) ? value : -1;
}

// Where a forwarded member goes: an object child is asked about itself, a simple
// element through its parent.
struct ResolvedChild {
    ComPtr<IAccessible> target;
    common::Variant child;
};

ResolvedChild resolveChild(const ComPtr<IAccessible>& accessible, const VARIANT& wndID) {
    ResolvedChild resolved{accessible, {}};
    VARIANT plain;
    ::VariantInit(&plain);
    if (FAILED(::VariantCopyInd(&plain, const_cast<VARIANT*>(&wndID)))) {
        *resolved.child.put() = selfChild();
        return resolved;
    }
    if (plain.vt == VT_ERROR) {
        *resolved.child.put() = selfChild();
        return resolved;
    }
    if (plain.vt != VT_BSTR) {
        *resolved.child.put() = plain;
        return resolved;
    }
    const std::wstring pattern = common::BstrText(plain.bstrVal);
    for (common::Variant& child : childrenOf(accessible.Get())) {
        if (child.type() == VT_DISPATCH) {
            ComPtr<IAccessible> object;
            if (!child.get()->pdispVal || FAILED(child.get()->pdispVal->QueryInterface(IID_PPV_ARGS(&object)))) {
                *resolved.child.put() = plain;  // the search ends; the string goes through
                return resolved;
            }
            if (matchText(nameOf(object.Get(), selfChild()), pattern)) {
                ::VariantClear(&plain);
                resolved.target = object;
                *resolved.child.put() = selfChild();
                return resolved;
            }
        } else if (child.type() == VT_I4) {
            if (matchText(nameOf(accessible.Get(), *child.get()), pattern)) {
                ::VariantClear(&plain);
                resolved.child = child;
                return resolved;
            }
        }
    }
    ::VariantClear(&plain);
    *resolved.child.put() = selfChild();
    return resolved;
}

// Objects whose children a role search has visited, by COM identity.
using VisitedObjects = std::vector<ComPtr<IUnknown>>;

// False when `object` was visited before: a server that lists an ancestor among its
// children would otherwise make the search run through the same objects again and again.
bool firstVisit(IAccessible* object, VisitedObjects& visited) {
    ComPtr<IUnknown> identity;
    if (FAILED(object->QueryInterface(IID_PPV_ARGS(&identity)))) return true;
    for (const ComPtr<IUnknown>& seen : visited)
        if (seen.Get() == identity.Get()) return false;  // ComPtr has no comparison of its own
    visited.push_back(identity);
    return true;
}

// Depth-first search for the accessible object of `role` named or numbered by `id`.
HRESULT searchRole(IAccessible* parent, LONG role, const WindowId& id, long& counter,
                   ComPtr<IAccessible>& found, int depth, VisitedObjects& visited) {
    if (depth > kMaxAccessibleDepth || !firstVisit(parent, visited)) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    std::vector<common::Variant> children = childrenOf(parent);
    if (children.empty()) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    auto wanted = [&](const std::optional<std::wstring>& name) {
        if (id.kind == WindowId::Kind::Title) return matchText(name, id.title);
        return id.kind == WindowId::Kind::Index && id.index == counter;
    };
    for (common::Variant& child : children) {
        if (child.type() == VT_DISPATCH) {
            ComPtr<IAccessible> object;
            if (!child.get()->pdispVal) continue;
            HRESULT hr = child.get()->pdispVal->QueryInterface(IID_PPV_ARGS(&object));
            if (FAILED(hr)) return hr;
            if (roleOf(object.Get(), selfChild()) == role) {
                if (wanted(nameOf(object.Get(), selfChild()))) {
                    found = object;
                    return S_OK;
                }
                ++counter;
            }
            if (searchRole(object.Get(), role, id, counter, found, depth + 1, visited) == S_OK) return S_OK;
        } else if (child.type() == VT_I4) {
            if (roleOf(parent, *child.get()) == role) {
                if (wanted(nameOf(parent, *child.get()))) {
                    found = parent;
                    return S_OK;
                }
                ++counter;
            }
            ComPtr<IDispatch> inner;
            ComPtr<IAccessible> innerObject;
            if (SUCCEEDED(parent->get_accChild(*child.get(), &inner)) && inner &&
                SUCCEEDED(inner.As(&innerObject)) &&
                searchRole(innerObject.Get(), role, id, counter, found, depth + 1, visited) == S_OK)
                return S_OK;
        }
    }
    return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

} // namespace

HWND WrapperCore::window() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return binding_.window;
}

void WrapperCore::bindTo(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    binding_.bind(window);
}

void WrapperCore::bindToAccessible(const ComPtr<IAccessible>& object) {
    HWND window = nullptr;
    const common::Oleacc& oleacc = common::Oleacc::Instance();
    if (oleacc.windowFromAccessibleObject) oleacc.windowFromAccessibleObject(object.Get(), &window);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    binding_.bindAccessible(object, window);
}

ComPtr<IAccessible> WrapperCore::accessible() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return binding_.accessibleHere();
}

// ---- IWNDWrapper ----

HRESULT WrapperCore::getValue(BSTR* value) {
    return WrapperCall([&] {
        if (!value) return E_POINTER;
        *value = nullptr;
        HWND target = window();
        DWORD_PTR length = 0;
        if (!::SendMessageTimeoutA(target, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                   kTextMessageTimeout, &length)) {
            // A window that is gone reads as empty; one that does not answer is an error.
            if (target && ::IsWindow(target)) throw WrapperError(L"The window did not answer within 30 seconds");
            *value = ::SysAllocString(L"");
            return S_OK;
        }
        *value = common::Bstr(readWindowText(target, kTextMessageTimeout)).release();
        if (!*value) *value = ::SysAllocString(L"");
        return S_OK;
    });
}

HRESULT WrapperCore::putValue(BSTR value) {
    return WrapperCall([&] {
        HWND target = window();
        std::string ansi = value ? common::WideToAnsi(common::BstrText(value)) : std::string();
        DWORD_PTR ignored = 0;
        if (!::SendMessageTimeoutA(target, WM_SETTEXT, 0, value ? reinterpret_cast<LPARAM>(ansi.c_str()) : 0,
                                   SMTO_NORMAL | SMTO_ABORTIFHUNG, kTextMessageTimeout, &ignored) &&
            target && ::IsWindow(target))
            throw WrapperError(L"The window did not answer within 30 seconds");
        return S_OK;
    });
}

HRESULT WrapperCore::connect(LONG handle) {
    return WrapperCall([&] {
        // Window handles are 32-bit values on 64-bit Windows too; sign extension restores them.
        bindTo(reinterpret_cast<HWND>(static_cast<LONG_PTR>(handle)));
        return S_OK;
    });
}

HRESULT WrapperCore::getHwnd(LONG* handle) {
    if (!handle) return E_POINTER;
    *handle = static_cast<LONG>(reinterpret_cast<LONG_PTR>(window()));
    return S_OK;
}

HRESULT WrapperCore::childWrapper(WrapperKind kind, VARIANT wndID, BSTR className, IDispatch** result) {
    return WrapperCall([&] {
        if (!result) return E_POINTER;
        *result = nullptr;
        const WindowId id = WindowId::from(&wndID);
        const std::wstring pattern = common::BstrText(className);
        HWND bound;
        DWORD processId;
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            bound = binding_.window;
            processId = binding_.processId;
        }
        HWND found = findWindow(bound, processId, id, pattern, false);
        if (!found) throw WrapperError(windowNotFoundMessage(id, pattern));
        ComPtr<IDispatch> object;
        common::ThrowIfFailed(makeWrapper(kind, found).As(&object));
        *result = object.Detach();
        return S_OK;
    });
}

HRESULT WrapperCore::accObj(ULONG objectId, BSTR className, VARIANT wndID, IDispatch** result) {
    return WrapperCall([&] {
        if (!result) return E_POINTER;
        *result = nullptr;
        HWND target;
        DWORD processId;
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            target = binding_.window;
            processId = binding_.processId;
        }
        const std::wstring pattern = common::BstrText(className);
        if (!pattern.empty()) {
            const WindowId id = WindowId::from(&wndID);
            target = findWindow(target, processId, id, pattern, false);
            if (!target) throw WrapperError(windowNotFoundMessage(id, pattern));
        }
        const common::Oleacc& oleacc = common::Oleacc::Instance();
        ComPtr<IUnknown> object;
        ComPtr<IDispatch> dispatch;
        if (!oleacc.accessibleObjectFromWindow ||
            FAILED(oleacc.accessibleObjectFromWindow(target, objectId, IID_IUnknown,
                                                      reinterpret_cast<void**>(object.GetAddressOf()))) ||
            !object || FAILED(object.As(&dispatch)))
            throw WrapperError(L"Could not obtain an IAccessible pointer");
        *result = dispatch.Detach();
        return S_OK;
    });
}

HRESULT WrapperCore::mshtml(VARIANT wndID, BSTR className, IDispatch** result) {
    return WrapperCall([&] {
        if (!result) return E_POINTER;
        *result = nullptr;
        const WindowId id = WindowId::from(&wndID);
        const std::wstring pattern = common::BstrText(className);
        HWND bound;
        DWORD processId;
        HookChannel channel;
        ComPtr<ISynchronizer> synchronizer;
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            bound = binding_.window;
            processId = binding_.processId;
            channel = channelOf(binding_);
            synchronizer = binding_.synchronizer;
        }
        HWND found = findWindow(bound, processId, id, pattern, false);
        if (!found) throw WrapperError(windowNotFoundMessage(id, pattern));
        *result = handOutHtmlDocument(found, &channel, synchronizer.Get(), L"Could not obtain an IHTMLDocument2 pointer")
                      .Detach();
        return S_OK;
    });
}

HRESULT WrapperCore::menu(VARIANT wndID, IDispatch** result) {
    return WrapperCall([&] {
        if (!result) return E_POINTER;
        *result = nullptr;
        *result = menuOf(*this, wndID).Detach();
        return S_OK;
    });
}

HRESULT WrapperCore::click(LONG button, LONG x, LONG y, LONG shift, LONG ctrl, LONG alt, bool doubleClick) {
    return WrapperCall([&] {
        if (!ClickWindow(window(), button, x, y, shift != 0, ctrl != 0, alt != 0, doubleClick))
            throw WrapperError(L"Cannot click: the window no longer exists");
        return S_OK;
    });
}

HRESULT WrapperCore::keys(BSTR keys) {
    return WrapperCall([&] {
        TypeKeys(window(), common::BstrText(keys));
        return S_OK;
    });
}

HRESULT WrapperCore::screenshot(VARIANT_BOOL windowOnly, BSTR fileName) {
    return common::ComBoundary([&] {
        // Failures carry no error information, not even a stale one from an earlier call.
        ::SetErrorInfo(0, nullptr);
        return TakeScreenshot(window(), windowOnly != VARIANT_FALSE, common::BstrText(fileName));
    });
}

HRESULT WrapperCore::bringToForeground() {
    return WrapperCall([&] {
        BringToForeground(window());
        return S_OK;
    });
}

HRESULT WrapperCore::dlgItem(LONG id, IDispatch** result) {
    return WrapperCall([&] {
        if (!result) return E_POINTER;
        *result = nullptr;
        HWND item = ::GetDlgItem(window(), id);
        if (!item) throw WrapperError(L"Cannot find dialog item id=" + std::to_wstring(id));
        *result = objectForWindow(item).Detach();
        return S_OK;
    });
}

HRESULT WrapperCore::waitForWindow(VARIANT wndID, BSTR className, LONG timeoutSeconds, IDispatch** result) {
    return WrapperCall([&] {
        if (!result) return E_POINTER;
        *result = nullptr;
        const WindowId id = WindowId::from(&wndID);
        const std::wstring pattern = common::BstrText(className);
        const ULONGLONG start = ::GetTickCount64();
        for (;;) {
            HWND bound;
            DWORD processId;
            {
                std::lock_guard<std::recursive_mutex> lock(mutex_);
                bound = binding_.window;
                processId = binding_.processId;
            }
            if (HWND found = findWindow(bound, processId, id, pattern, true)) {
                *result = objectForWindow(found).Detach();
                return S_OK;
            }
            const ULONGLONG elapsedSeconds = (::GetTickCount64() - start) / 1000;
            if (timeoutSeconds != -1 && static_cast<LONGLONG>(elapsedSeconds) >= timeoutSeconds) return S_OK;
            ::Sleep(100);
        }
    });
}

HRESULT WrapperCore::exists(VARIANT wndID, BSTR className, VARIANT_BOOL* result) {
    return WrapperCall([&] {
        if (!result) return E_POINTER;
        HWND bound;
        DWORD processId;
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            bound = binding_.window;
            processId = binding_.processId;
        }
        *result = findWindow(bound, processId, WindowId::from(&wndID), common::BstrText(className), false) ? VARIANT_TRUE
                                                                                             : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT WrapperCore::appExecute(BSTR commandLine, BSTR appTitle, BSTR startIn, VARIANT_BOOL wait, LONG* exitCode) {
    return WrapperCall([&] {
        if (!exitCode) return E_POINTER;
        *exitCode = 0;
        LaunchResult launched = launchApplication(common::BstrText(commandLine), common::BstrText(appTitle), common::BstrText(startIn), wait != VARIANT_FALSE);
        if (launched.mainWindow) bindTo(launched.mainWindow);
        if (launched.exitCode) *exitCode = static_cast<LONG>(*launched.exitCode);
        return S_OK;
    });
}

HRESULT WrapperCore::appAttach(BSTR appTitle) {
    return WrapperCall([&] {
        const std::wstring title = common::BstrText(appTitle);
        HWND found = findMainWindow(title, 0, 0);
        if (!found) throw WrapperError(L"Cannot find application matching " + title);
        bindTo(found);
        return S_OK;
    });
}

HRESULT WrapperCore::appRelease(VARIANT_BOOL terminate, LONG* exitCode) {
    return WrapperCall([&] {
        if (!exitCode) return E_POINTER;
        *exitCode = 0;
        if (!terminate) return S_OK;
        HWND target;
        {
            std::lock_guard<std::recursive_mutex> lock(mutex_);
            target = binding_.window;
            // An unbound wrapper stands for the desktop: ending its process would take the
            // user's shell down, not an application under test.
            if (target == ::GetDesktopWindow()) throw WrapperError(L"No application is attached");
            binding_.clearWindow();
        }
        std::optional<DWORD> code = terminateApplication(target);
        if (code) *exitCode = static_cast<LONG>(*code);
        return S_OK;
    });
}

// ---- ITevrinAcc ----

#define TEVRIN_FORWARD_CHILD(call)                                              \
    return WrapperCall([&]() -> HRESULT {                                      \
        ComPtr<IAccessible> object = accessible();                             \
        if (!object) return E_NOTIMPL;                                         \
        ResolvedChild resolved = resolveChild(object, child);                  \
        IAccessible* target = resolved.target.Get();                           \
        VARIANT& resolvedChild = *resolved.child.get();                        \
        return call;                                                           \
    })
#define TEVRIN_FORWARD(call)                                                    \
    return WrapperCall([&]() -> HRESULT {                                      \
        ComPtr<IAccessible> target = accessible();                             \
        if (!target) return E_NOTIMPL;                                         \
        return call;                                                           \
    })

HRESULT WrapperCore::accParent(IDispatch** result) { TEVRIN_FORWARD(target->get_accParent(result)); }
HRESULT WrapperCore::accChildCount(LONG* result) { TEVRIN_FORWARD(target->get_accChildCount(result)); }
HRESULT WrapperCore::accChild(VARIANT child, IDispatch** result) {
    return WrapperCall([&]() -> HRESULT {
        ComPtr<IAccessible> object = accessible();
        if (!object) return E_NOTIMPL;
        ResolvedChild resolved = resolveChild(object, child);
        // A name that picked a child object: that object is the answer.
        if (resolved.target.Get() != object.Get() && resolved.child.type() == VT_I4 &&
            resolved.child.get()->lVal == CHILDID_SELF) {
            if (!result) return E_POINTER;
            *result = resolved.target.Get();  // IAccessible is an IDispatch
            (*result)->AddRef();
            return S_OK;
        }
        return resolved.target->get_accChild(*resolved.child.get(), result);
    });
}
HRESULT WrapperCore::accName(VARIANT child, BSTR* result) { TEVRIN_FORWARD_CHILD(target->get_accName(resolvedChild, result)); }
HRESULT WrapperCore::accValue(VARIANT child, BSTR* result) { TEVRIN_FORWARD_CHILD(target->get_accValue(resolvedChild, result)); }
HRESULT WrapperCore::accDescription(VARIANT child, BSTR* result) {
    TEVRIN_FORWARD_CHILD(target->get_accDescription(resolvedChild, result));
}
HRESULT WrapperCore::accRole(VARIANT child, VARIANT* result) { TEVRIN_FORWARD_CHILD(target->get_accRole(resolvedChild, result)); }
HRESULT WrapperCore::accState(VARIANT child, VARIANT* result) { TEVRIN_FORWARD_CHILD(target->get_accState(resolvedChild, result)); }
HRESULT WrapperCore::accHelp(VARIANT child, BSTR* result) { TEVRIN_FORWARD_CHILD(target->get_accHelp(resolvedChild, result)); }
HRESULT WrapperCore::accHelpTopic(BSTR* helpFile, VARIANT child, LONG* result) {
    TEVRIN_FORWARD_CHILD(target->get_accHelpTopic(helpFile, resolvedChild, result));
}
HRESULT WrapperCore::accKeyboardShortcut(VARIANT child, BSTR* result) {
    TEVRIN_FORWARD_CHILD(target->get_accKeyboardShortcut(resolvedChild, result));
}
HRESULT WrapperCore::accFocus(VARIANT* result) { TEVRIN_FORWARD(target->get_accFocus(result)); }
HRESULT WrapperCore::accSelection(VARIANT* result) { TEVRIN_FORWARD(target->get_accSelection(result)); }
HRESULT WrapperCore::accDefaultAction(VARIANT child, BSTR* result) {
    TEVRIN_FORWARD_CHILD(target->get_accDefaultAction(resolvedChild, result));
}
HRESULT WrapperCore::accSelect(LONG flags, VARIANT child) { TEVRIN_FORWARD_CHILD(target->accSelect(flags, resolvedChild)); }
HRESULT WrapperCore::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
    TEVRIN_FORWARD_CHILD(target->accLocation(left, top, width, height, resolvedChild));
}
HRESULT WrapperCore::accNavigate(LONG direction, VARIANT start, VARIANT* result) {
    VARIANT& child = start;
    TEVRIN_FORWARD_CHILD(target->accNavigate(direction, resolvedChild, result));
}
HRESULT WrapperCore::accHitTest(LONG x, LONG y, VARIANT* result) { TEVRIN_FORWARD(target->accHitTest(x, y, result)); }
HRESULT WrapperCore::accDoDefaultAction(VARIANT child) { TEVRIN_FORWARD_CHILD(target->accDoDefaultAction(resolvedChild)); }
HRESULT WrapperCore::putAccName(VARIANT child, BSTR name) { TEVRIN_FORWARD_CHILD(target->put_accName(resolvedChild, name)); }
HRESULT WrapperCore::putAccValue(VARIANT child, BSTR value) { TEVRIN_FORWARD_CHILD(target->put_accValue(resolvedChild, value)); }

#undef TEVRIN_FORWARD_CHILD
#undef TEVRIN_FORWARD

HRESULT WrapperCore::accClick(VARIANT wndID, LONG button, LONG x, LONG y, LONG shift, LONG ctrl, LONG alt,
                              bool doubleClick) {
    return WrapperCall([&]() -> HRESULT {
        ComPtr<IAccessible> object = accessible();
        if (!object) return E_FAIL;
        ResolvedChild resolved = resolveChild(object, wndID);
        BringToForeground(window());
        LONG left = 0, top = 0, width = 0, height = 0;
        // Clicking at a made-up point would hit whatever lies there.
        if (FAILED(resolved.target->accLocation(&left, &top, &width, &height, *resolved.child.get())))
            throw WrapperError(L"Cannot find the location of the accessible object");
        const POINT point{left + (x == -1 ? width / 2 : x), top + (y == -1 ? height / 2 : y)};
        ClickAt(point, button, shift != 0, ctrl != 0, alt != 0, doubleClick);
        return S_OK;
    });
}

HRESULT WrapperCore::accExists(VARIANT wndID, LONG role, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    ComPtr<IDispatch> found;
    HRESULT hr = accRoleProperty(role, wndID, &found);
    ::SetErrorInfo(0, nullptr);
    *result = hr == S_OK && found ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT WrapperCore::accRoleProperty(LONG role, VARIANT wndID, IDispatch** result) {
    return WrapperCall([&]() -> HRESULT {
        if (!result) return E_POINTER;
        *result = nullptr;
        if (!common::Oleacc::Instance().accessibleChildren) return E_NOTIMPL;
        ComPtr<IAccessible> root = accessible();
        if (!root) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        const WindowId id = WindowId::from(&wndID);
        long counter = 0;
        ComPtr<IAccessible> found;
        VisitedObjects visited;
        HRESULT hr = searchRole(root.Get(), role, id, counter, found, 0, visited);
        if (hr != S_OK) return hr;
        WrapperObject* object = makeUnboundWrapper(WrapperKind::Wnd);
        ComPtr<IWNDWrapper> wrapper;
        wrapper = common::Adopt(object->wrapperInterface());
        object->core().bindToAccessible(found);
        ComPtr<IDispatch> dispatch;
        common::ThrowIfFailed(wrapper.As(&dispatch));
        *result = dispatch.Detach();
        return S_OK;
    });
}

HRESULT WrapperCore::accStateProperty(LONG mask, VARIANT wndID, VARIANT_BOOL* result) {
    return WrapperCall([&]() -> HRESULT {
        if (!result) return E_POINTER;
        *result = VARIANT_FALSE;
        ComPtr<IAccessible> object = accessible();
        if (!object) return E_FAIL;
        ResolvedChild resolved = resolveChild(object, wndID);
        common::Variant state;
        common::ThrowIfFailed(resolved.target->get_accState(*resolved.child.get(), state.put()));
        long bits = 0;
        if (state.toLong(bits) && (static_cast<ULONG>(bits) & static_cast<ULONG>(mask))) *result = VARIANT_TRUE;
        return S_OK;
    });
}

} // namespace wrappers
