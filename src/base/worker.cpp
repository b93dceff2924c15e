#include "base/worker.h"

#include <future>

namespace dravio::base {

void Worker::start(std::function<void(Clock&, EventLoop&)> setUp, std::function<void()> tearDown) {
    if (running()) return;
    std::promise<EventLoop*> ready;
    auto started = ready.get_future();
    thread_ = std::thread([&ready, setUp = std::move(setUp), tearDown = std::move(tearDown)] {
        RealClock::tightenTimerSlack();
        RealClock clock;
        EventLoop loop(clock);
        if (setUp) setUp(clock, loop);
        ready.set_value(&loop);
        loop.run();
        if (tearDown) tearDown();
    });
    loop_ = started.get();
}

void Worker::stop(std::function<void()> beforeQuit) {
    if (!running()) return;
    EventLoop* loop = loop_;
    if (beforeQuit) loop->post(std::move(beforeQuit));
    loop->quit();
    thread_.join();
    loop_ = nullptr;
}

void Worker::post(std::function<void()> work) {
    if (running()) loop_->post(std::move(work));
}

}  // namespace dravio::base
