#pragma once
#include "common/ScriptingGuids.h"
#include "debugservices/FreeThreadedObject.h"
#include <string>
#include <vector>

namespace debugservices {

// One node of an application's tree: the root (named after the application) or a
// document. A child holds its parent until it is detached; Detach and Close undo that.
class ApplicationNode : public FreeThreadedObject<IDebugApplicationNode> {
public:
    static const IID kImplIid;

    explicit ApplicationNode(std::wstring name = {});

    void SetName(std::wstring name);
    void SetDocument(Microsoft::WRL::ComPtr<IDebugDocument> document);
    // Attaches below parent; a node is never attached below itself or its descendants.
    HRESULT AttachTo(ApplicationNode* parent);
    void DetachFromParent();

    // IDebugDocumentInfo
    STDMETHODIMP GetName(DOCUMENTNAMETYPE type, BSTR* name) override;
    STDMETHODIMP GetDocumentClassId(CLSID* clsid) override;
    // IDebugDocumentProvider
    STDMETHODIMP GetDocument(IDebugDocument** document) override;
    // IDebugApplicationNode
    STDMETHODIMP EnumChildren(IEnumDebugApplicationNodes** children) override;
    STDMETHODIMP GetParent(IDebugApplicationNode** parent) override;
    STDMETHODIMP SetDocumentProvider(IDebugDocumentProvider* provider) override;
    STDMETHODIMP Close() override;
    STDMETHODIMP Attach(IDebugApplicationNode* parent) override;
    STDMETHODIMP Detach() override;

protected:
    bool QueryBase(REFIID riid, void** ppv) override;

private:
    // Node state lives under one lock for the whole tree: attaching touches two nodes.
    std::wstring name_;
    Microsoft::WRL::ComPtr<IDebugDocument> document_;
    Microsoft::WRL::ComPtr<IDebugDocumentProvider> provider_;
    Microsoft::WRL::ComPtr<ApplicationNode> parent_;
    std::vector<Microsoft::WRL::ComPtr<ApplicationNode>> children_;
};

} // namespace debugservices
