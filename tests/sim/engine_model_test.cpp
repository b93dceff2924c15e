// The engine behind every simulated ECU: reproducible, plausible, pinnable.
#include "sim/engine_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace dravio::sim {
namespace {

using namespace std::chrono_literals;
using base::Clock;

Clock::TimePoint at(Clock::Duration d) { return Clock::TimePoint{} + d; }

TEST(EngineModelTest, SameSeedAndTimeGiveTheSameEngineWhateverWasAskedBefore) {
    EngineModel a(7), b(7), other(8);
    (void)a.at(at(500s));  // asking out of order changes nothing
    bool differs = false;
    for (auto t = 0ms; t < 60s; t += 337ms) {
        const EngineSnapshot x = a.at(at(t)), y = b.at(at(t));
        EXPECT_TRUE(x.rpm == y.rpm && x.throttleDeg == y.throttleDeg && x.engineTempC == y.engineTempC &&
                    x.batteryVolts == y.batteryVolts)
            << t.count();
        differs = differs || other.at(at(t)).rpm != x.rpm;
    }
    EXPECT_TRUE(differs) << "another seed should give another engine";
}

TEST(EngineModelTest, WarmIdleWithNoiseBlipsAndWarmUp) {
    for (const std::uint32_t seed : {1u, 2u, 3u}) {
        EngineModel m(seed);
        double lo = 1e9, hi = 0, maxThrottle = 0, rpmAtMax = 0, mapAtMax = 0;
        for (Clock::Duration t = 1800s; t < 1920s; t += 20ms) {
            const EngineSnapshot e = m.at(at(t));
            if (e.throttleDeg > maxThrottle) {
                maxThrottle = e.throttleDeg;
                rpmAtMax = e.rpm;
                mapAtMax = e.manifoldHpa;
            }
            // Idle: away from blips and the moment the engine takes to follow the throttle back.
            if (e.throttleDeg > 1.5 || m.at(at(t - 200ms)).throttleDeg > 1.5) continue;
            lo = std::min(lo, e.rpm);
            hi = std::max(hi, e.rpm);
        }
        EXPECT_GT(lo, 1100) << seed;
        EXPECT_LT(hi, 1300) << seed;
        EXPECT_GT(hi - lo, 5) << "idle should not be a flat line, seed " << seed;
        EXPECT_GT(maxThrottle, 8.0) << seed;
        EXPECT_GT(rpmAtMax, 2000.0) << seed;
        EXPECT_GT(mapAtMax, 600.0) << seed;
    }
    EngineModel cold(3);
    double previous = cold.at(at(0s)).engineTempC;
    EXPECT_LT(previous, 30.0);
    for (auto t = 30s; t <= 1800s; t += 30s) {
        EXPECT_GT(cold.at(at(t)).engineTempC, previous) << t.count() << " s";
        previous = cold.at(at(t)).engineTempC;
    }
    EXPECT_NEAR(previous, 88.0, 2.0);
}

TEST(EngineModelTest, KeyOnEngineOffHasNoSpeedNoFuelAndAmbientPressure) {
    EngineModel m(5);
    m.setRunning(false);
    for (auto t = 0s; t < 60s; t += 7s) {
        const EngineSnapshot e = m.at(at(t));
        EXPECT_TRUE(!e.running && e.rpm == 0 && e.injectionMs == 0 && e.loadPercent == 0 && e.airMassGs == 0);
        EXPECT_EQ(e.manifoldHpa, e.atmosphericHpa);
        EXPECT_LT(e.batteryVolts, 13.0) << "no charging";
    }
}

TEST(EngineModelTest, PinsStepperTrimmerFaultsAndTests) {
    EngineModel m(1);
    const auto t = at(1800s);
    const EngineSnapshot free = m.at(t);
    m.pinRpm(1990);
    m.pinThrottleDeg(4.1);
    EXPECT_EQ(m.at(t).rpm, 1990);
    EXPECT_NEAR(m.at(t).throttlePercent, 4.1 * 100 / 90, 1e-9);
    m.clearPins();
    EXPECT_EQ(m.at(t).rpm, free.rpm);
    m.setStepperPosition(EngineModel::kNominalStepper + 50);
    EXPECT_NEAR(m.at(t).rpm - free.rpm, 200.0, 1.0);
    m.setStepperPosition(EngineModel::kNominalStepper);
    m.setTrimmer(20);
    EXPECT_GT(m.at(t).injectionMs, free.injectionMs);
    m.setFaults({{0x0201, false, true}, {0x0335, true, true}, {0x0110, false, false, true}});
    m.clearFaults();
    ASSERT_EQ(m.faults().size(), 1u);
    EXPECT_EQ(m.faults()[0].code, 0x0335) << "clearing keeps the present fault";
    m.startTest("pump", at(30s));
    EXPECT_EQ(m.testAt(at(29s)), "pump");
    EXPECT_EQ(m.testAt(at(30s)), "");
    m.startTest("fan", at(60s));
    m.stopTest();
    EXPECT_EQ(m.testAt(at(31s)), "");
}

}  // namespace
}  // namespace dravio::sim
