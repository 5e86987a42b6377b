#pragma once
#include "common/ScriptingGuids.h"
#include "debugservices/ApplicationNode.h"
#include "debugservices/DebugApplication.h"
#include "debugservices/DebugDocument.h"
#include "debugservices/FreeThreadedObject.h"
#include <mutex>

namespace debugservices {

// What a host uses to describe one script document: its names and text, the script
// blocks it hands to engines, and its place in the application's node tree.
class DocumentHelper : public FreeThreadedObject<IDebugDocumentHelper> {
public:
    static const IID kImplIid;

    Microsoft::WRL::ComPtr<ApplicationNode> node();

    // IDebugDocumentHelper
    STDMETHODIMP Init(IDebugApplication* application, LPCOLESTR shortName, LPCOLESTR longName,
                      TEXT_DOC_ATTR attributes) override;
    STDMETHODIMP Attach(IDebugDocumentHelper* parent) override;
    STDMETHODIMP Detach() override;
    STDMETHODIMP AddUnicodeText(LPCOLESTR text) override;
    STDMETHODIMP AddDBCSText(LPCSTR text) override;
    STDMETHODIMP SetDebugDocumentHost(IDebugDocumentHost* host) override;
    STDMETHODIMP AddDeferredText(ULONG count, DWORD startCookie) override;
    STDMETHODIMP DefineScriptBlock(ULONG offset, ULONG count, IActiveScript* engine, BOOL scriptlet,
                                   DWORD_PTR* sourceContext) override;
    STDMETHODIMP SetDefaultTextAttr(SOURCE_TEXT_ATTR attribute) override;
    STDMETHODIMP SetTextAttributes(ULONG offset, ULONG count, SOURCE_TEXT_ATTR* attributes) override;
    STDMETHODIMP SetLongName(LPCOLESTR name) override;
    STDMETHODIMP SetShortName(LPCOLESTR name) override;
    STDMETHODIMP SetDocumentAttr(TEXT_DOC_ATTR attributes) override;
    STDMETHODIMP GetDebugApplicationNode(IDebugApplicationNode** node) override;
    STDMETHODIMP GetScriptBlockInfo(DWORD_PTR sourceContext, IActiveScript** engine, ULONG* position,
                                    ULONG* count) override;
    STDMETHODIMP CreateDebugDocumentContext(ULONG position, ULONG count, IDebugDocumentContext** context) override;
    STDMETHODIMP BringDocumentToTop() override;
    STDMETHODIMP BringDocumentContextToTop(IDebugDocumentContext* context) override;

protected:
    bool QueryBase(REFIID riid, void** ppv) override;

private:
    // The document, or E_UNEXPECTED before Init.
    HRESULT Document(Microsoft::WRL::ComPtr<DebugDocument>& document);

    std::mutex mutex_;
    Microsoft::WRL::ComPtr<DebugApplication> application_;
    Microsoft::WRL::ComPtr<DebugDocument> document_;
    Microsoft::WRL::ComPtr<ApplicationNode> node_;
};

} // namespace debugservices
