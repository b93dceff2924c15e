#include "base/event_loop.h"

#include <algorithm>

namespace dravio::base {

EventLoop::EventLoop(Clock& clock) : clock_(clock) {}

void EventLoop::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void EventLoop::pump() {
    std::deque<std::function<void()>> tasks;
    {
        std::lock_guard lock(mutex_);
        tasks.swap(posted_);
    }
    for (auto& task : tasks) task();

    // Handlers may add or remove timers: walk a snapshot.
    const auto snapshot = timers_;
    for (const auto& core : snapshot) {
        if (core->removed || !core->enabled || core->firing) continue;
        if (core->interval <= Clock::Duration::zero()) continue;
        const auto now = clock_.now();
        if (core->due > now) continue;
        core->due = now + core->interval;
        core->firing = true;
        if (core->onTick) core->onTick();
        core->firing = false;
    }
}

Clock::TimePoint EventLoop::nextTimerDue() const {
    auto next = Clock::TimePoint::max();
    for (const auto& core : timers_) {
        if (core->removed || !core->enabled || core->firing) continue;
        if (core->interval <= Clock::Duration::zero()) continue;
        next = std::min(next, core->due);
    }
    return next;
}

void EventLoop::waitForWork(Clock::TimePoint until) {
    std::unique_lock lock(mutex_);
    if (!posted_.empty() || quit_) return;
    clock_.idleUntil(until, wake_, lock);
}

void EventLoop::runUntil(Clock::TimePoint deadline) {
    while (!quitRequested()) {
        pump();
        if (clock_.now() >= deadline) return;
        waitForWork(std::min(nextTimerDue(), deadline));
    }
}

void EventLoop::run() { runUntil(Clock::TimePoint::max()); }

void EventLoop::quit() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
}

bool EventLoop::quitRequested() const {
    std::lock_guard lock(mutex_);
    return quit_;
}

Timer::Timer(EventLoop& loop, std::function<void()> onTick)
    : loop_(loop), core_(std::make_shared<EventLoop::TimerCore>()) {
    core_->onTick = std::move(onTick);
    loop_.timers_.push_back(core_);
}

Timer::~Timer() {
    core_->removed = true;
    std::erase(loop_.timers_, core_);
}

void Timer::setOnTick(std::function<void()> onTick) { core_->onTick = std::move(onTick); }

void Timer::setInterval(std::chrono::milliseconds interval) {
    core_->interval = interval;
    if (core_->enabled) core_->due = loop_.clock().now() + core_->interval;
}

std::chrono::milliseconds Timer::interval() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(core_->interval);
}

void Timer::setEnabled(bool enabled) {
    if (enabled && !core_->enabled) core_->due = loop_.clock().now() + core_->interval;
    core_->enabled = enabled;
}

bool Timer::enabled() const { return core_->enabled; }

void Timer::restart() {
    setEnabled(false);
    setEnabled(true);
}

}  // namespace dravio::base
