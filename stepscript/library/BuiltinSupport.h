#pragma once
#include "stepscript/library/ErrObject.h"
#include "stepscript/runtime/Interpreter.h"
#include "stepscript/runtime/ScriptError.h"
#include "stepscript/language/SyntaxError.h"
#include "stepscript/runtime/Value.h"
#include <string>
#include <unordered_map>
#include <vector>

namespace stepscript {
namespace builtins {

using Args = std::vector<Value>;
using Fn = Value (*)(const std::wstring& name, Args& args, ErrObject* err);

struct Builtin {
    size_t minArgs;
    size_t maxArgs;
    Fn fn;
};
using Table = std::unordered_map<std::wstring, Builtin>;

// Each family of functions adds its entries to the one table.
void AddStringFunctions(Table& t);
void AddConversionFunctions(Table& t);
void AddDateFunctions(Table& t);
void AddFormatFunctions(Table& t);
void AddArrayFunctions(Table& t);

[[noreturn]] inline void InvalidCall() { RaiseError(errors::kInvalidCall); }

inline bool Given(const Args& a, size_t i) { return i < a.size() && !IsMissing(a[i]); }

// Argument i as a plain value (an object's default property), required. The
// argument is replaced in place, so long strings are never copied on the way.
inline const Value& Arg(Args& a, size_t i) {
    if (!Given(a, i)) RaiseError(errors::kArgumentNotOptional);
    if (a[i].isObject()) a[i] = DefaultValue(a[i]);
    return a[i];
}
inline std::wstring Text(Args& a, size_t i) { return ToText(Arg(a, i)); }
inline LONG Long(Args& a, size_t i) { return ToLong(Arg(a, i)); }
inline double Dbl(Args& a, size_t i) { return ToDouble(Arg(a, i)); }
// An optional argument with its default; Null counts as a value.
inline LONG LongOr(Args& a, size_t i, LONG fallback) { return Given(a, i) ? Long(a, i) : fallback; }
// The compare argument: vbBinaryCompare (0) or vbTextCompare (1).
inline bool TextCompare(Args& a, size_t i) {
    LONG c = LongOr(a, i, 0);
    if (c < 0 || c > 2) InvalidCall();
    return c != 0;
}

// InputBox's dialog: the text typed, or cancelled set when the user cancelled.
std::wstring ShowInputBox(const std::wstring& prompt, const std::wstring& title, const std::wstring& initial,
                          bool& cancelled);

std::wstring Upper(std::wstring s);
std::wstring Lower(std::wstring s);
// A date value of an argument (strings parsed as dates), as the DATE number.
DATE DateArg(Args& a, size_t i);

} // namespace builtins
} // namespace stepscript
