#include "stepscript/library/BuiltinSupport.h"
#include <algorithm>
#include <cstring>

namespace stepscript {
namespace builtins {
namespace {

// The functions answer Null for a Null string argument where the language does.
bool NullArg(Args& a, size_t i) { return Given(a, i) && Arg(a, i).isNull(); }

// A string of bytes (the B functions): a BSTR whose length is counted in bytes.
Value Bytes(const char* data, UINT count) {
    Value r;
    BSTR b = ::SysAllocStringByteLen(data, count);
    if (!b) RaiseError(errors::kOutOfMemory);
    r.variant().vt = VT_BSTR;
    r.variant().bstrVal = b;
    return r;
}

// The bytes of a string argument; data points into holder, so copies must not outlive it.
struct ByteText {
    Value holder;
    const char* data;
    UINT size;
};

ByteText BytesOf(Args& a, size_t i) {
    ByteText t{Arg(a, i), nullptr, 0};
    if (t.holder.type() != VT_BSTR) t.holder = Value::String(ToText(t.holder));
    BSTR b = t.holder.variant().bstrVal;
    t.data = reinterpret_cast<const char*>(b);
    t.size = ::SysStringByteLen(b);
    return t;
}

size_t Find(const std::wstring& hay, const std::wstring& needle, size_t from, bool text) {
    if (!text) return hay.find(needle, from);
    return Lower(hay).find(Lower(needle), from);
}

size_t FindLast(const std::wstring& hay, const std::wstring& needle, size_t before, bool text) {
    if (!text) return hay.rfind(needle, before);
    return Lower(hay).rfind(Lower(needle), before);
}

Value LenFn(const std::wstring&, Args& a, ErrObject*) {
    const Value& v = Arg(a, 0);
    if (v.isNull()) return v;
    if (v.type() == VT_BSTR) return Value::Long(static_cast<LONG>(::SysStringLen(v.variant().bstrVal)));
    return Value::Long(static_cast<LONG>(ToText(v).size()));
}

Value LenBFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) return Value::Null();
    return Value::Long(static_cast<LONG>(BytesOf(a, 0).size));
}

Value LCaseFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) return Value::Null();
    return Value::String(Lower(Text(a, 0)));
}
Value UCaseFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) return Value::Null();
    return Value::String(Upper(Text(a, 0)));
}

LONG Count(Args& a, size_t i) {
    Value v = Arg(a, i);
    if (v.isNull()) RaiseError(errors::kInvalidUseOfNull);
    LONG n = ToLong(v);
    if (n < 0) InvalidCall();
    return n;
}

Value LeftFn(const std::wstring&, Args& a, ErrObject*) {
    LONG n = Count(a, 1);
    if (NullArg(a, 0)) return Value::Null();
    std::wstring s = Text(a, 0);
    return Value::String(s.substr(0, std::min<size_t>(static_cast<size_t>(n), s.size())));
}

Value RightFn(const std::wstring&, Args& a, ErrObject*) {
    LONG n = Count(a, 1);
    if (NullArg(a, 0)) return Value::Null();
    std::wstring s = Text(a, 0);
    size_t c = std::min<size_t>(static_cast<size_t>(n), s.size());
    return Value::String(s.substr(s.size() - c));
}

Value MidFn(const std::wstring&, Args& a, ErrObject*) {
    Value startValue = Arg(a, 1);
    if (startValue.isNull()) RaiseError(errors::kInvalidUseOfNull);
    LONG start = ToLong(startValue);
    if (start < 1) InvalidCall();
    LONG length = Given(a, 2) ? Count(a, 2) : -1;
    if (NullArg(a, 0)) return Value::Null();
    std::wstring s = Text(a, 0);
    size_t from = static_cast<size_t>(start - 1);
    if (from >= s.size()) return Value::String(L"");
    size_t count = length < 0 ? s.size() - from : std::min<size_t>(s.size() - from, static_cast<size_t>(length));
    return Value::String(s.substr(from, count));
}

Value LeftBFn(const std::wstring&, Args& a, ErrObject*) {
    LONG n = Count(a, 1);
    if (NullArg(a, 0)) return Value::Null();
    ByteText t = BytesOf(a, 0);
    return Bytes(t.data, std::min<UINT>(static_cast<UINT>(n), t.size));
}

