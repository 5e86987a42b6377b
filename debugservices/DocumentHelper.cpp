#include "debugservices/DocumentHelper.h"
#include "common/ComError.h"
#include "common/TextConv.h"
#include "debugservices/ApplicationNode.h"
#include "debugservices/DebugApplication.h"
#include "debugservices/DebugDocument.h"

using Microsoft::WRL::ComPtr;

namespace debugservices {

// {6E0B3C52-8F4A-4C1D-9B57-2D6A1F3E9C05}
const IID DocumentHelper::kImplIid = {0x6e0b3c52, 0x8f4a, 0x4c1d, {0x9b, 0x57, 0x2d, 0x6a, 0x1f, 0x3e, 0x9c, 0x05}};

bool DocumentHelper::QueryBase(REFIID riid, void** ppv) {
    if (riid != kImplIid) return false;
    *ppv = this;
    return true;
}

ComPtr<ApplicationNode> DocumentHelper::node() {
    std::lock_guard<std::mutex> lock(mutex_);
    return node_;
}

HRESULT DocumentHelper::Document(ComPtr<DebugDocument>& document) {
    std::lock_guard<std::mutex> lock(mutex_);
    document = document_;
    return document ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP DocumentHelper::Init(IDebugApplication* application, LPCOLESTR shortName, LPCOLESTR longName,
                                  TEXT_DOC_ATTR attributes) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!application) return E_INVALIDARG;
        // Only an application of these services can hold the document in its tree.
        ComPtr<DebugApplication> ours;
        if (FAILED(application->QueryInterface(DebugApplication::kImplIid,
                                               reinterpret_cast<void**>(ours.GetAddressOf()))))
            return E_INVALIDARG;
        std::lock_guard<std::mutex> lock(mutex_);
        if (document_) return E_UNEXPECTED;  // initialised once
        application_ = ours;
        document_ = Adopt(new DebugDocument(shortName ? shortName : L"", longName ? longName : L"", attributes));
        node_ = Adopt(new ApplicationNode());
        node_->SetDocument(ComPtr<IDebugDocument>(document_.Get()));
        return S_OK;
    });
}

STDMETHODIMP DocumentHelper::Attach(IDebugDocumentHelper* parent) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<ApplicationNode> node;
        ComPtr<DebugApplication> application;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            node = node_;
            application = application_;
        }
        if (!node) return E_UNEXPECTED;
        ComPtr<ApplicationNode> parentNode;
        if (parent) {
            ComPtr<DocumentHelper> ours;
            if (FAILED(parent->QueryInterface(kImplIid, reinterpret_cast<void**>(ours.GetAddressOf()))))
                return E_INVALIDARG;
            parentNode = ours->node();
            if (!parentNode) return E_UNEXPECTED;  // the parent was never initialised
        } else {
            parentNode = application->rootNode();
        }
        return node->AttachTo(parentNode.Get());
    });
}

STDMETHODIMP DocumentHelper::Detach() {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<ApplicationNode> node = this->node();
        if (node) node->DetachFromParent();
        return S_OK;
    });
}

STDMETHODIMP DocumentHelper::AddUnicodeText(LPCOLESTR text) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        if (text) document->AppendText(text);
        return S_OK;
    });
}

STDMETHODIMP DocumentHelper::AddDBCSText(LPCSTR text) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        if (text) document->AppendText(common::AnsiToWide(text));
        return S_OK;
    });
}

STDMETHODIMP DocumentHelper::SetDebugDocumentHost(IDebugDocumentHost*) { return E_NOTIMPL; }

STDMETHODIMP DocumentHelper::AddDeferredText(ULONG, DWORD) { return E_NOTIMPL; }

STDMETHODIMP DocumentHelper::DefineScriptBlock(ULONG offset, ULONG count, IActiveScript* engine, BOOL,
                                               DWORD_PTR* sourceContext) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!sourceContext) return E_POINTER;
        *sourceContext = 0;
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        return document->DefineBlock(offset, count, engine, sourceContext);
    });
}

STDMETHODIMP DocumentHelper::SetDefaultTextAttr(SOURCE_TEXT_ATTR attribute) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        document->SetDefaultTextAttribute(attribute);
        return S_OK;
    });
}

STDMETHODIMP DocumentHelper::SetTextAttributes(ULONG offset, ULONG count, SOURCE_TEXT_ATTR* attributes) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        return document->SetTextAttributes(offset, count, attributes);
    });
}

STDMETHODIMP DocumentHelper::SetLongName(LPCOLESTR name) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        document->SetLongName(name ? name : L"");
        return S_OK;
    });
}

STDMETHODIMP DocumentHelper::SetShortName(LPCOLESTR name) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        document->SetShortName(name ? name : L"");
        return S_OK;
    });
}

STDMETHODIMP DocumentHelper::SetDocumentAttr(TEXT_DOC_ATTR attributes) {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        document->SetAttributes(attributes);
        return S_OK;
    });
}

STDMETHODIMP DocumentHelper::GetDebugApplicationNode(IDebugApplicationNode** node) {
    if (!node) return E_POINTER;
    ComPtr<IDebugApplicationNode> found = this->node().Get();
    *node = found.Detach();
    return *node ? S_OK : E_UNEXPECTED;
}

STDMETHODIMP DocumentHelper::GetScriptBlockInfo(DWORD_PTR sourceContext, IActiveScript** engine, ULONG* position,
                                                ULONG* count) {
    return common::ComBoundary([&]() -> HRESULT {
        if (engine) *engine = nullptr;
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        return document->BlockInfo(sourceContext, engine, position, count);
    });
}

STDMETHODIMP DocumentHelper::CreateDebugDocumentContext(ULONG position, ULONG count,
                                                        IDebugDocumentContext** context) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!context) return E_POINTER;
        *context = nullptr;
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        return document->CreateContext(position, count, context);
    });
}

STDMETHODIMP DocumentHelper::BringDocumentToTop() {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        ComPtr<IApplicationDebuggerUI> ui;
        ComPtr<IApplicationDebugger> debugger = application_->debugger();
        if (!debugger || FAILED(debugger.As(&ui))) return E_FAIL;
        return ui->BringDocumentToTop(document.Get());
    });
}

STDMETHODIMP DocumentHelper::BringDocumentContextToTop(IDebugDocumentContext* context) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!context) return E_INVALIDARG;
        ComPtr<DebugDocument> document;
        HRESULT hr = Document(document);
        if (FAILED(hr)) return hr;
        ComPtr<IApplicationDebuggerUI> ui;
        ComPtr<IApplicationDebugger> debugger = application_->debugger();
        if (!debugger || FAILED(debugger.As(&ui))) return E_FAIL;
        return ui->BringDocumentContextToTop(context);
    });
}

} // namespace debugservices
