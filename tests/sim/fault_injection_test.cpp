// Each kind of fault the plan offers, seen from the line.
#include "sim/fault_injection.h"

#include <gtest/gtest.h>

#include "kline_driver.h"
#include "ports/kline_cable.h"
#include "sim/kwp_ecu.h"

namespace dravio::sim {
namespace {

using namespace testing;

const Bytes kTesterPresent = request({0x3E});
const std::string kPresentAnswer = "81 F1 10 7E 00";

class FaultInjectionTest : public ::testing::Test {
protected:
    Faults& faults() { return ecu.faults(); }

    KwpEcu ecu{KwpScenario::m59(), awake()};
    KLineDriver line{ecu};
};

TEST_F(FaultInjectionTest, DroppedAnswersAreNeverSent) {
    faults().dropNextAnswers(2);
    EXPECT_TRUE(line.ask(kTesterPresent).empty());
    EXPECT_TRUE(line.ask(kTesterPresent).empty());
    EXPECT_EQ(hex(line.ask(kTesterPresent)), kPresentAnswer);
    EXPECT_EQ(faults().answersDropped(), 2);
}

TEST_F(FaultInjectionTest, RandomLossFollowsItsProbabilityAndItsSeed) {
    const auto run = [](std::uint32_t seed) {
        KwpSessionOptions o = awake();
        o.faultSeed = seed;
        KwpEcu unit{KwpScenario::m59(), o};
        unit.faults().dropAnswersWithProbability(0.3);
        KLineDriver l{unit};
        std::string pattern;
        for (int i = 0; i < 200; ++i) pattern += l.ask(kTesterPresent).empty() ? 'x' : '.';
        EXPECT_EQ(static_cast<int>(std::count(pattern.begin(), pattern.end(), 'x')), unit.faults().answersDropped());
        return pattern;
    };
    const std::string a = run(11);
    const auto lost = std::count(a.begin(), a.end(), 'x');
    EXPECT_GT(lost, 35);
    EXPECT_LT(lost, 85);
    EXPECT_EQ(run(11), a) << "same seed, same losses";
    EXPECT_NE(run(12), a);
}

TEST_F(FaultInjectionTest, WrongChecksumSpoilsOnlyTheChecksum) {
    faults().corruptChecksumOfNext(1);
    const Bytes bad = line.ask(kTesterPresent);
    ASSERT_EQ(bad.size(), 5u);
    EXPECT_FALSE(checksumOk(bad));
    EXPECT_EQ(hex(Bytes(bad.begin(), bad.end() - 1)), "81 F1 10 7E");
    EXPECT_EQ(hex(line.ask(kTesterPresent)), kPresentAnswer);
}

TEST_F(FaultInjectionTest, LateAnswerComesAfterTheTesterHasGivenUp) {
    faults().delayNextAnswers(1, 600ms);
    EXPECT_TRUE(line.ask(kTesterPresent, 500ms).empty());
    line.clock.sleepFor(1s);  // let the late answer go by
    faults().delayNextAnswers(1, 600ms);
    EXPECT_EQ(hex(line.ask(kTesterPresent, 1s)), kPresentAnswer);
    EXPECT_EQ(line.firstAnswerEnd - KLineDriver::byteTime() - line.requestEnd, 25ms + 600ms);
}

TEST_F(FaultInjectionTest, ResponsePendingFrameComesFirst) {
    faults().responsePendingBeforeNext(1);
    EXPECT_EQ(hex(line.ask(request({0x21, 0x57}))), "83 F1 10 7F 21 78 9C");
    const Bytes answer = line.readFrame(line.clock.now() + 500ms);
    EXPECT_EQ(hex(Bytes(answer.begin(), answer.begin() + 5)), "83 F1 10 61 57");
    EXPECT_TRUE(checksumOk(answer));
}

TEST_F(FaultInjectionTest, NoiseBytesAreOnTheLineAtTheirTime) {
    const auto t0 = line.clock.now();
    faults().addNoise({t0 + 3ms, {0xAA, 0x55}});
    line.cable.purge();
    line.write(kTesterPresent);
    const Bytes heard = line.listen(200ms);
    EXPECT_EQ(hex(heard), "AA 55 " + hex(kTesterPresent) + " " + kPresentAnswer);
    EXPECT_FALSE(faults().hasPendingNoise());
}

TEST_F(FaultInjectionTest, SingleBytesAreDroppedOrCorrupted) {
    faults().dropByteAt(2);
    EXPECT_EQ(hex(line.ask(kTesterPresent, 200ms)), "81 F1 7E 00");
    faults().corruptByteAt(3);
    EXPECT_EQ(hex(line.ask(kTesterPresent)), "81 F1 10 81 00");
    faults().setByteErrors(0.0, 1.0);
    EXPECT_EQ(hex(line.ask(kTesterPresent)), "7E 0E EF 81 FF");
}

TEST_F(FaultInjectionTest, FirstWakeUpsAreIgnored) {
    KwpEcu asleep{KwpScenario::m59()};
    asleep.faults().ignoreFirstWakeUps(2);
    KLineDriver l{asleep};
    for (int i = 0; i < 2; ++i) {
        l.fastWake();
        EXPECT_TRUE(l.ask(request({0x81})).empty()) << "wake-up " << i;
        l.clock.sleepFor(300ms);
    }
    l.fastWake();
    EXPECT_EQ(hex(l.ask(request({0x81}))), "83 F1 10 C1 EF 8F C3");
    EXPECT_EQ(asleep.faults().wakeUpsIgnored(), 2);
}

TEST_F(FaultInjectionTest, CableComesOutThroughTheScenarioHook) {
    faults().setUnplugHook([this](bool out) { line.cable.setUnplugged(out); });
    faults().unplugAfterAnswers(1);
    EXPECT_EQ(hex(line.ask(kTesterPresent)), kPresentAnswer);
    line.write(kTesterPresent);
    std::uint32_t queued = 0;
    EXPECT_EQ(line.cable.queueStatus(queued), ports::kCableIoError);
    EXPECT_EQ(line.cable.write(0x00), ports::kCableIoError);
    line.clock.sleepFor(10ms);  // the last echo is still on the wire
    faults().unplug(false);
    EXPECT_EQ(hex(line.ask(kTesterPresent)), kPresentAnswer);
}

}  // namespace
}  // namespace dravio::sim
