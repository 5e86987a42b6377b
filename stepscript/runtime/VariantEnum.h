#pragma once
#include "common/ComObject.h"
#include "stepscript/runtime/Value.h"
#include <oaidl.h>
#include <memory>
#include <vector>

namespace stepscript {

// For Each over a fixed list of values; clones share the list.
class VariantEnum : public common::ComObject<IEnumVARIANT> {
public:
    explicit VariantEnum(std::shared_ptr<const std::vector<Value>> items, size_t next = 0)
        : items_(std::move(items)), next_(next) {}

    STDMETHODIMP Next(ULONG count, VARIANT* out, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumVARIANT** clone) override;

private:
    std::shared_ptr<const std::vector<Value>> items_;
    size_t next_;
};

} // namespace stepscript
