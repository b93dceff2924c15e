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

}  // namespace
}  // namespace dravio::base
