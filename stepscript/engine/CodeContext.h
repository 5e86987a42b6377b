#pragma once
#include "common/ScriptingGuids.h"
#include "stepscript/language/Ast.h"
#include "common/FreeThreaded.h"
#include <memory>
#include <vector>

namespace stepscript {

class ScriptEngine;

// A step point as the debugger sees it: its document context (asked of the site) and
// its code breakpoint.
class CodeContext : public common::FreeThreaded<IDebugCodeContext> {
public:
    CodeContext(ScriptEngine* engine, std::shared_ptr<Block> block, int point);

    const Block& block() const { return *block_; }
    int point() const { return point_; }

    STDMETHODIMP GetDocumentContext(IDebugDocumentContext** context) override;
    STDMETHODIMP SetBreakPoint(BREAKPOINT_STATE state) override;

private:
    Microsoft::WRL::ComPtr<ScriptEngine> engine_;
    std::shared_ptr<Block> block_;
    int point_;
};

class CodeContextEnum : public common::FreeThreaded<IEnumDebugCodeContexts> {
public:
    explicit CodeContextEnum(std::vector<Microsoft::WRL::ComPtr<IDebugCodeContext>> items, size_t next = 0)
        : items_(std::move(items)), next_(next) {}

    STDMETHODIMP Next(ULONG count, IDebugCodeContext** out, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumDebugCodeContexts** clone) override;

private:
    std::mutex lock_;
    std::vector<Microsoft::WRL::ComPtr<IDebugCodeContext>> items_;
    size_t next_;
};

} // namespace stepscript
