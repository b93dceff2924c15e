// base: the event loop of one thread, with timers and tasks posted from other threads.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "base/clock.h"

namespace dravio::base {

class Timer;

// Runs posted tasks and due timers. Everything but post() and quit() belongs to the
// loop's own thread. pump() is the "let the user interface run once" of long
// procedures: it may be called from inside a timer or task, and a timer never
// fires again while its own handler is still running.
class EventLoop {
public:
    explicit EventLoop(Clock& clock);
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    Clock& clock() const { return clock_; }

    // Thread-safe: queue `task` to run on the loop's thread.
    void post(std::function<void()> task);

    // Runs the tasks queued so far and the timers that are due, once.
    void pump();

    // When the next timer is due; TimePoint::max() when none is running.
    Clock::TimePoint nextTimerDue() const;

    // Processes events until `deadline`, or until quit() was called.
    void runUntil(Clock::TimePoint deadline);
    void runFor(Clock::Duration d) { runUntil(clock_.now() + d); }

    // Processes events until quit().
    void run();
    void quit();
    bool quitRequested() const;

private:
    friend class Timer;
    struct TimerCore {
        std::function<void()> onTick;
        Clock::Duration interval{};
        Clock::TimePoint due{};
        bool enabled = false;
        bool firing = false;
        bool removed = false;
    };

    void waitForWork(Clock::TimePoint until);

    Clock& clock_;
    std::vector<std::shared_ptr<TimerCore>> timers_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> posted_;
    bool quit_ = false;
};

// A timer in the manner of a window's timer control: an interval, an enabled flag,
// a tick every interval while enabled. Enabling starts a full interval anew;
// an interval of zero never ticks.
class Timer {
public:
    explicit Timer(EventLoop& loop, std::function<void()> onTick = {});
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    void setOnTick(std::function<void()> onTick);
    void setInterval(std::chrono::milliseconds interval);
    std::chrono::milliseconds interval() const;
    void setEnabled(bool enabled);
    bool enabled() const;
    // Disable then enable: the full interval starts again from now.
    void restart();

private:
    EventLoop& loop_;
    std::shared_ptr<EventLoop::TimerCore> core_;
};

}  // namespace dravio::base
