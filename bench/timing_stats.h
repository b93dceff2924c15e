// Shared by the timing benchmarks: error statistics of waits, thread CPU time,
// competing busy threads, and the scheduling the measuring thread runs under.
#pragma once

#include <benchmark/benchmark.h>
#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/realtime.h"

namespace dravio::bench {

inline double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

inline double percentile(std::vector<double> values, double p) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// Errors (µs late; negative = early) and cost of one kind of wait.
struct WaitStats {
    std::vector<double> errorsUs;
    double cpu = 0;
    double waited = 0;

    void report(benchmark::State& state, const std::string& prefix) const {
        state.counters[prefix + "p50_us"] = percentile(errorsUs, 0.50);
        state.counters[prefix + "p99_us"] = percentile(errorsUs, 0.99);
        state.counters[prefix + "p999_us"] = percentile(errorsUs, 0.999);
        state.counters[prefix + "max_us"] = *std::max_element(errorsUs.begin(), errorsUs.end());
        state.counters[prefix + "min_us"] = *std::min_element(errorsUs.begin(), errorsUs.end());
        state.counters[prefix + "cpu_per_s"] = waited > 0 ? cpu / waited : 0;
    }
};

// Two threads that keep a core busy each, like a compiler and a browser, for the
// life of the object and never longer than `bound`.
class Competitors {
public:
    explicit Competitors(bool start, std::chrono::seconds bound = std::chrono::seconds(600)) {
        if (!start) return;
        const auto end = std::chrono::steady_clock::now() + bound;
        for (int i = 0; i < 2; ++i) {
            threads_.emplace_back([this, end] {
                // Threads inherit a real-time class from their creator: these are
                // ordinary programs, so give it back.
                sched_param normal{};
                pthread_setschedparam(pthread_self(), SCHED_OTHER, &normal);
                volatile double x = 1;
                while (!stop_.load(std::memory_order_relaxed) && std::chrono::steady_clock::now() < end) {
                    for (int k = 0; k < 10000; ++k) x = x * 1.0000001 + 1e-9;
                }
            });
        }
    }
    ~Competitors() {
        stop_ = true;
        for (auto& t : threads_) t.join();
    }
    Competitors(const Competitors&) = delete;
    Competitors& operator=(const Competitors&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

// Runs the busy-wait comparison on a thread of its own, in turn with the caller
// and never beside it. On one thread, the busy wait's spinning would count
// against the measured waits' share of the CPU under the normal class, and the
// scheduler would preempt them for it. Made after useScheduling: it inherits the
// class.
class TurnThread {
public:
    TurnThread() : thread_([this] { serve(); }) {}
    ~TurnThread() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    TurnThread(const TurnThread&) = delete;
    TurnThread& operator=(const TurnThread&) = delete;

    // Runs `work` there and returns once it is done.
    void run(std::function<void()> work) {
        std::unique_lock lock(mutex_);
        work_ = std::move(work);
        changed_.notify_all();
        changed_.wait(lock, [this] { return !work_; });
    }

private:
    void serve() {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return quit_ || static_cast<bool>(work_); });
            if (quit_) return;
            work_();
            work_ = nullptr;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> work_;
    bool quit_ = false;
    std::thread thread_;
};

// The measuring thread as the program's link thread runs (real-time where the
// system allows it, the processors held out of deep idle states), or forced back to
// the normal class to show the fallback. Keep the result while measuring: it holds
// the CPU latency request.
inline base::ThreadScheduling useScheduling(bool asTheProgram) {
    if (asTheProgram) return base::raiseThreadScheduling();
    sched_param param{};
    pthread_setschedparam(pthread_self(), SCHED_OTHER, &param);
    return base::currentThreadScheduling();
}

}  // namespace dravio::bench
