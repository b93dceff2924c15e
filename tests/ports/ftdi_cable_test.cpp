// No FTDI cable is plugged in where the tests run: these check that the real
// backend fails cleanly and explains itself.
#include "ports/ftdi_cable.h"

#include <gtest/gtest.h>

namespace dravio::ports {
namespace {

TEST(FtdiCable, WithoutACableListingFindsNothingAndOpeningFailsWithAReason) {
    FtdiCable cable;
    std::uint32_t count = 99;
    // No USB at all (a container) is a failure with a reason, never a made-up count.
    const int status = cable.deviceCount(count);
    EXPECT_EQ(count, 0u);
    std::string description = "unchanged";
    if (status == kCableOk) {
        EXPECT_EQ(cable.deviceDescription(0, description), kCableDeviceNotFound);
    }
    EXPECT_EQ(description, "unchanged");

    EXPECT_NE(cable.open("Dravio K-line"), kCableOk);
    EXPECT_FALSE(cable.isOpen());
    EXPECT_FALSE(cable.lastError().empty());
    EXPECT_EQ(cable.close(), kCableOk);
}

}  // namespace
}  // namespace dravio::ports
