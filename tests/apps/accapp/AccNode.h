#pragma once
// One object of the application's own accessible tree. A node stands for a window (its
// location is the window's), for a part of its parent's window (title bar, scroll
// bars), and may hold simple elements (child ids 1..n) such as the rows of a list.
#include <windows.h>
#include <oleacc.h>
#include <servprov.h>
#include <functional>
#include <string>
#include <vector>

namespace accapp {

class AccNode final : public IAccessible, public IOleWindow, public IServiceProvider {
public:
    struct Element {
        std::wstring name;
        LONG role;
        LONG state;
    };
    // Screen rectangle of the node itself (index -1) or of element `index`.
    using Locator = std::function<RECT(int index)>;

    AccNode(LONG role, std::wstring name, LONG state, HWND window, Locator locator);

    // Takes over the reference of `child`. Without `adopt` the child keeps its parent:
    // a node listed by two parents, as faulty servers list an ancestor.
    void addChild(AccNode* child, bool adopt = true);
    void addElement(Element element) { elements_.push_back(std::move(element)); }
    void setParent(AccNode* parent) { parent_ = parent; }
    void setName(std::wstring name) { name_ = std::move(name); }
    HWND window() const { return window_; }
    // Makes the node a service provider of this browser window object (IHTMLWindow2),
    // the way browser windows give their document to accessibility clients.
    void setHtmlWindow(IUnknown* htmlWindow);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: clients use the vtable; the type library is oleacc's.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override;
    STDMETHODIMP get_accChildCount(LONG* count) override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** result) override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    STDMETHODIMP get_accFocus(VARIANT* focus) override;
    STDMETHODIMP get_accSelection(VARIANT* selection) override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override;
    STDMETHODIMP accSelect(LONG flags, VARIANT child) override;
    STDMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
    STDMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* child) override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) override;
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override;
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override;

    // IOleWindow: how WindowFromAccessibleObject finds the node's window.
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IServiceProvider: answered only by a node that has a browser window object.
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override;

private:
    ~AccNode();
    // -1 for the node itself, the element index for a simple element, -2 for no such child.
    int elementIndex(const VARIANT& child) const;

    LONG refs_ = 1;
    LONG role_;
    std::wstring name_;
    LONG state_;
    HWND window_;
    Locator locator_;
    AccNode* parent_ = nullptr;  // not counted: the parent owns its children
    std::vector<AccNode*> children_;
    std::vector<Element> elements_;
    IUnknown* htmlWindow_ = nullptr;  // counted
};

} // namespace accapp
