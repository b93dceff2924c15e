#include "base/ctimeit.h"

#include <gtest/gtest.h>

namespace dravio::base {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using std::chrono::seconds;

TEST(CTimeIt, CountsNanoseconds) {
    VirtualClock clock;
    EXPECT_EQ(CTimeIt(clock).Frequency(), 1'000'000'000);
}

TEST(CTimeIt, ResultIsMinusOneUntilStopNowFollowsStart) {
    VirtualClock clock(Clock::TimePoint{seconds(3)});
    CTimeIt timer(clock);
    EXPECT_EQ(timer.Result(), -1.0) << "fresh timer";

    timer.Start();
    clock.advance(milliseconds(40));
    EXPECT_EQ(timer.Result(), -1.0) << "started, never stopped";

    timer.StopNow();
    EXPECT_DOUBLE_EQ(timer.Result(), 0.04);

    timer.Start();
    EXPECT_EQ(timer.Result(), -1.0) << "a new Start forgets the old stop count";
}

TEST(CTimeIt, MeasuresExactVirtualIntervals) {
    const struct { Clock::TimePoint startAt; Clock::Duration elapsed; double seconds; } cases[] = {
        {Clock::TimePoint{}, nanoseconds(0), 0.0},  // a zero reading is a real count
        {Clock::TimePoint{}, nanoseconds(1), 1e-9},
        {Clock::TimePoint{seconds(7)}, microseconds(100), 0.0001},
        {Clock::TimePoint{seconds(7)}, milliseconds(25), 0.025},
        {Clock::TimePoint{milliseconds(1)}, milliseconds(1500), 1.5},
        {Clock::TimePoint{seconds(100'000)}, seconds(3600) + nanoseconds(5), 3600.000000005},
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

TEST(CTimeIt, RepeatedStopNowMeasuresFromTheSameStart) {
    VirtualClock clock;
    CTimeIt timer(clock);
    timer.Start();
    const double expected[] = {0.010, 0.020, 0.030};
    for (double e : expected) {
        clock.advance(milliseconds(10));
        timer.StopNow();
        EXPECT_DOUBLE_EQ(timer.Result(), e);
    }
}

TEST(CTimeIt, StopNowWithoutStartCountsFromZero) {
    VirtualClock clock(Clock::TimePoint{seconds(5)});
    CTimeIt timer(clock);
    timer.StopNow();
    EXPECT_DOUBLE_EQ(timer.Result(), 5.0);
}

}  // namespace
}  // namespace dravio::base