Value RightBFn(const std::wstring&, Args& a, ErrObject*) {
    LONG n = Count(a, 1);
    if (NullArg(a, 0)) return Value::Null();
    ByteText t = BytesOf(a, 0);
    UINT c = std::min<UINT>(static_cast<UINT>(n), t.size);
    return Bytes(t.data + t.size - c, c);
}

Value MidBFn(const std::wstring&, Args& a, ErrObject*) {
    LONG start = Long(a, 1);
    if (start < 1) InvalidCall();
    LONG length = Given(a, 2) ? Count(a, 2) : -1;
    if (NullArg(a, 0)) return Value::Null();
    ByteText t = BytesOf(a, 0);
    UINT from = static_cast<UINT>(start - 1);
    if (from >= t.size) return Bytes(nullptr, 0);
    UINT count = length < 0 ? t.size - from : std::min<UINT>(t.size - from, static_cast<UINT>(length));
    return Bytes(t.data + from, count);
}

Value InStrFn(const std::wstring&, Args& a, ErrObject*) {
    // InStr([start, ]string1, string2[, compare]): three or more arguments begin with start.
    size_t first = 0;
    LONG start = 1;
    bool text = false;
    if (a.size() >= 3) {
        Value s = Arg(a, 0);
        if (s.isNull()) RaiseError(errors::kInvalidUseOfNull);
        start = ToLong(s);
        if (start < 1) InvalidCall();
        first = 1;
        text = TextCompare(a, 3);
    }
    if (NullArg(a, first) || NullArg(a, first + 1)) return Value::Null();
    std::wstring s1 = Text(a, first), s2 = Text(a, first + 1);
    if (static_cast<size_t>(start) > s1.size()) return Value::Long(0);
    if (s2.empty()) return Value::Long(start);
    size_t found = Find(s1, s2, static_cast<size_t>(start - 1), text);
    return Value::Long(found == std::wstring::npos ? 0 : static_cast<LONG>(found + 1));
}

Value InStrBFn(const std::wstring&, Args& a, ErrObject*) {
    size_t first = 0;
    LONG start = 1;
    if (a.size() >= 3) {
        start = Long(a, 0);
        if (start < 1) InvalidCall();
        first = 1;
    }
    if (NullArg(a, first) || NullArg(a, first + 1)) return Value::Null();
    ByteText t1 = BytesOf(a, first), t2 = BytesOf(a, first + 1);
    if (static_cast<UINT>(start) > t1.size) return Value::Long(0);
    if (t2.size == 0) return Value::Long(start);
    std::string h(t1.data, t1.size), n(t2.data, t2.size);
    size_t found = h.find(n, static_cast<size_t>(start - 1));
    return Value::Long(found == std::string::npos ? 0 : static_cast<LONG>(found + 1));
}

Value InStrRevFn(const std::wstring&, Args& a, ErrObject*) {
    // InStrRev(string1, string2[, start[, compare]]); start -1 is the end.
    LONG start = LongOr(a, 2, -1);
    if (start == 0 || start < -1) InvalidCall();
    bool text = TextCompare(a, 3);
    if (NullArg(a, 0) || NullArg(a, 1)) return Value::Null();
    std::wstring s1 = Text(a, 0), s2 = Text(a, 1);
    if (start == -1) start = static_cast<LONG>(s1.size());
    if (static_cast<size_t>(start) > s1.size()) return Value::Long(0);
    if (s2.empty()) return Value::Long(start);
    if (s2.size() > static_cast<size_t>(start)) return Value::Long(0);
    size_t found = FindLast(s1, s2, static_cast<size_t>(start) - s2.size(), text);
    return Value::Long(found == std::wstring::npos ? 0 : static_cast<LONG>(found + 1));
}

