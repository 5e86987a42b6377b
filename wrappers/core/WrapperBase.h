#pragma once
// Base of every wrapper class: reference counting, QueryInterface, IDispatch from the
// type library, ISupportErrorInfo, the module lock, and every member of IWNDWrapper2,
// IWNDWrapper and ITevrinAcc (forwarded to the shared WrapperCore). Wrappers are free-threaded: a
// script's apartment calls the object itself, never a proxy, so every member is safe on
// any thread and what the binding holds is usable from any apartment.
//
// Adding a wrapper class (for example a list view wrapper in
// wrappers/controls/ListViewCtrl.{h,cpp}):
//
//   class ListViewCtrl final : public WrapperBase<IListViewCtrl> {
//   public:
//       STDMETHODIMP get_count(LONG* pVal) override;   // the members IListViewCtrl adds
//       ...
//   };
//
//   // ListViewCtrl.cpp, at namespace scope: the class's entry in the class-by-window
//   // dispatch (WrapperFactory.cpp maps "SysListView32" to WrapperKind::ListView).
//   TEVRIN_WRAPPER_CLASS(ListView, ListViewCtrl);
//
//   STDMETHODIMP ListViewCtrl::get_count(LONG* pVal) {
//       return WrapperCall([&] {            // errors: throw WrapperError(L"message")
//           if (!pVal) return E_POINTER;
//           HWND control = window();        // the bound control
//           ... binding() for the hook channel (RemoteBuffer, sendRemote) ...
//           ... binding().takeAsync() before an operation that may block ...
//           return S_OK;
//       });
//   }
//
// Nothing else is needed: the source folders are globbed, and the class is then made by
// the typed property (listview) and for windows of its class (dlgItem, waitForWindow).
#include "common/FreeThreaded.h"
#include "wrappers/core/Dispatch.h"
#include "wrappers/core/WrapperCore.h"
#include "wrappers/core/WrapperError.h"
#include "wrappers/core/WrappersModule.h"
#include <atomic>

namespace wrappers {

// Every class also implements IWNDWrapper2, the members added to all wrappers later: its
// own interface stays what it was for clients built against it, and its IDispatch (whose
// type information, and so TypeName, stays that of its own interface) resolves the names
// its own interface lacks through IWNDWrapper2.
template <typename Interface>
class WrapperBase
    : public common::FreeThreaded<DispatchImpl<Interface, ITevrinAcc, IWNDWrapper>, IWNDWrapper2, ISupportErrorInfo>,
      public WrapperObject {
    using Dispatch = DispatchImpl<Interface, ITevrinAcc, IWNDWrapper>;

public:
    WrapperBase() : module_(WrappersModule::locks()) {}

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == IID_ITevrinAcc || riid == IID_IWNDWrapper || riid == IID_IWNDWrapper2 ||
                       riid == __uuidof(Interface)
                   ? S_OK
                   : S_FALSE;
    }

    // IDispatch, for both the class's own interface and IWNDWrapper2.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return Dispatch::GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return Dispatch::GetTypeInfo(index, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        HRESULT hr = Dispatch::GetIDsOfNames(riid, names, count, lcid, ids);
        if (hr == DISP_E_UNKNOWNNAME) hr = idsOfNamesThroughTypeInfo(IID_IWNDWrapper2, names, count, ids);
        return hr;
    }
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        HRESULT hr = Dispatch::Invoke(member, riid, lcid, flags, params, result, exception, argError);
        if (hr == DISP_E_MEMBERNOTFOUND)
            hr = invokeThroughTypeInfo(static_cast<IWNDWrapper2*>(this), IID_IWNDWrapper2, member, flags, params,
                                       result, exception, argError);
        return hr;
    }

    // WrapperObject
    IWNDWrapper* wrapperInterface() override { return static_cast<Interface*>(static_cast<Dispatch*>(this)); }
    WrapperCore& core() override { return core_; }

    // ITevrinAcc
    STDMETHODIMP get_accParent(IDispatch** p) override { return core_.accParent(p); }
    STDMETHODIMP get_accChildCount(LONG* p) override { return core_.accChildCount(p); }
    STDMETHODIMP get_accChild(VARIANT c, IDispatch** p) override { return core_.accChild(c, p); }
    STDMETHODIMP get_accName(VARIANT c, BSTR* p) override { return core_.accName(c, p); }
    STDMETHODIMP get_accValue(VARIANT c, BSTR* p) override { return core_.accValue(c, p); }
    STDMETHODIMP get_accDescription(VARIANT c, BSTR* p) override { return core_.accDescription(c, p); }
    STDMETHODIMP get_accRole(VARIANT c, VARIANT* p) override { return core_.accRole(c, p); }
    STDMETHODIMP get_accState(VARIANT c, VARIANT* p) override { return core_.accState(c, p); }
    STDMETHODIMP get_accHelp(VARIANT c, BSTR* p) override { return core_.accHelp(c, p); }
    STDMETHODIMP get_accHelpTopic(BSTR* f, VARIANT c, LONG* p) override { return core_.accHelpTopic(f, c, p); }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT c, BSTR* p) override { return core_.accKeyboardShortcut(c, p); }
    STDMETHODIMP get_accFocus(VARIANT* p) override { return core_.accFocus(p); }
    STDMETHODIMP get_accSelection(VARIANT* p) override { return core_.accSelection(p); }
    STDMETHODIMP get_accDefaultAction(VARIANT c, BSTR* p) override { return core_.accDefaultAction(c, p); }
    STDMETHODIMP accSelect(LONG flags, VARIANT c) override { return core_.accSelect(flags, c); }
    STDMETHODIMP accLocation(LONG* l, LONG* t, LONG* w, LONG* h, VARIANT c) override {
        return core_.accLocation(l, t, w, h, c);
    }
    STDMETHODIMP accNavigate(LONG dir, VARIANT start, VARIANT* p) override { return core_.accNavigate(dir, start, p); }
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* p) override { return core_.accHitTest(x, y, p); }
    STDMETHODIMP accDoDefaultAction(VARIANT c) override { return core_.accDoDefaultAction(c); }
    STDMETHODIMP put_accName(VARIANT c, BSTR v) override { return core_.putAccName(c, v); }
    STDMETHODIMP put_accValue(VARIANT c, BSTR v) override { return core_.putAccValue(c, v); }
    STDMETHODIMP accClick(VARIANT wndID, LONG button, LONG x, LONG y, LONG bShift, LONG bCtrl, LONG bAlt) override {
        return core_.accClick(wndID, button, x, y, bShift, bCtrl, bAlt, false);
    }
    STDMETHODIMP accDblClick(VARIANT wndID, LONG button, LONG x, LONG y, LONG bShift, LONG bCtrl, LONG bAlt) override {
        return core_.accClick(wndID, button, x, y, bShift, bCtrl, bAlt, true);
    }
    STDMETHODIMP get_accExists(VARIANT wndID, LONG nRole, VARIANT_BOOL* pVal) override {
        return core_.accExists(wndID, nRole, pVal);
    }
