#include "ports/sim_cable.h"

#include <gtest/gtest.h>

#include "proto/hex.h"

namespace dravio::ports {
namespace {

using namespace std::chrono_literals;
using base::Clock;

class RecordingPeer : public SimPeer {
public:
    void onTesterByte(SimCable&, Clock::TimePoint end, std::uint8_t byte, std::uint32_t baud) override {
        bytes.push_back({end, byte, baud});
    }
    void onBreak(SimCable&, Clock::TimePoint t, bool low) override { breaks.emplace_back(t, low); }
    struct Heard {
        Clock::TimePoint end;
        std::uint8_t byte;
        std::uint32_t baud;
    };
    std::vector<Heard> bytes;
    std::vector<std::pair<Clock::TimePoint, bool>> breaks;
};

class SimCableTest : public ::testing::Test {
protected:
    SimCableTest() {
        cable.setPeer(&peer);
        EXPECT_EQ(cable.open("Dravio simulated K-line"), kCableOk);
        EXPECT_EQ(cable.setBaudRate(10400), kCableOk);
    }
    std::string readAll() {
        std::uint32_t n = 0;
        cable.queueStatus(n);
        std::vector<std::uint8_t> bytes;
        cable.read(n, bytes);
        return proto::toHex(bytes);
    }
    base::VirtualClock clock;
    SimCable cable{clock};
    RecordingPeer peer;
};

// Echoes once the byte has crossed, peer bytes heard only at the cable's rate,
// waits that end on the count or at the deadline, a purge that spares the wire.
TEST_F(SimCableTest, BytesCrossTheLineInTime) {
    const auto byte = SimCable::byteTime(10400);
    const auto t0 = clock.now();
    cable.write(0x81);
    cable.write(0x10);  // queued behind the first on the wire
    EXPECT_EQ(cable.waitForQueue(1, t0 + 1s), 1u);
    EXPECT_EQ(clock.now() - t0, byte);
    EXPECT_EQ(cable.waitForQueue(2, t0 + 1s), 2u);
    EXPECT_EQ(clock.now() - t0, 2 * byte);
    ASSERT_EQ(peer.bytes.size(), 2u);
    EXPECT_EQ(peer.bytes[1].end - t0, 2 * byte);
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
    EXPECT_EQ(cable.waitForQueue(2, t1 + 100ms), 1u);
    EXPECT_EQ(clock.now() - t1, 100ms);
    EXPECT_EQ(readAll(), "02");
}

TEST_F(SimCableTest, BreaksReachThePeerAndSilenceWrites) {
    cable.breakOn();
    cable.write(0x33);
    clock.advance(25ms);
    cable.breakOff();
    clock.advance(5ms);
    EXPECT_EQ(readAll(), "");
    ASSERT_EQ(peer.breaks.size(), 2u);
    EXPECT_EQ(peer.breaks[1].first - peer.breaks[0].first, 25ms);
    EXPECT_TRUE(peer.bytes.empty());
}

TEST_F(SimCableTest, UnpluggedOrUnknownCablesFail) {
    cable.setUnplugged(true);
    std::uint32_t n = 99;
    EXPECT_EQ(cable.write(0x01), kCableIoError);
    EXPECT_EQ(cable.queueStatus(n), kCableIoError);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(cable.setBaudRate(10400), kCableIoError);
    EXPECT_FALSE(cable.lastError().empty());

    SimCable other(clock, {"A", "B"});
    std::string description;
    EXPECT_EQ(other.deviceDescription(1, description), kCableOk);
    EXPECT_EQ(description, "B");
    EXPECT_EQ(other.deviceDescription(2, description), kCableDeviceNotFound);
    EXPECT_EQ(other.open("C"), kCableDeviceNotFound);
    EXPECT_EQ(other.write(0x01), kCableInvalidHandle);
    EXPECT_EQ(other.open("B"), kCableOk);
}

}  // namespace
}  // namespace dravio::ports
