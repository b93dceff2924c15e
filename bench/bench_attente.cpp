// How precisely Attente meets K-line timings on the real clock, and what it costs
// in CPU. In each run three waits take turns: Attente with the learnt spin margin,
// the former fixed 200 µs margin, and a pure busy wait, so all three see the same
// load; the busy wait takes its turns on a thread of its own. Counters per wait (prefixes att_, fix_, busy_): p50/p99/p999/max/min_us are
// how late the wait ended (negative = early), cpu_per_s is CPU seconds per second
// waited. The label names the scheduling class the measuring thread ran in.
#include <benchmark/benchmark.h>

#include <chrono>

#include "base/clock.h"
#include "base/event_loop.h"
#include "link/link.h"
#include "link/trace.h"
#include "timing_stats.h"

namespace {

using dravio::base::Clock;
using dravio::bench::WaitStats;
using SteadyClock = std::chrono::steady_clock;

struct TimedLink {
    explicit TimedLink(dravio::base::RealClock& c) : clock(c) {}
    dravio::base::RealClock& clock;
    dravio::base::EventLoop loop{clock};
    dravio::link::Trace trace{clock};
    dravio::link::Link link{loop, trace};

    void wait(double seconds, WaitStats& stats) {
        const double cpu0 = dravio::bench::threadCpuSeconds();
        const auto t0 = SteadyClock::now();
        link.Attente(seconds);
        const auto took = std::chrono::duration<double>(SteadyClock::now() - t0).count();
        stats.cpu += dravio::bench::threadCpuSeconds() - cpu0;
        stats.errorsUs.push_back((took - seconds) * 1e6);
        stats.waited += took;
    }
};

// Arguments: wait in ms, competing threads (0/1), scheduling as the program (1) or normal (0).
void BM_Attente(benchmark::State& state) {
    const double seconds = static_cast<double>(state.range(0)) / 1000.0;
    const auto scheduling = dravio::bench::useScheduling(state.range(2) != 0);
    dravio::base::RealClock::tightenTimerSlack();
    dravio::base::RealClock adaptive;
    dravio::base::RealClock fixed(std::chrono::microseconds(200));
    dravio::base::RealClock busy(std::chrono::seconds(1));
    TimedLink a(adaptive), f(fixed), b(busy);
    WaitStats att, fix, spin;
    {
        dravio::bench::TurnThread busySide;
        dravio::bench::Competitors competitors(state.range(1) != 0);
        for (auto _ : state) {
            a.wait(seconds, att);
            f.wait(seconds, fix);
            busySide.run([&] { b.wait(seconds, spin); });
        }
    }
    att.report(state, "att_");
    fix.report(state, "fix_");
    spin.report(state, "busy_");
    state.counters["att_margin_us"] = std::chrono::duration<double, std::micro>(adaptive.spinMargin()).count();
    state.SetLabel(scheduling.describe());
    dravio::bench::useScheduling(false);
}

BENCHMARK(BM_Attente)
    ->ArgNames({"ms", "load", "rt"})
    ->Args({6, 0, 1})
    ->Args({6, 1, 1})
    ->Args({6, 0, 0})
    ->Args({6, 1, 0})
    ->Args({25, 0, 1})
    ->Args({25, 1, 1})
    ->Args({25, 0, 0})
    ->Args({25, 1, 0})
    ->Iterations(1000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
