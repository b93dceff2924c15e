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

}  // namespace
}  // namespace dravio::ports
