#include "base/spin_margin.h"

#include <gtest/gtest.h>

#include <vector>

namespace dravio::base {
namespace {

using namespace std::chrono_literals;
using D = SpinMargin::Duration;

// Overshoots fed in order (each {value, count}) and the margin they leave.
struct Case {
    const char* name;
    std::vector<std::pair<D, int>> fed;
    D margin;
};

TEST(SpinMargin, LearnsAHighPercentileOfRecentOvershootsWithinItsBounds) {
    const Case cases[] = {
        {"no sleep yet keeps the busy-machine guess", {}, 500us},
        {"too few sleeps to learn from", {{10us, 15}}, 500us},
        {"idle machine: the floor", {{10us, 300}}, 200us},
        {"early wake-ups count as on time", {{-50us, 300}}, 200us},
        {"loaded machine: the overshoot plus headroom", {{400us, 300}}, 450us},
        {"two preemptions in the window are not covered", {{100us, 254}, {5ms, 2}}, 200us},
        {"a third one is", {{100us, 253}, {900us, 3}}, 950us},
        {"never beyond the cap", {{10ms, 300}}, 2ms},
        {"old overshoots leave the window", {{1500us, 256}, {300us, 256}}, 350us},
    };
    for (const auto& c : cases) {
        SpinMargin margin;
        for (const auto& [value, count] : c.fed) {
            for (int i = 0; i < count; ++i) margin.learn(value);
        }
        EXPECT_EQ(margin.margin(), c.margin) << c.name;
    }
}

}  // namespace
}  // namespace dravio::base
