// base: the scheduling of a thread whose waits must be exact (the link thread).
// A low real-time priority keeps a browser or a compiler from delaying a wake-up
// pulse; where the system does not allow it the thread stays as it was.
#pragma once

#include <string>

namespace dravio::base {

struct ThreadScheduling {
    bool realTime = false;      // SCHED_FIFO obtained
    int priority = 0;           // its priority when obtained
    bool memoryLocked = false;  // the process's pages locked in memory

    // "SCHED_FIFO 10" or "SCHED_OTHER (normal)".
    std::string policy() const;
    // The policy and ", memory locked" when it is: for the benchmarks' reports.
    std::string describe() const;
};

// The real-time priority asked for: low, so that the kernel's own threads still win.
inline constexpr int kLinkThreadPriority = 10;

// Moves the calling thread to SCHED_FIFO at `priority` (lowered to what
// RLIMIT_RTPRIO allows), and locks the process's memory when RLIMIT_MEMLOCK or
// CAP_IPC_LOCK allows it. Never fails: what could not be had is left as it was.
ThreadScheduling raiseThreadScheduling(int priority = kLinkThreadPriority);

// The calling thread's scheduling as it stands.
ThreadScheduling currentThreadScheduling();

}  // namespace dravio::base
