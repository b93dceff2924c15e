// BM_WakeUpPulse: the fast initialisation's wake-up pattern (line low for t, high
// for t, t = 25 ms +-3 ms by attempt) on the simulated cable under the real clock,
// 1000 patterns with the learnt spin margin taking turns with 1000 as a pure busy
// wait; errors are each low or high part's width against t, from the cable's own
// time stamps (prefixes att_ and busy_, as in bench_attente).
// BM_FailedInitialisation: a full failed initialisation (40 attempts, no ECU) on
// the real clock against the simulated cable: how precise the break pulses and
// 5-baud bits are, and what the minute of waiting costs in CPU.
// Counters: pulse_err_p50_us / pulse_err_p99_us for the mode-0 break pulses,
// bit_err_p50_us / bit_err_p99_us for the 5-baud bit runs (each run's width against
// its bits x 200 ms), cpu_share = CPU seconds / wall seconds of the run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <vector>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/view_state.h"
#include "link/init_liaison.h"
#include "link/link.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "timing_stats.h"

namespace {

using dravio::base::Clock;
using dravio::ports::SimCable;

using dravio::bench::percentile;
using dravio::bench::threadCpuSeconds;

void BM_FailedInitialisation(benchmark::State& state) {
    dravio::base::RealClock::tightenTimerSlack();
    for (auto _ : state) {
        dravio::base::RealClock clock;
        dravio::base::EventLoop loop(clock);
        dravio::link::Trace trace(clock);
        dravio::link::Link link(loop, trace);
        SimCable cable(clock);
        cable.open("Dravio simulated K-line");
        link.setCable(&cable);
        link.TypeECU = dravio::proto::Model::M59;
        dravio::base::ViewState view;
        dravio::link::InitChannels channels;
        dravio::link::LinkInitialisation init(link, view, {}, channels);

        const auto wall0 = std::chrono::steady_clock::now();
        const double cpu0 = threadCpuSeconds();
        init.InitLiaison();
        const double cpu = threadCpuSeconds() - cpu0;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();

        // Walk the line's history. Attempts are counted by the StartCommunication
        // checksum byte (0x03), which no other byte of a failed run carries.
        std::vector<double> pulseErrors;
        std::vector<double> bitErrors;
        const auto& events = cable.events();
        const auto widthMs = [&](std::size_t i) {
            return std::chrono::duration<double, std::milli>(events[i + 1].t - events[i].t).count();
        };
        const auto isBreak = [&](std::size_t i) {
            return events[i].op == SimCable::Op::BreakOn || events[i].op == SimCable::Op::BreakOff;
        };
        int attempt = 0;
        for (std::size_t i = 0; i + 1 < events.size(); ++i) {
            const auto& e = events[i];
            if (e.op == SimCable::Op::Write && e.value == 0x03) ++attempt;
            if (e.op != SimCable::Op::BreakOn || events[i + 1].op != SimCable::Op::BreakOff) continue;
            const double width = widthMs(i);
            if (width < 100) {
                const double expected = dravio::link::LinkInitialisation::pulseFor(attempt + 1) * 1000.0;
                pulseErrors.push_back((width - expected) * 1000.0);
            } else if (i + 3 < events.size() && isBreak(i + 2) && isBreak(i + 3)) {
                // The 5-baud address 0x10: low 5 bits (start bit and four zeros), high 1, low 3.
                const double bits[] = {5, 1, 3};
                for (std::size_t k = 0; k < 3; ++k) bitErrors.push_back((widthMs(i + k) - bits[k] * 200.0) * 1000.0);
            }
        }
        state.counters["pulses"] = static_cast<double>(pulseErrors.size());
        state.counters["pulse_err_p50_us"] = percentile(pulseErrors, 0.5);
        state.counters["pulse_err_p99_us"] = percentile(pulseErrors, 0.99);
        state.counters["bit_runs"] = static_cast<double>(bitErrors.size());
        state.counters["bit_err_p50_us"] = percentile(bitErrors, 0.5);
        state.counters["bit_err_p99_us"] = percentile(bitErrors, 0.99);
        state.counters["wall_s"] = wall;
        state.counters["cpu_share"] = cpu / wall;
    }
}

struct PulseLine {
    explicit PulseLine(dravio::base::RealClock& c) : clock(c) { cable.open("Dravio simulated K-line"); }
    dravio::base::RealClock& clock;
    dravio::base::EventLoop loop{clock};
    dravio::link::Trace trace{clock};
    dravio::link::Link link{loop, trace};
    SimCable cable{clock};

    // The pattern as LinkInitialisation::wakeUp sends it: low t, released, high t.
    void pulse(double t, dravio::bench::WaitStats& stats) {
        const std::size_t first = cable.events().size();
        const double cpu0 = dravio::bench::threadCpuSeconds();
        cable.breakOn();
        link.Attente(t);
        cable.breakOff();
        link.Attente(t);
        stats.cpu += dravio::bench::threadCpuSeconds() - cpu0;
        const auto end = clock.now();
        const auto& events = cable.events();
        const auto low = events[first].t, high = events[first + 1].t;
        for (const double width : {std::chrono::duration<double>(high - low).count(),
                                   std::chrono::duration<double>(end - high).count()}) {
            stats.errorsUs.push_back((width - t) * 1e6);
            stats.waited += width;
        }
    }
};

// Arguments: competing threads (0/1), scheduling as the program (1) or normal (0).
void BM_WakeUpPulse(benchmark::State& state) {
    const auto scheduling = dravio::bench::useScheduling(state.range(1) != 0);
    dravio::base::RealClock::tightenTimerSlack();
    dravio::base::RealClock adaptive;
    dravio::base::RealClock busy(std::chrono::seconds(1));
    PulseLine a(adaptive), b(busy);
    dravio::bench::WaitStats att, spin;
    int attempt = 0;
    {
        dravio::bench::TurnThread busySide;
        dravio::bench::Competitors competitors(state.range(0) != 0);
        for (auto _ : state) {
            const double t = dravio::link::LinkInitialisation::pulseFor(++attempt);
            a.pulse(t, att);
            busySide.run([&] { b.pulse(t, spin); });
        }
    }
    att.report(state, "att_");
    spin.report(state, "busy_");
    state.SetLabel(scheduling.describe());
    dravio::bench::useScheduling(false);
}

BENCHMARK(BM_WakeUpPulse)
    ->ArgNames({"load", "rt"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Iterations(1000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_FailedInitialisation)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
