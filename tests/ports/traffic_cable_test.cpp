#include "ports/traffic_cable.h"

#include <gtest/gtest.h>

#include "ports/sim_cable.h"

namespace dravio::ports {
namespace {

using namespace std::chrono_literals;

TEST(TrafficCable, ReportsEveryByteBothWaysWithTimeDirectionAndBaud) {
    base::VirtualClock clock;
    SimCable line(clock);
    std::vector<std::string> lines;
    TrafficCable cable(line, clock,
                       [&](const TrafficEvent& e) { lines.push_back(formatTraffic(e, base::Clock::TimePoint{})); });
    EXPECT_NE(cable.write(0x81), kCableOk);  // not open: failures are not reported
    ASSERT_EQ(cable.open("Dravio simulated K-line"), kCableOk);
    cable.setBaudRate(10400);
    cable.breakOn();
    clock.advance(25ms);
    cable.breakOff();
    clock.advance(25ms);
    cable.write(0x81);
    line.sendFromPeer(clock.now() + 5ms, 0x83, 10400);
    clock.advance(10ms);
    std::uint32_t n = 0;
    cable.queueStatus(n);
    std::vector<std::uint8_t> got;
    cable.read(n, got);
    cable.read(n, got);  // nothing left: no line
    EXPECT_EQ(lines, (std::vector<std::string>{"0.0000 -- vitesse (10400 bd)", "0.0000 -- ligne basse (10400 bd)",
                                               "0.0250 -- ligne relâchée (10400 bd)", "0.0500 T> 81 (10400 bd)",
                                               "0.0600 <E 81 83 (10400 bd)"}));
}

}  // namespace
}  // namespace dravio::ports
