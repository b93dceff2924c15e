// The generic OBD-II unit: service 01 values by the OBD-II formulas, fault
// codes and the shared wake-up.
#include "sim/obd_ecu.h"

#include <gtest/gtest.h>

#include "kline_driver.h"

namespace dravio::sim {
namespace {

using namespace testing;

ObdScenario scenario() {
    ObdScenario s;
    s.faults = {{0x0123, true, true, false, 4, true, 0}, {0x0324, false, true}, {0x0244, false, false, true}};
    return s;
}

TEST(ObdEcuTest, PinnedValuesGiveTheGoldenAnswers) {
    ObdEcu ecu{scenario(), awake()};
    KLineDriver line{ecu};
    EngineModel& m = ecu.engine();
    m.pinRpm(1990);
    m.pinEngineTemp(87);
    m.pinAirTemp(21);
    m.pinManifold(1010);
    m.pinRoadSpeed(87);
    m.pinThrottleDeg(45);
    const std::pair<std::uint8_t, std::string_view> pids[] = {
        {0x0C, "41 0C 1F 18"}, {0x05, "41 05 7F"}, {0x0F, "41 0F 3D"},
        {0x0B, "41 0B 65"},    {0x0D, "41 0D 57"}, {0x11, "41 11 00 80"},
    };
    for (const auto& [pid, answer] : pids) EXPECT_BYTES(line.askData({0x01, pid}), answer);
    // Load and air mass follow the engine at the request.
    for (int round = 0; round < 10; ++round) {
        line.clock.sleepFor(1300ms);
        const Bytes load = line.askData({0x01, 0x04});
        ASSERT_EQ(load.size(), 3u);
        EXPECT_NEAR(load[2] * 100.0 / 255, ecu.engine().at(line.requestEnd).loadPercent, 0.2);
        const Bytes maf = line.askData({0x01, 0x10});
        ASSERT_EQ(maf.size(), 4u);
        EXPECT_NEAR((maf[2] * 256.0 + maf[3]) / 100, ecu.engine().at(line.requestEnd).airMassGs, 0.005);
    }
    // Supported PIDs, bit by bit from PID 1.
    EXPECT_BYTES(line.askData({0x01, 0x00}), "41 00 98 3B 80 00");
    EXPECT_BYTES(line.askData({0x01, 0x42}), "7F 01 12");
}

TEST(ObdEcuTest, FaultCodesAreCountedListedAndCleared) {
    ObdEcu ecu{scenario(), awake()};
    KLineDriver line{ecu};
    EXPECT_EQ(line.askData({0x01, 0x01}).at(2), 0x80 | 3) << "count of codes and the lamp bit";
    EXPECT_BYTES(line.askData({0x03}), "43 03 01 23 03 24 02 44");
    EXPECT_BYTES(line.askData({0x17, 0xFF, 0x00}), "57 03 01 23 E4 03 24 20 02 44 40");
    EXPECT_BYTES(line.askData({0x14, 0xFF, 0x00}), "54 FF 00");
    EXPECT_BYTES(line.askData({0x03}), "43 01 01 23") << "the present fault stays";
}

TEST(ObdEcuTest, SharesTheWakeUpAndSessionOfTheKwpUnits) {
    ObdEcu asleep{scenario()};
    KLineDriver l{asleep};
    EXPECT_TRUE(l.ask(request({0x01, 0x0C})).empty());
    l.fastWake();
    EXPECT_BYTES(l.ask(request({0x81})), "83 F1 10 C1 EF 8F C3");
    EXPECT_BYTES(l.askData({0x10, 0x81}), "50 81");
    EXPECT_BYTES(l.askData({0x21, 0xA0}), "7F 21 11");
    EXPECT_BYTES(l.ask(request({0x3E})), "81 F1 10 7E 00");
}

}  // namespace
}  // namespace dravio::sim
