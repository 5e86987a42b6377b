#pragma once
#include <windows.h>
#include <utility>

namespace common {

// Owner of one Win32 handle of a kind described by Traits (invalid value and close function).
template <typename Traits>
class UniqueHandleT {
public:
    using Handle = typename Traits::Handle;

    UniqueHandleT() = default;
    explicit UniqueHandleT(Handle h) : handle_(h) {}
    UniqueHandleT(const UniqueHandleT&) = delete;
    UniqueHandleT& operator=(const UniqueHandleT&) = delete;
    UniqueHandleT(UniqueHandleT&& other) noexcept : handle_(other.release()) {}
    UniqueHandleT& operator=(UniqueHandleT&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueHandleT() { reset(); }

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::invalid(); }
    explicit operator bool() const { return valid(); }

    Handle release() {
        Handle h = handle_;
        handle_ = Traits::invalid();
        return h;
    }
    void reset(Handle h = Traits::invalid()) {
        if (valid()) Traits::close(handle_);
        handle_ = h;
    }
    // For APIs that return a handle through an out parameter.
    Handle* put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::CloseHandle(h); }
};

// CreateFile and a few others report failure as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { ::CloseHandle(h); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::RegCloseKey(h); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::FreeLibrary(h); }
};

struct HookTraits {
    using Handle = HHOOK;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::UnhookWindowsHookEx(h); }
};

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::DeleteObject(h); }
};

struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::GlobalFree(h); }
};

using UniqueHandle = UniqueHandleT<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandleT<FileHandleTraits>;
using UniqueRegKey = UniqueHandleT<RegKeyTraits>;
using UniqueModule = UniqueHandleT<ModuleTraits>;
using UniqueHook = UniqueHandleT<HookTraits>;
using UniqueGdiObject = UniqueHandleT<GdiObjectTraits>;
using UniqueGlobal = UniqueHandleT<GlobalMemoryTraits>;

} // namespace common
