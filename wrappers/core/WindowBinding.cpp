#include "wrappers/core/WindowBinding.h"
#include "ostrel/ostrel.h"
#include "common/Oleacc.h"
#include "wrappers/core/ProcessBitness.h"
#include "wrappers/hook/RemoteSession.h"
#include "wrappers/hook/SendRemote.h"

namespace wrappers {

WindowBinding::WindowBinding() : window(::GetDesktopWindow()) {
    // Without a registered Synchronizer the wrapper still works; async then reads false.
    ::CoCreateInstance(CLSID_Synchronizer, nullptr, CLSCTX_INPROC_SERVER, IID_ISynchronizer,
                       reinterpret_cast<void**>(synchronizer.ReleaseAndGetAddressOf()));
}

void WindowBinding::bind(HWND target) {
    DWORD process = 0;
    DWORD thread = ::GetWindowThreadProcessId(target, &process);
    // Nothing of the other bitness could be read or driven: say so instead of binding.
    if (target != ::GetDesktopWindow()) RequireSameBitness(process);
    window = target;
    processId = process;

    dropSession();
    if (hook) {
        sendTerminate(hookedWindow, true);
        hook.reset();
    }
    hookedWindow = target;
    if (thread) {
        hookModule = ::GetModuleHandleA("ostrel");
        // CallWndProc is declared dllimport: its address is the one inside ostrel.dll, not
        // an import thunk of this module, which the target process could not run.
        if (hookModule) hook.reset(::SetWindowsHookExW(WH_CALLWNDPROC, CallWndProc, hookModule, thread));
    }

    const common::Oleacc& oleacc = common::Oleacc::Instance();
    if (oleacc.accessibleObjectFromWindow) {
        accessible.reset(nullptr, false);
        Microsoft::WRL::ComPtr<IAccessible> object;
        oleacc.accessibleObjectFromWindow(target, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(object.GetAddressOf()));
        // Another apartment asks the window again rather than paying for the global
        // interface table at every binding.
        accessible.reset(object, false);
        accessibleOfWindow_ = true;
    }
}

void WindowBinding::bindAccessible(const Microsoft::WRL::ComPtr<IAccessible>& object, HWND itsWindow) {
    accessible.reset(object, true);
    accessibleOfWindow_ = false;
    window = itsWindow;
}

Microsoft::WRL::ComPtr<IAccessible> WindowBinding::accessibleHere() const {
    if (!accessible) return nullptr;
    if (Microsoft::WRL::ComPtr<IAccessible> here = accessible.get()) return here;
    const common::Oleacc& oleacc = common::Oleacc::Instance();
    if (!accessibleOfWindow_ || !oleacc.accessibleObjectFromWindow) return nullptr;
    Microsoft::WRL::ComPtr<IAccessible> again;
    oleacc.accessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IAccessible),
                                      reinterpret_cast<void**>(again.GetAddressOf()));
    return again;
}

WindowBinding::~WindowBinding() { dropSession(); }

void WindowBinding::dropSession() {
    std::shared_ptr<RemoteSession> gone;
    std::lock_guard<std::mutex> lock(sessionMutex_);
    gone.swap(session_);
}

std::shared_ptr<RemoteSession> WindowBinding::session() {
    std::lock_guard<std::mutex> lock(sessionMutex_);
    if (!session_) session_ = std::make_shared<RemoteSession>(HookChannel{hookedWindow, processId});
    return session_;
}

bool WindowBinding::takeAsync() const {
    if (!synchronizer) return false;
    VARIANT_BOOL async = VARIANT_FALSE;
    if (FAILED(synchronizer->get_async(&async)) || !async) return false;
    synchronizer->put_async(VARIANT_FALSE);
    return true;
}

} // namespace wrappers
