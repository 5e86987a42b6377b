#pragma once
#include <unknwn.h>

namespace stepscript {

// An object of this engine's library (RegExp and the objects it answers). Only this
// engine asks for it: TypeName gives the name the language gives such an object.
struct IBuiltinObject : public IUnknown {
    virtual const wchar_t* typeName() const = 0;
};

} // namespace stepscript

__CRT_UUID_DECL(stepscript::IBuiltinObject, 0x3c1e7a90, 0x52d4, 0x4b8e, 0xa6, 0x17, 0x0d, 0x94, 0xe2, 0x5b, 0x71, 0xc8)
