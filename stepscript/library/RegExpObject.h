#pragma once
#include "stepscript/runtime/SimpleDispatch.h"
#include <boost/regex.hpp>
#include <optional>
#include <string>
#include <vector>

namespace stepscript {

// New RegExp: Pattern, Global, IgnoreCase, Multiline; Test, Replace and Execute. The
// pattern is compiled when first used after a change, so a bad one fails that call.
class RegExpObject : public SimpleDispatch {
public:
    RegExpObject();
    const wchar_t* typeName() const override { return L"IRegExp2"; }

protected:
    HRESULT call(DISPID id, WORD flags, std::vector<Value>& args, Value& result) override;

private:
    struct Found {
        size_t start;
        size_t length;
        std::vector<Value> groups;  // Empty for a group that took no part
    };
    const boost::wregex& compiled();
    // The first match, or every one with Global; an empty match moves the search on.
    std::vector<Found> find(const std::wstring& text, bool all);
    std::wstring replace(const std::wstring& text, const std::wstring& with);

    std::wstring pattern_;
    bool global_ = false;
    bool ignoreCase_ = false;
    bool multiline_ = false;
    std::optional<boost::wregex> regex_;  // reset by every change of the above
};

Value NewRegExp();

} // namespace stepscript
