// base: time, waiting and the event loop every other library builds on.
// Every wait and time-out in Dravio goes through a Clock, so that tests run on a
// virtual clock and K-line timings can be asserted to the microsecond.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

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
// spin only the last fraction of a millisecond: precise without burning a core.
class RealClock final : public Clock {
public:
    explicit RealClock(Duration spinMargin = std::chrono::microseconds(200));

    TimePoint now() const override;
    void sleepUntil(TimePoint deadline) override;
    void idleUntil(TimePoint deadline, std::condition_variable& wake,
                   std::unique_lock<std::mutex>& lock) override;

    // Asks the kernel for the finest timer slack on the calling thread, so that
    // sleeps overshoot by microseconds rather than by the default 50 us.
    static void tightenTimerSlack();

private:
    Duration spinMargin_;
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
