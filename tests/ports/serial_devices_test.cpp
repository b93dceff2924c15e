// Serial devices as the program offers them: their list, the "Com" numbers
// and the line settings text.
#include "ports/serial_devices.h"

#include <gtest/gtest.h>

#include <sstream>

#include "ports/pseudo_terminal.h"
#include "ports/serial_settings.h"

namespace dravio::ports {
namespace {

TEST(SerialDevices, ListedByKindAndNumberComNumbersFollowAndOnlyTheClassicSettingsTextIsRead) {
    testing::ScratchDir dir;
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "rfcomm1", "ttyACM0", "ttyUSB10", "ttyUSB2", "ttyUSB0",
                             "rfcomm0", "ttyACM11", "ttyACM3", "ttyUSB99999999999999999999", "ttyUSB007",
                             // not serial ports of ours
                             "tty", "tty0", "ttyUSB", "ttyUSBx", "ttyUSB1a", "ttyAMA0", "console", "xttyS1", "rfcommA"})
        dir.touch(name);
    std::vector<std::string> expected;
    for (const char* name : {"ttyUSB0", "ttyUSB2", "ttyUSB007", "ttyUSB10", "ttyUSB99999999999999999999", "ttyACM0",
                             "ttyACM3", "ttyACM11", "rfcomm0", "rfcomm1", "ttyS0", "ttyS2", "ttyS10"})
        expected.push_back(dir.file(name));
    EXPECT_EQ(listSerialDevices(dir.path()), expected);
    for (const int number : {1, 3, 6, 9, 13, 14, 25, 0, -1, 26}) {
        const bool listed = number >= 1 && number <= 13;
        EXPECT_EQ(serialDeviceForPort(number, dir.path()),
                  listed ? std::optional(expected[static_cast<std::size_t>(number - 1)]) : std::nullopt)
            << "Com" << number;
    }
    EXPECT_TRUE(listSerialDevices("/nonexistent/dravio-dev").empty());
    const std::pair<const char*, LineSettings> cases[] = {
        {"9600,N,8,1", {9600, Parity::None, 8, 1}},         {"1200,e,7,2", {1200, Parity::Even, 7, 2}},
        {"10400,O,8,1", {10400, Parity::Odd, 8, 1}},        {"115200,E,8,2", {115200, Parity::Even, 8, 2}},
        {"4000000,n,8,1", {4'000'000, Parity::None, 8, 1}}, {"00300,n,8,1", {300, Parity::None, 8, 1}}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(parseLineSettings(text), expected) << text;
    // Refused texts between bars, the empty one first.
    std::istringstream refused(
        "|38400|38400,n,8|38400,n,8,1,|,38400,n,8,1|38400,,8,1|38400,x,8,1|38400,nn,8,1|38400,m,8,1|38400,n,9,1"
        "|38400,n,6,1|38400,n,8,3|38400,n,8,0|38400,n,8,1.5|0,n,8,1|-9600,n,8,1|+9600,n,8,1|4000001,n,8,1"
        "|99999999999,n,8,1|abc,n,8,1|38400, n,8,1| 38400,n,8,1|38400,n,8,1 |38400;n;8;1|0x9600,n,8,1");
    int count = 0;
    for (std::string text; std::getline(refused, text, '|'); ++count) EXPECT_FALSE(parseLineSettings(text)) << text;
    EXPECT_EQ(count, 25);
}

}  // namespace
}  // namespace dravio::ports
