// The engine behind every simulated ECU: reproducible, and still when stopped.
#include "sim/engine_model.h"

#include <gtest/gtest.h>

namespace dravio::sim {
namespace {

using namespace std::chrono_literals;
using base::Clock;

Clock::TimePoint at(Clock::Duration d) { return Clock::TimePoint{} + d; }

TEST(EngineModelTest, SameSeedAndTimeGiveTheSameEngineAndTheStepperAndKeyOffShowInIt) {
    EngineModel a(7), b(7), other(8);
    (void)a.at(at(500s));  // asking out of order changes nothing
    bool differs = false;
    for (auto t = 0ms; t < 60s; t += 337ms) {
        const EngineSnapshot x = a.at(at(t)), y = b.at(at(t));
        EXPECT_TRUE(x.rpm == y.rpm && x.throttleDeg == y.throttleDeg && x.engineTempC == y.engineTempC) << t.count();
        differs = differs || other.at(at(t)).rpm != x.rpm;
    }
    EXPECT_TRUE(differs) << "another seed should give another engine";
    EngineModel m(1);
    const auto t = at(1800s);
    const EngineSnapshot free = m.at(t);
    m.setStepperPosition(EngineModel::kNominalStepper + 50);
    EXPECT_NEAR(m.at(t).rpm - free.rpm, 200.0, 1.0);
    m.setRunning(false);
    const EngineSnapshot e = m.at(t);
    EXPECT_TRUE(!e.running && e.rpm == 0 && e.injectionMs == 0 && e.loadPercent == 0 && e.airMassGs == 0);
    EXPECT_EQ(e.manifoldHpa, e.atmosphericHpa);
}

}  // namespace
}  // namespace dravio::sim
