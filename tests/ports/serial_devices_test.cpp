#include "ports/serial_devices.h"

#include <gtest/gtest.h>

#include "ports/pseudo_terminal.h"

namespace dravio::ports {
namespace {

using testing::ScratchDir;

// A /dev with devices of every kind, out of order, among names that only look alike.
class FakeDevDir : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name :
             {"ttyS10", "ttyS2", "ttyS0", "rfcomm1", "ttyACM0", "ttyUSB10", "ttyUSB2", "ttyUSB0", "rfcomm0", "ttyACM11",
              "ttyACM3",
              // not serial ports of ours
              "tty", "tty0", "ttyUSB", "ttyUSBx", "ttyUSB1a", "ttyAMA0", "console", "null", "xttyS1", "rfcommA"}) {
            dir.touch(name);
        }
    }
    std::string at(const char* name) const { return dir.file(name); }

    ScratchDir dir;
};

TEST_F(FakeDevDir, ListsUsbThenAcmThenBluetoothThenBuiltInEachInNumericOrder) {
    const std::vector<std::string> expected{at("ttyUSB0"), at("ttyUSB2"),  at("ttyUSB10"), at("ttyACM0"),
                                            at("ttyACM3"), at("ttyACM11"), at("rfcomm0"),  at("rfcomm1"),
                                            at("ttyS0"),   at("ttyS2"),    at("ttyS10")};
    EXPECT_EQ(listSerialDevices(dir.path()), expected);
}

TEST_F(FakeDevDir, PortNumbersFollowTheListOrder) {
    const struct {
        int number;
        const char* device;  // nullptr: no device
    } cases[] = {
        {1, "ttyUSB0"}, {2, "ttyUSB2"}, {3, "ttyUSB10"}, {4, "ttyACM0"}, {7, "rfcomm0"}, {9, "ttyS0"},
        {11, "ttyS10"}, {12, nullptr},  {25, nullptr},   {0, nullptr},   {-1, nullptr},  {26, nullptr},
    };
    for (const auto& c : cases) {
        const auto device = serialDeviceForPort(c.number, dir.path());
        if (c.device) {
            EXPECT_EQ(device, at(c.device)) << "Com" << c.number;
        } else {
            EXPECT_FALSE(device) << "Com" << c.number << " gave " << *device;
        }
    }
}

TEST_F(FakeDevDir, NumbersOfAnyLengthSortWithoutOverflow) {
    for (const char* name : {"ttyUSB99999999999999999999", "ttyUSB007", "ttyUSB100"}) dir.touch(name);
    const std::vector<std::string> expected{at("ttyUSB0"),  at("ttyUSB2"),   at("ttyUSB007"),
                                            at("ttyUSB10"), at("ttyUSB100"), at("ttyUSB99999999999999999999")};
    EXPECT_EQ(listDevicesOfKind(dir.path(), "ttyUSB"), expected);
}

TEST(SerialDevices, AMissingDirectoryHasNoDevices) {
    EXPECT_TRUE(listSerialDevices("/nonexistent/dravio-dev").empty());
    EXPECT_FALSE(serialDeviceForPort(1, "/nonexistent/dravio-dev"));
}

}  // namespace
}  // namespace dravio::ports
