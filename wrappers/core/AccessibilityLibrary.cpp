#include "wrappers/core/AccessibilityLibrary.h"

namespace wrappers {

const AccessibilityLibrary& AccessibilityLibrary::instance() {
    // Kept for the life of the process: objects it handed out may outlive any unload.
    static const AccessibilityLibrary library = [] {
        AccessibilityLibrary lib;
        if (HMODULE module = ::LoadLibraryW(L"Oleacc.dll")) {
            lib.windowFromAccessibleObject = reinterpret_cast<WindowFromAccessibleObjectFn>(
                reinterpret_cast<void*>(::GetProcAddress(module, "WindowFromAccessibleObject")));
            lib.accessibleObjectFromWindow = reinterpret_cast<AccessibleObjectFromWindowFn>(
                reinterpret_cast<void*>(::GetProcAddress(module, "AccessibleObjectFromWindow")));
            lib.accessibleChildren = reinterpret_cast<AccessibleChildrenFn>(
                reinterpret_cast<void*>(::GetProcAddress(module, "AccessibleChildren")));
        }
        return lib;
    }();
    return library;
}

} // namespace wrappers
