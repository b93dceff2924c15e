// No FTDI cable is plugged in where the tests run: these check that the real
// backend fails cleanly and explains itself.
#include "ports/ftdi_cable.h"

#include <gtest/gtest.h>

#include <chrono>

namespace dravio::ports {
namespace {

TEST(FtdiCable, ListingWithoutACableFindsNothingOrSaysWhy) {
    FtdiCable cable;
    std::uint32_t count = 99;
    const int status = cable.deviceCount(count);
    if (status == kCableOk) {
        EXPECT_EQ(count, 0u);
        std::string description = "unchanged";
        EXPECT_EQ(cable.deviceDescription(0, description), kCableDeviceNotFound);
        EXPECT_EQ(description, "unchanged");
    } else {
        // No USB at all (a container): a reason, never a crash or a made-up count.
        EXPECT_EQ(count, 0u);
        EXPECT_FALSE(cable.lastError().empty());
    }
}

TEST(FtdiCable, OpeningAnAbsentCableFailsWithAReason) {
    FtdiCable cable;
    EXPECT_NE(cable.open("Dravio K-line"), kCableOk);
    EXPECT_FALSE(cable.isOpen());
    EXPECT_FALSE(cable.lastError().empty());
    EXPECT_EQ(cable.close(), kCableOk);
}

TEST(FtdiCable, EveryOperationOnAClosedCableFailsCleanly) {
    FtdiCable cable;
    std::uint32_t count = 5;
    std::vector<std::uint8_t> out;
    const struct {
        const char* name;
        int status;
    } calls[] = {
        {"reset", cable.reset()},
        {"purge", cable.purge()},
        {"setBaudRate", cable.setBaudRate(10400)},
        {"8N1", cable.setDataCharacteristics8N1()},
        {"write", cable.write(0x81)},
        {"queueStatus", cable.queueStatus(count)},
        {"read", cable.read(4, out)},
        {"breakOn", cable.breakOn()},
        {"breakOff", cable.breakOff()},
    };
    for (const auto& c : calls) EXPECT_EQ(c.status, kCableInvalidHandle) << c.name;
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(out.empty());
    const auto far = std::chrono::time_point_cast<base::Clock::Duration>(std::chrono::steady_clock::now() +
                                                                         std::chrono::seconds(10));
    EXPECT_EQ(cable.waitForQueue(1, far), 0u);  // at once: nothing to wait on
    EXPECT_FALSE(cable.lastError().empty());
}

}  // namespace
}  // namespace dravio::ports
