// The 59M/5AM unit's answers: golden frames, field positions, conversions,
// negative answers and procedures.
#include "sim/kwp_ecu.h"

#include <gtest/gtest.h>

#include <string>

#include "kline_driver.h"

namespace dravio::sim {
namespace {

using namespace testing;

unsigned word(const Bytes& d, std::size_t k) { return d.at(k) * 256u + d.at(k + 1); }

class KwpEcuTest : public ::testing::Test {
protected:
    KwpEcu ecu{KwpScenario::m59(), awake()};
    KLineDriver line{ecu};
};

TEST_F(KwpEcuTest, IdentificationRecordsAreLaidOutWhereTheTesterReadsThem) {
    const Bytes a = line.ask(request({0x1A, 0x80}));
    ASSERT_EQ(a.size(), 67u);
    EXPECT_BYTES(Bytes(a.begin(), a.begin() + 5), "BF F1 10 5A 80");
    const std::string f(a.begin() + 5, a.end() - 1);  // 61 bytes of fields
    EXPECT_EQ(f.substr(0, 22), "28640751A  IAW59MHW010");
    EXPECT_EQ(f[22], ecu.scenario().identification.hardVersion);
    EXPECT_EQ(f.substr(23, 13), std::string("0130DC27   \0\0", 13));
    EXPECT_EQ(f.substr(36, 6), "59MA3 ");
    EXPECT_EQ(f.substr(47, 10), "TLC       ");
    EXPECT_BYTES(Bytes(a.end() - 5, a.end() - 1), "20 03 08 28");
    // The hardware type names the 5AM only on a 5AM.
    for (const auto& [scenario, is5A] : {std::pair{KwpScenario::m59(), false}, std::pair{KwpScenario::m5a(), true}}) {
        KwpEcu unit{scenario, awake()};
        KLineDriver l{unit};
        const Bytes t = l.ask(request({0x1A, 0x92}));
        ASSERT_EQ(t.size(), 67u);
        EXPECT_BYTES(Bytes(t.begin(), t.begin() + 5), "BF F1 10 5A 92");
        const std::string type(t.begin() + 5, t.begin() + 16);
        EXPECT_EQ(type, scenario.identification.ecuType);
        EXPECT_EQ(type.find("IAW5A") != std::string::npos, is5A) << type;
    }
}

TEST_F(KwpEcuTest, LiveBlockOfPinnedValuesMatchesTheReferenceBlock) {
    EngineModel& m = ecu.engine();
    m.pinRpm(1990);
    m.pinManifold(1010);
    m.pinAirTemp(21);
    m.pinEngineTemp(17);
    m.pinThrottleDeg(4.1);
    m.pinAdvance(26.8);
    m.pinBattery(13.7);
    m.pinInjection(3.356);
    const Bytes a = line.ask(request({0x21, 0xA0}));
    ASSERT_EQ(a.size(), 26u);
    EXPECT_BYTES(Bytes(a.begin(), a.begin() + 19), "96 F1 10 61 A0 07 C6 03 F2 00 3D 00 39 00 29 01 0C 00 89");
    EXPECT_BYTES(Bytes(a.begin() + 21, a.begin() + 23), "06 8E");
    EXPECT_BYTES(line.askData({0x21, 0x30}), "61 30 07 C6");
}

TEST_F(KwpEcuTest, LiveValuesAreTheEnginesAtTheMomentOfTheRequest) {
    for (int i = 0; i < 30; ++i) {
        line.clock.sleepFor(3400ms);  // across blips and the warm-up
        const Bytes d = line.askData({0x21, 0xA0});
        ASSERT_EQ(d.size(), 22u);
        const EngineSnapshot e = ecu.engine().at(line.requestEnd);
        EXPECT_NEAR(word(d, 2), e.rpm, 0.5);
        EXPECT_NEAR(word(d, 8) - 40.0, e.engineTempC, 0.5);
        EXPECT_NEAR(word(d, 10) / 10.0, e.throttleDeg, 0.05);
        const Bytes f = line.askData({0x21, 0x30});
        ASSERT_EQ(f.size(), 4u);
        EXPECT_NEAR(word(f, 2), ecu.engine().at(line.requestEnd).rpm, 0.5);
    }
}

TEST_F(KwpEcuTest, StatusBlockReportsEngineStateAndChassisSwitches) {
    struct Case {
        bool running;
        KwpChassis chassis;
        std::string_view bytes;  // state, then stand, clutch at 8..9, neutral, run/stop, ready at 12..14
    };
    const Case cases[] = {
        {true, {false, true, true, false}, "04 00 01 01 00 01"},
        {false, {false, true, true, false}, "02 00 01 01 00 01"},
        {false, {true, true, true, false}, "02 01 01 01 00 00"},     // stand out: no start
        {false, {false, true, false, false}, "02 00 01 00 00 00"},   // in gear, clutch released
        {false, {false, false, false, false}, "02 00 00 00 00 01"},  // in gear, clutch pulled
        {false, {false, true, true, true}, "02 00 01 01 01 00"},     // run switch on stop
    };
    for (const Case& c : cases) {
        ecu.engine().setRunning(c.running);
        ecu.chassis() = c.chassis;
        line.clock.sleepFor(100ms);
        const Bytes a = line.ask(request({0x21, 0xA6}));
        ASSERT_EQ(a.size(), 22u);
        const Bytes d(a.begin() + 5, a.end() - 1);
        EXPECT_BYTES((Bytes{d[4], d[8], d[9], d[12], d[13], d[14]}), c.bytes);
        const unsigned mode = word(d, 5);
        EXPECT_TRUE(c.running ? (mode == 0x20 || mode == 0x40 || mode == 0x80 || mode == 0x100) : mode == 0) << mode;
    }
}

TEST_F(KwpEcuTest, RefusesWhatARealUnitRefuses) {
    ecu.engine().setRunning(true);
    const std::pair<Bytes, std::string_view> cases[] = {
        {{0x11, 0x01}, "7F 11 11"},              // unknown service
        {{0x21, 0xFF}, "7F 21 12"},              // unknown local identifier
        {{0x21, 0x6C}, "7F 21 12"},              // no stepper motor on a 59M
        {{0x21}, "7F 21 12"},                    // identifier missing
        {{0x31, 0x21}, "7F 31 22"},              // throttle reset with the engine running
        {{0x30, 0x05, 0x07}, "7F 30 22"},        // fuel pump test with the engine running
        {{0x30, 0x04, 0x07}, "7F 30 12"},        // stepper test: 5AM only
        {{0x30, 0x20, 0x07}, "7F 30 12"},        // service reset: 5AM only
        {{0x30, 0x15, 0x05, 0x7F}, "7F 30 22"},  // trimmer beyond 126
        {{0x33, 0x21}, "7F 33 22"},              // results of a routine never started
        {{0x1A, 0x81}, "7F 1A 12"},
        {{0x10, 0x85}, "7F 10 12"},
    };
    for (const auto& [asked, answer] : cases) {
        const Bytes a = line.ask(request(asked));
        ASSERT_EQ(a.size(), 7u) << hex(asked);
        EXPECT_BYTES(Bytes(a.begin(), a.begin() + 3), "83 F1 10");
        EXPECT_BYTES(dataOf(a), answer) << hex(asked);
    }
    ecu.engine().setRunning(false);
    EXPECT_BYTES(line.askData({0x30, 0x15, 0x07, 0x05}), "7F 30 22") << "trimmer needs the engine running";
}

TEST_F(KwpEcuTest, ThrottleResetRunsSevenSecondsWithTheEngineStopped) {
    ecu.engine().setRunning(false);
    EXPECT_BYTES(line.askData({0x21, 0x57}), "61 57 02");
    EXPECT_BYTES(line.askData({0x31, 0x21}), "71 21");
    line.clock.sleepFor(3s);
    EXPECT_BYTES(line.askData({0x33, 0x21}), "7F 33 23");
    line.clock.sleepFor(2500ms);
    EXPECT_BYTES(line.askData({0x3E}), "7E");
    line.clock.sleepFor(1600ms);
    EXPECT_BYTES(line.askData({0x33, 0x21}), "73 21 FF");
    ecu.engine().setRunning(true);
    EXPECT_BYTES(line.askData({0x21, 0x57}), "61 57 04");
}

TEST_F(KwpEcuTest, ActuatorTestsRunForTheirDurationUntilStopped) {
    ecu.engine().setRunning(false);
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
}

TEST_F(KwpEcuTest, TrimmerIsAdjustedReadStoredAndForgottenUnlessStored) {
    ecu.engine().setRunning(true);
    EXPECT_BYTES(line.askData({0x21, 0x3D}), "61 3D 00");
    EXPECT_BYTES(line.askData({0x30, 0x15, 0x07, 0xFF}), "70 15 07 FF");
    EXPECT_BYTES(line.askData({0x21, 0x3D}), "61 3D FF");
    EXPECT_EQ(ecu.engine().trimmer(), -1);
    EXPECT_BYTES(line.askData({0x30, 0x15, 0x05, 0x09}), "70 15 05 09");
    EXPECT_EQ(ecu.storedTrimmer(), 9);
    EXPECT_BYTES(line.askData({0x30, 0x15, 0x07, 0x0C}), "70 15 07 0C");
    // The link drops after 5 s of silence: the unstored adjustment is lost.
    line.clock.sleepFor(6s);
    EXPECT_TRUE(line.ask(request({0x21, 0x3D})).empty());
    EXPECT_EQ(ecu.engine().trimmer(), 9);
}

TEST_F(KwpEcuTest, FaultMemoryIsListedDetailedAndCleared) {
    KwpScenario s = KwpScenario::m59();
    s.faults = {{0x0201, false, true, false, 4, false, 0},    // stored, no signal
                {0xD600, true, true, false, 2, true, 10},     // present, short to ground, lamp
                {0x0110, false, false, false, 1, false, 0}};  // nothing to report
    KwpEcu unit{s, awake()};
    KLineDriver l{unit};
    EXPECT_BYTES(l.askData({0x18, 0x00, 0xFF, 0x00}), "58 02 02 01 24 D6 00 E2");
    // Detail of one code: status 4th byte after 0x57, counter 11th.
    const Bytes d = l.askData({0x17, 0xD6, 0x00});
    ASSERT_EQ(d.size(), 12u);
    EXPECT_BYTES(Bytes(d.begin(), d.begin() + 5), "57 01 D6 00 E2");
    EXPECT_EQ(64 - d[11], 10) << "cycles since the fault was seen";
    EXPECT_BYTES(l.askData({0x17, 0x01, 0x23}), "57 00");
    // Clearing keeps only what is present now.
    EXPECT_BYTES(l.askData({0x14, 0xFF, 0x00}), "54 FF 00");
    EXPECT_BYTES(l.askData({0x18, 0x00, 0xFF, 0x00}), "58 01 D6 00 E2");
}

TEST_F(KwpEcuTest, UnitOf5AMReportsStepperLambdaImmobiliserAndRunsItsOwnTests) {
    KwpEcu unit{KwpScenario::m5a(), awake()};
    KLineDriver l{unit};
    unit.engine().pinLambda(316);
    EXPECT_BYTES(l.askData({0x21, 0x6C}), "61 6C 96");
    EXPECT_BYTES(l.askData({0x21, 0x45}), "61 45 01 3C");
    for (const std::uint8_t status : {0x00, 0x02, 0x80}) {
        unit.setImmobiliser(status);
        EXPECT_BYTES(l.askData({0x21, 0x74}), (Bytes{0x61, 0x74, status}));
    }
    EXPECT_BYTES(l.askData({0x30, 0x04, 0x07}), "70 04 07");
    // The motor sweeps during its 32 s test.
    int lo = 255, hi = 0;
    for (int i = 0; i < 12; ++i) {
        l.clock.sleepFor(2500ms);
        const Bytes d = l.askData({0x21, 0x6C});
        ASSERT_EQ(d.size(), 3u);
        lo = std::min<int>(lo, d[2]);
        hi = std::max<int>(hi, d[2]);
    }
    EXPECT_LT(lo, 30);
    EXPECT_GT(hi, 225);
    // One output test at a time: the service reset waits for the motor.
    EXPECT_BYTES(l.askData({0x30, 0x20, 0x07}), "7F 30 21");
    l.clock.sleepFor(2500ms);
    EXPECT_BYTES(l.askData({0x30, 0x20, 0x07}), "70 20 00");
}

TEST_F(KwpEcuTest, EveryAnswerIsAWellFormedFrameForTheTester) {
    std::vector<Bytes> asked = {{0x83, 0x00}, {0x83, 0x02}, {0x99}, {0x21, 0x00}, {0x21, 0x4B}};
    for (std::uint8_t lid = 0x30; lid <= 0x3D; ++lid) asked.push_back({0x21, lid});
    for (const Bytes& r : asked) {
        const Bytes a = line.ask(request(r));  // length and checksum are checked on reading
        ASSERT_GE(a.size(), 5u) << hex(r);
        EXPECT_TRUE(a[3] == r[0] + 0x40 || (a[3] == 0x7F && a[4] == r[0])) << hex(a);
    }
}

}  // namespace
}  // namespace dravio::sim
