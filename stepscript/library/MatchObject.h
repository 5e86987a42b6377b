#pragma once
#include "stepscript/runtime/SimpleDispatch.h"
#include "stepscript/library/SubMatchCollection.h"
#include <string>
#include <vector>

namespace stepscript {

// One match of RegExp.Execute: Value (the default member), FirstIndex (from 0), Length
// and SubMatches.
class MatchObject : public SimpleDispatch {
public:
    MatchObject(std::wstring value, LONG firstIndex, std::vector<Value> groups);
    const wchar_t* typeName() const override { return L"IMatch2"; }

protected:
    HRESULT call(DISPID id, WORD flags, std::vector<Value>& args, Value& result) override;

private:
    std::wstring value_;
    LONG firstIndex_;
    Microsoft::WRL::ComPtr<SubMatchCollection> subMatches_;
};

} // namespace stepscript
