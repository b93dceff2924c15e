// Cables that cannot work say why: before opening, without a cable, refused devices.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "ports/device_errors.h"
#include "ports/ftdi_cable.h"
#include "ports/tty_cable.h"

namespace dravio::ports {
namespace {

template <typename Cable>
class ClosedCable : public ::testing::Test {};
using Backends = ::testing::Types<FtdiCable, TtyCable>;
TYPED_TEST_SUITE(ClosedCable, Backends);

TYPED_TEST(ClosedCable, EveryOperationFailsCleanlyAndAtOnce) {
    TypeParam cable;
    std::uint32_t count = 5;
    std::vector<std::uint8_t> out;
    const std::vector<int> statuses{cable.reset(),     cable.purge(),      cable.setBaudRate(10400),
                                    cable.write(0x81), cable.read(4, out), cable.queueStatus(count),
                                    cable.breakOn(),   cable.breakOff(),   cable.setDataCharacteristics8N1()};
    EXPECT_EQ(statuses, std::vector<int>(9, kCableInvalidHandle));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(out.empty());
    const auto far = std::chrono::time_point_cast<base::Clock::Duration>(std::chrono::steady_clock::now() +
                                                                         std::chrono::seconds(10));
    EXPECT_EQ(cable.waitForQueue(1, far), 0u);
    EXPECT_FALSE(cable.lastError().empty());
}

// No FTDI cable where the tests run: no USB at all is a failure with a reason, never a made-up count.
TEST(FtdiCable, WithoutACableListingFindsNothingAndOpeningFailsWithAReasonThatNeverSaysRoot) {
    FtdiCable cable;
    std::uint32_t count = 99;
    std::string description = "unchanged";
    const int listed = cable.deviceCount(count);
    EXPECT_TRUE(listed != kCableOk || cable.deviceDescription(0, description) == kCableDeviceNotFound);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(description, "unchanged");
    EXPECT_NE(cable.open("Dravio K-line"), kCableOk);
    EXPECT_FALSE(cable.isOpen() || cable.lastError().empty());
    for (const auto& [err, remedy] : {std::pair{EACCES, "usermod -aG dialout"}, std::pair{ENXIO, "branchée"},
                                      std::pair{EBUSY, "autre programme"}}) {
        const std::string text = explainTtyOpenError("/dev/ttyUSB3", err);
        EXPECT_NE(text.find("/dev/ttyUSB3"), std::string::npos) << text;
        EXPECT_NE(text.find(remedy), std::string::npos) << err << ": " << text;
        EXPECT_EQ(text.find("root"), std::string::npos) << text;
    }
    const std::string ftdi = explainFtdiAccessDenied("USB <-> Serial");
    for (const char* part : {"USB <-> Serial", "99-dravio-ftdi.rules", "udevadm"})
        EXPECT_NE(ftdi.find(part), std::string::npos) << ftdi;
    EXPECT_EQ(ftdi.find("root"), std::string::npos) << ftdi;
}

}  // namespace
}  // namespace dravio::ports
