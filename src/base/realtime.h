// base: the scheduling of a thread whose waits must be exact (the link thread).
// A low real-time priority keeps a browser or a compiler from delaying a wake-up
// pulse; where the system does not allow it the thread stays as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace dravio::base {

// Asks that the processors stay out of idle states slower to leave than
// `maxMicroseconds` (the kernel's PM QoS interface), for as long as the object
// lives. Waking a core from a deep idle state takes hundreds of microseconds on an
// idle laptop or a virtual machine, more than a K-line timing allows.
class CpuLatencyRequest {
public:
    // Null when the device cannot be opened: it takes root, or the package's udev
    // rule and membership of plugdev.
    static std::unique_ptr<CpuLatencyRequest> make(const std::string& path = "/dev/cpu_dma_latency",
                                                   std::int32_t maxMicroseconds = 0);
    ~CpuLatencyRequest();
    CpuLatencyRequest(const CpuLatencyRequest&) = delete;
    CpuLatencyRequest& operator=(const CpuLatencyRequest&) = delete;

private:
    explicit CpuLatencyRequest(int fd) : fd_(fd) {}
    int fd_;
};

struct ThreadScheduling {
    bool realTime = false;      // SCHED_FIFO obtained
    int priority = 0;           // its priority when obtained
    bool memoryLocked = false;  // the process's pages locked in memory
    // Held while any copy lives; null when it could not be had.
    std::shared_ptr<CpuLatencyRequest> cpuLatency;

    // "SCHED_FIFO 10" or "SCHED_OTHER (normal)".
    std::string policy() const;
    // The policy, ", memory locked" and ", CPU latency held" as they are: for the
    // benchmarks' reports.
    std::string describe() const;
};

// The real-time priority asked for: low, so that the kernel's own threads still win.
inline constexpr int kLinkThreadPriority = 10;

// Moves the calling thread to SCHED_FIFO at `priority` (lowered to what
// RLIMIT_RTPRIO allows), locks the process's memory when RLIMIT_MEMLOCK or
// CAP_IPC_LOCK allows it, and holds the processors out of deep idle states when
// allowed. Never fails: what could not be had is left as it was.
ThreadScheduling raiseThreadScheduling(int priority = kLinkThreadPriority);

// The calling thread's scheduling as it stands.
ThreadScheduling currentThreadScheduling();

}  // namespace dravio::base
