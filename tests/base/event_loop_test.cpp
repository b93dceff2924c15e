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
    std::vector<double> ticks;
    Timer timer{loop, [this] { ticks.push_back(ms()); }};
};

TEST_F(EventLoopTest, TicksEveryIntervalWhileEnabledAndRestartsOnDisableEnableOrANewInterval) {
    timer.setInterval(200ms);
    loop.runFor(1000ms);  // disabled: no tick
    timer.setEnabled(true);
    loop.runFor(700ms);
    timer.setInterval(2500ms);  // at 1700: due 4200
    loop.runFor(2000ms);
    timer.restart();         // at 3700: due 6200
    timer.setEnabled(true);  // enabling an enabled timer changes nothing
    loop.runFor(3000ms);
    timer.setInterval(0ms);  // never ticks
    loop.runFor(10s);
    EXPECT_EQ(ticks, (std::vector<double>{1200, 1400, 1600, 6200}));
    EXPECT_EQ(loop.nextTimerDue(), Clock::TimePoint::max());
}

TEST_F(EventLoopTest, NoReentryThroughPumpNoTickOnceDestroyedAndPostedTasksInOrder) {
    int depth = 0, maxDepth = 0;
    timer.setInterval(10ms);
    timer.setOnTick([&] {
        ticks.push_back(ms());
        maxDepth = std::max(maxDepth, ++depth);
        for (int i = 0; i < 5; ++i) {  // a long procedure that lets events run
            clock.advance(10ms);
            loop.pump();
        }
        --depth;
    });
    timer.setEnabled(true);
    loop.runFor(100ms);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GE(ticks.size(), 2u);

    auto victim = std::make_unique<Timer>(loop);
    int victimTicks = 0;
    victim->setOnTick([&] { ++victimTicks; });
    victim->setInterval(10ms);
    Timer killer(loop, [&] { victim.reset(); });
    killer.setInterval(10ms);
    timer.setEnabled(false);
    killer.setEnabled(true);
    victim->setEnabled(true);
    loop.runFor(50ms);
    EXPECT_EQ(victim, nullptr);
    EXPECT_LE(victimTicks, 1);
    ticks.clear();
    loop.post([&] { ticks.push_back(1); });
    loop.post([&] {
        ticks.push_back(2);
        loop.post([&] { ticks.push_back(3); });
    });
    loop.pump();
    ticks.push_back(0);
    loop.pump();
    EXPECT_EQ(ticks, (std::vector<double>{1, 2, 0, 3}));
}

TEST(EventLoopReal, TaskPostedFromAnotherThreadWakesAnIdleLoopAndSleepsNeverEndEarly) {
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
    loop.runFor(60s);  // without the wake-up the loop would idle the full minute
    other.join();
    EXPECT_TRUE(ran && loop.quitRequested());
    for (const Clock::Duration d : {Clock::Duration(100us), Clock::Duration(6ms)}) {
        const auto t0 = clock.now();
        clock.sleepUntil(t0 + d);
        EXPECT_GE(clock.now() - t0, d);
    }
}

}  // namespace
}  // namespace dravio::base
