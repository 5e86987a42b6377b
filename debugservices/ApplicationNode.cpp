#include "debugservices/ApplicationNode.h"
#include "common/Bstr.h"
#include "common/ComError.h"
#include "debugservices/InterfaceEnum.h"
#include <algorithm>
#include <mutex>

using Microsoft::WRL::ComPtr;

namespace debugservices {
namespace {

std::recursive_mutex& TreeMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

using NodeEnum = InterfaceEnum<IEnumDebugApplicationNodes, IDebugApplicationNode>;

} // namespace

// {6E0B3C52-8F4A-4C1D-9B57-2D6A1F3E9C03}
const IID ApplicationNode::kImplIid = {0x6e0b3c52, 0x8f4a, 0x4c1d, {0x9b, 0x57, 0x2d, 0x6a, 0x1f, 0x3e, 0x9c, 0x03}};

ApplicationNode::ApplicationNode(std::wstring name) : name_(std::move(name)) {}

bool ApplicationNode::QueryBase(REFIID riid, void** ppv) {
    if (riid == IID_IDebugDocumentProvider) {
        *ppv = static_cast<IDebugDocumentProvider*>(this);
    } else if (riid == IID_IDebugDocumentInfo) {
        *ppv = static_cast<IDebugDocumentInfo*>(this);
    } else if (riid == kImplIid) {
        *ppv = this;
    } else {
        return false;
    }
    return true;
}

void ApplicationNode::SetName(std::wstring name) {
    std::lock_guard<std::recursive_mutex> lock(TreeMutex());
    name_ = std::move(name);
}

void ApplicationNode::SetDocument(ComPtr<IDebugDocument> document) {
    std::lock_guard<std::recursive_mutex> lock(TreeMutex());
    document_ = std::move(document);
}

HRESULT ApplicationNode::AttachTo(ApplicationNode* parent) {
    if (!parent) return E_INVALIDARG;
    std::lock_guard<std::recursive_mutex> lock(TreeMutex());
    for (ApplicationNode* up = parent; up; up = up->parent_.Get()) {
        if (up == this) return E_INVALIDARG;
    }
    DetachFromParent();
    parent_ = parent;
    parent->children_.push_back(this);
    return S_OK;
}

void ApplicationNode::DetachFromParent() {
    ComPtr<ApplicationNode> self(this);  // the parent's reference may be the last but one
    std::lock_guard<std::recursive_mutex> lock(TreeMutex());
    if (!parent_) return;
    auto& siblings = parent_->children_;
    siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                  [this](const ComPtr<ApplicationNode>& n) { return n.Get() == this; }),
                   siblings.end());
    parent_.Reset();
}

STDMETHODIMP ApplicationNode::GetName(DOCUMENTNAMETYPE type, BSTR* name) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!name) return E_POINTER;
        *name = nullptr;
        ComPtr<IDebugDocumentInfo> info;
        std::wstring own;
        {
            std::lock_guard<std::recursive_mutex> lock(TreeMutex());
            if (document_) {
                info = document_;
            } else if (provider_) {
                info = provider_;
            } else {
                own = name_;
            }
        }
        if (info) return info->GetName(type, name);
        if (type < DOCUMENTNAMETYPE_APPNODE || type > DOCUMENTNAMETYPE_UNIQUE_TITLE) return E_INVALIDARG;
        *name = common::Bstr(own).release();
        return *name ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP ApplicationNode::GetDocumentClassId(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_NULL;
    return S_OK;
}

STDMETHODIMP ApplicationNode::GetDocument(IDebugDocument** document) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!document) return E_POINTER;
        *document = nullptr;
        ComPtr<IDebugDocument> own;
        ComPtr<IDebugDocumentProvider> provider;
        {
            std::lock_guard<std::recursive_mutex> lock(TreeMutex());
            own = document_;
            provider = provider_;
        }
        if (own) {
            *document = own.Detach();
            return S_OK;
        }
        if (provider) return provider->GetDocument(document);
        return E_FAIL;  // the root and plain folders have no document
    });
}

STDMETHODIMP ApplicationNode::EnumChildren(IEnumDebugApplicationNodes** children) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!children) return E_POINTER;
        auto items = std::make_shared<NodeEnum::Items>();
        {
            std::lock_guard<std::recursive_mutex> lock(TreeMutex());
            for (const ComPtr<ApplicationNode>& child : children_) items->push_back(child.Get());
        }
        *children = new NodeEnum(std::move(items));
        return S_OK;
    });
}

STDMETHODIMP ApplicationNode::GetParent(IDebugApplicationNode** parent) {
    if (!parent) return E_POINTER;
    std::lock_guard<std::recursive_mutex> lock(TreeMutex());
    *parent = nullptr;
    if (!parent_) return E_FAIL;
    ComPtr<IDebugApplicationNode> p = parent_.Get();
    *parent = p.Detach();
    return S_OK;
}

STDMETHODIMP ApplicationNode::SetDocumentProvider(IDebugDocumentProvider* provider) {
    std::lock_guard<std::recursive_mutex> lock(TreeMutex());
    provider_ = provider;
    return S_OK;
}

STDMETHODIMP ApplicationNode::Close() {
    return common::ComBoundary([&]() -> HRESULT {
        ComPtr<ApplicationNode> self(this);
        std::vector<ComPtr<ApplicationNode>> children;
        {
            std::lock_guard<std::recursive_mutex> lock(TreeMutex());
            DetachFromParent();
            children.swap(children_);
            for (auto& child : children) child->parent_.Reset();
            document_.Reset();
            provider_.Reset();
        }
        return S_OK;
    });
}

STDMETHODIMP ApplicationNode::Attach(IDebugApplicationNode* parent) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!parent) return E_INVALIDARG;
        ComPtr<ApplicationNode> ours;
        if (FAILED(parent->QueryInterface(kImplIid, reinterpret_cast<void**>(ours.GetAddressOf()))))
            return E_INVALIDARG;
        return AttachTo(ours.Get());
    });
}

STDMETHODIMP ApplicationNode::Detach() {
    return common::ComBoundary([&]() -> HRESULT {
        DetachFromParent();
        return S_OK;
    });
}

} // namespace debugservices
