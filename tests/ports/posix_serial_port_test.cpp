#include "ports/posix_serial_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "ports/pseudo_terminal.h"

namespace dravio::ports {
namespace {

using namespace std::chrono_literals;
using PosixSerialPortTest = testing::OnPty;

TEST_F(PosixSerialPortTest, APortNumberOpensTheDeviceInThatPlaceOfTheList) {
    dir.touch("ttyUSB0");
    dir.link("ttyACM0", pty.path());  // Com2
    PosixSerialPort port(dir.path());
    EXPECT_EQ(port.open(), kSerialInvalidPort) << "nothing chosen yet";
    port.setPortNumber(3);
    EXPECT_EQ(port.open(), kSerialInvalidPort);
    port.setPortNumber(1);  // a plain file, not a tty
    EXPECT_EQ(port.open(), kSerialOpenFailed);
    port.setPortNumber(2);
    ASSERT_EQ(port.open(), kSerialOk) << port.lastError();
    ASSERT_TRUE(port.output("ATZ\r"));
    EXPECT_EQ(pty.receive(4), "ATZ\r");
}

// Locking, raw mode and restoring the tty are the tty cable's device, tested there.
TEST_F(PosixSerialPortTest, BytesTravelUnchangedAndSettingsApplyAtOpenAndWhileOpen) {
    PosixSerialPort port;
    port.setDevicePath(pty.path());
    port.setBinaryMode(true);
    ASSERT_EQ(port.setSettings("1200,e,7,2"), kSerialOk);
    EXPECT_EQ(port.setSettings("38400,n,8"), kSerialInvalidSettings) << "and changes nothing";
    ASSERT_EQ(port.open(), kSerialOk) << port.lastError();
    PosixSerialPort other;
    other.setDevicePath(pty.path());
    EXPECT_EQ((std::vector{port.open(), other.open()}), std::vector<int>(2, kSerialPortAlreadyOpen))
        << "here or elsewhere";
    EXPECT_NE(pty.slaveSettings().c_cflag & CSTOPB, 0u) << "the pty forces 8 bits without parity: stop bits show";
    ASSERT_EQ(port.setSettings("38400,o,8,1"), kSerialOk);
    EXPECT_EQ(pty.slaveSettings().c_cflag & CSTOPB, 0u);
    const std::string request("01 0C\r\n\x11\x13\x00\xff", 11);  // what a cooked tty would alter
    ASSERT_TRUE(port.output(request));
    EXPECT_EQ(pty.receive(request.size()), request);
    const std::string answer("41 0C 1A F8\r\r>\x03\x00", 16);
    pty.send(answer);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (port.inputCount() < answer.size() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(port.input() + port.input(), answer);
    port.close();
    EXPECT_FALSE(port.output("ATZ\r"));
    EXPECT_EQ(port.inputCount(), 0u);
}

}  // namespace
}  // namespace dravio::ports
