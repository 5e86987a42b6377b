#pragma once
#include "stepscript/runtime/Value.h"
#include <string>
#include <vector>

namespace stepscript {

class ErrObject;

// The language's built-in functions (CreateObject, Len, Mid, ...) and the Err object.
bool IsBuiltin(const std::wstring& lower);
// Calls the built-in named lower; name is the spelling used, for error messages.
// Left-out arguments are MissingArgument() values.
Value CallBuiltin(const std::wstring& lower, const std::wstring& name, std::vector<Value>& args, ErrObject* err);

// The language's named constants (vbCrLf, vbString, ...); false when lower names none.
bool BuiltinConstant(const std::wstring& lower, Value& value);

} // namespace stepscript
