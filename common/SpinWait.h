#pragma once
#include <windows.h>
#include <chrono>

namespace common {

// How long a thread handing work to another spins for the answer before it sleeps on an
// event. A statement's hand-over between the script thread and its watcher takes a few
// microseconds of work on each side, while sleeping and being woken costs a kernel round
// trip each way; anything slower than this (a user at a break) ends the spin and sleeps
// as before.
constexpr std::chrono::microseconds kHandOverSpin{100};

// How long the watcher spins for the next statement's break. A statement that calls into
// the application under test usually returns within a millisecond or two. A watcher that
// slept meanwhile costs a wake-up on each side at the next statement, and where idle
// processors are put to sleep (virtual machines, power saving) the call itself slows too:
// each thread it wakes on the way there and back waits for a processor to wake first. A
// longer statement costs at most this much processor time, once.
constexpr std::chrono::microseconds kStatementSpin{2000};

// Whether spinning can help: with one processor the spinning thread only delays the one
// it waits for.
inline bool SpinCanHelp() {
    static const bool many = [] {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        return info.dwNumberOfProcessors > 1;
    }();
    return many;
}

// Spins while `waiting()` holds, for at most `limit`; true when it stopped holding.
template <typename Waiting>
bool SpinWhile(Waiting waiting, std::chrono::microseconds limit = kHandOverSpin) {
    if (!SpinCanHelp()) return !waiting();
    const auto until = std::chrono::steady_clock::now() + limit;
    do {
        if (!waiting()) return true;
        YieldProcessor();
    } while (std::chrono::steady_clock::now() < until);
    return !waiting();
}

} // namespace common
