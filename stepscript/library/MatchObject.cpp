#include "stepscript/library/MatchObject.h"
#include <iterator>

namespace stepscript {
namespace {

enum : DISPID { kValue = DISPID_VALUE, kFirstIndex = 1, kLength = 2, kSubMatches = 3 };

const SimpleDispatch::Member kMembers[] = {
    {L"value", kValue}, {L"firstindex", kFirstIndex}, {L"length", kLength}, {L"submatches", kSubMatches}};

} // namespace

MatchObject::MatchObject(std::wstring value, LONG firstIndex, std::vector<Value> groups)
    : SimpleDispatch(kMembers, std::size(kMembers)), value_(std::move(value)), firstIndex_(firstIndex),
      subMatches_(common::Adopt(new SubMatchCollection(std::move(groups)))) {}

HRESULT MatchObject::call(DISPID id, WORD flags, std::vector<Value>& args, Value& result) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return DISP_E_MEMBERNOTFOUND;
    if (id == kSubMatches) {
        // m.SubMatches(1) asks the collection's default member.
        if (args.empty()) {
            result = Value::Object(subMatches_.Get());
            return S_OK;
        }
        if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
        result = subMatches_->item(args[0]);
        return S_OK;
    }
    if (!args.empty()) return DISP_E_BADPARAMCOUNT;
    switch (id) {
    case kValue: result = Value::String(value_); return S_OK;
    case kFirstIndex: result = Value::Long(firstIndex_); return S_OK;
    case kLength: result = Value::Long(static_cast<LONG>(value_.size())); return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

} // namespace stepscript
