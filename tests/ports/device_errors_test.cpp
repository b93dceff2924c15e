#include "ports/device_errors.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace dravio::ports {
namespace {

bool has(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

TEST(DeviceErrors, TtyOpenFailuresNameTheDeviceAndTheRemedy) {
    const struct {
        int err;
        const char* remedy;
    } cases[] = {
        {EACCES, "dialout"},  {EPERM, "dialout"},  {EACCES, "usermod -aG dialout"},
        {ENOENT, "branchée"}, {ENXIO, "branchée"}, {EBUSY, "autre programme"},
    };
    for (const auto& c : cases) {
        const std::string text = explainTtyOpenError("/dev/ttyUSB3", c.err);
        EXPECT_TRUE(has(text, "/dev/ttyUSB3")) << text;
        EXPECT_TRUE(has(text, c.remedy)) << c.err << ": " << text;
        EXPECT_FALSE(has(text, "root")) << text;
    }
}

TEST(DeviceErrors, FtdiAccessPointsToTheShippedUdevRule) {
    const std::string text = explainFtdiAccessDenied("USB <-> Serial");
    EXPECT_TRUE(has(text, "USB <-> Serial")) << text;
    EXPECT_TRUE(has(text, "99-dravio-ftdi.rules")) << text;
    EXPECT_TRUE(has(text, "udevadm")) << text;
    EXPECT_FALSE(has(text, "root")) << text;
    EXPECT_FALSE(has(text, "sudo dravio")) << text;
}

}  // namespace
}  // namespace dravio::ports
