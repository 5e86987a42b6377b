#pragma once
#include "stepscript/runtime/ValueCollection.h"

namespace stepscript {

// The Matches of RegExp.Execute: Match objects in the order found.
class MatchCollection : public ValueCollection {
public:
    explicit MatchCollection(std::vector<Value> items);
    const wchar_t* typeName() const override { return L"IMatchCollection2"; }
};

} // namespace stepscript
