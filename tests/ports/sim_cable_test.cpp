#include "ports/sim_cable.h"

#include <gtest/gtest.h>

#include "proto/hex.h"

namespace dravio::ports {
namespace {

using namespace std::chrono_literals;
using base::Clock;

class SimCableTest : public ::testing::Test, public SimPeer {
protected:
    SimCableTest() {
        cable.setPeer(this);
        EXPECT_EQ(cable.open("Dravio simulated K-line"), kCableOk);
        EXPECT_EQ(cable.setBaudRate(10400), kCableOk);
    }
    void onTesterByte(SimCable&, Clock::TimePoint end, std::uint8_t, std::uint32_t) override { heard.push_back(end); }
    void onBreak(SimCable&, Clock::TimePoint t, bool) override { breaks.push_back(t); }
    std::string readAll() {
        std::uint32_t n = 0;
        cable.queueStatus(n);
        std::vector<std::uint8_t> bytes;
        cable.read(n, bytes);
        return proto::toHex(bytes);
    }
    base::VirtualClock clock;
    SimCable cable{clock};
    std::vector<Clock::TimePoint> heard, breaks;
};

// Echoes once the byte has crossed, peer bytes heard only at the cable's rate,
// waits that end on the count or at the deadline, a purge that spares the wire.
TEST_F(SimCableTest, BytesCrossTheLineInTimeBreaksReachThePeerAndUnpluggedOrUnknownCablesFail) {
    const auto byte = SimCable::byteTime(10400);
    const auto t0 = clock.now();
    cable.write(0x81);
    cable.write(0x10);  // queued behind the first on the wire
    EXPECT_EQ((std::pair{cable.waitForQueue(1, t0 + 1s), clock.now() - t0}), std::pair(1u, byte));
    EXPECT_EQ((std::pair{cable.waitForQueue(2, t0 + 1s), clock.now() - t0}), std::pair(2u, 2 * byte));
    EXPECT_EQ(heard, (std::vector{t0 + byte, t0 + 2 * byte}));
    EXPECT_EQ(readAll(), "8110");
    cable.sendFromPeer(clock.now(), 0x55, 1200);
    cable.sendFromPeer(clock.now(), 0x42, 10400);
    clock.advance(20ms);
    EXPECT_EQ(readAll(), "42");
    cable.setBaudRate(1200);
    cable.sendFromPeer(clock.now(), 0x55, 1200);
    clock.advance(SimCable::byteTime(1200));
    EXPECT_EQ(readAll(), "55");
    cable.setBaudRate(10400);
    cable.sendFromPeer(clock.now(), 0x01, 10400);
    clock.advance(5ms);
    cable.sendFromPeer(clock.now(), 0x02, 10400);
    cable.purge();
    const auto t1 = clock.now();
    EXPECT_EQ((std::pair{cable.waitForQueue(2, t1 + 100ms), clock.now() - t1}), std::pair(1u, Clock::Duration(100ms)));
    EXPECT_EQ(readAll(), "02");
    heard.clear();
    cable.breakOn();
    cable.write(0x33);
    clock.advance(25ms);
    cable.breakOff();
    clock.advance(5ms);
    EXPECT_EQ(readAll(), "");
    ASSERT_EQ(breaks.size(), 2u);
    EXPECT_EQ(breaks[1] - breaks[0], 25ms);
    EXPECT_TRUE(heard.empty());
    cable.setUnplugged(true);
    std::uint32_t n = 99;
    EXPECT_EQ((std::tuple{cable.write(0x01), cable.queueStatus(n), n}), std::tuple(kCableIoError, kCableIoError, 0u));
    EXPECT_FALSE(cable.lastError().empty());
    SimCable other(clock, {"A", "B"});
    const std::vector<int> statuses{other.open("C"), other.write(0x01), other.open("B")};
    EXPECT_EQ(statuses, (std::vector<int>{kCableDeviceNotFound, kCableInvalidHandle, kCableOk}));
}

}  // namespace
}  // namespace dravio::ports
