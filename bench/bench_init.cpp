// A full failed initialisation (40 attempts, no ECU) on the real clock against the
// simulated cable: how precise the break pulses and 5-baud bits are, and what the
// minute of waiting costs in CPU.
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

namespace {

using dravio::base::Clock;
using dravio::ports::SimCable;

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

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

BENCHMARK(BM_FailedInitialisation)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
