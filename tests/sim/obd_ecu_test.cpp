// The generic OBD-II unit: service 01 values by the OBD-II formulas, fault
// codes and the shared wake-up.
#include "sim/obd_ecu.h"

#include <gtest/gtest.h>

#include "kline_driver.h"

namespace dravio::sim {
namespace {

using namespace testing;

class ObdEcuTest : public ::testing::Test {
protected:
    ObdScenario scenario() {
        ObdScenario s;
        s.faults = {{0x0123, true, true, false, 4, true, 0}, {0x0324, false, true}, {0x0244, false, false, true}};
        return s;
    }
    ObdEcu ecu{scenario(), awake()};
    KLineDriver line{ecu};
};

TEST_F(ObdEcuTest, LiveValuesDecodeByTheObdFormulasToTheEngine) {
    struct Pid {
        std::uint8_t pid;
        std::size_t bytes;
        double (*decode)(const Bytes& d);
        double (*expected)(const EngineSnapshot& e);
        double tolerance;
    };
    const Pid pids[] = {
        {0x0C, 2, [](const Bytes& d) { return (d[2] * 256.0 + d[3]) / 4; }, [](const EngineSnapshot& e) { return e.rpm; }, 0.125},
        {0x04, 1, [](const Bytes& d) { return d[2] * 100.0 / 255; }, [](const EngineSnapshot& e) { return e.loadPercent; }, 0.2},
        {0x05, 1, [](const Bytes& d) { return d[2] - 40.0; }, [](const EngineSnapshot& e) { return e.engineTempC; }, 0.5},
        {0x0F, 1, [](const Bytes& d) { return d[2] - 40.0; }, [](const EngineSnapshot& e) { return e.airTempC; }, 0.5},
        {0x0B, 1, [](const Bytes& d) { return d[2] * 10.0; }, [](const EngineSnapshot& e) { return e.manifoldHpa; }, 5},
        {0x0D, 1, [](const Bytes& d) { return double(d[2]); }, [](const EngineSnapshot& e) { return e.roadSpeedKmh; }, 0.5},
        {0x10, 2, [](const Bytes& d) { return (d[2] * 256.0 + d[3]) / 100; }, [](const EngineSnapshot& e) { return e.airMassGs; }, 0.005},
        {0x11, 2, [](const Bytes& d) { return (d[2] * 256.0 + d[3]) * 100 / 255; }, [](const EngineSnapshot& e) { return e.throttlePercent; }, 0.2},
    };
    ecu.engine().pinRoadSpeed(87);
    for (int round = 0; round < 20; ++round) {
        line.clock.sleepFor(1300ms);
        for (const Pid& p : pids) {
            const Bytes a = line.ask(request({0x01, p.pid}));
            ASSERT_EQ(a.size(), 6 + p.bytes) << int(p.pid);
            ASSERT_TRUE(checksumOk(a));
            const Bytes d = dataOf(a);
            ASSERT_EQ(d[0], 0x41);
            ASSERT_EQ(d[1], p.pid);
            EXPECT_NEAR(p.decode(d), p.expected(ecu.engine().at(line.requestEnd)), p.tolerance) << int(p.pid);
        }
    }
}

TEST_F(ObdEcuTest, SupportedPidsAreAnnouncedBitByBit) {
    const Bytes d = dataOf(line.ask(request({0x01, 0x00})));
    ASSERT_EQ(d.size(), 6u);
    std::vector<int> announced;
    for (int pid = 1; pid <= 32; ++pid) {
        const int byte = (pid - 1) / 8, bit = 7 - (pid - 1) % 8;
        if ((d[2 + byte] >> bit) & 1) announced.push_back(pid);
    }
    EXPECT_EQ(announced, (std::vector<int>{0x01, 0x04, 0x05, 0x0B, 0x0C, 0x0D, 0x0F, 0x10, 0x11}));
    EXPECT_EQ(hex(dataOf(line.ask(request({0x01, 0x42})))), "7F 01 12");
}

TEST_F(ObdEcuTest, FaultCodesAreCountedListedAndCleared) {
    // Monitor status: the count of codes and the lamp bit.
    EXPECT_EQ(dataOf(line.ask(request({0x01, 0x01})))[2], 0x80 | 3);
    EXPECT_EQ(hex(dataOf(line.ask(request({0x03})))), "43 03 01 23 03 24 02 44");
    EXPECT_EQ(hex(dataOf(line.ask(request({0x17, 0xFF, 0x00})))), "57 03 01 23 E4 03 24 20 02 44 40");
    EXPECT_EQ(hex(dataOf(line.ask(request({0x14, 0xFF, 0x00})))), "54 FF 00");
    EXPECT_EQ(hex(dataOf(line.ask(request({0x03})))), "43 01 01 23") << "the present fault stays";
}

TEST_F(ObdEcuTest, SharesTheWakeUpAndSessionOfTheKwpUnits) {
    ObdEcu asleep{scenario()};
    KLineDriver l{asleep};
    EXPECT_TRUE(l.ask(request({0x01, 0x0C})).empty());
    l.fastWake();
    EXPECT_EQ(hex(l.ask(request({0x81}))), "83 F1 10 C1 EF 8F C3");
    EXPECT_EQ(hex(dataOf(l.ask(request({0x10, 0x81})))), "50 81");
    EXPECT_EQ(hex(dataOf(l.ask(request({0x21, 0xA0})))), "7F 21 11");
    EXPECT_EQ(hex(l.ask(request({0x3E}))), "81 F1 10 7E 00");
}

}  // namespace
}  // namespace dravio::sim
