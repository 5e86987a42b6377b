#pragma once
#include "stepscript/runtime/Value.h"
#include <unknwn.h>
#include <string>
#include <vector>

namespace stepscript {

// An object made with New from a Class of the script. Only this engine asks for it
// (TypeName, the debugger's member list); it never crosses a thread or a process.
struct IScriptObject : public IUnknown {
    // The class name as declared.
    virtual std::wstring className() = 0;
    // The member variables as declared (name as written, current value), public and private.
    virtual std::vector<std::pair<std::wstring, Value>> memberValues() = 0;
};

} // namespace stepscript

__CRT_UUID_DECL(stepscript::IScriptObject, 0x6a0f3c52, 0x8e41, 0x4d7b, 0x9c, 0x1e, 0x2f, 0x5d, 0x7a, 0x3b, 0x9e, 0x10)
