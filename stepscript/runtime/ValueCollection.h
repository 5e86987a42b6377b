#pragma once
#include "stepscript/runtime/SimpleDispatch.h"
#include <memory>
#include <vector>

namespace stepscript {

// A read-only collection as scripts use them: Count, Item(index from 0) as the default
// member, and For Each.
class ValueCollection : public SimpleDispatch {
public:
    explicit ValueCollection(std::vector<Value> items);
    // Item(index); Invalid procedure call outside 0 to Count - 1.
    Value item(const Value& index) const;

protected:
    HRESULT call(DISPID id, WORD flags, std::vector<Value>& args, Value& result) override;

private:
    std::shared_ptr<const std::vector<Value>> items_;
};

} // namespace stepscript
