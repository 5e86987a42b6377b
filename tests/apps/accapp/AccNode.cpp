#include "AccNode.h"
#include <mshtml.h>

namespace accapp {

AccNode::AccNode(LONG role, std::wstring name, LONG state, HWND window, Locator locator)
    : role_(role), name_(std::move(name)), state_(state), window_(window), locator_(std::move(locator)) {}

AccNode::~AccNode() {
    for (AccNode* child : children_) child->Release();
    if (htmlWindow_) htmlWindow_->Release();
}

void AccNode::setHtmlWindow(IUnknown* htmlWindow) {
    if (htmlWindow) htmlWindow->AddRef();
    if (htmlWindow_) htmlWindow_->Release();
    htmlWindow_ = htmlWindow;
}

STDMETHODIMP AccNode::QueryService(REFGUID service, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!htmlWindow_ || service != IID_IHTMLWindow2) return E_NOINTERFACE;
    return htmlWindow_->QueryInterface(riid, ppv);
}

void AccNode::addChild(AccNode* child, bool adopt) {
    if (adopt) child->setParent(this);
    children_.push_back(child);
}

STDMETHODIMP AccNode::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible))
        *ppv = static_cast<IAccessible*>(this);
    else if (riid == IID_IOleWindow)
        *ppv = static_cast<IOleWindow*>(this);
    else if (riid == IID_IServiceProvider && htmlWindow_)
        *ppv = static_cast<IServiceProvider*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) AccNode::AddRef() { return ::InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) AccNode::Release() {
    ULONG n = ::InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

STDMETHODIMP AccNode::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
STDMETHODIMP AccNode::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP AccNode::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
STDMETHODIMP AccNode::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

int AccNode::elementIndex(const VARIANT& child) const {
    LONG id;
    if (child.vt == VT_I4)
        id = child.lVal;
    else if (child.vt == VT_I2)
        id = child.iVal;
    else if (child.vt == VT_EMPTY || child.vt == VT_ERROR)
        id = CHILDID_SELF;
    else
        return -2;
    if (id == CHILDID_SELF) return -1;
    // Child ids count the object children first, then the simple elements.
    const LONG objects = static_cast<LONG>(children_.size());
    if (id > objects && id <= objects + static_cast<LONG>(elements_.size())) return static_cast<int>(id - objects - 1);
    return -2;
}

STDMETHODIMP AccNode::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = parent_;
    if (!parent_) return S_FALSE;
    parent_->AddRef();
    return S_OK;
}

STDMETHODIMP AccNode::get_accChildCount(LONG* count) {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(children_.size() + elements_.size());
    return S_OK;
}

STDMETHODIMP AccNode::get_accChild(VARIANT child, IDispatch** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal >= 1 && child.lVal <= static_cast<LONG>(children_.size())) {
        *result = children_[static_cast<size_t>(child.lVal - 1)];
        (*result)->AddRef();
        return S_OK;
    }
    return elementIndex(child) >= 0 ? S_FALSE : E_INVALIDARG;
}

STDMETHODIMP AccNode::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    const int index = elementIndex(child);
    if (index == -2) return E_INVALIDARG;
    const std::wstring& text = index == -1 ? name_ : elements_[static_cast<size_t>(index)].name;
    *name = ::SysAllocString(text.c_str());
    return S_OK;
}

STDMETHODIMP AccNode::get_accValue(VARIANT child, BSTR* value) {
    if (value) *value = nullptr;
    return elementIndex(child) == -2 ? E_INVALIDARG : S_FALSE;
}

STDMETHODIMP AccNode::get_accDescription(VARIANT child, BSTR* description) {
    if (description) *description = nullptr;
    return elementIndex(child) == -2 ? E_INVALIDARG : S_FALSE;
}

STDMETHODIMP AccNode::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    ::VariantInit(role);
    const int index = elementIndex(child);
    if (index == -2) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = index == -1 ? role_ : elements_[static_cast<size_t>(index)].role;
    return S_OK;
}

STDMETHODIMP AccNode::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    ::VariantInit(state);
    const int index = elementIndex(child);
    if (index == -2) return E_INVALIDARG;
    state->vt = VT_I4;
    state->lVal = index == -1 ? state_ : elements_[static_cast<size_t>(index)].state;
    return S_OK;
}

STDMETHODIMP AccNode::get_accHelp(VARIANT, BSTR* help) {
    if (help) *help = nullptr;
    return S_FALSE;
}
STDMETHODIMP AccNode::get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
}
STDMETHODIMP AccNode::get_accKeyboardShortcut(VARIANT, BSTR* shortcut) {
    if (shortcut) *shortcut = nullptr;
    return S_FALSE;
}
STDMETHODIMP AccNode::get_accFocus(VARIANT* focus) {
    if (focus) ::VariantInit(focus);
    return S_FALSE;
}
STDMETHODIMP AccNode::get_accSelection(VARIANT* selection) {
    if (selection) ::VariantInit(selection);
    return S_FALSE;
}
STDMETHODIMP AccNode::get_accDefaultAction(VARIANT, BSTR* action) {
    if (action) *action = nullptr;
    return S_FALSE;
}
STDMETHODIMP AccNode::accSelect(LONG, VARIANT) { return E_NOTIMPL; }

STDMETHODIMP AccNode::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    const int index = elementIndex(child);
    if (index == -2) return E_INVALIDARG;
    RECT rect{};
    if (locator_)
        rect = locator_(index);
    else if (window_)
        ::GetWindowRect(window_, &rect);
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

STDMETHODIMP AccNode::accNavigate(LONG, VARIANT, VARIANT* end) {
    if (end) ::VariantInit(end);
    return E_NOTIMPL;
}
STDMETHODIMP AccNode::accHitTest(LONG, LONG, VARIANT* child) {
    if (child) ::VariantInit(child);
    return E_NOTIMPL;
}
STDMETHODIMP AccNode::accDoDefaultAction(VARIANT) { return E_NOTIMPL; }
STDMETHODIMP AccNode::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
STDMETHODIMP AccNode::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

STDMETHODIMP AccNode::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    for (const AccNode* node = this; node; node = node->parent_) {
        if (node->window_) {
            *window = node->window_;
            return S_OK;
        }
    }
    *window = nullptr;
    return E_FAIL;
}

} // namespace accapp
