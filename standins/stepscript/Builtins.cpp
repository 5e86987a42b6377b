#include "standins/stepscript/Builtins.h"
#include "standins/stepscript/ErrObject.h"
#include "standins/stepscript/Interpreter.h"
#include "standins/stepscript/ScriptError.h"
#include "standins/stepscript/SyntaxError.h"
#include <algorithm>
#include <cwctype>
#include <unordered_map>

namespace stepscript {
namespace {

using Args = std::vector<Value>;
using Fn = Value (*)(const std::wstring& name, Args& args, ErrObject* err);

struct Builtin {
    size_t minArgs;
    size_t maxArgs;
    Fn fn;
};

[[noreturn]] void InvalidCall(const std::wstring& name) { RaiseError(errors::kInvalidCall, name); }

const Value& Required(const std::wstring& name, Args& args, size_t i) {
    if (i >= args.size() || IsMissing(args[i])) RaiseError(errors::kWrongArgumentCount, name);
    return args[i];
}

std::wstring Str(const std::wstring& name, Args& args, size_t i) {
    return ToText(DefaultValue(Required(name, args, i)));
}

LONG Num(const std::wstring& name, Args& args, size_t i) { return ToLong(DefaultValue(Required(name, args, i))); }

std::wstring Upper(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
    return s;
}
std::wstring LowerText(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

bool IsSpace(wchar_t c) { return c == L' '; }

Value CreateObjectFn(const std::wstring& name, Args& args, ErrObject*) {
    std::wstring progId = Str(name, args, 0);
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(progId.c_str(), &clsid)) && FAILED(::CLSIDFromString(progId.c_str(), &clsid)))
        RaiseError(errors::kCannotCreateObject, progId);
    Microsoft::WRL::ComPtr<IDispatch> object;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                    reinterpret_cast<void**>(object.GetAddressOf()));
    if (FAILED(hr) || !object) RaiseError(errors::kCannotCreateObject, progId);
    return Value::Object(object.Get());
}

Value LenFn(const std::wstring& name, Args& a, ErrObject*) {
    Value v = DefaultValue(Required(name, a, 0));
    if (v.type() == VT_NULL) return v;
    return Value::Long(static_cast<LONG>(ToText(v).size()));
}
Value CStrFn(const std::wstring& n, Args& a, ErrObject*) { return Value::String(Str(n, a, 0)); }
Value CLngFn(const std::wstring& n, Args& a, ErrObject*) { return ConvertTo(DefaultValue(Required(n, a, 0)), VT_I4); }
Value CIntFn(const std::wstring& n, Args& a, ErrObject*) { return ConvertTo(DefaultValue(Required(n, a, 0)), VT_I2); }
Value CDblFn(const std::wstring& n, Args& a, ErrObject*) { return ConvertTo(DefaultValue(Required(n, a, 0)), VT_R8); }
Value CBoolFn(const std::wstring& n, Args& a, ErrObject*) { return ConvertTo(DefaultValue(Required(n, a, 0)), VT_BOOL); }
Value UCaseFn(const std::wstring& n, Args& a, ErrObject*) { return Value::String(Upper(Str(n, a, 0))); }
Value LCaseFn(const std::wstring& n, Args& a, ErrObject*) { return Value::String(LowerText(Str(n, a, 0))); }

Value LeftFn(const std::wstring& n, Args& a, ErrObject*) {
    std::wstring s = Str(n, a, 0);
    LONG count = Num(n, a, 1);
    if (count < 0) InvalidCall(n);
    return Value::String(s.substr(0, std::min<size_t>(count, s.size())));
}

Value RightFn(const std::wstring& n, Args& a, ErrObject*) {
    std::wstring s = Str(n, a, 0);
    LONG count = Num(n, a, 1);
    if (count < 0) InvalidCall(n);
    size_t c = std::min<size_t>(count, s.size());
    return Value::String(s.substr(s.size() - c));
}

Value MidFn(const std::wstring& n, Args& a, ErrObject*) {
    std::wstring s = Str(n, a, 0);
    LONG start = Num(n, a, 1);
    if (start < 1) InvalidCall(n);
    size_t from = static_cast<size_t>(start - 1);
    if (from >= s.size()) return Value::String(L"");
    size_t count = s.size() - from;
    if (a.size() > 2 && !IsMissing(a[2])) {
        LONG len = Num(n, a, 2);
        if (len < 0) InvalidCall(n);
        count = std::min<size_t>(count, static_cast<size_t>(len));
    }
    return Value::String(s.substr(from, count));
}

