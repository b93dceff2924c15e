#include "ports/sim_serial_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravio::ports {
namespace {

class SimSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        port.setPeer([this](std::string_view data) { heard.emplace_back(data); });
        port.setPortNumber(3);
        ASSERT_EQ(port.open(), kSerialOk);
    }

    SimSerialPort port;
    std::vector<std::string> heard;
};

TEST_F(SimSerialPortTest, BytesTravelBothWaysInOrderAndOnlyWhileOpen) {
    EXPECT_TRUE(port.output("ATZ\r"));
    EXPECT_TRUE(port.output(std::string("\x00\xff", 2)));
    EXPECT_EQ(heard, (std::vector<std::string>{"ATZ\r", std::string("\x00\xff", 2)}));
    port.deliver("ELM327 ");
    port.deliver("v1.5\r\r>");
    EXPECT_EQ(port.inputCount(), 14u);
    EXPECT_EQ(port.input(), "ELM327 v1.5\r\r>");
    EXPECT_EQ(port.input(), "");

    port.deliver("old");
    port.close();
    EXPECT_FALSE(port.output("ATZ\r"));
    EXPECT_EQ(heard.size(), 2u);
    port.deliver("lost");
    EXPECT_EQ(port.inputCount(), 0u);
    ASSERT_EQ(port.open(), kSerialOk);
    EXPECT_EQ(port.input(), "") << "nothing from before the reopening";
}

TEST_F(SimSerialPortTest, APeerMayAnswerFromInsideOutput) {
    port.setPeer([this](std::string_view data) {
        if (data == "0100\r") port.deliver("41 00 BE 3E B8 11\r\r>");
    });
    ASSERT_TRUE(port.output("0100\r"));
    EXPECT_EQ(port.input(), "41 00 BE 3E B8 11\r\r>");
}

TEST_F(SimSerialPortTest, OpenAndSettingsFollowTheRealPortsRules) {
    EXPECT_EQ(port.open(), kSerialPortAlreadyOpen);
    EXPECT_TRUE(port.isOpen());
    port.close();

    port.failOpenWith(kSerialOpenFailed, "Permission refusée sur /dev/ttyUSB0");
    EXPECT_EQ(port.open(), kSerialOpenFailed);
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.lastError(), "Permission refusée sur /dev/ttyUSB0");
    port.failOpenWith(kSerialOk);

    for (const int number : {0, 26}) {
        port.setPortNumber(number);
        EXPECT_EQ(port.open(), kSerialInvalidPort) << number;
    }
    port.setDevicePath("/dev/rfcomm0");
    EXPECT_EQ(port.open(), kSerialOk);

    EXPECT_EQ(port.setSettings("38400,n,8,1"), kSerialOk);
    EXPECT_EQ(port.setSettings("38400,n,8"), kSerialInvalidSettings);
    EXPECT_EQ(port.settingsText(), "38400,n,8,1");
}

}  // namespace
}  // namespace dravio::ports
