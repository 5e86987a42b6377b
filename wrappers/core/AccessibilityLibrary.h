#pragma once
// Oleacc.dll, loaded once per process; members that need a missing function say so.
#include <windows.h>
#include <oleacc.h>

namespace wrappers {

struct AccessibilityLibrary {
    using WindowFromAccessibleObjectFn = HRESULT(STDAPICALLTYPE*)(IAccessible*, HWND*);
    using AccessibleObjectFromWindowFn = HRESULT(STDAPICALLTYPE*)(HWND, DWORD, REFIID, void**);
    using AccessibleChildrenFn = HRESULT(STDAPICALLTYPE*)(IAccessible*, LONG, LONG, VARIANT*, LONG*);

    WindowFromAccessibleObjectFn windowFromAccessibleObject = nullptr;
    AccessibleObjectFromWindowFn accessibleObjectFromWindow = nullptr;
    AccessibleChildrenFn accessibleChildren = nullptr;

    static const AccessibilityLibrary& instance();
};

} // namespace wrappers