Value InStrFn(const std::wstring& n, Args& a, ErrObject*) {
    // InStr(s1, s2) or InStr(start, s1, s2[, compare])
    size_t first = 0;
    LONG start = 1;
    bool ignoreCase = false;
    if (a.size() >= 3) {
        start = Num(n, a, 0);
        if (start < 1) InvalidCall(n);
        first = 1;
        if (a.size() == 4 && !IsMissing(a[3])) ignoreCase = Num(n, a, 3) == 1;
    }
    std::wstring s1 = Str(n, a, first), s2 = Str(n, a, first + 1);
    if (ignoreCase) {
        s1 = LowerText(s1);
        s2 = LowerText(s2);
    }
    if (static_cast<size_t>(start - 1) > s1.size()) return Value::Long(0);
    size_t found = s1.find(s2, static_cast<size_t>(start - 1));
    return Value::Long(found == std::wstring::npos ? 0 : static_cast<LONG>(found + 1));
}

Value ReplaceFn(const std::wstring& n, Args& a, ErrObject*) {
    // Replace(text, find, with[, start[, count[, compare]]])
    std::wstring text = Str(n, a, 0), find = Str(n, a, 1), with = Str(n, a, 2);
    LONG start = a.size() > 3 && !IsMissing(a[3]) ? Num(n, a, 3) : 1;
    LONG count = a.size() > 4 && !IsMissing(a[4]) ? Num(n, a, 4) : -1;
    bool ignoreCase = a.size() > 5 && !IsMissing(a[5]) && Num(n, a, 5) == 1;
    if (start < 1 || count < -1) InvalidCall(n);
    if (static_cast<size_t>(start - 1) > text.size()) return Value::String(L"");
    std::wstring source = text.substr(start - 1);
    if (find.empty() || count == 0) return Value::String(source);
    std::wstring haystack = ignoreCase ? LowerText(source) : source;
    std::wstring needle = ignoreCase ? LowerText(find) : find;
    std::wstring out;
    size_t pos = 0;
    LONG done = 0;
    for (;;) {
        size_t hit = (count == -1 || done < count) ? haystack.find(needle, pos) : std::wstring::npos;
        if (hit == std::wstring::npos) {
            out.append(source, pos, std::wstring::npos);
            break;
        }
        out.append(source, pos, hit - pos);
        out += with;
        pos = hit + needle.size();
        ++done;
    }
    return Value::String(out);
}

Value TrimFn(const std::wstring& n, Args& a, ErrObject*) {
    std::wstring s = Str(n, a, 0);
    size_t b = 0, e = s.size();
    while (b < e && IsSpace(s[b])) ++b;
    while (e > b && IsSpace(s[e - 1])) --e;
    return Value::String(s.substr(b, e - b));
}
Value LTrimFn(const std::wstring& n, Args& a, ErrObject*) {
    std::wstring s = Str(n, a, 0);
    size_t b = 0;
    while (b < s.size() && IsSpace(s[b])) ++b;
    return Value::String(s.substr(b));
}
Value RTrimFn(const std::wstring& n, Args& a, ErrObject*) {
    std::wstring s = Str(n, a, 0);
    size_t e = s.size();
    while (e > 0 && IsSpace(s[e - 1])) --e;
    return Value::String(s.substr(0, e));
}

Value ChrFn(const std::wstring& n, Args& a, ErrObject*) {
    LONG code = Num(n, a, 0);
    if (code < 0 || code > 0xFFFF) InvalidCall(n);
    if (code > 0xFF) return Value::String(std::wstring(1, static_cast<wchar_t>(code)));
    // Codes up to 255 are characters of the ANSI code page, as in VBScript.
    char byte = static_cast<char>(code);
    wchar_t wide = 0;
    if (::MultiByteToWideChar(CP_ACP, 0, &byte, 1, &wide, 1) != 1) wide = static_cast<wchar_t>(code);
    return Value::String(std::wstring(1, wide));
}

