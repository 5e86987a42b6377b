#include "debugservices/DocumentContext.h"
#include "common/ComError.h"
#include "debugservices/DebugDocument.h"

namespace debugservices {

// {6E0B3C52-8F4A-4C1D-9B57-2D6A1F3E9C01}
const IID DocumentContext::kImplIid = {0x6e0b3c52, 0x8f4a, 0x4c1d, {0x9b, 0x57, 0x2d, 0x6a, 0x1f, 0x3e, 0x9c, 0x01}};

DocumentContext::DocumentContext(Microsoft::WRL::ComPtr<DebugDocument> document, ULONG position, ULONG count)
    : document_(std::move(document)), position_(position), count_(count) {}

bool DocumentContext::QueryBase(REFIID riid, void** ppv) {
    if (riid != kImplIid) return false;
    *ppv = this;
    return true;
}

STDMETHODIMP DocumentContext::GetDocument(IDebugDocument** document) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!document) return E_POINTER;
        *document = nullptr;
        return document_->QueryInterface(IID_IDebugDocument, reinterpret_cast<void**>(document));
    });
}

STDMETHODIMP DocumentContext::EnumCodeContexts(IEnumDebugCodeContexts** contexts) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!contexts) return E_POINTER;
        *contexts = nullptr;
        return document_->EnumCodeContextsAt(position_, count_, contexts);
    });
}

} // namespace debugservices
