#include "stepscript/runtime/ValueCollection.h"
#include "stepscript/runtime/ScriptError.h"
#include "stepscript/language/SyntaxError.h"
#include "stepscript/runtime/VariantEnum.h"
#include <iterator>

namespace stepscript {
namespace {

enum : DISPID { kItem = DISPID_VALUE, kCount = 1, kNewEnum = DISPID_NEWENUM };

const SimpleDispatch::Member kMembers[] = {{L"item", kItem}, {L"count", kCount}, {L"_newenum", kNewEnum}};

} // namespace

ValueCollection::ValueCollection(std::vector<Value> items)
    : SimpleDispatch(kMembers, std::size(kMembers)),
      items_(std::make_shared<const std::vector<Value>>(std::move(items))) {}

Value ValueCollection::item(const Value& index) const {
    LONG i = ToLong(index);
    if (i < 0 || static_cast<size_t>(i) >= items_->size()) RaiseError(errors::kInvalidCall);
    return (*items_)[i];
}

HRESULT ValueCollection::call(DISPID id, WORD flags, std::vector<Value>& args, Value& result) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
    case kCount:
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        result = Value::Long(static_cast<LONG>(items_->size()));
        return S_OK;
    case kItem: {
        if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
        result = item(args[0]);
        return S_OK;
    }
    case kNewEnum: {
        if (!args.empty()) return DISP_E_BADPARAMCOUNT;
        auto items = common::Adopt(new VariantEnum(items_));
        VARIANT v;
        v.vt = VT_UNKNOWN;
        v.punkVal = items.Detach();
        result = Value::Take(v);
        return S_OK;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace stepscript
