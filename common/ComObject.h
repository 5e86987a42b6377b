#pragma once
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>
#include "common/ModuleLock.h"
#include <atomic>
#include <type_traits>

namespace common {

// What a base of a ComObject answers in QueryInterface: a COM interface answers its own
// IID. A base that stands for more IIDs (see WithBases) declares
// `using AnsweredInterface = I;` and a static `Answers(REFIID)` naming them.
template <typename Base, typename = void>
struct ComBaseTraits {
    using Interface = Base;
    static bool Answers(REFIID riid) { return riid == __uuidof(Base); }
};
template <typename Base>
struct ComBaseTraits<Base, std::void_t<typename Base::AnsweredInterface>> {
    using Interface = typename Base::AnsweredInterface;
    static bool Answers(REFIID riid) { return Base::Answers(riid); }
};

// An interface as a base of ComObject that also answers the interfaces it derives from:
// ComObject<WithBases<IPersistStream, IPersist>> answers both IIDs.
template <typename Interface, typename... Bases>
struct WithBases : Interface {
    using AnsweredInterface = Interface;
    static bool Answers(REFIID riid) {
        return riid == __uuidof(Interface) || ((riid == __uuidof(Bases)) || ...);
    }
};

// Reference counting and QueryInterface for a COM class implementing Interfaces...
// The first interface answers IUnknown. Derived classes are created with new and
// destroyed by their last Release.
template <typename... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == __uuidof(IUnknown)) {
            *ppv = static_cast<typename ComBaseTraits<First>::Interface*>(static_cast<First*>(this));
        } else if (!(Find<Interfaces>(riid, ppv) || ...) && !QueryExtra(riid, ppv)) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        const ULONG n = ++refs_;
        if (n == 2 && sharedLock_) sharedLock_->lock();
        return n;
    }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG n = --refs_;
        if (n == 1 && sharedLock_) sharedLock_->unlock();
        if (n == 0) {
            // The object lives through lastRelease, which may take and drop references.
            refs_ = 1;
            lastRelease();
            n = --refs_;
            if (n == 0) delete this;
        }
        return n;
    }

protected:
    virtual ~ComObject() = default;
    // Runs once the last reference is gone, before the object is destroyed.
    virtual void lastRelease() {}
    // Interfaces that are not base classes (an IID reused by an interface, say).
    virtual bool QueryExtra(REFIID, void**) { return false; }
    // For an object that its owner (a class factory, say) holds for the life of the
    // process: while anyone else holds it too, module counts one lock for them.
    void countOutsideReferencesIn(ModuleLock& module) { sharedLock_ = &module; }

private:
    template <typename First, typename...>
    struct Front { using type = First; };
    using First = typename Front<Interfaces...>::type;

    template <typename Base>
    bool Find(REFIID riid, void** ppv) {
        if (!ComBaseTraits<Base>::Answers(riid)) return false;
        // Through the base itself: an interface may be reached by more than one base.
        *ppv = static_cast<typename ComBaseTraits<Base>::Interface*>(static_cast<Base*>(this));
        return true;
    }

    std::atomic<ULONG> refs_{1};
    ModuleLock* sharedLock_ = nullptr;
};

// Takes over the first reference of a new object. MinGW's ComPtr::Attach adds a
// reference of its own, so an object attached there would never be freed.
template <typename T>
Microsoft::WRL::ComPtr<T> Adopt(T* object) {
    Microsoft::WRL::ComPtr<T> owner;
    *owner.GetAddressOf() = object;
    return owner;
}

} // namespace common
