#pragma once
#include <windows.h>
#include <oleacc.h>

namespace host {

// Entry points of oleacc.dll, resolved once at start-up; an entry is null when the
// library or the function is missing.
struct AccessibilityLibrary {
    decltype(&::AccessibleObjectFromWindow) accessibleObjectFromWindow = nullptr;
    decltype(&::AccessibleObjectFromPoint) accessibleObjectFromPoint = nullptr;
    decltype(&::LresultFromObject) lresultFromObject = nullptr;
    decltype(&::WindowFromAccessibleObject) windowFromAccessibleObject = nullptr;
    decltype(&::AccessibleChildren) accessibleChildren = nullptr;

    void Load();
    static AccessibilityLibrary& Instance();
};

} // namespace host
