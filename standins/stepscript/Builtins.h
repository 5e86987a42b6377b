#pragma once
#include "standins/stepscript/Value.h"
#include <string>
#include <vector>

namespace stepscript {

class ErrObject;

// The language's built-in functions (CreateObject, Len, Mid, ...) and the Err object.
bool IsBuiltin(const std::wstring& lower);
// Calls the built-in named lower; name is the spelling used, for error messages.
// Left-out arguments are MissingArgument() values.
Value CallBuiltin(const std::wstring& lower, const std::wstring& name, std::vector<Value>& args, ErrObject* err);

} // namespace stepscript