Value ReplaceFn(const std::wstring&, Args& a, ErrObject*) {
    // Replace(expression, find, with[, start[, count[, compare]]]): the result begins at start.
    for (size_t i = 0; i < 3; ++i)
        if (NullArg(a, i)) RaiseError(errors::kInvalidUseOfNull);
    std::wstring text = Text(a, 0), find = Text(a, 1), with = Text(a, 2);
    LONG start = LongOr(a, 3, 1);
    LONG count = LongOr(a, 4, -1);
    bool ignoreCase = TextCompare(a, 5);
    if (start < 1 || count < -1) InvalidCall();
    if (static_cast<size_t>(start - 1) >= text.size()) return Value::String(L"");
    std::wstring source = text.substr(static_cast<size_t>(start - 1));
    if (find.empty() || count == 0) return Value::String(source);
    std::wstring haystack = ignoreCase ? Lower(source) : source;
    std::wstring needle = ignoreCase ? Lower(find) : find;
    std::wstring out;
    out.reserve(source.size());
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

enum Side { kLeft = 1, kRight = 2 };

Value Trim(Args& a, int sides) {
    if (NullArg(a, 0)) return Value::Null();
    std::wstring s = Text(a, 0);
    size_t b = 0, e = s.size();
    if (sides & kLeft)
        while (b < e && s[b] == L' ') ++b;
    if (sides & kRight)
        while (e > b && s[e - 1] == L' ') --e;
    return Value::String(s.substr(b, e - b));
}
Value TrimFn(const std::wstring&, Args& a, ErrObject*) { return Trim(a, kLeft | kRight); }
Value LTrimFn(const std::wstring&, Args& a, ErrObject*) { return Trim(a, kLeft); }
Value RTrimFn(const std::wstring&, Args& a, ErrObject*) { return Trim(a, kRight); }

// The language's strings are bounded well below the BSTR limit, so a huge request
// fails as an error of the script instead of exhausting the process.
constexpr LONG kMaxLength = 0x10000000;

Value SpaceFn(const std::wstring&, Args& a, ErrObject*) {
    LONG n = Count(a, 0);
    if (n > kMaxLength) RaiseError(errors::kOutOfMemory);
    return Value::String(std::wstring(static_cast<size_t>(n), L' '));
}

Value StringFn(const std::wstring&, Args& a, ErrObject*) {
    LONG n = Count(a, 0);
    Value c = Arg(a, 1);
    if (c.isNull()) return c;
    wchar_t ch = 0;
    if (c.type() == VT_BSTR) {
        std::wstring s = ToText(c);
        if (s.empty()) InvalidCall();
        ch = s[0];
    } else {
        LONG code = ToLong(c);
        if (code < -32768 || code > 65535) InvalidCall();
        ch = static_cast<wchar_t>(code > 255 || code < 0 ? code & 0xFF : code);
    }
    if (n > kMaxLength) RaiseError(errors::kOutOfMemory);
    return Value::String(std::wstring(static_cast<size_t>(n), ch));
}

Value StrCompFn(const std::wstring&, Args& a, ErrObject*) {
    bool text = TextCompare(a, 2);
    if (NullArg(a, 0) || NullArg(a, 1)) return Value::Null();
    std::wstring s1 = Text(a, 0), s2 = Text(a, 1);
    int c;
    if (text) {
        c = ::CompareStringW(ScriptLocale(), NORM_IGNORECASE, s1.c_str(), static_cast<int>(s1.size()), s2.c_str(),
                             static_cast<int>(s2.size())) - 2;
    } else {
        int r = s1.compare(s2);
        c = r < 0 ? -1 : r > 0 ? 1 : 0;
    }
    return Value::Int(static_cast<SHORT>(c));
}

Value StrReverseFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) RaiseError(errors::kInvalidUseOfNull);
    std::wstring s = Text(a, 0);
    std::reverse(s.begin(), s.end());
    return Value::String(s);
}

Value AscFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) RaiseError(errors::kInvalidUseOfNull);
    std::wstring s = Text(a, 0);
    if (s.empty()) InvalidCall();
    if (s[0] < 0x80) return Value::Int(static_cast<SHORT>(s[0]));
    // Characters of the ANSI code page answer their code there, as in VBScript.
    char bytes[4] = {};
    BOOL lossy = FALSE;
    int n = ::WideCharToMultiByte(CP_ACP, 0, s.c_str(), 1, bytes, 4, nullptr, &lossy);
    if (n == 1 && !lossy) return Value::Int(static_cast<unsigned char>(bytes[0]));
    if (n == 2 && !lossy)
        return Value::Int(static_cast<SHORT>((static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1])));
    return Value::Int(static_cast<SHORT>(s[0]));
}

Value AscWFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) RaiseError(errors::kInvalidUseOfNull);
    std::wstring s = Text(a, 0);
    if (s.empty()) InvalidCall();
    return Value::Int(static_cast<SHORT>(s[0]));
}

Value AscBFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) RaiseError(errors::kInvalidUseOfNull);
    ByteText t = BytesOf(a, 0);
    if (t.size == 0) InvalidCall();
    return Value::Int(static_cast<unsigned char>(t.data[0]));
}

