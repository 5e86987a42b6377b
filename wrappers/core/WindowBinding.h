#pragma once
// What every wrapper object holds: the bound window, its process, the hook installed on
// the window's thread (so that the hook library can act inside that process), the
// window's accessible object and the process-wide Synchronizer. Wrappers are called from
// any apartment: the accessible object, often a proxy of another process, is reached
// through accessibleHere(); the Synchronizer is free-threaded itself.
#include "common/ApartmentRef.h"
#include "common/UniqueHandle.h"
#include "wrappers.h"
#include <windows.h>
#include <oleacc.h>
#include <wrl/client.h>
#include <memory>
#include <mutex>

namespace wrappers {

class RemoteSession;

struct WindowBinding {
    HWND window = nullptr;
    DWORD processId = 0;
    HMODULE hookModule = nullptr;
    HWND hookedWindow = nullptr;
    common::UniqueHook hook;
    // Obtained in the apartment that bound the wrapper; see accessibleHere().
    common::ApartmentRef<IAccessible> accessible;
    HMENU menu = nullptr;
    Microsoft::WRL::ComPtr<ISynchronizer> synchronizer;

    // Bound to the desktop window, no hook, no process; takes the Synchronizer.
    WindowBinding();
    WindowBinding(const WindowBinding&) = delete;
    WindowBinding& operator=(const WindowBinding&) = delete;

    // Binds to `target`: process id, hook on its thread (the previous hook is told it is
    // being replaced and removed first), accessible object. A handle that is not a
    // window gets no hook. Throws a WrapperError, binding nothing, when the window's
    // process has the other bitness.
    void bind(HWND target);
    // Stands for an accessible object found by a role search, obtained in the calling
    // thread's apartment: no hook, no process id.
    void bindAccessible(const Microsoft::WRL::ComPtr<IAccessible>& object, HWND itsWindow);
    // The accessible object for the calling thread's apartment: the one held, or, in
    // another apartment, the window's object obtained again (or the role search's
    // object from the global interface table); null when there is none.
    Microsoft::WRL::ComPtr<IAccessible> accessibleHere() const;
    // The terminating release of an application: no window any more.
    void clearWindow() { window = nullptr; }

    // The one-shot async flag of the Synchronizer, consumed by this read.
    bool takeAsync() const;

    // The lasting access to the bound process for synchronous requests: opened on first
    // use, given up when the binding moves (its block is freed while the hook that
    // freed it is still installed).
    std::shared_ptr<RemoteSession> session();

    ~WindowBinding();

private:
    void dropSession();

    bool accessibleOfWindow_ = false;  // obtained from `window`, so obtainable again
    std::mutex sessionMutex_;
    std::shared_ptr<RemoteSession> session_;
};

} // namespace wrappers
