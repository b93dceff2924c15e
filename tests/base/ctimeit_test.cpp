#include "base/ctimeit.h"

#include <gtest/gtest.h>

namespace dravio::base {
namespace {

using namespace std::chrono_literals;

TEST(CTimeIt, ResultIsMinusOneUntilStopNowFollowsStart) {
    VirtualClock clock(Clock::TimePoint{5s});
    CTimeIt timer(clock);
    EXPECT_EQ(timer.Result(), -1.0) << "fresh timer";
    timer.StopNow();
    EXPECT_DOUBLE_EQ(timer.Result(), 5.0) << "without Start the start count is 0";

    timer.Start();
    clock.advance(40ms);
    EXPECT_EQ(timer.Result(), -1.0) << "a new Start forgets the old stop count";
    timer.StopNow();
    EXPECT_DOUBLE_EQ(timer.Result(), 0.04);
    clock.advance(10ms);
    timer.StopNow();
    EXPECT_DOUBLE_EQ(timer.Result(), 0.05) << "StopNow again measures from the same start";
}

TEST(CTimeIt, MeasuresExactVirtualIntervals) {
    const struct {
        Clock::TimePoint startAt;
        Clock::Duration elapsed;
        double seconds;
    } cases[] = {
        {Clock::TimePoint{}, 0ns, 0.0},  // a zero reading is a real count
        {Clock::TimePoint{}, 1ns, 1e-9},
        {Clock::TimePoint{7s}, 25ms, 0.025},
        {Clock::TimePoint{100'000s}, 3600s + 5ns, 3600.000000005},
    };
    for (const auto& c : cases) {
        VirtualClock clock(c.startAt);
        CTimeIt timer(clock);
        timer.Start();
        clock.advance(c.elapsed);
        timer.StopNow();
        EXPECT_DOUBLE_EQ(timer.Result(), c.seconds) << c.elapsed.count() << " ns";
    }
}

}  // namespace
}  // namespace dravio::base
