#include "debugservices/DebugDocument.h"
#include "common/Bstr.h"
#include "common/ComError.h"
#include "debugservices/DocumentContext.h"
#include "debugservices/InterfaceEnum.h"
#include <algorithm>
#include <atomic>

using Microsoft::WRL::ComPtr;

namespace debugservices {
namespace {

// Source context cookies are unique in the process: hosts look files up by cookie alone.
std::atomic<DWORD_PTR> g_nextCookie{1};

using CodeContextEnum = InterfaceEnum<IEnumDebugCodeContexts, IDebugCodeContext>;

} // namespace

// {6E0B3C52-8F4A-4C1D-9B57-2D6A1F3E9C02}
const IID DebugDocument::kImplIid = {0x6e0b3c52, 0x8f4a, 0x4c1d, {0x9b, 0x57, 0x2d, 0x6a, 0x1f, 0x3e, 0x9c, 0x02}};

DebugDocument::DebugDocument(std::wstring shortName, std::wstring longName, TEXT_DOC_ATTR attributes)
    : shortName_(std::move(shortName)), longName_(std::move(longName)), attributes_(attributes) {
    lines_.Rebuild(text_);
}

bool DebugDocument::QueryBase(REFIID riid, void** ppv) {
    if (riid == IID_IDebugDocument) {
        *ppv = static_cast<IDebugDocument*>(this);
    } else if (riid == IID_IDebugDocumentInfo) {
        *ppv = static_cast<IDebugDocumentInfo*>(this);
    } else if (riid == kImplIid) {
        *ppv = this;
    } else {
        return false;
    }
    return true;
}

void DebugDocument::SetShortName(std::wstring name) {
    std::lock_guard<std::mutex> lock(mutex_);
    shortName_ = std::move(name);
}

void DebugDocument::SetLongName(std::wstring name) {
    std::lock_guard<std::mutex> lock(mutex_);
    longName_ = std::move(name);
}

void DebugDocument::SetAttributes(TEXT_DOC_ATTR attributes) {
    std::lock_guard<std::mutex> lock(mutex_);
    attributes_ = attributes;
}

void DebugDocument::AppendText(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    text_ += text;
    textAttributes_.resize(text_.size(), defaultAttribute_);
    lines_.Rebuild(text_);
}

void DebugDocument::SetDefaultTextAttribute(SOURCE_TEXT_ATTR attribute) {
    std::lock_guard<std::mutex> lock(mutex_);
    defaultAttribute_ = attribute;
}

HRESULT DebugDocument::SetTextAttributes(ULONG offset, ULONG count, const SOURCE_TEXT_ATTR* attributes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!attributes && count > 0) return E_POINTER;
    if (offset > text_.size() || count > text_.size() - offset) return E_INVALIDARG;
    std::copy(attributes, attributes + count, textAttributes_.begin() + offset);
    return S_OK;
}

HRESULT DebugDocument::DefineBlock(ULONG offset, ULONG count, IActiveScript* engine, DWORD_PTR* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!engine) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(mutex_);
    // A block covers text that was added already; positions outside the text could
    // never be turned into lines.
    if (offset > text_.size() || count > text_.size() - offset) return E_INVALIDARG;
    Block block{g_nextCookie++, offset, count, engine};
    blocks_.push_back(block);
    *cookie = block.cookie;
    return S_OK;
}

HRESULT DebugDocument::BlockInfo(DWORD_PTR cookie, IActiveScript** engine, ULONG* position, ULONG* count) {
    if (engine) *engine = nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const Block& block : blocks_) {
        if (block.cookie != cookie) continue;
        if (engine) block.engine.CopyTo(engine);
        if (position) *position = block.offset;
        if (count) *count = block.count;
        return S_OK;
    }
    return E_INVALIDARG;
}

HRESULT DebugDocument::CreateContext(ULONG position, ULONG count, IDebugDocumentContext** context) {
    if (!context) return E_POINTER;
    *context = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (position > text_.size()) return E_INVALIDARG;
        count = std::min<ULONG>(count, static_cast<ULONG>(text_.size()) - position);
    }
    *context = new DocumentContext(this, position, count);
    return S_OK;
}

