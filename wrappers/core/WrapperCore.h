#pragma once
// The one implementation of IWNDWrapper and ITevrinAcc shared by every wrapper class;
// WrapperBase forwards each member here.
#include "wrappers/core/AccessibleMembers.h"
#include "wrappers/core/WindowBinding.h"
#include "wrappers/core/WrapperFactory.h"
#include <mutex>

namespace wrappers {

class WrapperCore {
public:
    WrapperCore() = default;
    WrapperCore(const WrapperCore&) = delete;
    WrapperCore& operator=(const WrapperCore&) = delete;

    // The binding, and the lock that guards it; hold the lock while changing it.
    WindowBinding& binding() { return binding_; }
    std::recursive_mutex& mutex() { return mutex_; }
    // The bound window, read under the lock (null after a terminating release).
    HWND window();
    void bindTo(HWND window);
    // Stands for an accessible object found by a role search: no hook, no process id.
    void bindToAccessible(const Microsoft::WRL::ComPtr<IAccessible>& object);

    // IWNDWrapper
    HRESULT getValue(BSTR* value);
    HRESULT putValue(BSTR value);
    HRESULT connect(LONG handle);
    HRESULT getHwnd(LONG* handle);
    HRESULT childWrapper(WrapperKind kind, VARIANT wndID, BSTR className, IDispatch** result);
    HRESULT accObj(ULONG objectId, BSTR className, VARIANT wndID, IDispatch** result);
    HRESULT mshtml(VARIANT wndID, BSTR className, IDispatch** result);
    HRESULT menu(VARIANT wndID, IDispatch** result);
    HRESULT click(LONG button, LONG x, LONG y, LONG shift, LONG ctrl, LONG alt, bool doubleClick);
    HRESULT screenshot(VARIANT_BOOL windowOnly, BSTR fileName);
    HRESULT bringToForeground();
    HRESULT dlgItem(LONG id, IDispatch** result);
    HRESULT waitForWindow(VARIANT wndID, BSTR className, LONG timeoutSeconds, IDispatch** result);
    HRESULT exists(VARIANT wndID, BSTR className, VARIANT_BOOL* result);
    HRESULT appExecute(BSTR commandLine, BSTR appTitle, BSTR startIn, VARIANT_BOOL wait, LONG* exitCode);
    HRESULT appAttach(BSTR appTitle);
    HRESULT appRelease(VARIANT_BOOL terminate, LONG* exitCode);

    // IWNDWrapper2
    HRESULT keys(BSTR keys);

    // ITevrinAcc: the IAccessible members forward to the bound accessible object.
    HRESULT accParent(IDispatch** result);
    HRESULT accChildCount(LONG* result);
    HRESULT accChild(VARIANT child, IDispatch** result);
    HRESULT accName(VARIANT child, BSTR* result);
    HRESULT accValue(VARIANT child, BSTR* result);
    HRESULT accDescription(VARIANT child, BSTR* result);
    HRESULT accRole(VARIANT child, VARIANT* result);
    HRESULT accState(VARIANT child, VARIANT* result);
    HRESULT accHelp(VARIANT child, BSTR* result);
    HRESULT accHelpTopic(BSTR* helpFile, VARIANT child, LONG* result);
    HRESULT accKeyboardShortcut(VARIANT child, BSTR* result);
    HRESULT accFocus(VARIANT* result);
    HRESULT accSelection(VARIANT* result);
    HRESULT accDefaultAction(VARIANT child, BSTR* result);
    HRESULT accSelect(LONG flags, VARIANT child);
    HRESULT accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child);
    HRESULT accNavigate(LONG direction, VARIANT start, VARIANT* result);
    HRESULT accHitTest(LONG x, LONG y, VARIANT* result);
    HRESULT accDoDefaultAction(VARIANT child);
    HRESULT putAccName(VARIANT child, BSTR name);
    HRESULT putAccValue(VARIANT child, BSTR value);
    HRESULT accClick(VARIANT wndID, LONG button, LONG x, LONG y, LONG shift, LONG ctrl, LONG alt, bool doubleClick);
    HRESULT accExists(VARIANT wndID, LONG role, VARIANT_BOOL* result);
    HRESULT accRoleProperty(LONG role, VARIANT wndID, IDispatch** result);
    HRESULT accStateProperty(LONG mask, VARIANT wndID, VARIANT_BOOL* result);

private:
    Microsoft::WRL::ComPtr<IAccessible> accessible();

    std::recursive_mutex mutex_;
    WindowBinding binding_;
};

} // namespace wrappers
