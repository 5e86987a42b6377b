#pragma once
#include <functional>

namespace host {

// The program's count of live COM objects and server locks. A COM server started by
// the COM runtime ends when it falls back to zero.
class ModuleLock {
public:
    static void Lock();
    static void Unlock();
    static long Count();
    // Called (on the thread of the last Unlock) each time the count falls to zero.
    static void SetOnZero(std::function<void()> onZero);
};

} // namespace host
