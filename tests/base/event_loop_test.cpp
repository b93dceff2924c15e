#include "base/event_loop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace dravio::base {
namespace {

using namespace std::chrono_literals;

class EventLoopTest : public ::testing::Test {
protected:
    double ms() const { return millisecondsSince(Clock::TimePoint{}, clock.now()); }
    VirtualClock clock;
    EventLoop loop{clock};
};

TEST_F(EventLoopTest, TimerTicksEveryIntervalWhileEnabled) {
    std::vector<double> ticks;
    Timer timer(loop, [&] { ticks.push_back(ms()); });
    timer.setInterval(200ms);
    loop.runFor(1000ms);
    EXPECT_TRUE(ticks.empty()) << "a disabled timer ticked";
    timer.setEnabled(true);
    loop.runFor(700ms);
    EXPECT_EQ(ticks, (std::vector<double>{1200, 1400, 1600}));
}

TEST_F(EventLoopTest, DisableThenEnableStartsAFullIntervalAnew) {
    std::vector<double> ticks;
    Timer timer(loop, [&] { ticks.push_back(ms()); });
    timer.setInterval(2500ms);
    timer.setEnabled(true);
    loop.runFor(2000ms);
    timer.restart();
    timer.setEnabled(true);  // enabling an enabled timer changes nothing
    loop.runFor(3000ms);
    EXPECT_EQ(ticks, (std::vector<double>{4500}));
}

TEST_F(EventLoopTest, ChangingTheIntervalOfARunningTimerRestartsIt) {
    std::vector<double> ticks;
    Timer timer(loop, [&] { ticks.push_back(ms()); });
    timer.setInterval(100ms);
    timer.setEnabled(true);
    loop.runFor(50ms);
    timer.setInterval(300ms);
    loop.runFor(400ms);
    EXPECT_EQ(ticks, (std::vector<double>{350}));
}

TEST_F(EventLoopTest, ZeroIntervalNeverTicks) {
    int ticks = 0;
    Timer timer(loop, [&] { ++ticks; });
    timer.setEnabled(true);
    loop.runFor(1s);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(loop.nextTimerDue(), Clock::TimePoint::max());
}

TEST_F(EventLoopTest, TimerDoesNotReenterItsOwnHandlerThroughPump) {
    int depth = 0;
    int maxDepth = 0;
    int ticks = 0;
    Timer timer(loop);
    timer.setInterval(10ms);
    timer.setOnTick([&] {
        ++ticks;
        maxDepth = std::max(maxDepth, ++depth);
        // A long procedure that lets events run, like a measurement cycle.
        for (int i = 0; i < 5; ++i) {
            clock.advance(10ms);
            loop.pump();
        }
        --depth;
    });
    timer.setEnabled(true);
    loop.runFor(100ms);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GE(ticks, 2);
}

TEST_F(EventLoopTest, TimerDestroyedByAnotherHandlerDoesNotTick) {
    auto victim = std::make_unique<Timer>(loop);
    int victimTicks = 0;
    victim->setOnTick([&] { ++victimTicks; });
    victim->setInterval(10ms);
    Timer killer(loop, [&] { victim.reset(); });
    killer.setInterval(10ms);
    killer.setEnabled(true);
    victim->setEnabled(true);
    loop.runFor(50ms);
    EXPECT_EQ(victim, nullptr);
    EXPECT_LE(victimTicks, 1);
}

TEST_F(EventLoopTest, PostedTasksRunInOrderOnPump) {
    std::vector<int> order;
    loop.post([&] { order.push_back(1); });
    loop.post([&] {
        order.push_back(2);
        loop.post([&] { order.push_back(3); });
    });
    loop.pump();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    loop.pump();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(EventLoopReal, TaskPostedFromAnotherThreadWakesAnIdleLoop) {
    RealClock clock;
    EventLoop loop(clock);
    std::atomic<bool> ran{false};
    std::thread other([&] {
        std::this_thread::sleep_for(20ms);
        loop.post([&] {
            ran = true;
            loop.quit();
        });
    });
    // Without the wake-up the loop would idle the full minute.
    loop.runFor(60s);
    other.join();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(loop.quitRequested());
}

TEST(RealClockTest, SleepNeverEndsEarly) {
    RealClock clock;
    for (const Clock::Duration d : {Clock::Duration(100us), Clock::Duration(1ms), Clock::Duration(6ms)}) {
        const auto t0 = clock.now();
        clock.sleepUntil(t0 + d);
        EXPECT_GE(clock.now() - t0, d);
    }
}

}  // namespace
}  // namespace dravio::base
