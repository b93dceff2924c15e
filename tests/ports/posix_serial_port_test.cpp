#include "ports/posix_serial_port.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "ports/pseudo_terminal.h"

namespace dravio::ports {
namespace {

using namespace std::chrono_literals;
using testing::PseudoTerminal;
using testing::ScratchDir;

// Bytes from the master cross the pty a moment later: poll for them, generously.
std::size_t awaitInput(SerialPort& port, std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    std::size_t n = port.inputCount();
    while (n < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
        n = port.inputCount();
    }
    return n;
}

TEST(PosixSerialPort, RefusedSettingsAndPortNumbersWithoutADeviceChangeNothing) {
    ScratchDir dir;
    dir.touch("ttyUSB0");
    PosixSerialPort port(dir.path());
    EXPECT_EQ(port.setSettings("1200,e,7,2"), kSerialOk);
    EXPECT_EQ(port.setSettings("38400,n,8"), kSerialInvalidSettings);
    EXPECT_FALSE(port.lastError().empty());
    EXPECT_EQ(port.settings(), (LineSettings{1200, Parity::Even, 7, 2}));

    EXPECT_EQ(port.open(), kSerialInvalidPort);  // nothing chosen yet
    for (const int number : {0, 2, 26, -3}) {
        port.setPortNumber(number);
        EXPECT_EQ(port.open(), kSerialInvalidPort) << "Com" << number;
        EXPECT_FALSE(port.isOpen());
        EXPECT_NE(port.lastError().find(std::to_string(number)), std::string::npos) << port.lastError();
    }
    port.setDevicePath(dir.file("ttyUSB9"));
    EXPECT_EQ(port.open(), kSerialInvalidPort);
}

TEST(PosixSerialPort, APortNumberOpensTheDeviceInThatPlaceOfTheList) {
    PseudoTerminal pty;
    ScratchDir dir;
    dir.touch("ttyS0");
    dir.link("ttyACM0", pty.path());  // Com2 after nothing but ttyUSB0
    dir.touch("ttyUSB0");
    PosixSerialPort port(dir.path());
    port.setPortNumber(2);
    ASSERT_EQ(port.open(), kSerialOk) << port.lastError();
    ASSERT_TRUE(port.output("ATZ\r"));
    EXPECT_EQ(pty.receiveText(4), "ATZ\r");
}

TEST(PosixSerialPort, AFileThatIsNotATtyOrIsRefusedCannotBeOpened) {
    ScratchDir dir;
    dir.touch("ttyUSB0");
    PosixSerialPort port(dir.path());
    port.setPortNumber(1);
    EXPECT_EQ(port.open(), kSerialOpenFailed);
    EXPECT_FALSE(port.isOpen());
    if (::geteuid() == 0) GTEST_SKIP() << "root is never refused";
    ::chmod(dir.file("ttyUSB0").c_str(), 0);
    EXPECT_EQ(port.open(), kSerialOpenFailed);
    EXPECT_NE(port.lastError().find("dialout"), std::string::npos) << port.lastError();
}

class PosixSerialPortOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        port.setDevicePath(pty.path());
        ASSERT_EQ(port.setSettings("38400,n,8,1"), kSerialOk);
        port.setBinaryMode(true);
        ASSERT_EQ(port.open(), kSerialOk) << port.lastError();
    }

    PseudoTerminal pty;
    PosixSerialPort port;
};

TEST_F(PosixSerialPortOnPty, ADeviceAlreadyOpenHereOrElsewhereIsRefused) {
    EXPECT_EQ(port.open(), kSerialPortAlreadyOpen);
    EXPECT_TRUE(port.isOpen());
    PosixSerialPort other;
    other.setDevicePath(pty.path());
    EXPECT_EQ(other.open(), kSerialPortAlreadyOpen);
    EXPECT_FALSE(other.isOpen());
    EXPECT_FALSE(other.lastError().empty());
    ASSERT_TRUE(port.output("X"));
    EXPECT_EQ(pty.receiveText(1), "X") << "the first opening lives";

    port.close();
    EXPECT_EQ(other.open(), kSerialOk) << other.lastError();
}

TEST_F(PosixSerialPortOnPty, BytesTravelBothWaysUnchanged) {
    // CR, LF and flow-control characters would be altered by a cooked tty.
    const std::string request = "01 0C\r\n\x11\x13\x00\xff";
    ASSERT_TRUE(port.output(request));
    EXPECT_EQ(pty.receiveText(request.size()), request);

    const std::string answer = std::string("41 0C 1A F8\r\r>\x03\x00", 16);
    pty.send(answer);
    EXPECT_EQ(awaitInput(port, answer.size()), answer.size());
    EXPECT_EQ(port.input(), answer);
    EXPECT_EQ(port.inputCount(), 0u);
    EXPECT_EQ(port.input(), "");
}

TEST_F(PosixSerialPortOnPty, SettingsReachTheDeviceAtOpenAndWhileOpen) {
    // The pty driver forces 8 bits without parity, so only stop bits and raw
    // mode can be seen on it.
    const struct {
        const char* text;
        bool twoStops;
    } cases[] = {{"1200,e,7,2", true}, {"38400,o,8,1", false}, {"9600,n,8,2", true}};
    for (const auto& c : cases) {
        for (const bool reopen : {false, true}) {
            if (reopen) port.close();
            ASSERT_EQ(port.setSettings(c.text), kSerialOk);
            if (reopen) {
                ASSERT_EQ(port.open(), kSerialOk) << port.lastError();
            }
            const termios t = pty.slaveSettings();
            EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.twoStops) << c.text << " reopen=" << reopen;
            EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u) << c.text;
            EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u) << c.text;
        }
    }
}

TEST_F(PosixSerialPortOnPty, CloseRestoresTheTtyAndStopsTraffic) {
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_NE(pty.slaveSettings().c_lflag & ICANON, 0u);
    EXPECT_FALSE(port.output("ATZ\r"));
    EXPECT_EQ(port.inputCount(), 0u);
    EXPECT_EQ(port.input(), "");
}

}  // namespace
}  // namespace dravio::ports
