// base: time, waiting and the event loop every other library builds on.
// Every wait and time-out in Dravio goes through a Clock, so that tests run on a
// virtual clock and K-line timings can be asserted to the microsecond.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "base/spin_margin.h"

namespace dravio::base {

class Clock {
public:
    using Duration = std::chrono::nanoseconds;
    using TimePoint = std::chrono::time_point<std::chrono::steady_clock, Duration>;

    virtual ~Clock() = default;

    virtual TimePoint now() const = 0;

    // Returns at `deadline` or just after it, never before. Does not let events run.
    virtual void sleepUntil(TimePoint deadline) = 0;

    // Idle wait used by event loops: returns at `deadline` or earlier when `wake`
    // is notified. The lock is held on entry and on return.
    virtual void idleUntil(TimePoint deadline, std::condition_variable& wake,
                           std::unique_lock<std::mutex>& lock) = 0;

    void sleepFor(Duration d) { sleepUntil(now() + d); }
};

// The machine's steady clock. Waits sleep until shortly before the deadline and
// spin only the last part: precise without burning a core. The part spun is learnt
// from how late this clock's own sleeps wake up (SpinMargin), unless fixed.
class RealClock final : public Clock {
public:
    RealClock() = default;
    // A fixed margin; one longer than every wait makes a pure busy wait.
    explicit RealClock(Duration fixedSpinMargin) : fixedMargin_(fixedSpinMargin) {}

    TimePoint now() const override;
    void sleepUntil(TimePoint deadline) override;
    void idleUntil(TimePoint deadline, std::condition_variable& wake,
                   std::unique_lock<std::mutex>& lock) override;

    // Asks the kernel for the finest timer slack on the calling thread, so that
    // sleeps overshoot by microseconds rather than by the default 50 us.
    static void tightenTimerSlack();

    Duration spinMargin() const;

private:
    std::optional<Duration> fixedMargin_;
    // Several threads may share a clock; the lock is never held while sleeping.
    mutable std::mutex marginLock_;
    SpinMargin learnt_;
};

// A clock that only moves when someone waits on it. A wait of 25 ms takes no
// real time and leaves now() exactly 25 ms later.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(TimePoint start = TimePoint{});

    TimePoint now() const override { return now_; }
    void sleepUntil(TimePoint deadline) override;
    void idleUntil(TimePoint deadline, std::condition_variable& wake,
                   std::unique_lock<std::mutex>& lock) override;

    void advance(Duration d) { now_ += d; }

private:
    TimePoint now_;
};

// Milliseconds as a double since `origin`, for traces and test messages.
double millisecondsSince(Clock::TimePoint origin, Clock::TimePoint t);

}  // namespace dravio::base
