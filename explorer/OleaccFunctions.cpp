#include "explorer/OleaccFunctions.h"
#include <type_traits>

namespace explorer {

OleaccFunctions OleaccFunctions::Load() {
    OleaccFunctions f;
    // Never freed: the functions are used until the program ends.
    HMODULE oleacc = ::LoadLibraryW(L"oleacc.dll");
    if (!oleacc) return f;
    auto resolve = [oleacc](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
            reinterpret_cast<void*>(::GetProcAddress(oleacc, name)));
    };
    resolve(f.objectFromPoint, "AccessibleObjectFromPoint");
    resolve(f.objectFromWindow, "AccessibleObjectFromWindow");
    resolve(f.children, "AccessibleChildren");
    resolve(f.windowFromObject, "WindowFromAccessibleObject");
    return f;
}

} // namespace explorer
