// The measurement cycle against the simulated 59M on the real clock: the cycle
// period in fast mode (engine speed alone) and block mode, next to the floor the
// protocol sets, and the CPU the cycle uses while measuring.
// Floor of one cycle: the pause before the request, 6 ms before each request
// byte, the last byte's time on the wire, P2, and the answer's bytes at 10400 baud.
// Counters: period_ms, floor_ms, over_floor_pct, cpu_pct (of one core).
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

#include "base/clock.h"
#include "base/event_loop.h"
#include "base/view_state.h"
#include "ecu/measurement_cycle.h"
#include "link/link.h"
#include "link/trace.h"
#include "ports/sim_cable.h"
#include "sim/kline_device.h"
#include "twin/sim_cable_adapter.h"
#include "sim/kwp_ecu.h"

namespace {

using namespace std::chrono_literals;

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

constexpr double kByteMs = 10.0 * 1000.0 / 10400.0;
constexpr double kPauseMs = 80.0;
constexpr double kGapMs = 6.0;
constexpr double kP2Ms = 25.0;

double floorMs(int requestBytes, int answerBytes) {
    return kPauseMs + requestBytes * kGapMs + kByteMs + kP2Ms + answerBytes * kByteMs;
}

void BM_Cycle(benchmark::State& state, bool fast) {
    dravio::base::RealClock::tightenTimerSlack();
    constexpr int kCycles = 40;
    for (auto _ : state) {
        dravio::base::RealClock clock;
        dravio::base::EventLoop loop(clock);
        dravio::link::Trace trace(clock);
        dravio::link::Link link(loop, trace);
        link.TypeECU = dravio::proto::Model::M59;
        dravio::ports::SimCable cable(clock);
        dravio::sim::KwpSessionOptions options;
        options.startAwake = true;
        dravio::sim::KwpEcu ecu(dravio::sim::KwpScenario::m59(), options);
        ecu.setP2(25ms);
        dravio::twin::SimCableAdapter adapter(ecu);
        cable.setPeer(&adapter);
        cable.open("Dravio simulated K-line");
        cable.setBaudRate(10400);
        link.setCable(&cable);
        dravio::base::ViewState view;
        dravio::ecu::CycleSettings settings;
        std::vector<double> times;
        std::unique_ptr<dravio::ecu::MeasurementCycle> cycle;
        dravio::ecu::CycleHooks hooks;
        hooks.onRecord = [&](const dravio::ecu::CycleRecord& r) {
            times.push_back(r.secondes);
            if (static_cast<int>(times.size()) >= kCycles) cycle->StopMesures = true;
        };
        cycle = std::make_unique<dravio::ecu::MeasurementCycle>(link, view, settings, hooks);
        cycle->fastMode = [fast] { return fast; };

        const double cpu0 = threadCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        cycle->cdparametre_Click();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        const double cpu = threadCpuSeconds() - cpu0;

        const double period = (times.back() - times.front()) / static_cast<double>(times.size() - 1) * 1000.0;
        const double floor = fast ? floorMs(6, 8) : floorMs(6, 26);
        state.counters["cycles"] = static_cast<double>(times.size());
        state.counters["period_ms"] = period;
        state.counters["floor_ms"] = floor;
        state.counters["over_floor_pct"] = (period - floor) / floor * 100.0;
        state.counters["cpu_pct"] = cpu / wall * 100.0;
    }
}

BENCHMARK_CAPTURE(BM_Cycle, fast_mode, true)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_Cycle, block_mode, false)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
