#pragma once
#include "common/ScriptingGuids.h"
#include "debugservices/FreeThreadedObject.h"
#include "debugservices/TextLines.h"
#include <mutex>
#include <string>
#include <vector>

namespace debugservices {

// The text document behind a document helper: names, text with its line index and
// character attributes, and the script blocks that engines were given.
class DebugDocument : public FreeThreadedObject<IDebugDocumentText> {
public:
    // Answered by QueryInterface with the object itself, so that the services recognise
    // their own documents among interfaces handed back to them.
    static const IID kImplIid;

    DebugDocument(std::wstring shortName, std::wstring longName, TEXT_DOC_ATTR attributes);

    void SetShortName(std::wstring name);
    void SetLongName(std::wstring name);
    void SetAttributes(TEXT_DOC_ATTR attributes);
    void AppendText(const std::wstring& text);
    void SetDefaultTextAttribute(SOURCE_TEXT_ATTR attribute);
    HRESULT SetTextAttributes(ULONG offset, ULONG count, const SOURCE_TEXT_ATTR* attributes);
    HRESULT DefineBlock(ULONG offset, ULONG count, IActiveScript* engine, DWORD_PTR* cookie);
    HRESULT BlockInfo(DWORD_PTR cookie, IActiveScript** engine, ULONG* position, ULONG* count);
    HRESULT CreateContext(ULONG position, ULONG count, IDebugDocumentContext** context);
    // The code of the engine whose block holds the position, from that position on.
    HRESULT EnumCodeContextsAt(ULONG position, ULONG count, IEnumDebugCodeContexts** contexts);

    // IDebugDocumentInfo
    STDMETHODIMP GetName(DOCUMENTNAMETYPE type, BSTR* name) override;
    STDMETHODIMP GetDocumentClassId(CLSID* clsid) override;
    // IDebugDocumentText
    STDMETHODIMP GetDocumentAttributes(TEXT_DOC_ATTR* attributes) override;
    STDMETHODIMP GetSize(ULONG* lines, ULONG* chars) override;
    STDMETHODIMP GetPositionOfLine(ULONG line, ULONG* position) override;
    STDMETHODIMP GetLineOfPosition(ULONG position, ULONG* line, ULONG* offsetInLine) override;
    STDMETHODIMP GetText(ULONG position, WCHAR* text, SOURCE_TEXT_ATTR* attributes, ULONG* count,
                         ULONG maxCount) override;
    STDMETHODIMP GetPositionOfContext(IDebugDocumentContext* context, ULONG* position, ULONG* count) override;
    STDMETHODIMP GetContextOfPosition(ULONG position, ULONG count, IDebugDocumentContext** context) override;

protected:
    bool QueryBase(REFIID riid, void** ppv) override;

private:
    struct Block {
        DWORD_PTR cookie;
        ULONG offset;
        ULONG count;
        Microsoft::WRL::ComPtr<IActiveScript> engine;
    };

    std::mutex mutex_;
    std::wstring shortName_;
    std::wstring longName_;
    TEXT_DOC_ATTR attributes_;
    std::wstring text_;
    std::vector<SOURCE_TEXT_ATTR> textAttributes_;
    SOURCE_TEXT_ATTR defaultAttribute_ = 0;
    TextLines lines_;
    std::vector<Block> blocks_;
};

} // namespace debugservices
