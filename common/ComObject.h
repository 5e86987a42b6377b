#pragma once
#include <windows.h>
#include <unknwn.h>
#include <wrl/client.h>
#include <atomic>

namespace common {

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
            *ppv = static_cast<First*>(this);
        } else if (!(Find<Interfaces>(riid, ppv) || ...) && !QueryExtra(riid, ppv)) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG n = --refs_;
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

private:
    template <typename First, typename...>
    struct Front { using type = First; };
    using First = typename Front<Interfaces...>::type;

    template <typename I>
    bool Find(REFIID riid, void** ppv) {
        if (riid != __uuidof(I)) return false;
        *ppv = static_cast<I*>(this);
        return true;
    }

    std::atomic<ULONG> refs_{1};
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
