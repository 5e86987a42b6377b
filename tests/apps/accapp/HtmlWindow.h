#pragma once
// The browser window object behind an "Internet Explorer_Server" window, as its
// accessible object hands it out through IServiceProvider: only its document is served.
#include <windows.h>
#include <mshtml.h>
#include <atomic>

namespace accapp {

class HtmlWindow final : public IHTMLWindow2 {
public:
    // Keeps a reference to `document`.
    explicit HtmlWindow(IHTMLDocument2* document);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: callers use the vtable.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    // IHTMLWindow2: the document
    STDMETHODIMP get_document(IHTMLDocument2** p) override;

    // IHTMLFramesCollection2 and IHTMLWindow2: not served
    STDMETHODIMP item(VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP get_length(LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP get_frames(IHTMLFramesCollection2 **) override { return E_NOTIMPL; }
    STDMETHODIMP put_defaultStatus(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_defaultStatus(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP put_status(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_status(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP setTimeout(BSTR, LONG, VARIANT *, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP clearTimeout(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP alert(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP confirm(BSTR, VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP prompt(BSTR, BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP get_Image(IHTMLImageElementFactory **) override { return E_NOTIMPL; }
    STDMETHODIMP get_location(IHTMLLocation **) override { return E_NOTIMPL; }
    STDMETHODIMP get_history(IOmHistory **) override { return E_NOTIMPL; }
    STDMETHODIMP close() override { return E_NOTIMPL; }
    STDMETHODIMP put_opener(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_opener(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP get_navigator(IOmNavigator **) override { return E_NOTIMPL; }
    STDMETHODIMP put_name(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_name(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_parent(IHTMLWindow2 **) override { return E_NOTIMPL; }
    STDMETHODIMP open(BSTR, BSTR, BSTR, VARIANT_BOOL, IHTMLWindow2 **) override { return E_NOTIMPL; }
    STDMETHODIMP get_self(IHTMLWindow2 **) override { return E_NOTIMPL; }
    STDMETHODIMP get_top(IHTMLWindow2 **) override { return E_NOTIMPL; }
    STDMETHODIMP get_window(IHTMLWindow2 **) override { return E_NOTIMPL; }
    STDMETHODIMP navigate(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_onfocus(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onfocus(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onblur(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onblur(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onload(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onload(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onbeforeunload(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onbeforeunload(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onunload(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onunload(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onhelp(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onhelp(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onerror(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onerror(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onresize(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onresize(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onscroll(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onscroll(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP get_event(IHTMLEventObj **) override { return E_NOTIMPL; }
    STDMETHODIMP get__newEnum(IUnknown **) override { return E_NOTIMPL; }
    STDMETHODIMP showModalDialog(BSTR, VARIANT *, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP showHelp(BSTR, VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_screen(IHTMLScreen **) override { return E_NOTIMPL; }
    STDMETHODIMP get_Option(IHTMLOptionElementFactory **) override { return E_NOTIMPL; }
    STDMETHODIMP focus() override { return E_NOTIMPL; }
    STDMETHODIMP get_closed(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP blur() override { return E_NOTIMPL; }
    STDMETHODIMP scroll(LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_clientInformation(IOmNavigator **) override { return E_NOTIMPL; }
    STDMETHODIMP setInterval(BSTR, LONG, VARIANT *, LONG *) override { return E_NOTIMPL; }
    STDMETHODIMP clearInterval(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP put_offscreenBuffering(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_offscreenBuffering(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP execScript(BSTR, BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP toString(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP scrollBy(LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP scrollTo(LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP moveTo(LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP moveBy(LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP resizeTo(LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP resizeBy(LONG, LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_external(IDispatch **) override { return E_NOTIMPL; }
private:
    ~HtmlWindow();

    std::atomic<ULONG> refs_{1};
    IHTMLDocument2* document_;
};

} // namespace accapp
