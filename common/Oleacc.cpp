#include "common/Oleacc.h"
#include <type_traits>

namespace common {

const Oleacc& Oleacc::Instance() {
    static const Oleacc library = [] {
        Oleacc entries;
        const HMODULE module = ::LoadLibraryW(L"oleacc.dll");
        if (!module) return entries;
        auto resolve = [module](auto& entry, const char* name) {
            entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
                reinterpret_cast<void*>(::GetProcAddress(module, name)));
        };
        resolve(entries.accessibleObjectFromWindow, "AccessibleObjectFromWindow");
        resolve(entries.accessibleObjectFromPoint, "AccessibleObjectFromPoint");
        resolve(entries.windowFromAccessibleObject, "WindowFromAccessibleObject");
        resolve(entries.accessibleChildren, "AccessibleChildren");
        resolve(entries.lresultFromObject, "LresultFromObject");
        return entries;
    }();
    return library;
}

} // namespace common
