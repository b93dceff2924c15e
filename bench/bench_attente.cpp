// How precisely Attente meets K-line timings on the real clock, and what it costs
// in CPU, beside a pure busy wait measured in the same run.
// Counters: err_p50_us / err_p99_us / err_max_us are how late the wait ended
// (err_min_us < 0 would be a wait that ended early); cpu_per_s is CPU seconds
// spent per second waited.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

#include "base/clock.h"
#include "base/event_loop.h"
#include "link/link.h"
#include "link/trace.h"

namespace {

using dravio::base::Clock;
using SteadyClock = std::chrono::steady_clock;

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void report(benchmark::State& state, const std::vector<double>& errorsUs, double cpu, double waited) {
    state.counters["err_p50_us"] = percentile(errorsUs, 0.50);
    state.counters["err_p99_us"] = percentile(errorsUs, 0.99);
    state.counters["err_max_us"] = *std::max_element(errorsUs.begin(), errorsUs.end());
    state.counters["err_min_us"] = *std::min_element(errorsUs.begin(), errorsUs.end());
    state.counters["cpu_per_s"] = cpu / waited;
}

// The same wait through the same code path; only the clock's spin margin differs.
// A margin longer than the wait turns it into a pure busy wait.
void measure(benchmark::State& state, double seconds, Clock::Duration spinMargin) {
    dravio::base::RealClock::tightenTimerSlack();
    dravio::base::RealClock clock(spinMargin);
    dravio::base::EventLoop loop(clock);
    dravio::link::Trace trace(clock);
    dravio::link::Link link(loop, trace);
    std::vector<double> errorsUs;
    double waited = 0;
    const double cpu0 = threadCpuSeconds();
    for (auto _ : state) {
        const auto t0 = SteadyClock::now();
        link.Attente(seconds);
        const auto took = std::chrono::duration<double>(SteadyClock::now() - t0).count();
        errorsUs.push_back((took - seconds) * 1e6);
        waited += took;
    }
    report(state, errorsUs, threadCpuSeconds() - cpu0, waited);
}

void BM_Attente(benchmark::State& state, double seconds) {
    measure(state, seconds, std::chrono::microseconds(200));
}

void BM_BusyWait(benchmark::State& state, double seconds) { measure(state, seconds, std::chrono::seconds(1)); }

BENCHMARK_CAPTURE(BM_Attente, gap_6ms, 0.006)->Iterations(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BusyWait, gap_6ms, 0.006)->Iterations(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Attente, pulse_25ms, 0.025)->Iterations(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BusyWait, pulse_25ms, 0.025)->Iterations(1000)->Unit(benchmark::kMillisecond);

}  // namespace
