#include "host/AccessibilityLibrary.h"

namespace host {

namespace {
template <typename T>
void Resolve(HMODULE module, const char* name, T& entry) {
    entry = module ? reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}
} // namespace

void AccessibilityLibrary::Load() {
    // Kept loaded for the life of the process.
    HMODULE module = ::LoadLibraryW(L"oleacc.dll");
    Resolve(module, "AccessibleObjectFromWindow", accessibleObjectFromWindow);
    Resolve(module, "AccessibleObjectFromPoint", accessibleObjectFromPoint);
    Resolve(module, "LresultFromObject", lresultFromObject);
    Resolve(module, "WindowFromAccessibleObject", windowFromAccessibleObject);
    Resolve(module, "AccessibleChildren", accessibleChildren);
}

AccessibilityLibrary& AccessibilityLibrary::Instance() {
    static AccessibilityLibrary library;
    return library;
}

} // namespace host
