// The generic OBD-II unit: golden service 01 answers, fault codes, the shared wake-up.
#include "sim/obd_ecu.h"

#include <gtest/gtest.h>

#include "kline_driver.h"

namespace dravio::sim::testing {
namespace {

TEST(ObdEcuTest, GoldenAnswersForAPinnedEngineAndFaultCodesCountedListedAndCleared) {
    ObdScenario s;
    s.faults = {{0x0123, true, true, false, 4, true, 0}, {0x0324, false, true}, {0x0244, false, false, true}};
    ObdEcu ecu{s, awake()};
    KLineDriver line{ecu};
    EngineModel& m = ecu.engine();
    m.pinRpm(1990);
    m.pinEngineTemp(87);
    m.pinAirTemp(21);
    m.pinManifold(1010);
    m.pinRoadSpeed(87);
    m.pinThrottleDeg(45);
    const std::pair<Bytes, std::string_view> cases[] = {
        {{0x01, 0x0C}, "41 0C 1F 18"},       {{0x01, 0x05}, "41 05 7F"},
        {{0x01, 0x0F}, "41 0F 3D"},          {{0x01, 0x0B}, "41 0B 65"},
        {{0x01, 0x0D}, "41 0D 57"},          {{0x01, 0x11}, "41 11 00 80"},
        {{0x01, 0x00}, "41 00 98 3B 80 00"},  // supported PIDs, bit by bit from PID 1
        {{0x01, 0x42}, "7F 01 12"},          {{0x21, 0xA0}, "7F 21 11"},
        {{0x03}, "43 03 01 23 03 24 02 44"}, {{0x17, 0xFF, 0x00}, "57 03 01 23 E4 03 24 20 02 44 40"},
        {{0x14, 0xFF, 0x00}, "54 FF 00"},    {{0x03}, "43 01 01 23"}};  // the present fault stays
    EXPECT_EQ(line.askData({0x01, 0x01}).at(2), 0x80 | 3) << "count of codes and the lamp bit";
    for (const auto& [asked, answer] : cases) EXPECT_BYTES(line.askData(asked), answer) << hex(asked);
}

}  // namespace
}  // namespace dravio::sim::testing
