#include "base/clock.h"

#include <sys/prctl.h>
#include <time.h>

namespace dravio::base {

Clock::TimePoint RealClock::now() const {
    return std::chrono::time_point_cast<Duration>(std::chrono::steady_clock::now());
}

Clock::Duration RealClock::spinMargin() const {
    if (fixedMargin_) return *fixedMargin_;
    std::lock_guard lock(marginLock_);
    return learnt_.margin();
}

void RealClock::sleepUntil(TimePoint deadline) {
    const TimePoint wakeAt = deadline - spinMargin();
    if (now() < wakeAt) {
        // steady_clock is CLOCK_MONOTONIC on Linux; an absolute sleep is immune to
        // signals cutting it short.
        const auto ns = wakeAt.time_since_epoch().count();
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
        }
        if (!fixedMargin_) {
            const Duration overshoot = now() - wakeAt;
            std::lock_guard lock(marginLock_);
            learnt_.learn(overshoot);
        }
    }
    while (now() < deadline) {
        // The last fraction of a millisecond: spin.
    }
}

void RealClock::idleUntil(TimePoint deadline, std::condition_variable& wake,
                          std::unique_lock<std::mutex>& lock) {
    wake.wait_until(lock, deadline);
}

void RealClock::tightenTimerSlack() { prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL); }

VirtualClock::VirtualClock(TimePoint start) : now_(start) {}

void VirtualClock::sleepUntil(TimePoint deadline) {
    if (deadline > now_) now_ = deadline;
}

void VirtualClock::idleUntil(TimePoint deadline, std::condition_variable&,
                             std::unique_lock<std::mutex>&) {
    // Nothing else runs in a virtual world while we idle: jump to the deadline.
    sleepUntil(deadline);
}

double millisecondsSince(Clock::TimePoint origin, Clock::TimePoint t) {
    return std::chrono::duration<double, std::milli>(t - origin).count();
}

}  // namespace dravio::base
