// The 59M/5AM unit's answers, checked against what the tester reads out of
// them: field positions, conversions, negative answers and procedures.
#include "sim/kwp_ecu.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "kline_driver.h"

namespace dravio::sim {
namespace {

using namespace testing;

std::string text(const Bytes& b, std::size_t from, std::size_t n) {
    std::string s;
    for (std::size_t i = from; i < from + n && i < b.size(); ++i) s += static_cast<char>(b[i]);
    return s;
}

unsigned w(const Bytes& d, std::size_t k) { return d.at(k) * 256u + d.at(k + 1); }

class KwpEcuTest : public ::testing::Test {
protected:
    Bytes ask(const Bytes& data) { return line.ask(request(data)); }

    KwpEcu ecu{KwpScenario::m59(), awake()};
    KLineDriver line{ecu};
};

TEST_F(KwpEcuTest, IdentificationRecordIsLaidOutWhereTheTesterReadsIt) {
    const Bytes a = ask({0x1A, 0x80});
    ASSERT_EQ(a.size(), 67u);
    EXPECT_EQ(hex(Bytes(a.begin(), a.begin() + 5)), "BF F1 10 5A 80");
    EXPECT_TRUE(checksumOk(a));
    const Bytes f(a.begin() + 5, a.end() - 1);  // 61 bytes of fields
    const KwpIdentification& id = ecu.scenario().identification;
    EXPECT_EQ(text(f, 0, 11), "28640751A  ");
    EXPECT_EQ(text(f, 11, 11), "IAW59MHW010");
    EXPECT_EQ(f[22], id.hardVersion);
    EXPECT_EQ(text(f, 23, 11), "0130DC27   ");
    EXPECT_EQ(base::toHex(Bytes(f.begin() + 34, f.begin() + 36)), "0000");
    EXPECT_EQ(text(f, 36, 6), "59MA3 ");
    EXPECT_EQ(text(f, 47, 10), "TLC       ");
    EXPECT_EQ(base::toHex(Bytes(f.begin() + 57, f.begin() + 61)), "20030828");
}

TEST_F(KwpEcuTest, HardwareTypeNamesThe5AMOnlyOnA5AM) {
    struct Case {
        KwpScenario scenario;
        bool is5A;
    };
    for (const Case& c : {Case{KwpScenario::m59(), false}, Case{KwpScenario::m5a(), true}}) {
        KwpEcu unit{c.scenario, awake()};
        KLineDriver l{unit};
        const Bytes a = l.ask(request({0x1A, 0x92}));
        ASSERT_EQ(a.size(), 67u);
        EXPECT_EQ(hex(Bytes(a.begin(), a.begin() + 5)), "BF F1 10 5A 92");
        const std::string type = text(a, 5, 11);
        EXPECT_EQ(type.find("IAW5A") != std::string::npos, c.is5A) << type;
        EXPECT_EQ(type, c.scenario.identification.ecuType);
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
    const Bytes a = ask({0x21, 0xA0});
    ASSERT_EQ(a.size(), 26u);
    EXPECT_EQ(hex(Bytes(a.begin(), a.begin() + 5)), "96 F1 10 61 A0");
    const std::string block = base::toHex(Bytes(a.begin() + 5, a.end() - 1));
    EXPECT_EQ(block.substr(0, 28), "07C603F2003D00390029010C0089");
    EXPECT_EQ(block.substr(32, 4), "068E");
}

TEST_F(KwpEcuTest, LiveBlockDecodesBackToTheEngineAtTheMomentOfTheRequest) {
    for (int i = 0; i < 60; ++i) {
        line.clock.sleepFor(1700ms);  // across blips and the warm-up
        const Bytes a = ask({0x21, 0xA0});
        ASSERT_EQ(a.size(), 26u);
        const Bytes d(a.begin() + 5, a.end() - 1);
        const EngineSnapshot e = ecu.engine().at(line.requestEnd);
        EXPECT_NEAR(w(d, 0), e.rpm, 0.5);
        EXPECT_NEAR(w(d, 2), e.manifoldHpa, 0.5);
        EXPECT_NEAR(w(d, 4) - 40.0, e.airTempC, 0.5);
        EXPECT_NEAR(w(d, 6) - 40.0, e.engineTempC, 0.5);
        EXPECT_NEAR(w(d, 8) / 10.0, e.throttleDeg, 0.05);
        EXPECT_NEAR(w(d, 10) / 10.0, e.advanceDeg, 0.05);
        EXPECT_NEAR(w(d, 12) / 10.0, e.batteryVolts, 0.05);
        EXPECT_NEAR(w(d, 16) / 500.0, e.injectionMs, 0.001);
        // Fast mode gives the same engine speed.
        const Bytes f = ask({0x21, 0x30});
        ASSERT_EQ(f.size(), 8u);
        EXPECT_EQ(hex(Bytes(f.begin(), f.begin() + 5)), "84 F1 10 61 30");
        EXPECT_NEAR(f[5] * 256 + f[6], ecu.engine().at(line.requestEnd).rpm, 0.5);
    }
}

TEST_F(KwpEcuTest, StatusBlockReportsEngineStateAndChassisSwitches) {
    struct Case {
        bool running;
        KwpChassis chassis;
        std::uint8_t state, stand, clutch, neutral, runStop, ready;
    };
    const Case cases[] = {
        {true, {false, true, true, false}, 0x04, 0, 1, 1, 0, 1},
        {false, {false, true, true, false}, 0x02, 0, 1, 1, 0, 1},
        {false, {true, true, true, false}, 0x02, 1, 1, 1, 0, 0},   // stand out: no start
        {false, {false, true, false, false}, 0x02, 0, 1, 0, 0, 0},  // in gear, clutch released
        {false, {false, false, false, false}, 0x02, 0, 0, 0, 0, 1}, // in gear, clutch pulled
        {false, {false, true, true, true}, 0x02, 0, 1, 1, 1, 0},    // run switch on stop
    };
    for (const Case& c : cases) {
        ecu.engine().setRunning(c.running);
        ecu.chassis() = c.chassis;
        line.clock.sleepFor(100ms);
        const Bytes a = ask({0x21, 0xA6});
        ASSERT_EQ(a.size(), 22u);
        ASSERT_TRUE(checksumOk(a));
        const Bytes d(a.begin() + 5, a.end() - 1);
        EXPECT_EQ(d[4], c.state);
        EXPECT_EQ(d[8], c.stand);
        EXPECT_EQ(d[9], c.clutch);
        EXPECT_EQ(d[12], c.neutral);
        EXPECT_EQ(d[13], c.runStop);
        EXPECT_EQ(d[14], c.ready);
        const unsigned mode = w(d, 5);
        if (c.running) {
            EXPECT_TRUE(mode == 0x20 || mode == 0x40 || mode == 0x80 || mode == 0x100) << mode;
        } else {
            EXPECT_EQ(mode, 0u);
        }
    }
}

TEST_F(KwpEcuTest, RefusesWhatARealUnitRefuses) {
    ecu.engine().setRunning(true);
    struct Case {
        Bytes request;
        std::string answer;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        const Bytes a = ask(c.request);
        ASSERT_EQ(a.size(), 7u) << hex(c.request);
        EXPECT_EQ(hex(Bytes(a.begin(), a.begin() + 3)), "83 F1 10");
        EXPECT_EQ(hex(dataOf(a)), c.answer) << hex(c.request);
        EXPECT_TRUE(checksumOk(a));
    }
    ecu.engine().setRunning(false);
    EXPECT_EQ(hex(dataOf(ask({0x30, 0x15, 0x07, 0x05}))), "7F 30 22") << "trimmer needs the engine running";
}

TEST_F(KwpEcuTest, ThrottleResetRunsSevenSecondsWithTheEngineStopped) {
    ecu.engine().setRunning(false);
    EXPECT_EQ(hex(dataOf(ask({0x21, 0x57}))), "61 57 02");
    EXPECT_EQ(hex(dataOf(ask({0x31, 0x21}))), "71 21");
    line.clock.sleepFor(3s);
    EXPECT_EQ(hex(dataOf(ask({0x33, 0x21}))), "7F 33 23");
    line.clock.sleepFor(2500ms);
    EXPECT_EQ(hex(dataOf(ask({0x3E}))), "7E");
    line.clock.sleepFor(1600ms);
    EXPECT_EQ(hex(dataOf(ask({0x33, 0x21}))), "73 21 FF");
    ecu.engine().setRunning(true);
    EXPECT_EQ(hex(dataOf(ask({0x21, 0x57}))), "61 57 04");
}

TEST_F(KwpEcuTest, ActuatorTestsRunForTheirDurationUntilStopped) {
    ecu.engine().setRunning(false);
    struct Case {
        std::uint8_t id;
        Clock::Duration duration;
    };
    const Case cases[] = {{0x06, 2s}, {0x05, 30s}, {0x02, 5s}, {0x03, 5s}, {0x08, 5s},
                          {0x09, 5s}, {0x0E, 10s}, {0x0D, 10s}};
    for (const Case& c : cases) {
        EXPECT_EQ(hex(dataOf(ask({0x30, c.id, 0x07}))), hex({0x70, c.id, 0x00}));
        const auto started = line.requestEnd;
        EXPECT_FALSE(ecu.engine().testAt(started + c.duration - 1ms).empty()) << int(c.id);
        EXPECT_TRUE(ecu.engine().testAt(started + c.duration).empty()) << int(c.id);
        EXPECT_EQ(hex(dataOf(ask({0x30, c.id, 0x00}))), hex({0x70, c.id, 0x00}));
        EXPECT_TRUE(ecu.engine().testAt(line.requestEnd).empty()) << "stopped early";
    }
}

TEST_F(KwpEcuTest, TrimmerIsAdjustedReadStoredAndForgottenUnlessStored) {
    ecu.engine().setRunning(true);
    EXPECT_EQ(hex(dataOf(ask({0x21, 0x3D}))), "61 3D 00");
    EXPECT_EQ(hex(dataOf(ask({0x30, 0x15, 0x07, 0xFF}))), "70 15 07 FF");
    EXPECT_EQ(hex(dataOf(ask({0x21, 0x3D}))), "61 3D FF");
    EXPECT_EQ(ecu.engine().trimmer(), -1);
    EXPECT_EQ(hex(dataOf(ask({0x30, 0x15, 0x05, 0x09}))), "70 15 05 09");
    EXPECT_EQ(ecu.storedTrimmer(), 9);
    EXPECT_EQ(hex(dataOf(ask({0x30, 0x15, 0x07, 0x0C}))), "70 15 07 0C");
    // The link drops after 5 s of silence: the unstored adjustment is lost.
    line.clock.sleepFor(6s);
    EXPECT_TRUE(ask({0x21, 0x3D}).empty());
    EXPECT_EQ(ecu.engine().trimmer(), 9);
}

TEST_F(KwpEcuTest, FaultMemoryIsListedDetailedAndCleared) {
    KwpScenario s = KwpScenario::m59();
    s.faults = {{0x0201, false, true, false, 4, false, 0},   // stored, no signal
                {0xD600, true, true, false, 2, true, 10},    // present, short to ground, lamp
                {0x0110, false, false, false, 1, false, 0}}; // nothing to report
    KwpEcu unit{s, awake()};
    KLineDriver l{unit};
    Bytes a = l.ask(request({0x18, 0x00, 0xFF, 0x00}));
    EXPECT_TRUE(checksumOk(a));
    EXPECT_EQ(hex(dataOf(a)), "58 02 02 01 24 D6 00 E2");
    // Detail of one code: status 4th byte after 0x57, counter 11th.
    a = l.ask(request({0x17, 0xD6, 0x00}));
    ASSERT_EQ(a.size(), 16u);
    const Bytes d = dataOf(a);
    EXPECT_EQ(d[0], 0x57);
    EXPECT_EQ(hex(Bytes{d[2], d[3]}), "D6 00");
    EXPECT_EQ(d[4], 0xE2);
    EXPECT_EQ(64 - d[11], 10) << "cycles since the fault was seen";
    EXPECT_EQ(hex(dataOf(l.ask(request({0x17, 0x01, 0x23})))), "57 00");
    // Clearing keeps only what is present now.
    EXPECT_EQ(hex(dataOf(l.ask(request({0x14, 0xFF, 0x00})))), "54 FF 00");
    EXPECT_EQ(hex(dataOf(l.ask(request({0x18, 0x00, 0xFF, 0x00})))), "58 01 D6 00 E2");
}

TEST_F(KwpEcuTest, UnitOf5AMReportsStepperLambdaAndRunsItsOwnTests) {
    KwpEcu unit{KwpScenario::m5a(), awake()};
    KLineDriver l{unit};
    unit.engine().pinLambda(316);
    EXPECT_EQ(hex(dataOf(l.ask(request({0x21, 0x6C})))), "61 6C 96");
    EXPECT_EQ(hex(dataOf(l.ask(request({0x21, 0x45})))), "61 45 01 3C");
    EXPECT_EQ(hex(dataOf(l.ask(request({0x30, 0x04, 0x07})))), "70 04 07");
    // The motor sweeps during its 32 s test.
    int lo = 255, hi = 0;
    for (int i = 0; i < 12; ++i) {
        l.clock.sleepFor(2500ms);
        const Bytes a = l.ask(request({0x21, 0x6C}));
        ASSERT_EQ(a.size(), 7u);
        lo = std::min<int>(lo, a[5]);
        hi = std::max<int>(hi, a[5]);
    }
    EXPECT_LT(lo, 30);
    EXPECT_GT(hi, 225);
    // One output test at a time: the service reset waits for the motor.
    EXPECT_EQ(hex(dataOf(l.ask(request({0x30, 0x20, 0x07})))), "7F 30 21");
    l.clock.sleepFor(2500ms);
    EXPECT_EQ(hex(dataOf(l.ask(request({0x30, 0x20, 0x07})))), "70 20 00");
}

TEST_F(KwpEcuTest, ImmobiliserStatusComesFromTheScenario) {
    for (const std::uint8_t status : {0x00, 0x01, 0x02, 0x80}) {
        ecu.setImmobiliser(status);
        EXPECT_EQ(hex(dataOf(ask({0x21, 0x74}))), hex({0x61, 0x74, status}));
    }
}

TEST_F(KwpEcuTest, EveryAnswerIsAWellFormedFrameForTheTester) {
    std::vector<Bytes> asked = {{0x1A, 0x80}, {0x1A, 0x92}, {0x21, 0xA0}, {0x21, 0xA6}, {0x18, 0x00, 0xFF, 0x00},
                                {0x3E},       {0x83, 0x00}, {0x83, 0x02}, {0x14, 0xFF, 0x00}, {0x33, 0x21},
                                {0x99},       {0x21, 0x00}, {0x30, 0x15, 0x07, 0x01}};
    for (std::uint8_t lid = 0x30; lid <= 0x3D; ++lid) asked.push_back({0x21, lid});
    for (const std::uint8_t lid : {0x45, 0x4B, 0x57, 0x6C, 0x74}) asked.push_back({0x21, lid});
    for (int round = 0; round < 4; ++round) {
        for (const Bytes& r : asked) {
            line.clock.sleepFor(60ms);
            const Bytes a = ask(r);
            ASSERT_GE(a.size(), 5u) << hex(r);
            EXPECT_EQ(frameLength(a), a.size()) << hex(a);
            EXPECT_TRUE(checksumOk(a)) << hex(a);
            EXPECT_EQ(a[1], 0xF1);
            EXPECT_EQ(a[2], 0x10);
            const std::uint8_t sid = a[3];
            EXPECT_TRUE(sid == r[0] + 0x40 || (sid == 0x7F && a[4] == r[0])) << hex(a);
        }
    }
}

}  // namespace
}  // namespace dravio::sim
