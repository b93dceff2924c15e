// Wake-ups, link timing and framing rules of the simulated KWP2000 unit, seen
// from the line.
#include "sim/kwp_session.h"

#include <gtest/gtest.h>

#include "kline_driver.h"
#include "sim/kwp_ecu.h"

namespace dravio::sim {
namespace {

using namespace testing;

const Bytes kStartCom = request({0x81});
const Bytes kStartComAnswer{0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3};
const Bytes kTesterPresent = request({0x3E});

class KwpSessionTest : public ::testing::Test {
protected:
    KwpEcu ecu{KwpScenario::m59()};
    KLineDriver line{ecu};
};

TEST_F(KwpSessionTest, AsleepEcuIgnoresRequests) {
    EXPECT_TRUE(line.ask(kStartCom).empty());
    EXPECT_TRUE(line.ask(request({0x21, 0xA0})).empty());
}

TEST_F(KwpSessionTest, FastWakeUpIsAcceptedOnlyForALowPulseOfAbout25Ms) {
    struct Case {
        double lowMs;
        bool answers;
    };
    const Case cases[] = {{15, false}, {22, false}, {23, false}, {24, true},  {24.4, true},
                          {25, true},  {26, true},  {26.4, true}, {27, false}, {50, false}};
    for (const Case& c : cases) {
        KwpEcu fresh{KwpScenario::m59()};
        KLineDriver l{fresh};
        l.fastWake(std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double, std::milli>(c.lowMs)));
        EXPECT_EQ(hex(l.ask(kStartCom)), c.answers ? hex(kStartComAnswer) : "") << c.lowMs << " ms low";
    }
}

TEST_F(KwpSessionTest, StartCommunicationTooSoonAfterThePulseIsNotAWakeUp) {
    line.fastWake(25ms, 5ms);  // first byte starts 11 ms after the release
    EXPECT_TRUE(line.ask(kStartCom).empty());
}

TEST_F(KwpSessionTest, FastWakeUpByAByteAt200BaudWorksWithEverySettleTheTesterUses) {
    for (const auto settle : {50ms, 25ms, 0ms}) {
        KwpEcu fresh{KwpScenario::m59()};
        KLineDriver l{fresh};
        l.fastWakeByByte(settle);
        EXPECT_EQ(hex(l.ask(kStartCom)), hex(kStartComAnswer)) << settle.count() << " ms";
    }
}

TEST_F(KwpSessionTest, FiveBaudWakeUpSendsSyncAndKeyBytesThenTheInvertedAddress) {
    line.clock.sleepFor(400ms);
    line.fiveBaud(0x10);
    const auto released = line.clock.now();
    line.cable.purge();
    // Sync and key bytes at 10400, within the tester's 600 ms.
    ASSERT_EQ(line.cable.waitForQueue(3, released + 600ms), 3u);
    const auto keyEnd = line.clock.now();
    Bytes heard;
    line.cable.read(3, heard);
    EXPECT_EQ(hex(heard), "55 EF 8F");
    // W1 after the 200 ms stop bit, then the three bytes with W2 and W3.
    EXPECT_EQ(keyEnd - released, 200ms + 60ms + 10ms + 5ms + 3 * KLineDriver::byteTime());

    // The tester answers the inverted key byte 32 ms later; the ECU the inverted address.
    line.clock.sleepFor(32ms);
    line.cable.write(0x70);
    const Bytes after = line.listen(100ms);
    EXPECT_EQ(hex(after), "70 EF");  // echo, then 0xEF
    line.clock.sleepFor(100ms);
    EXPECT_EQ(hex(line.ask(kStartCom)), hex(kStartComAnswer));
}

TEST_F(KwpSessionTest, FiveBaudWakeUpAsAByteAtFiveBaudIsHeardToo) {
    line.cable.setBaudRate(5);
    line.cable.write(0x10);
    line.clock.sleepFor(2s);
    line.cable.setBaudRate(10400);
    line.cable.purge();
    ASSERT_EQ(hex(line.listen(400ms)), "55 EF 8F");
}

TEST_F(KwpSessionTest, FiveBaudWakeUpFailsForAnotherAddressOrAWrongKey) {
    line.fiveBaud(0x11);
    EXPECT_EQ(hex(line.listen(1s)), "");

    line.fiveBaud(0x10);
    ASSERT_EQ(hex(line.listen(300ms)), "55 EF 8F");
    line.clock.sleepFor(32ms);
    line.cable.write(0x71);  // not the inverted key byte
    EXPECT_EQ(hex(line.listen(100ms)), "71");
    EXPECT_TRUE(line.ask(kStartCom).empty());
}

TEST_F(KwpSessionTest, LenientEcuAcceptsStartCommunicationWithoutWakeUpButNothingElse) {
    KwpSessionOptions o;
    o.lenient = true;
    KwpEcu lenient{KwpScenario::m59(), o};
    KLineDriver l{lenient};
    EXPECT_TRUE(l.ask(kTesterPresent).empty());
    EXPECT_EQ(hex(l.ask(kStartCom)), hex(kStartComAnswer));
    EXPECT_EQ(hex(l.ask(kTesterPresent)), "81 F1 10 7E 00");
}

TEST_F(KwpSessionTest, WakeUpCalledByAResponderOpensTheWayForStartCommunication) {
    ecu.wakeUp(line.clock.now());
    EXPECT_EQ(hex(line.ask(kStartCom)), hex(kStartComAnswer));
}

TEST_F(KwpSessionTest, LinkDropsAfterFiveSecondsOfSilenceAndTesterPresentKeepsIt) {
    line.fastWake();
    ASSERT_FALSE(line.ask(kStartCom).empty());
    for (int i = 0; i < 8; ++i) {
        line.clock.sleepFor(2500ms);
        EXPECT_EQ(hex(line.ask(kTesterPresent)), "81 F1 10 7E 00") << "keep-alive " << i;
    }
    line.clock.sleepFor(5100ms);
    EXPECT_TRUE(line.ask(kTesterPresent).empty());
    EXPECT_TRUE(line.ask(kStartCom).empty()) << "only a new wake-up revives the link";
    line.fastWake();
    EXPECT_EQ(hex(line.ask(kStartCom)), hex(kStartComAnswer));
}

TEST_F(KwpSessionTest, StopCommunicationEndsTheLink) {
    line.fastWake();
    ASSERT_FALSE(line.ask(kStartCom).empty());
    EXPECT_EQ(hex(line.ask(request({0x82}))), "81 F1 10 C2 44");
    EXPECT_TRUE(line.ask(kTesterPresent).empty());
}

TEST_F(KwpSessionTest, AnswerStartsP2AfterTheRequestAndBytesFollowAtP1) {
    struct Case {
        Clock::Duration p2, p1;
    };
    for (const Case c : {Case{25ms, 0ms}, Case{50ms, 0ms}, Case{30ms, 5ms}}) {
        KwpSessionOptions o;
        o.startAwake = true;
        o.timing.p2 = c.p2;
        o.timing.p1 = c.p1;
        KwpEcu awake{KwpScenario::m59(), o};
        KLineDriver l{awake};
        const Bytes a = l.ask(kTesterPresent);
        ASSERT_EQ(a.size(), 5u);
        const auto byte = KLineDriver::byteTime();
        EXPECT_EQ(l.firstAnswerEnd - byte - l.requestEnd, c.p2);
        EXPECT_EQ(l.lastAnswerEnd - l.firstAnswerEnd, 4 * (byte + c.p1));
    }
}

TEST_F(KwpSessionTest, RequestsThatAreNotForThisEcuOrAreDamagedGetNoAnswer) {
    line.fastWake();
    ASSERT_FALSE(line.ask(kStartCom).empty());
    Bytes badSum = request({0x21, 0xA0});
    badSum.back() ^= 0x01;
    EXPECT_TRUE(line.ask(badSum).empty());
    EXPECT_TRUE(line.ask(request({0x3E}, 0x11)).empty());
    // A pause of more than 20 ms inside a request loses it.
    const Bytes tp = kTesterPresent;
    line.cable.purge();
    line.write(Bytes(tp.begin(), tp.begin() + 2));
    line.write(Bytes(tp.begin() + 2, tp.end()), 30ms);
    EXPECT_EQ(line.listen(200ms).size(), tp.size()) << "only the echo";
    // The link is still up.
    EXPECT_FALSE(line.ask(kTesterPresent).empty());
}

TEST_F(KwpSessionTest, AnswersGoBackToTheTesterAddressUsed) {
    line.fastWake();
    ASSERT_FALSE(line.ask(kStartCom).empty());
    const Bytes a = line.ask(request({0x83, 0x03, 0x00, 0xFF, 0x00, 0xFF, 0x00}, 0x10, 0x01));
    EXPECT_EQ(hex(a), "82 01 10 C3 03 59");
    EXPECT_EQ(hex(line.ask(request({0x10, 0x81}))), "82 F1 10 50 81 54");
    EXPECT_EQ(hex(line.ask(request({0x20}))), "81 F1 10 60 E2");
}

}  // namespace
}  // namespace dravio::sim
