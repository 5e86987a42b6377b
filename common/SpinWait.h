#pragma once
#include <windows.h>
#include <chrono>

namespace common {

// How long a thread handing work to another spins for the answer before it sleeps on an
// event. A statement's hand-over between the script thread and its watcher takes a few
// microseconds of work on each side, while sleeping and being woken costs a kernel round
// trip each way; anything slower than this (a call into the application under test, a
// user at a break) ends the spin and sleeps as before.
constexpr std::chrono::microseconds kHandOverSpin{100};

// Spins while `waiting()` holds, for at most `limit`; true when it stopped holding.
template <typename Waiting>
bool SpinWhile(Waiting waiting, std::chrono::microseconds limit = kHandOverSpin) {
    const auto until = std::chrono::steady_clock::now() + limit;
    do {
        if (!waiting()) return true;
        YieldProcessor();
    } while (std::chrono::steady_clock::now() < until);
    return !waiting();
}

} // namespace common
