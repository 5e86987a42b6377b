#include "HtmlDocument.h"

namespace accapp {
namespace {

HRESULT copyText(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

struct Member {
    const wchar_t* name;
    DISPID id;
};
const Member kMembers[] = {
    {L"readyState", DISPID_IHTMLDOCUMENT2_READYSTATE},
    {L"title", DISPID_IHTMLDOCUMENT2_TITLE},
    {L"URL", DISPID_IHTMLDOCUMENT2_URL},
    {L"toString", DISPID_IHTMLDOCUMENT2_TOSTRING},
};

} // namespace

HtmlDocument* HtmlDocument::completingAt(ULONGLONG completeAt, const std::wstring& title) {
    HtmlDocument* document = new HtmlDocument();
    document->completeAt_ = completeAt;
    document->title_ = title;
    return document;
}

HtmlDocument* HtmlDocument::completingAfterReads(long loadingReads, const std::wstring& completeText) {
    HtmlDocument* document = new HtmlDocument();
    document->loadingReads_ = loadingReads;
    document->completeText_ = completeText;
    return document;
}

STDMETHODIMP HtmlDocument::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IHTMLDocument || riid == IID_IHTMLDocument2)
        *ppv = static_cast<IHTMLDocument2*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) HtmlDocument::Release() {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
}

STDMETHODIMP HtmlDocument::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP HtmlDocument::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP HtmlDocument::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    // The members take no named arguments: only the first name can be known.
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const Member& member : kMembers)
        if (names[0] && ::lstrcmpiW(names[0], member.name) == 0) ids[0] = member.id;
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

STDMETHODIMP HtmlDocument::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO*, UINT*) {
    const bool get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    BSTR text = nullptr;
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    if (put) {
        if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT value;
        ::VariantInit(&value);
        if (FAILED(::VariantChangeType(&value, &params->rgvarg[0], 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
        if (id == DISPID_IHTMLDOCUMENT2_TITLE)
            hr = put_title(value.bstrVal);
        else if (id == DISPID_IHTMLDOCUMENT2_URL)
            hr = put_URL(value.bstrVal);
        ::VariantClear(&value);
        return hr;
    }
    if (!get) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
    case DISPID_IHTMLDOCUMENT2_READYSTATE: hr = get_readyState(&text); break;
    case DISPID_IHTMLDOCUMENT2_TITLE: hr = get_title(&text); break;
    case DISPID_IHTMLDOCUMENT2_URL: hr = get_URL(&text); break;
    case DISPID_IHTMLDOCUMENT2_TOSTRING: hr = toString(&text); break;
    default: return DISP_E_MEMBERNOTFOUND;
    }
    if (FAILED(hr)) return hr;
    if (result) {
        ::VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = text;
    } else {
        ::SysFreeString(text);
    }
    return S_OK;
}

STDMETHODIMP HtmlDocument::get_Script(IDispatch** p) {
    if (p) *p = nullptr;
    return E_NOTIMPL;
}

std::wstring HtmlDocument::currentState() {
    const long read = reads_++;
    const bool loading = loadingReads_ >= 0 ? read < loadingReads_ : ::GetTickCount64() < completeAt_;
    return loading ? L"loading" : completeText_;
}

STDMETHODIMP HtmlDocument::get_readyState(BSTR* p) { return copyText(currentState(), p); }
STDMETHODIMP HtmlDocument::get_title(BSTR* p) { return copyText(title_, p); }
STDMETHODIMP HtmlDocument::put_title(BSTR v) {
    title_.assign(v ? v : L"", ::SysStringLen(v));
    return S_OK;
}
STDMETHODIMP HtmlDocument::get_URL(BSTR* p) { return copyText(url_, p); }
STDMETHODIMP HtmlDocument::put_URL(BSTR v) {
    url_.assign(v ? v : L"", ::SysStringLen(v));
    return S_OK;
}
STDMETHODIMP HtmlDocument::toString(BSTR* p) { return copyText(L"[object Document]", p); }

} // namespace accapp
