#include "HtmlWindow.h"

namespace accapp {

HtmlWindow::HtmlWindow(IHTMLDocument2* document) : document_(document) { document_->AddRef(); }

HtmlWindow::~HtmlWindow() { document_->Release(); }

STDMETHODIMP HtmlWindow::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLFramesCollection2 || riid == IID_IHTMLWindow2)
        *ppv = static_cast<IHTMLWindow2*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) HtmlWindow::Release() {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
}

STDMETHODIMP HtmlWindow::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP HtmlWindow::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP HtmlWindow::get_document(IHTMLDocument2** p) {
    if (!p) return E_POINTER;
    *p = document_;
    document_->AddRef();
    return S_OK;
}

} // namespace accapp