#define TEVRIN_ROLE_MEMBER(name, role) \
    STDMETHODIMP get_##name(VARIANT wndID, IDispatch** pVal) override { return core_.accRoleProperty(role, wndID, pVal); }
#define TEVRIN_STATE_MEMBER(name, mask) \
    STDMETHODIMP get_##name(VARIANT wndID, VARIANT_BOOL* pVal) override { return core_.accStateProperty(mask, wndID, pVal); }
    TEVRIN_ACC_ROLES(TEVRIN_ROLE_MEMBER)
    TEVRIN_ACC_STATES(TEVRIN_STATE_MEMBER)
#undef TEVRIN_ROLE_MEMBER
#undef TEVRIN_STATE_MEMBER

    // IWNDWrapper
    STDMETHODIMP get_value(BSTR* pVal) override { return core_.getValue(pVal); }
    STDMETHODIMP put_value(BSTR newVal) override { return core_.putValue(newVal); }
    STDMETHODIMP connect(LONG hWindowHandle) override { return core_.connect(hWindowHandle); }
    STDMETHODIMP get_wnd(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::Wnd, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_edit(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::Edit, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_tabctrl(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::Tab, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_listview(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::ListView, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_button(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::Button, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_label(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::Static, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_treectrl(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::TreeView, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_dialog(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::Dialog, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_combobox(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::ComboBox, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_listbox(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::ListBox, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_toolbar(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::ToolBar, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_tooltip(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::ToolTip, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_richedit(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.childWrapper(WrapperKind::RichEdit, wndID, strClassName, pVal);
    }
    STDMETHODIMP get_accObj(ULONG nObjID, BSTR strClassName, VARIANT wndID, IDispatch** pVal) override {
        return core_.accObj(nObjID, strClassName, wndID, pVal);
    }
    STDMETHODIMP appAttach(BSTR strAppTitle) override { return core_.appAttach(strAppTitle); }
    STDMETHODIMP get_mshtml(VARIANT wndID, BSTR strClassName, IDispatch** pVal) override {
        return core_.mshtml(wndID, strClassName, pVal);
    }
    STDMETHODIMP click(LONG button, LONG x, LONG y, LONG bShift, LONG bCtrl, LONG bAlt) override {
        return core_.click(button, x, y, bShift, bCtrl, bAlt, false);
    }
    STDMETHODIMP dblclick(LONG button, LONG x, LONG y, LONG bShift, LONG bCtrl, LONG bAlt) override {
        return core_.click(button, x, y, bShift, bCtrl, bAlt, true);
    }
    STDMETHODIMP get_dlgItem(LONG dlgItemID, IDispatch** pVal) override { return core_.dlgItem(dlgItemID, pVal); }
    STDMETHODIMP waitForWindow(VARIANT wndID, BSTR strClassName, LONG nTimeout, IDispatch** pVal) override {
        return core_.waitForWindow(wndID, strClassName, nTimeout, pVal);
    }
    STDMETHODIMP appExecute(BSTR strCommandLine, BSTR strAppTitle, BSTR strStartIn, VARIANT_BOOL bWait,
                            LONG* pVal) override {
        return core_.appExecute(strCommandLine, strAppTitle, strStartIn, bWait, pVal);
    }
    STDMETHODIMP appRelease(VARIANT_BOOL bTerminate, LONG* pVal) override { return core_.appRelease(bTerminate, pVal); }
    STDMETHODIMP get_menu(VARIANT wndID, IDispatch** pVal) override { return core_.menu(wndID, pVal); }
    STDMETHODIMP get_hwnd(LONG* pVal) override { return core_.getHwnd(pVal); }
    STDMETHODIMP screenshot(VARIANT_BOOL bWindowOnly, BSTR fileName) override {
        return core_.screenshot(bWindowOnly, fileName);
    }
    STDMETHODIMP bringToForeground() override { return core_.bringToForeground(); }
    STDMETHODIMP get_exists(VARIANT wndID, BSTR strClassName, VARIANT_BOOL* pVal) override {
        return core_.exists(wndID, strClassName, pVal);
    }

    // IWNDWrapper2
    STDMETHODIMP keys(BSTR strKeys) override { return core_.keys(strKeys); }

protected:
    ~WrapperBase() override = default;

    WindowBinding& binding() { return core_.binding(); }
    HWND window() { return core_.window(); }

private:
    common::ModuleHold module_;
    WrapperCore core_;
};

} // namespace wrappers