Value ChrFn(const std::wstring&, Args& a, ErrObject*) {
    LONG code = Long(a, 0);
    if (code < -32768 || code > 65535) InvalidCall();
    if (code < 0) code += 65536;
    if (code < 0x80) return Value::String(std::wstring(1, static_cast<wchar_t>(code)));
    // Codes above 127 are characters of the ANSI code page (two bytes in a DBCS one).
    char bytes[2];
    int n = 0;
    if (code > 0xFF) {
        bytes[n++] = static_cast<char>(code >> 8);
    }
    bytes[n++] = static_cast<char>(code & 0xFF);
    wchar_t wide = 0;
    if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, n, &wide, 1) != 1) {
        if (code > 0xFF) InvalidCall();
        wide = static_cast<wchar_t>(code);
    }
    return Value::String(std::wstring(1, wide));
}

Value ChrWFn(const std::wstring&, Args& a, ErrObject*) {
    LONG code = Long(a, 0);
    if (code < -32768 || code > 65535) InvalidCall();
    return Value::String(std::wstring(1, static_cast<wchar_t>(code & 0xFFFF)));
}

Value ChrBFn(const std::wstring&, Args& a, ErrObject*) {
    LONG code = Long(a, 0);
    if (code < 0 || code > 255) InvalidCall();
    char b = static_cast<char>(code);
    return Bytes(&b, 1);
}

bool Unreserved(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ||
           std::wcschr(L"@*_+-./", c) != nullptr;
}

Value EscapeFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) return Value::Null();
    std::wstring s = Text(a, 0), out;
    out.reserve(s.size());
    static const wchar_t hex[] = L"0123456789ABCDEF";
    for (wchar_t c : s) {
        if (c && Unreserved(c)) {
            out += c;
        } else if (c < 0x100) {
            out += L'%';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += L"%u";
            for (int shift = 12; shift >= 0; shift -= 4) out += hex[(c >> shift) & 15];
        }
    }
    return Value::String(out);
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

bool HexRun(const std::wstring& s, size_t at, size_t count, int& value) {
    if (at + count > s.size()) return false;
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        int d = HexDigit(s[at + i]);
        if (d < 0) return false;
        value = value * 16 + d;
    }
    return true;
}

Value UnescapeFn(const std::wstring&, Args& a, ErrObject*) {
    if (NullArg(a, 0)) return Value::Null();
    std::wstring s = Text(a, 0), out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        int v = 0;
        if (s[i] == L'%' && s[i + 1] == L'u' && HexRun(s, i + 2, 4, v)) {
            out += static_cast<wchar_t>(v);
            i += 5;
        } else if (s[i] == L'%' && HexRun(s, i + 1, 2, v)) {
            out += static_cast<wchar_t>(v);
            i += 2;
        } else {
            out += s[i];
        }
    }
    return Value::String(out);
}

} // namespace

void AddStringFunctions(Table& t) {
    t.insert({
        {L"len", {1, 1, LenFn}},          {L"lenb", {1, 1, LenBFn}},         {L"lcase", {1, 1, LCaseFn}},
        {L"ucase", {1, 1, UCaseFn}},      {L"left", {2, 2, LeftFn}},         {L"leftb", {2, 2, LeftBFn}},
        {L"right", {2, 2, RightFn}},      {L"rightb", {2, 2, RightBFn}},     {L"mid", {2, 3, MidFn}},
        {L"midb", {2, 3, MidBFn}},        {L"instr", {2, 4, InStrFn}},       {L"instrb", {2, 4, InStrBFn}},
        {L"instrrev", {2, 4, InStrRevFn}}, {L"replace", {3, 6, ReplaceFn}},  {L"trim", {1, 1, TrimFn}},
        {L"ltrim", {1, 1, LTrimFn}},      {L"rtrim", {1, 1, RTrimFn}},       {L"space", {1, 1, SpaceFn}},
        {L"string", {2, 2, StringFn}},    {L"strcomp", {2, 3, StrCompFn}},   {L"strreverse", {1, 1, StrReverseFn}},
        {L"asc", {1, 1, AscFn}},          {L"ascw", {1, 1, AscWFn}},         {L"ascb", {1, 1, AscBFn}},
        {L"chr", {1, 1, ChrFn}},          {L"chrw", {1, 1, ChrWFn}},         {L"chrb", {1, 1, ChrBFn}},
        {L"escape", {1, 1, EscapeFn}},    {L"unescape", {1, 1, UnescapeFn}},
    });
}

} // namespace builtins
} // namespace stepscript
