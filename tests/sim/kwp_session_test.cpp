// Wake-ups, link timing and framing rules of the simulated KWP2000 unit, seen from the line.
#include "sim/kwp_session.h"

#include <gtest/gtest.h>

#include "kline_driver.h"
#include "sim/kwp_ecu.h"

namespace dravio::sim::testing {
namespace {

const Bytes kStartCom = request({0x81});
const std::string_view kStartComAnswer = "83 F1 10 C1 EF 8F C3";
const Bytes kTesterPresent = request({0x3E});

class KwpSessionTest : public ::testing::Test {
protected:
    KwpEcu ecu{KwpScenario::m59()};
    KLineDriver line{ecu};
};

TEST_F(KwpSessionTest, FastWakeUpIsAcceptedOnlyForALowPulseOfAbout25MsOrAByteAt200Baud) {
    const std::pair<double, bool> cases[] = {{15, false}, {23, false},  {24, true},  {24.4, true}, {25, true},
                                             {26, true},  {26.4, true}, {27, false}, {50, false}};
    for (const auto& [lowMs, answers] : cases) {
        KwpEcu fresh{KwpScenario::m59()};
        KLineDriver l{fresh};
        EXPECT_TRUE(l.ask(kStartCom).empty()) << "asleep";
        l.fastWake(std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double, std::milli>(lowMs)));
        EXPECT_BYTES(l.ask(kStartCom), answers ? kStartComAnswer : "") << lowMs << " ms low";
    }
    line.fastWake(25ms, 5ms);  // first byte starts 11 ms after the release: too soon
    EXPECT_TRUE(line.ask(kStartCom).empty());
    for (const auto settle : {50ms, 25ms, 0ms}) {
        KwpEcu fresh{KwpScenario::m59()};
        KLineDriver l{fresh};
        l.fastWakeByByte(settle);
        EXPECT_BYTES(l.ask(kStartCom), kStartComAnswer) << settle.count() << " ms";
    }
}

TEST_F(KwpSessionTest, FiveBaudWakeUpFailsForAnotherAddressOrAWrongKeyThenSendsSyncKeyBytesAndTheInvertedAddress) {
    line.fiveBaud(0x11);
    EXPECT_BYTES(line.listen(1s), "");
    line.cable.setBaudRate(5);  // the address as a byte at 5 baud is heard too
    line.cable.write(0x10);
    line.clock.sleepFor(2s);
    line.cable.setBaudRate(10400);
    line.cable.purge();
    EXPECT_BYTES(line.listen(400ms), "55 EF 8F");
    line.clock.sleepFor(32ms);
    line.cable.write(0x71);  // not the inverted key byte
    EXPECT_BYTES(line.listen(100ms), "71");
    EXPECT_TRUE(line.ask(kStartCom).empty());
    line.clock.sleepFor(400ms);
    line.fiveBaud(0x10);
    const auto released = line.clock.now();
    line.cable.purge();
    ASSERT_EQ(line.cable.waitForQueue(3, released + 600ms), 3u);
    // W1 after the 200 ms stop bit, then sync and key bytes with W2 and W3.
    EXPECT_EQ(line.clock.now() - released, 200ms + 60ms + 10ms + 5ms + 3 * KLineDriver::byteTime());
    EXPECT_BYTES(line.listen(0ms), "55 EF 8F");
    // The tester answers the inverted key byte 32 ms later; the ECU the inverted address.
    line.clock.sleepFor(32ms);
    line.cable.write(0x70);
    EXPECT_BYTES(line.listen(100ms), "70 EF");
    line.clock.sleepFor(100ms);
    EXPECT_BYTES(line.ask(kStartCom), kStartComAnswer);
}

TEST_F(KwpSessionTest, LinkDropsAfterFiveSecondsOfSilenceAnswersKeepP2AndP1AndTheTesterAddress) {
    line.fastWake();
    ASSERT_FALSE(line.ask(kStartCom).empty());
    for (int i = 0; i < 4; ++i) {
        line.clock.sleepFor(4800ms);
        EXPECT_BYTES(line.ask(kTesterPresent), "81 F1 10 7E 00") << "keep-alive " << i;
    }
    line.clock.sleepFor(5100ms);
    EXPECT_TRUE(line.ask(kTesterPresent).empty());
    EXPECT_TRUE(line.ask(kStartCom).empty()) << "only a new wake-up revives the link";
    line.fastWake();
    EXPECT_BYTES(line.ask(kStartCom), kStartComAnswer);
    EXPECT_BYTES(line.ask(request({0x82})), "81 F1 10 C2 44");
    EXPECT_TRUE(line.ask(kTesterPresent).empty());
    for (const auto& [p2, p1] : {std::pair{25ms, 0ms}, std::pair{50ms, 0ms}, std::pair{30ms, 5ms}}) {
        KwpSessionOptions o = awake();
        o.timing.p2 = p2;
        o.timing.p1 = p1;
        KwpEcu unit{KwpScenario::m59(), o};
        KLineDriver l{unit};
        ASSERT_EQ(l.ask(kTesterPresent).size(), 5u);
        EXPECT_EQ(l.answerDelay(), p2);
        EXPECT_EQ(l.lastAnswerEnd - l.firstAnswerEnd, 4 * (KLineDriver::byteTime() + p1));
    }
    line.fastWake();
    ASSERT_FALSE(line.ask(kStartCom).empty());
    Bytes badSum = request({0x21, 0xA0});
    badSum.back() ^= 0x01;
    EXPECT_TRUE(line.ask(badSum).empty());
    EXPECT_TRUE(line.ask(request({0x3E}, 0x11)).empty());
    // A pause of more than 20 ms inside a request loses it.
    line.cable.purge();
    line.write(Bytes(kTesterPresent.begin(), kTesterPresent.begin() + 2));
    line.write(Bytes(kTesterPresent.begin() + 2, kTesterPresent.end()), 30ms);
    EXPECT_BYTES(line.listen(200ms), kTesterPresent) << "only the echo";
    EXPECT_BYTES(line.ask(request({0x83, 0x03, 0x00, 0xFF, 0x00, 0xFF, 0x00}, 0x10, 0x01)), "82 01 10 C3 03 59");
    EXPECT_BYTES(line.ask(request({0x10, 0x81})), "82 F1 10 50 81 54");
    EXPECT_BYTES(line.ask(request({0x20})), "81 F1 10 60 E2");
}

}  // namespace
}  // namespace dravio::sim::testing
