#pragma once
#include "standins/stepscript/Value.h"
#include <unknwn.h>
#include <string>
#include <vector>

namespace stepscript {

// An object made with New from a Class of the script. Only this engine asks for it
// (TypeName, the debugger's member list); it never crosses a thread or a process.
struct __declspec(uuid("6a0f3c52-8e41-4d7b-9c1e-2f5d7a3b9e10")) IScriptObject : public IUnknown {
    // The class name as declared.
    virtual std::wstring className() = 0;
    // The member variables as declared (name as written, current value), public and private.
    virtual std::vector<std::pair<std::wstring, Value>> memberValues() = 0;
};

} // namespace stepscript
