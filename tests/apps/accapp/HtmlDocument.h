#pragma once
// The HTML document that the accessible test application serves from its
// "Internet Explorer_Server" window, standing in for a browser's document: readyState
// reads "loading" until a given moment and then "Complete" (deliberately not lower
// case), and the title and URL can be read and changed. Every other member of
// IHTMLDocument2 answers E_NOTIMPL.
//
// The end-to-end tests use the same class in their own process as an in-process
// document with a countdown of reads instead of a moment.
#include <windows.h>
#include <mshtml.h>
#include <mshtmdid.h>
#include <atomic>
#include <string>

namespace accapp {

class HtmlDocument final : public IHTMLDocument2 {
public:
    // "loading" until GetTickCount64() reaches completeAt.
    static HtmlDocument* completingAt(ULONGLONG completeAt, const std::wstring& title);
    // "loading" for the first `loadingReads` reads of readyState, then `completeText`.
    static HtmlDocument* completingAfterReads(long loadingReads, const std::wstring& completeText);

    // How often readyState was read.
    long readyStateReads() const { return reads_; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch: the implemented members by name, as script engines call them.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

    // IHTMLDocument
    STDMETHODIMP get_Script(IDispatch** p) override;

    // IHTMLDocument2: what a test reads and changes
    STDMETHODIMP get_readyState(BSTR* p) override;
    STDMETHODIMP get_title(BSTR* p) override;
    STDMETHODIMP put_title(BSTR v) override;
    STDMETHODIMP get_URL(BSTR* p) override;
    STDMETHODIMP put_URL(BSTR v) override;
    STDMETHODIMP toString(BSTR* p) override;

    // IHTMLDocument2: not served
    STDMETHODIMP get_all(IHTMLElementCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_body(IHTMLElement **) override { return E_NOTIMPL; }
    STDMETHODIMP get_activeElement(IHTMLElement **) override { return E_NOTIMPL; }
    STDMETHODIMP get_images(IHTMLElementCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_applets(IHTMLElementCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_links(IHTMLElementCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_forms(IHTMLElementCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_anchors(IHTMLElementCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_scripts(IHTMLElementCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP put_designMode(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_designMode(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_selection(IHTMLSelectionObject **) override { return E_NOTIMPL; }
    STDMETHODIMP get_frames(IHTMLFramesCollection2 **) override { return E_NOTIMPL; }
    STDMETHODIMP get_embeds(IHTMLElementCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP get_plugins(IHTMLElementCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP put_alinkColor(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_alinkColor(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_bgColor(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_bgColor(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_fgColor(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_fgColor(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_linkColor(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_linkColor(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_vlinkColor(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_vlinkColor(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP get_referrer(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_location(IHTMLLocation **) override { return E_NOTIMPL; }
    STDMETHODIMP get_lastModified(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP put_domain(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_domain(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP put_cookie(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_cookie(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP put_expando(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_expando(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP put_charset(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_charset(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP put_defaultCharset(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_defaultCharset(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_mimeType(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_fileSize(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_fileCreatedDate(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_fileModifiedDate(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_fileUpdatedDate(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_security(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_protocol(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP get_nameProp(BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP write(SAFEARRAY *) override { return E_NOTIMPL; }
    STDMETHODIMP writeln(SAFEARRAY *) override { return E_NOTIMPL; }
    STDMETHODIMP open(BSTR, VARIANT, VARIANT, VARIANT, IDispatch **) override { return E_NOTIMPL; }
    STDMETHODIMP close() override { return E_NOTIMPL; }
    STDMETHODIMP clear() override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandSupported(BSTR, VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandEnabled(BSTR, VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandState(BSTR, VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandIndeterm(BSTR, VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandText(BSTR, BSTR *) override { return E_NOTIMPL; }
    STDMETHODIMP queryCommandValue(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP execCommand(BSTR, VARIANT_BOOL, VARIANT, VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP execCommandShowHelp(BSTR, VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHODIMP createElement(BSTR, IHTMLElement **) override { return E_NOTIMPL; }
    STDMETHODIMP put_onhelp(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onhelp(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onclick(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onclick(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_ondblclick(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_ondblclick(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onkeyup(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onkeyup(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onkeydown(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onkeydown(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onkeypress(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onkeypress(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onmouseup(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onmouseup(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onmousedown(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onmousedown(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onmousemove(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onmousemove(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onmouseout(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onmouseout(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onmouseover(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onmouseover(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onreadystatechange(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onreadystatechange(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onafterupdate(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onafterupdate(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onrowexit(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onrowexit(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onrowenter(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onrowenter(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_ondragstart(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_ondragstart(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onselectstart(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onselectstart(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP elementFromPoint(LONG, LONG, IHTMLElement **) override { return E_NOTIMPL; }
    STDMETHODIMP get_parentWindow(IHTMLWindow2 **) override { return E_NOTIMPL; }
    STDMETHODIMP get_styleSheets(IHTMLStyleSheetsCollection **) override { return E_NOTIMPL; }
    STDMETHODIMP put_onbeforeupdate(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onbeforeupdate(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP put_onerrorupdate(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_onerrorupdate(VARIANT *) override { return E_NOTIMPL; }
    STDMETHODIMP createStyleSheet(BSTR, LONG, IHTMLStyleSheet **) override { return E_NOTIMPL; }

private:
    HtmlDocument() = default;
    ~HtmlDocument() = default;
    std::wstring currentState();

    std::atomic<ULONG> refs_{1};
    std::atomic<long> reads_{0};
    ULONGLONG completeAt_ = 0;
    long loadingReads_ = -1;  // -1: by time
    std::wstring completeText_ = L"Complete";
    std::wstring title_;
    std::wstring url_ = L"about:blank";
};

} // namespace accapp
