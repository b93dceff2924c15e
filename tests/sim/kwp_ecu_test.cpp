// The 59M/5AM unit's answers: golden frames, field positions, negative answers and procedures.
#include "sim/kwp_ecu.h"

#include <gtest/gtest.h>

#include "kline_driver.h"

namespace dravio::sim::testing {
namespace {

class KwpEcuTest : public ::testing::Test {
protected:
    KwpEcu ecu{KwpScenario::m59(), awake()};
    KLineDriver line{ecu};
};

TEST_F(KwpEcuTest, IdentificationAndLiveRecordsAreLaidOutWhereTheTesterReadsThem) {
    const Bytes a = line.ask(request({0x1A, 0x80}));
    ASSERT_EQ(a.size(), 67u);
    EXPECT_BYTES(Bytes(a.begin(), a.begin() + 5), "BF F1 10 5A 80");
    const std::string f(a.begin() + 5, a.end() - 1);  // 61 bytes of fields
    EXPECT_EQ(f.substr(0, 22), "28640751A  IAW59MHW010");
    EXPECT_EQ(f.substr(23, 13), std::string("0130DC27   \0\0", 13));
    EXPECT_BYTES(Bytes(a.end() - 5, a.end() - 1), "20 03 08 28");
    // The live block of pinned values is the reference block.
    EngineModel& m = ecu.engine();
    m.pinRpm(1990), m.pinManifold(1010), m.pinAirTemp(21), m.pinEngineTemp(17);
    m.pinThrottleDeg(4.1), m.pinAdvance(26.8), m.pinBattery(13.7), m.pinInjection(3.356);
    const Bytes b = line.ask(request({0x21, 0xA0}));
    ASSERT_EQ(b.size(), 26u);
    EXPECT_BYTES(Bytes(b.begin(), b.begin() + 19), "96 F1 10 61 A0 07 C6 03 F2 00 3D 00 39 00 29 01 0C 00 89");
    EXPECT_BYTES(Bytes(b.begin() + 21, b.begin() + 23), "06 8E");
    EXPECT_BYTES(line.askData({0x21, 0x30}), "61 30 07 C6");
}

TEST_F(KwpEcuTest, StatusBlockShowsEngineAndSwitchesAndRefusalsAreAsOnTheUnit) {
    const std::tuple<bool, KwpChassis, std::string_view> cases[] = {
        // state, then stand, clutch at 8..9, neutral, run/stop, ready at 12..14
        {true, {false, true, true, false}, "04 00 01 01 00 01"},
        {false, {false, true, true, false}, "02 00 01 01 00 01"},
        {false, {true, true, true, false}, "02 01 01 01 00 00"},     // stand out: no start
        {false, {false, true, false, false}, "02 00 01 00 00 00"},   // in gear, clutch released
        {false, {false, false, false, false}, "02 00 00 00 00 01"},  // in gear, clutch pulled
        {false, {false, true, true, true}, "02 00 01 01 01 00"}};    // run switch on stop
    for (const auto& [running, chassis, expected] : cases) {
        ecu.engine().setRunning(running);
        ecu.chassis() = chassis;
        line.clock.sleepFor(100ms);
        const Bytes a = line.ask(request({0x21, 0xA6}));
        ASSERT_EQ(a.size(), 22u);
        const Bytes d(a.begin() + 5, a.end() - 1);
        EXPECT_BYTES((Bytes{d[4], d[8], d[9], d[12], d[13], d[14]}), expected);
        EXPECT_EQ(d[5] == 0 && d[6] == 0, !running) << "the running mode word";
    }
    ecu.engine().setRunning(true);
    const std::pair<Bytes, std::string_view> refusals[] = {
        {{0x11, 0x01}, "7F 11 11"},              // unknown service
        {{0x21, 0xFF}, "7F 21 12"},              // unknown local identifier
        {{0x21, 0x6C}, "7F 21 12"},              // no stepper motor on a 59M
        {{0x21}, "7F 21 12"},                    // identifier missing
        {{0x31, 0x21}, "7F 31 22"},              // throttle reset with the engine running
        {{0x30, 0x05, 0x07}, "7F 30 22"},        // fuel pump test with the engine running
        {{0x30, 0x04, 0x07}, "7F 30 12"},        // stepper test: 5AM only
        {{0x30, 0x15, 0x05, 0x7F}, "7F 30 22"},  // trimmer beyond 126
        {{0x33, 0x21}, "7F 33 22"},              // results of a routine never started
        {{0x1A, 0x81}, "7F 1A 12"},
        {{0x10, 0x85}, "7F 10 12"}};
    for (const auto& [asked, answer] : refusals) EXPECT_BYTES(line.askData(asked), answer) << hex(asked);
    ecu.engine().setRunning(false);
    EXPECT_BYTES(line.askData({0x30, 0x15, 0x07, 0x05}), "7F 30 22") << "trimmer needs the engine running";
}

TEST_F(KwpEcuTest, ThrottleResetActuatorTestsAndTrimmerRunAsOnTheUnit) {
    ecu.engine().setRunning(false);
    EXPECT_BYTES(line.askData({0x21, 0x57}), "61 57 02");
    EXPECT_BYTES(line.askData({0x31, 0x21}), "71 21");
    line.clock.sleepFor(3s);
    EXPECT_BYTES(line.askData({0x33, 0x21}), "7F 33 23");
    line.clock.sleepFor(4100ms);
    EXPECT_BYTES(line.askData({0x33, 0x21}), "73 21 FF");
    const std::pair<std::uint8_t, Clock::Duration> cases[] = {{0x06, 2s}, {0x05, 30s}, {0x02, 5s},  {0x03, 5s},
                                                              {0x08, 5s}, {0x09, 5s},  {0x0E, 10s}, {0x0D, 10s}};
    for (const auto& [id, duration] : cases) {
        EXPECT_BYTES(line.askData({0x30, id, 0x07}), (Bytes{0x70, id, 0x00}));
        const auto started = line.requestEnd;
        EXPECT_FALSE(ecu.engine().testAt(started + duration - 1ms).empty()) << int(id);
        EXPECT_TRUE(ecu.engine().testAt(started + duration).empty()) << int(id);
        EXPECT_BYTES(line.askData({0x30, id, 0x00}), (Bytes{0x70, id, 0x00}));
        EXPECT_TRUE(ecu.engine().testAt(line.requestEnd).empty()) << "stopped early";
    }
    ecu.engine().setRunning(true);
    EXPECT_BYTES(line.askData({0x21, 0x57}), "61 57 04");
    EXPECT_BYTES(line.askData({0x30, 0x15, 0x07, 0xFF}), "70 15 07 FF");
    EXPECT_BYTES(line.askData({0x21, 0x3D}), "61 3D FF");
    EXPECT_BYTES(line.askData({0x30, 0x15, 0x05, 0x09}), "70 15 05 09");
    EXPECT_EQ(ecu.storedTrimmer(), 9);
    EXPECT_BYTES(line.askData({0x30, 0x15, 0x07, 0x0C}), "70 15 07 0C");
    line.clock.sleepFor(6s);  // the link drops: the unstored adjustment is lost
    EXPECT_TRUE(line.ask(request({0x21, 0x3D})).empty());
    EXPECT_EQ(ecu.engine().trimmer(), 9);
}

TEST_F(KwpEcuTest, FaultMemoryIsListedDetailedAndClearedAndThe5AMReportsStepperAndLambda) {
    KwpScenario s = KwpScenario::m59();
    s.faults = {{0x0201, false, true, false, 4, false, 0},    // stored, no signal
                {0xD600, true, true, false, 2, true, 10},     // present, short to ground, lamp
                {0x0110, false, false, false, 1, false, 0}};  // nothing to report
    KwpEcu unit{s, awake()};
    KLineDriver l{unit};
    EXPECT_BYTES(l.askData({0x18, 0x00, 0xFF, 0x00}), "58 02 02 01 24 D6 00 E2");
    const Bytes d = l.askData({0x17, 0xD6, 0x00});  // status 4th byte after 0x57, counter 11th
    ASSERT_EQ(d.size(), 12u);
    EXPECT_BYTES(Bytes(d.begin(), d.begin() + 5), "57 01 D6 00 E2");
    EXPECT_EQ(64 - d[11], 10) << "cycles since the fault was seen";
    EXPECT_BYTES(l.askData({0x17, 0x01, 0x23}), "57 00");
    EXPECT_BYTES(l.askData({0x14, 0xFF, 0x00}), "54 FF 00");
    EXPECT_BYTES(l.askData({0x18, 0x00, 0xFF, 0x00}), "58 01 D6 00 E2") << "only what is present stays";
    KwpEcu m5a{KwpScenario::m5a(), awake()};
    KLineDriver l5{m5a};
    m5a.engine().pinLambda(316);
    EXPECT_BYTES(l5.askData({0x21, 0x6C}), "61 6C 96");
    EXPECT_BYTES(l5.askData({0x21, 0x45}), "61 45 01 3C");
    EXPECT_BYTES(l5.askData({0x30, 0x04, 0x07}), "70 04 07");
    l5.clock.sleepFor(4s);
    EXPECT_BYTES(l5.askData({0x30, 0x20, 0x07}), "7F 30 21") << "one output test at a time";
    for (int i = 0; i < 8; ++i) l5.clock.sleepFor(4s), l5.askData({0x3E});
    EXPECT_BYTES(l5.askData({0x30, 0x20, 0x07}), "70 20 00") << "once the 32 s stepper test is over";
}

}  // namespace
}  // namespace dravio::sim::testing