HRESULT DebugDocument::EnumCodeContextsAt(ULONG position, ULONG count, IEnumDebugCodeContexts** contexts) {
    *contexts = nullptr;
    ComPtr<IActiveScript> engine;
    DWORD_PTR cookie = 0;
    ULONG offsetInBlock = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const Block& block : blocks_) {
            if (position >= block.offset && position - block.offset < block.count) {
                engine = block.engine;
                cookie = block.cookie;
                offsetInBlock = position - block.offset;
                break;
            }
        }
    }
    if (!engine) {
        // No script at that position: no code either.
        *contexts = new CodeContextEnum(std::make_shared<const CodeContextEnum::Items>());
        return S_OK;
    }
    ComPtr<IActiveScriptDebug> debug;
    HRESULT hr = engine.As(&debug);
    if (FAILED(hr)) return hr;
    return debug->EnumCodeContextsOfPosition(cookie, offsetInBlock, count, contexts);
}

STDMETHODIMP DebugDocument::GetName(DOCUMENTNAMETYPE type, BSTR* name) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!name) return E_POINTER;
        *name = nullptr;
        std::lock_guard<std::mutex> lock(mutex_);
        switch (type) {
        case DOCUMENTNAMETYPE_APPNODE:
        case DOCUMENTNAMETYPE_UNIQUE_TITLE:
            // The short name is what the application tree shows; hosts give each
            // document its own one.
            *name = common::Bstr(shortName_).release();
            break;
        case DOCUMENTNAMETYPE_TITLE:
        case DOCUMENTNAMETYPE_FILE_TAIL:
        case DOCUMENTNAMETYPE_URL:
            *name = common::Bstr(longName_).release();
            break;
        default:
            return E_INVALIDARG;
        }
        return *name ? S_OK : E_OUTOFMEMORY;
    });
}

STDMETHODIMP DebugDocument::GetDocumentClassId(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_NULL;
    return S_OK;
}

STDMETHODIMP DebugDocument::GetDocumentAttributes(TEXT_DOC_ATTR* attributes) {
    if (!attributes) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    *attributes = attributes_;
    return S_OK;
}

STDMETHODIMP DebugDocument::GetSize(ULONG* lines, ULONG* chars) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (lines) *lines = lines_.Count();
    if (chars) *chars = static_cast<ULONG>(text_.size());
    return S_OK;
}

STDMETHODIMP DebugDocument::GetPositionOfLine(ULONG line, ULONG* position) {
    if (!position) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    unsigned long found = 0;
    if (!lines_.PositionOf(line, found)) return E_INVALIDARG;
    *position = found;
    return S_OK;
}

STDMETHODIMP DebugDocument::GetLineOfPosition(ULONG position, ULONG* line, ULONG* offsetInLine) {
    if (!line) return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    unsigned long foundLine = 0, foundOffset = 0;
    if (!lines_.LineOf(position, foundLine, foundOffset)) return E_INVALIDARG;
    *line = foundLine;
    if (offsetInLine) *offsetInLine = foundOffset;
    return S_OK;
}

STDMETHODIMP DebugDocument::GetText(ULONG position, WCHAR* text, SOURCE_TEXT_ATTR* attributes, ULONG* count,
                                    ULONG maxCount) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!count) return E_POINTER;
        *count = 0;
        std::lock_guard<std::mutex> lock(mutex_);
        if (position > text_.size()) return E_INVALIDARG;
        ULONG n = std::min<ULONG>(maxCount, static_cast<ULONG>(text_.size()) - position);
        if (text) std::copy(text_.begin() + position, text_.begin() + position + n, text);
        if (attributes)
            std::copy(textAttributes_.begin() + position, textAttributes_.begin() + position + n, attributes);
        *count = n;
        return S_OK;
    });
}

STDMETHODIMP DebugDocument::GetPositionOfContext(IDebugDocumentContext* context, ULONG* position, ULONG* count) {
    return common::ComBoundary([&]() -> HRESULT {
        if (!position) return E_POINTER;
        if (!context) return E_INVALIDARG;
        ComPtr<DocumentContext> ours;
        if (FAILED(context->QueryInterface(DocumentContext::kImplIid, reinterpret_cast<void**>(ours.GetAddressOf()))))
            return E_INVALIDARG;
        // A context of another document has no position in this one.
        if (ours->document() != this) return E_INVALIDARG;
        *position = ours->position();
        if (count) *count = ours->count();
        return S_OK;
    });
}

STDMETHODIMP DebugDocument::GetContextOfPosition(ULONG position, ULONG count, IDebugDocumentContext** context) {
    return common::ComBoundary([&]() -> HRESULT { return CreateContext(position, count, context); });
}

} // namespace debugservices
