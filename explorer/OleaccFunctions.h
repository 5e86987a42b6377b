#pragma once
// The accessibility entry points the Window Explorer calls. They are looked up by name
// in oleacc.dll so that the explorer still works, with windows only, where the library
// or a function is missing.
#include <windows.h>
#include <oleacc.h>

namespace explorer {

struct OleaccFunctions {
    decltype(&::AccessibleObjectFromPoint) objectFromPoint = nullptr;
    decltype(&::AccessibleObjectFromWindow) objectFromWindow = nullptr;
    decltype(&::AccessibleChildren) children = nullptr;
    decltype(&::WindowFromAccessibleObject) windowFromObject = nullptr;

    // Resolves the entries from oleacc.dll (loaded once, kept for the process's life).
    static OleaccFunctions Load();
};

} // namespace explorer
