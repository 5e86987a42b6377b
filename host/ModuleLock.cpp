#include "host/ModuleLock.h"
#include <atomic>
#include <mutex>

namespace host {
namespace {

std::atomic<long> g_count{0};
std::mutex g_callbackMutex;
std::function<void()> g_onZero;

} // namespace

void ModuleLock::Lock() { ++g_count; }

void ModuleLock::Unlock() {
    if (--g_count == 0) {
        std::function<void()> callback;
        {
            std::lock_guard<std::mutex> guard(g_callbackMutex);
            callback = g_onZero;
        }
        if (callback) callback();
    }
}

long ModuleLock::Count() { return g_count; }

void ModuleLock::SetOnZero(std::function<void()> onZero) {
    std::lock_guard<std::mutex> guard(g_callbackMutex);
    g_onZero = std::move(onZero);
}

} // namespace host
