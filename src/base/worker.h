// base: a worker thread with its own real clock and event loop. Work posted to
// it runs there, in order; whatever `setUp` creates lives on that thread until
// the loop ends and `tearDown` runs.
#pragma once

#include <functional>
#include <thread>

#include "base/clock.h"
#include "base/event_loop.h"

namespace dravio::base {

class Worker {
public:
    Worker() = default;
    ~Worker() { stop(); }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // Starts the thread and returns once `setUp` has run on it.
    void start(std::function<void(Clock&, EventLoop&)> setUp, std::function<void()> tearDown);
    // Runs `beforeQuit` on the thread, quits the loop and joins; work not yet run is dropped.
    void stop(std::function<void()> beforeQuit = {});
    // Queues `work`. Ignored unless running.
    void post(std::function<void()> work);
    bool running() const { return loop_ != nullptr; }

private:
    std::thread thread_;
    EventLoop* loop_ = nullptr;  // valid while running
};

}  // namespace dravio::base
