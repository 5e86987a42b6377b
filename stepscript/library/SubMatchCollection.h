#pragma once
#include "stepscript/runtime/ValueCollection.h"

namespace stepscript {

// The SubMatches of a Match: the text each group took, Empty for a group that took no part.
class SubMatchCollection : public ValueCollection {
public:
    explicit SubMatchCollection(std::vector<Value> items);
    const wchar_t* typeName() const override { return L"ISubMatches"; }
};

} // namespace stepscript
