#include "base/realtime.h"

#include <linux/capability.h>
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>

namespace dravio::base {

namespace {

bool hasEffectiveCapability(int capability) {
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    header.pid = 0;
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    const auto word = static_cast<unsigned>(capability) / 32;
    const auto bit = static_cast<unsigned>(capability) % 32;
    return word < _LINUX_CAPABILITY_U32S_3 && (data[word].effective & (1u << bit)) != 0;
}

// The priority the system lets this process take, 0 when none.
int allowedPriority(int wanted) {
    if (hasEffectiveCapability(CAP_SYS_NICE)) return wanted;
    rlimit limit{};
    if (getrlimit(RLIMIT_RTPRIO, &limit) != 0) return 0;
    if (limit.rlim_cur == RLIM_INFINITY) return wanted;
    return static_cast<int>(std::min<rlim_t>(limit.rlim_cur, static_cast<rlim_t>(wanted)));
}

// Locking every future page under a finite limit would make later allocations
// fail once the limit is reached: lock only when the limit cannot be hit.
bool memoryLockAllowed() {
    if (hasEffectiveCapability(CAP_IPC_LOCK)) return true;
    rlimit limit{};
    return getrlimit(RLIMIT_MEMLOCK, &limit) == 0 && limit.rlim_cur == RLIM_INFINITY;
}

}  // namespace

std::string ThreadScheduling::policy() const {
    return realTime ? "SCHED_FIFO " + std::to_string(priority) : std::string("SCHED_OTHER (normal)");
}

std::string ThreadScheduling::describe() const {
    return policy() + (memoryLocked ? ", memory locked" : "") + (cpuLatency ? ", CPU latency held" : "");
}

std::unique_ptr<CpuLatencyRequest> CpuLatencyRequest::make(const std::string& path, std::int32_t maxMicroseconds) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // The request stands while the file stays open.
    if (::write(fd, &maxMicroseconds, sizeof maxMicroseconds) != static_cast<ssize_t>(sizeof maxMicroseconds)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<CpuLatencyRequest>(new CpuLatencyRequest(fd));
}

CpuLatencyRequest::~CpuLatencyRequest() { ::close(fd_); }

ThreadScheduling raiseThreadScheduling(int priority) {
    const int allowed =
        allowedPriority(std::clamp(priority, sched_get_priority_min(SCHED_FIFO), sched_get_priority_max(SCHED_FIFO)));
    if (allowed > 0) {
        sched_param param{};
        param.sched_priority = allowed;
        // Refused quietly (EPERM in a container without the right): stay as we are.
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    }
    ThreadScheduling result = currentThreadScheduling();
    if (memoryLockAllowed() && mlockall(MCL_CURRENT | MCL_FUTURE) == 0) result.memoryLocked = true;
    result.cpuLatency = CpuLatencyRequest::make();
    return result;
}

ThreadScheduling currentThreadScheduling() {
    ThreadScheduling result;
    int policy = 0;
    sched_param param{};
    if (pthread_getschedparam(pthread_self(), &policy, &param) == 0 && policy == SCHED_FIFO) {
        result.realTime = true;
        result.priority = param.sched_priority;
    }
    return result;
}

}  // namespace dravio::base