Value AscFn(const std::wstring& n, Args& a, ErrObject*) {
    std::wstring s = Str(n, a, 0);
    if (s.empty()) InvalidCall(n);
    char byte = 0;
    BOOL lossy = FALSE;
    if (s[0] < 0x80 || ::WideCharToMultiByte(CP_ACP, 0, s.c_str(), 1, &byte, 1, nullptr, &lossy) != 1 || lossy)
        return Value::Long(s[0] < 0x80 ? s[0] : static_cast<LONG>(s[0]));
    return Value::Long(static_cast<unsigned char>(byte));
}

Value IsObjectFn(const std::wstring& n, Args& a, ErrObject*) { return Value::Bool(Required(n, a, 0).isObject()); }
Value IsEmptyFn(const std::wstring& n, Args& a, ErrObject*) { return Value::Bool(Required(n, a, 0).isEmpty()); }
Value IsNullFn(const std::wstring& n, Args& a, ErrObject*) { return Value::Bool(Required(n, a, 0).type() == VT_NULL); }
Value IsNumericFn(const std::wstring& n, Args& a, ErrObject*) {
    const Value& v = Required(n, a, 0);
    if (v.isObject() || v.type() == VT_NULL) return Value::Bool(false);
    if (v.isEmpty()) return Value::Bool(true);
    Value out;
    return Value::Bool(SUCCEEDED(::VariantChangeType(&out.variant(), const_cast<VARIANT*>(&v.variant()), 0, VT_R8)));
}
Value TypeNameFn(const std::wstring& n, Args& a, ErrObject*) { return Value::String(TypeNameOf(Required(n, a, 0))); }
Value ErrFn(const std::wstring&, Args&, ErrObject* err) { return Value::Object(err); }

const std::unordered_map<std::wstring, Builtin>& Table() {
    static const std::unordered_map<std::wstring, Builtin> table = {
        {L"createobject", {1, 2, CreateObjectFn}},
        {L"len", {1, 1, LenFn}},
        {L"cstr", {1, 1, CStrFn}},
        {L"clng", {1, 1, CLngFn}},
        {L"cint", {1, 1, CIntFn}},
        {L"cdbl", {1, 1, CDblFn}},
        {L"cbool", {1, 1, CBoolFn}},
        {L"ucase", {1, 1, UCaseFn}},
        {L"lcase", {1, 1, LCaseFn}},
        {L"left", {2, 2, LeftFn}},
        {L"right", {2, 2, RightFn}},
        {L"mid", {2, 3, MidFn}},
        {L"instr", {2, 4, InStrFn}},
        {L"replace", {3, 6, ReplaceFn}},
        {L"trim", {1, 1, TrimFn}},
        {L"ltrim", {1, 1, LTrimFn}},
        {L"rtrim", {1, 1, RTrimFn}},
        {L"chr", {1, 1, ChrFn}},
        {L"asc", {1, 1, AscFn}},
        {L"isobject", {1, 1, IsObjectFn}},
        {L"isempty", {1, 1, IsEmptyFn}},
        {L"isnull", {1, 1, IsNullFn}},
        {L"isnumeric", {1, 1, IsNumericFn}},
        {L"typename", {1, 1, TypeNameFn}},
        {L"err", {0, 0, ErrFn}},
    };
    return table;
}

} // namespace

bool IsBuiltin(const std::wstring& lower) { return Table().count(lower) != 0; }

Value CallBuiltin(const std::wstring& lower, const std::wstring& name, std::vector<Value>& args, ErrObject* err) {
    const Builtin& b = Table().at(lower);
    if (args.size() < b.minArgs || args.size() > b.maxArgs) RaiseError(errors::kWrongArgumentCount, name);
    return b.fn(name, args, err);
}

bool BuiltinConstant(const std::wstring& lower, Value& value) {
    static const std::unordered_map<std::wstring, Value> constants = {
        {L"vbcrlf", Value::String(L"\r\n")}, {L"vbcr", Value::String(L"\r")}, {L"vblf", Value::String(L"\n")},
        {L"vbtab", Value::String(L"\t")},
    };
    auto it = constants.find(lower);
    if (it == constants.end()) return false;
    value = it->second;
    return true;
}

} // namespace stepscript
