// Each kind of fault the plan offers, seen from the line.
#include "sim/fault_injection.h"

#include <gtest/gtest.h>

#include "kline_driver.h"
#include "ports/kline_cable.h"
#include "sim/kwp_ecu.h"

namespace dravio::sim::testing {
namespace {

const Bytes kTesterPresent = request({0x3E});
constexpr std::string_view kPresentAnswer = "81 F1 10 7E 00";

class FaultInjectionTest : public ::testing::Test {
protected:
    Faults& faults() { return ecu.faults(); }
    Bytes ask(Clock::Duration timeout = 500ms) { return line.ask(kTesterPresent, timeout, true); }
    KwpEcu ecu{KwpScenario::m59(), awake()};
    KLineDriver line{ecu};
};

TEST_F(FaultInjectionTest, AnswersAreDroppedSpoiltCutDelayedOrPendingAndLostAtRandomAsPlanned) {
    faults().dropNextAnswers(2);
    EXPECT_BYTES(ask(), "");
    EXPECT_BYTES(ask(), "");
    EXPECT_EQ(faults().answersDropped(), 2);
    faults().corruptChecksumOfNext(1);
    EXPECT_BYTES(ask(), "81 F1 10 7E 01");
    faults().dropByteAt(2);
    EXPECT_BYTES(ask(200ms), "81 F1 7E 00");
    faults().corruptByteAt(3);
    EXPECT_BYTES(ask(), "81 F1 10 81 00");
    EXPECT_BYTES(ask(), kPresentAnswer);
    faults().delayNextAnswers(1, 600ms);
    EXPECT_BYTES(ask(500ms), "") << "after the tester has given up";
    line.clock.sleepFor(1s);  // let the late answer go by
    faults().delayNextAnswers(1, 600ms);
    EXPECT_BYTES(ask(1s), kPresentAnswer);
    EXPECT_EQ(line.answerDelay(), 25ms + 600ms);
    faults().responsePendingBeforeNext(1);
    EXPECT_BYTES(line.ask(request({0x21, 0x57})), "83 F1 10 7F 21 78 9C");
    const Bytes answer = line.readFrame(line.clock.now() + 500ms);
    ASSERT_EQ(answer.size(), 7u);
    EXPECT_BYTES(Bytes(answer.begin(), answer.begin() + 5), "83 F1 10 61 57");
    faults().setByteErrors(0.0, 1.0);
    faults().addNoise({line.clock.now() + 3ms, {0xAA, 0x55}});
    line.cable.purge();
    line.write(kTesterPresent);
    EXPECT_BYTES(line.listen(200ms), "AA 55 81 10 F1 3E C0 7E 0E EF 81 FF")
        << "noise, the echo, every answer byte inverted";
    EXPECT_FALSE(faults().hasPendingNoise());
    faults().setByteErrors(0.0, 0.0);
    const auto run = [](std::uint32_t seed) {
        KwpSessionOptions o = awake();
        o.faultSeed = seed;
        KwpEcu unit{KwpScenario::m59(), o};
        unit.faults().dropAnswersWithProbability(0.3);
        KLineDriver l{unit};
        std::string pattern;
        for (int i = 0; i < 200; ++i) pattern += l.ask(kTesterPresent).empty() ? 'x' : '.';
        EXPECT_EQ(std::count(pattern.begin(), pattern.end(), 'x'), unit.faults().answersDropped());
        return pattern;
    };
    const std::string a = run(11);
    EXPECT_GT(std::count(a.begin(), a.end(), 'x'), 35);
    EXPECT_LT(std::count(a.begin(), a.end(), 'x'), 85);
    EXPECT_EQ(run(11), a) << "same seed, same losses";
    EXPECT_NE(run(12), a);
    faults().setUnplugHook([this](bool out) { line.cable.setUnplugged(out); });
    faults().unplugAfterAnswers(1);
    EXPECT_BYTES(ask(), kPresentAnswer);
    line.write(kTesterPresent);
    EXPECT_EQ(line.cable.write(0x00), ports::kCableIoError);
    line.clock.sleepFor(10ms);  // the last echo is still on the wire
    faults().unplug(false);
    EXPECT_BYTES(ask(), kPresentAnswer);
}

}  // namespace
}  // namespace dravio::sim::testing
