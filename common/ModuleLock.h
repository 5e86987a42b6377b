#pragma once
#include <atomic>
#include <functional>
#include <mutex>

namespace common {

// A module's count of live objects and server locks: a DLL may unload, and a COM server
// started by the COM runtime may end, once it falls to zero. Every DLL and EXE keeps its
// own instance.
class ModuleLock {
public:
    ModuleLock() = default;
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;

    void lock() { ++count_; }
    void unlock() {
        if (--count_ != 0) return;
        std::function<void()> callback;
        {
            std::lock_guard<std::mutex> guard(callbackMutex_);
            callback = onZero_;
        }
        if (callback) callback();
    }
    long count() const { return count_; }
    // Called (on the thread of the last unlock) each time the count falls to zero.
    void setOnZero(std::function<void()> onZero) {
        std::lock_guard<std::mutex> guard(callbackMutex_);
        onZero_ = std::move(onZero);
    }

private:
    std::atomic<long> count_{0};
    std::mutex callbackMutex_;
    std::function<void()> onZero_;
};

// One lock of a module for as long as it lives: a member of each object a server hands out.
class ModuleHold {
public:
    explicit ModuleHold(ModuleLock& module) : module_(module) { module_.lock(); }
    ModuleHold(const ModuleHold&) = delete;
    ModuleHold& operator=(const ModuleHold&) = delete;
    ~ModuleHold() { module_.unlock(); }

private:
    ModuleLock& module_;
};

} // namespace common
