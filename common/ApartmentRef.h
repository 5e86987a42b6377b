#pragma once
// A COM reference held by an object that any thread may call (a free-threaded object),
// to an object that may belong to the apartment that obtained it (a proxy, say).
//
//   common::ApartmentRef<IAccessible> accessible;
//   accessible.reset(object, true);                 // in the apartment that obtained it
//   ComPtr<IAccessible> here = accessible.get();    // on any thread
//
// The apartment that obtained the object uses the pointer itself; any other apartment
// gets a pointer of its own from the global interface table when the reference was
// shared there, else nothing (the holder then obtains the object again, or fails).
#include <objbase.h>
#include <objidl.h>
#include <wrl/client.h>

namespace common {

// The calling thread's apartment: its thread id for a single-threaded apartment, 0 for
// the multithreaded one; false when it has none of these (or no COM).
inline bool CurrentApartment(DWORD* id) {
    APTTYPE type;
    APTTYPEQUALIFIER qualifier;
    if (FAILED(::CoGetApartmentType(&type, &qualifier))) return false;
    if (type == APTTYPE_STA || type == APTTYPE_MAINSTA) {
        *id = ::GetCurrentThreadId();
        return true;
    }
    if (type == APTTYPE_MTA) {
        *id = 0;
        return true;
    }
    return false;
}

inline Microsoft::WRL::ComPtr<IGlobalInterfaceTable> GlobalInterfaceTable() {
    Microsoft::WRL::ComPtr<IGlobalInterfaceTable> table;
    ::CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&table));
    return table;
}

template <typename T>
class ApartmentRef {
public:
    ApartmentRef() = default;
    ApartmentRef(const ApartmentRef&) = delete;
    ApartmentRef& operator=(const ApartmentRef&) = delete;
    ~ApartmentRef() { reset(nullptr, false); }

    // Holds `object`, obtained in the calling thread's apartment. Sharing it in the
    // global interface table costs a round trip to a remote object now and at release:
    // only worth it for an object that cannot be obtained again.
    void reset(const Microsoft::WRL::ComPtr<T>& object, bool share) {
        if (cookie_) {
            if (auto table = GlobalInterfaceTable()) table->RevokeInterfaceFromGlobal(cookie_);
            cookie_ = 0;
        }
        object_ = object;
        homeKnown_ = object && CurrentApartment(&home_);
        if (object && share) {
            if (auto table = GlobalInterfaceTable())
                if (FAILED(table->RegisterInterfaceInGlobal(object.Get(), __uuidof(T), &cookie_))) cookie_ = 0;
        }
    }

    // The object for the calling thread's apartment, or null.
    Microsoft::WRL::ComPtr<T> get() const {
        if (!object_) return nullptr;
        DWORD here = 0;
        if (homeKnown_ && CurrentApartment(&here) && here == home_) return object_;
        Microsoft::WRL::ComPtr<T> local;
        if (cookie_)
            if (auto table = GlobalInterfaceTable())
                table->GetInterfaceFromGlobal(cookie_, __uuidof(T), reinterpret_cast<void**>(local.GetAddressOf()));
        return local;
    }

    // True when an object is held, whichever apartment may use it.
    explicit operator bool() const { return object_ != nullptr; }

private:
    Microsoft::WRL::ComPtr<T> object_;
    bool homeKnown_ = false;
    DWORD home_ = 0;
    DWORD cookie_ = 0;
};

} // namespace common
