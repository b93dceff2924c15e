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
        EXPECT_EQ(x.rpm, y.rpm);
        EXPECT_EQ(x.throttleDeg, y.throttleDeg);
        EXPECT_EQ(x.engineTempC, y.engineTempC);
        EXPECT_EQ(x.batteryVolts, y.batteryVolts);
        differs = differs || other.at(at(t)).rpm != x.rpm;
    }
    EXPECT_TRUE(differs) << "another seed should give another engine";
}

TEST(EngineModelTest, WarmEngineIdlesAroundTwelveHundredWithNoise) {
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        EngineModel m(seed);
        double lo = 1e9, hi = 0;
        int idleSamples = 0;
        for (Clock::Duration t = 1800s; t < 1860s; t += 50ms) {
            const EngineSnapshot e = m.at(at(t));
            // Skip blips and the moment the engine takes to follow the throttle back.
            if (e.throttleDeg > 1.5 || m.at(at(t - 200ms)).throttleDeg > 1.5) continue;
            ++idleSamples;
            lo = std::min(lo, e.rpm);
            hi = std::max(hi, e.rpm);
        }
        ASSERT_GT(idleSamples, 100) << seed;
        EXPECT_GT(lo, 1100) << seed;
        EXPECT_LT(hi, 1300) << seed;
        EXPECT_GT(hi - lo, 5) << "idle should not be a flat line, seed " << seed;
    }
}

TEST(EngineModelTest, ThrottleBlipsRaiseEngineSpeedAndManifoldPressure) {
    EngineModel m(1);
    double maxThrottle = 0, rpmAtMax = 0, mapAtMax = 0;
    for (auto t = 0ms; t < 120s; t += 20ms) {
        const EngineSnapshot e = m.at(at(t));
        if (e.throttleDeg > maxThrottle) {
            maxThrottle = e.throttleDeg;
            rpmAtMax = e.rpm;
            mapAtMax = e.manifoldHpa;
        }
    }
    EXPECT_GT(maxThrottle, 8.0);
    EXPECT_GT(rpmAtMax, 2000.0);
    EXPECT_GT(mapAtMax, 600.0);
}

TEST(EngineModelTest, EngineTemperatureRisesTowardsOperatingTemperature) {
    EngineModel m(3);
    double previous = m.at(at(0s)).engineTempC;
    EXPECT_LT(previous, 30.0);
    for (auto t = 30s; t <= 1800s; t += 30s) {
        const double now = m.at(at(t)).engineTempC;
        EXPECT_GT(now, previous) << "at " << t.count() << " s";
        previous = now;
    }
    EXPECT_NEAR(previous, 88.0, 2.0);
}

TEST(EngineModelTest, KeyOnEngineOffHasNoSpeedNoFuelAndAmbientPressure) {
    EngineModel m(5);
    m.setRunning(false);
    for (auto t = 0s; t < 60s; t += 7s) {
        const EngineSnapshot e = m.at(at(t));
        EXPECT_FALSE(e.running);
        EXPECT_EQ(e.rpm, 0);
        EXPECT_EQ(e.injectionMs, 0);
        EXPECT_EQ(e.loadPercent, 0);
        EXPECT_EQ(e.airMassGs, 0);
        EXPECT_EQ(e.manifoldHpa, e.atmosphericHpa);
        EXPECT_LT(e.batteryVolts, 13.0);  // no charging
    }
}

TEST(EngineModelTest, PinsFixValuesAndReleasingThemRestoresTheModel) {
    EngineModel m(1);
    const EngineSnapshot free = m.at(at(42s));
    m.pinRpm(1990);
    m.pinThrottleDeg(4.1);
    m.pinEngineTemp(17);
    m.pinBattery(13.7);
    const EngineSnapshot pinned = m.at(at(42s));
    EXPECT_EQ(pinned.rpm, 1990);
    EXPECT_EQ(pinned.throttleDeg, 4.1);
    EXPECT_NEAR(pinned.throttlePercent, 4.1 * 100 / 90, 1e-9);
    EXPECT_EQ(pinned.engineTempC, 17);
    EXPECT_EQ(pinned.batteryVolts, 13.7);
    m.clearPins();
    EXPECT_EQ(m.at(at(42s)).rpm, free.rpm);
}

TEST(EngineModelTest, StepperAndTrimmerActOnIdleSpeedAndFuelling) {
    EngineModel m(1);
    const auto t = at(1800s);
    const EngineSnapshot nominal = m.at(t);
    m.setStepperPosition(EngineModel::kNominalStepper + 50);
    EXPECT_NEAR(m.at(t).rpm - nominal.rpm, 200.0, 1.0);
    m.setStepperPosition(EngineModel::kNominalStepper);
    m.setTrimmer(20);
    EXPECT_GT(m.at(t).injectionMs, nominal.injectionMs);
    EXPECT_EQ(m.at(t).trimmer, 20);
}

TEST(EngineModelTest, ClearingForgetsStoredFaultsButNotPresentOnes) {
    EngineModel m;
    m.setFaults({{0x0201, false, true}, {0x0335, true, true}, {0x0110, false, false, true}});
    m.clearFaults();
    ASSERT_EQ(m.faults().size(), 1u);
    EXPECT_EQ(m.faults()[0].code, 0x0335);
}

TEST(EngineModelTest, TestInProgressEndsAtItsTime) {
    EngineModel m;
    m.startTest("pump", at(30s));
    EXPECT_EQ(m.testAt(at(29s)), "pump");
    EXPECT_EQ(m.testAt(at(30s)), "");
    m.startTest("fan", at(60s));
    m.stopTest();
    EXPECT_EQ(m.testAt(at(31s)), "");
}

}  // namespace
}  // namespace dravio::sim
