#include "stepscript/library/RegExpObject.h"
#include "stepscript/library/MatchCollection.h"
#include "stepscript/library/MatchObject.h"
#include "stepscript/runtime/ScriptError.h"
#include "stepscript/language/SyntaxError.h"
#include <cwctype>
#include <iterator>

namespace stepscript {
namespace {

enum : DISPID {
    kPattern = DISPID_VALUE,
    kGlobal = 1,
    kIgnoreCase = 2,
    kMultiline = 3,
    kTest = 4,
    kReplace = 5,
    kExecute = 6,
};

const SimpleDispatch::Member kMembers[] = {{L"pattern", kPattern}, {L"global", kGlobal},   {L"ignorecase", kIgnoreCase},
                                           {L"multiline", kMultiline}, {L"test", kTest}, {L"replace", kReplace},
                                           {L"execute", kExecute}};

constexpr int kRegExpSyntax = 5017;

// The text of $1..$99 when the pattern has that group; two digits win when both could.
bool GroupReference(const std::wstring& with, size_t& i, size_t groups, size_t& group) {
    auto digit = [&](size_t at) { return at < with.size() && std::iswdigit(with[at]) ? int(with[at] - L'0') : -1; };
    int first = digit(i + 1);
    if (first < 0) return false;
    int second = digit(i + 2);
    if (second >= 0 && first * 10 + second >= 1 && size_t(first * 10 + second) <= groups) {
        group = first * 10 + second;
        i += 2;
        return true;
    }
    if (first >= 1 && size_t(first) <= groups) {
        group = first;
        i += 1;
        return true;
    }
    return false;
}

} // namespace

RegExpObject::RegExpObject() : SimpleDispatch(kMembers, std::size(kMembers)) {}

const boost::wregex& RegExpObject::compiled() {
    if (regex_) return *regex_;
    boost::regex_constants::syntax_option_type flags = boost::regex_constants::ECMAScript;
    if (ignoreCase_) flags |= boost::regex_constants::icase;
    // Without Multiline, ^ and $ hold at the ends of the whole text only.
    if (!multiline_) flags |= boost::regex_constants::no_mod_m;
    try {
        regex_.emplace(pattern_, flags);
    } catch (const boost::regex_error&) {
        throw ScriptError{ScriptHr(kRegExpSyntax), kRuntimeSource, L"Syntax error in regular expression"};
    } catch (const std::runtime_error&) {
        throw ScriptError{ScriptHr(kRegExpSyntax), kRuntimeSource, L"Syntax error in regular expression"};
    }
    return *regex_;
}

std::vector<RegExpObject::Found> RegExpObject::find(const std::wstring& text, bool all) {
    const boost::wregex& re = compiled();
    std::vector<Found> found;
    size_t from = 0;
    while (from <= text.size()) {
        boost::match_flag_type flags = boost::match_default | boost::match_not_dot_newline;
        if (from > 0) flags |= boost::match_prev_avail;
        boost::wsmatch m;
        bool hit = false;
        try {
            // The text's start as base: ^ and \b still see what comes before the search.
            hit = boost::regex_search(text.begin() + from, text.end(), m, re, flags, text.begin());
        } catch (const std::runtime_error&) {
            // A pattern too complex for this text (boost gives up rather than run forever).
            RaiseError(errors::kOutOfStack);
        }
        if (!hit) break;
        Found f;
        f.start = static_cast<size_t>(m[0].first - text.begin());
        f.length = static_cast<size_t>(m[0].length());
        for (size_t g = 1; g < m.size(); ++g)
            f.groups.push_back(m[g].matched ? Value::String(m[g].str()) : Value());
        found.push_back(std::move(f));
        if (!all) break;
        const Found& last = found.back();
        from = last.start + last.length + (last.length == 0 ? 1 : 0);
    }
    return found;
}

std::wstring RegExpObject::replace(const std::wstring& text, const std::wstring& with) {
    std::vector<Found> found = find(text, global_);
    std::wstring out;
    size_t done = 0;
    for (const Found& f : found) {
        out.append(text, done, f.start - done);
        for (size_t i = 0; i < with.size(); ++i) {
            size_t group = 0;
            if (with[i] != L'$' || i + 1 == with.size()) {
                out += with[i];
            } else if (with[i + 1] == L'$') {
                out += L'$';
                ++i;
            } else if (with[i + 1] == L'&') {
                out.append(text, f.start, f.length);
                ++i;
            } else if (with[i + 1] == L'`') {
                out.append(text, 0, f.start);
                ++i;
            } else if (with[i + 1] == L'\'') {
                out.append(text, f.start + f.length, std::wstring::npos);
                ++i;
            } else if (GroupReference(with, i, f.groups.size(), group)) {
                if (!f.groups[group - 1].isEmpty()) out += ToText(f.groups[group - 1]);
            } else {
                out += L'$';
            }
        }
        done = f.start + f.length;
    }
    out.append(text, done, std::wstring::npos);
    return out;
}

HRESULT RegExpObject::call(DISPID id, WORD flags, std::vector<Value>& args, Value& result) {
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    auto flag = [&](bool& field) -> HRESULT {
        if (put) {
            if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
            field = ToBool(args[0]);
            regex_.reset();
        } else {
            if (!args.empty()) return DISP_E_BADPARAMCOUNT;
            result = Value::Bool(field);
        }
        return S_OK;
    };
    switch (id) {
    case kPattern:
        if (put) {
            if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
            pattern_ = ToText(args[0]);
            regex_.reset();
        } else {
            if (!args.empty()) return DISP_E_BADPARAMCOUNT;
            result = Value::String(pattern_);
        }
        return S_OK;
    case kGlobal: return flag(global_);
    case kIgnoreCase: return flag(ignoreCase_);
    case kMultiline: return flag(multiline_);
    default: break;
    }
    if (put) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
    case kTest:
        if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
        result = Value::Bool(!find(ToText(args[0]), false).empty());
        return S_OK;
    case kReplace:
        if (args.size() != 2) return DISP_E_BADPARAMCOUNT;
        result = Value::String(replace(ToText(args[0]), ToText(args[1])));
        return S_OK;
    case kExecute: {
        if (args.size() != 1) return DISP_E_BADPARAMCOUNT;
        std::wstring text = ToText(args[0]);
        std::vector<Value> matches;
        for (Found& f : find(text, global_)) {
            auto match = common::Adopt(
                new MatchObject(text.substr(f.start, f.length), static_cast<LONG>(f.start), std::move(f.groups)));
            matches.push_back(Value::Object(match.Get()));
        }
        auto collection = common::Adopt(new MatchCollection(std::move(matches)));
        result = Value::Object(collection.Get());
        return S_OK;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

Value NewRegExp() {
    auto object = common::Adopt(new RegExpObject());
    return Value::Object(object.Get());
}

} // namespace stepscript
