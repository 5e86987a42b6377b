#pragma once
// Entry points of oleacc.dll, looked up by name so that a program still runs, without
// accessibility, where the library or a function is missing (an entry is then null).
#include <windows.h>
#include <oleacc.h>

namespace common {

struct Oleacc {
    decltype(&::AccessibleObjectFromWindow) accessibleObjectFromWindow = nullptr;
    decltype(&::AccessibleObjectFromPoint) accessibleObjectFromPoint = nullptr;
    decltype(&::WindowFromAccessibleObject) windowFromAccessibleObject = nullptr;
    decltype(&::AccessibleChildren) accessibleChildren = nullptr;
    decltype(&::LresultFromObject) lresultFromObject = nullptr;

    // Resolved on first use; the library stays loaded for the process's life, since
    // objects it handed out may outlive any unload.
    static const Oleacc& Instance();
};

} // namespace common
