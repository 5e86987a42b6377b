#pragma once
#include "common/ScriptingGuids.h"
#include "debugservices/FreeThreadedObject.h"

namespace debugservices {

class DebugDocument;

// A range of characters in one document.
class DocumentContext : public FreeThreadedObject<IDebugDocumentContext> {
public:
    static const IID kImplIid;

    DocumentContext(Microsoft::WRL::ComPtr<DebugDocument> document, ULONG position, ULONG count);

    DebugDocument* document() const { return document_.Get(); }
    ULONG position() const { return position_; }
    ULONG count() const { return count_; }

    // IDebugDocumentContext
    STDMETHODIMP GetDocument(IDebugDocument** document) override;
    STDMETHODIMP EnumCodeContexts(IEnumDebugCodeContexts** contexts) override;

protected:
    bool QueryBase(REFIID riid, void** ppv) override;

private:
    const Microsoft::WRL::ComPtr<DebugDocument> document_;
    const ULONG position_;
    const ULONG count_;
};

} // namespace debugservices
