#include "ports/tty_cable.h"

#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <thread>

#include "ports/pseudo_terminal.h"

namespace dravio::ports {
namespace {

using namespace std::chrono_literals;
using testing::PseudoTerminal;
using testing::ScratchDir;
using Bytes = std::vector<std::uint8_t>;

base::Clock::TimePoint in(std::chrono::nanoseconds d) {
    return std::chrono::time_point_cast<base::Clock::Duration>(std::chrono::steady_clock::now() + d);
}

class TtyCableOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(cable.open(pty.path()), kCableOk) << cable.lastError();
        ASSERT_EQ(cable.setBaudRate(10400), kCableOk) << cable.lastError();
        ASSERT_EQ(cable.setDataCharacteristics8N1(), kCableOk) << cable.lastError();
    }

    // Waits (generously) until the master's bytes have crossed the pty.
    void expectQueued(std::uint32_t count) { ASSERT_EQ(cable.waitForQueue(count, in(3s)), count); }

    PseudoTerminal pty;
    TtyCable cable;
};

TEST_F(TtyCableOnPty, KLineBaudRatesReachTheDriver) {
    for (const std::uint32_t baud : {200u, 1200u, 7812u, 10400u, 9600u}) {
        EXPECT_EQ(cable.setBaudRate(baud), kCableOk) << baud << ": " << cable.lastError();
        EXPECT_EQ(cable.actualBaudRate(), baud);
    }
}

TEST_F(TtyCableOnPty, ImpossibleBaudRatesAreRefusedAndTheOldRateKept) {
    for (const std::uint32_t baud : {0u, 50'000'000u}) {
        EXPECT_EQ(cable.setBaudRate(baud), kCableInvalidBaudRate) << baud;
        EXPECT_FALSE(cable.lastError().empty());
        EXPECT_EQ(cable.actualBaudRate(), 10400u);
    }
}

TEST_F(TtyCableOnPty, OpenPutsTheLineInRawMode8N1) {
    const termios t = pty.slaveSettings();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
}

TEST_F(TtyCableOnPty, BytesWrittenOneByOneArriveInOrder) {
    // Bytes that a cooked tty would translate or swallow must pass unchanged.
    const Bytes frame{0x81, 0x10, 0xF1, 0x0D, 0x0A, 0x03, 0x11, 0x13, 0x00, 0xFF};
    for (const auto b : frame) ASSERT_EQ(cable.write(b), kCableOk) << cable.lastError();
    EXPECT_EQ(pty.receive(frame.size()), frame);
}

TEST_F(TtyCableOnPty, ReceivedBytesAreCountedThenReadInOrder) {
    const Bytes answer{0x83, 0xF1, 0x10, 0xC1, 0xEF, 0x8F, 0xC3};
    pty.send(answer);
    expectQueued(7);

    std::uint32_t count = 0;
    ASSERT_EQ(cable.queueStatus(count), kCableOk);
    EXPECT_EQ(count, 7u);

    Bytes got;
    ASSERT_EQ(cable.read(3, got), kCableOk);
    EXPECT_EQ(got, Bytes(answer.begin(), answer.begin() + 3));
    ASSERT_EQ(cable.queueStatus(count), kCableOk);
    EXPECT_EQ(count, 4u);

    ASSERT_EQ(cable.read(100, got), kCableOk);  // asks for more than waits
    EXPECT_EQ(got, answer);
    ASSERT_EQ(cable.queueStatus(count), kCableOk);
    EXPECT_EQ(count, 0u);
}

TEST_F(TtyCableOnPty, WaitForQueueReturnsOnceEnoughBytesCame) {
    // Two bytes first, two more later: the wait must not end on the first pair
    // nor sleep on to the deadline after the second.
    std::thread far([this] {
        pty.send(Bytes{0x01, 0x02});
        std::this_thread::sleep_for(30ms);
        pty.send(Bytes{0x03, 0x04});
    });
    const auto start = std::chrono::steady_clock::now();
    const std::uint32_t got = cable.waitForQueue(4, in(10s));
    const auto waited = std::chrono::steady_clock::now() - start;
    far.join();
    EXPECT_EQ(got, 4u);
    EXPECT_LT(waited, 5s);
}

TEST_F(TtyCableOnPty, WaitForQueueGivesUpAtTheDeadlineWithWhatCame) {
    pty.send(Bytes{0x55});
    expectQueued(1);
    const auto deadline = in(60ms);
    const std::uint32_t got = cable.waitForQueue(3, deadline);
    EXPECT_EQ(got, 1u);
    EXPECT_GE(std::chrono::steady_clock::now(), deadline);
}

TEST_F(TtyCableOnPty, WaitForQueueSleepsRatherThanSpins) {
    // One byte waits, two are wanted: a loop that re-polls the waiting byte would
    // burn the whole 300 ms of processor time.
    pty.send(Bytes{0x55});
    expectQueued(1);
    timespec before{}, after{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    cable.waitForQueue(2, in(300ms));
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    const double cpuMs = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
    EXPECT_LT(cpuMs, 100.0);
}

TEST_F(TtyCableOnPty, PurgeDropsBytesAlreadyTakenFromTheDriver) {
    pty.send(Bytes{0x10, 0x20, 0x30});
    expectQueued(3);
    ASSERT_EQ(cable.purge(), kCableOk);
    std::uint32_t count = 99;
    ASSERT_EQ(cable.queueStatus(count), kCableOk);
    EXPECT_EQ(count, 0u);

    pty.send(Bytes{0x40});
    expectQueued(1);
    Bytes got;
    ASSERT_EQ(cable.read(10, got), kCableOk);
    EXPECT_EQ(got, Bytes{0x40});
}

TEST_F(TtyCableOnPty, BreakOnAPtyDoesNotBreakTheCallSequence) {
    EXPECT_EQ(cable.breakOn(), kCableOk) << cable.lastError();
    EXPECT_EQ(cable.breakOff(), kCableOk) << cable.lastError();
    EXPECT_EQ(cable.reset(), kCableOk) << cable.lastError();
    ASSERT_EQ(cable.write(0x33), kCableOk);
    EXPECT_EQ(pty.receive(1), Bytes{0x33});
}

TEST_F(TtyCableOnPty, ASecondCableCannotTakeTheSameDevice) {
    TtyCable other;
    EXPECT_NE(other.open(pty.path()), kCableOk);
    EXPECT_FALSE(other.isOpen());
    EXPECT_NE(other.lastError().find(pty.path()), std::string::npos) << other.lastError();

    cable.close();
    EXPECT_EQ(other.open(pty.path()), kCableOk) << other.lastError();
}

TEST(TtyCable, CloseRestoresTheTtySettings) {
    PseudoTerminal pty;
    const termios before = pty.slaveSettings();
    ASSERT_NE(before.c_lflag & ICANON, 0u);  // a fresh pty is cooked

    TtyCable cable;
    ASSERT_EQ(cable.open(pty.path()), kCableOk) << cable.lastError();
    ASSERT_EQ(cable.setBaudRate(10400), kCableOk);
    ASSERT_EQ(pty.slaveSettings().c_lflag & ICANON, 0u);
    cable.close();

    const termios after = pty.slaveSettings();
    EXPECT_FALSE(cable.isOpen());
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_oflag, before.c_oflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
}

TEST(TtyCable, OpeningAMissingDeviceFailsWithAReason) {
    ScratchDir dir;
    TtyCable cable(dir.path());
    const std::string missing = dir.file("ttyUSB7");
    EXPECT_EQ(cable.open(missing), kCableDeviceNotFound);
    EXPECT_FALSE(cable.isOpen());
    EXPECT_NE(cable.lastError().find(missing), std::string::npos) << cable.lastError();
    // A bare name is looked up in the device directory.
    EXPECT_EQ(cable.open("ttyUSB7"), kCableDeviceNotFound);
    EXPECT_NE(cable.lastError().find(missing), std::string::npos) << cable.lastError();
}

TEST(TtyCable, OpeningSomethingThatIsNotATtyFails) {
    ScratchDir dir;
    dir.touch("ttyUSB0");
    TtyCable cable(dir.path());
    EXPECT_NE(cable.open(dir.file("ttyUSB0")), kCableOk);
    EXPECT_FALSE(cable.isOpen());
    EXPECT_FALSE(cable.lastError().empty());
}

TEST(TtyCable, ListsOnlyUsbSerialDevicesInNumericOrder) {
    ScratchDir dir;
    for (const char* name : {"ttyUSB10", "ttyS0", "ttyUSB2", "ttyACM0", "ttyUSB0"}) dir.touch(name);
    TtyCable cable(dir.path());

    std::uint32_t count = 0;
    ASSERT_EQ(cable.deviceCount(count), kCableOk);
    ASSERT_EQ(count, 3u);
    const char* expected[] = {"ttyUSB0", "ttyUSB2", "ttyUSB10"};
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string description;
        ASSERT_EQ(cable.deviceDescription(i, description), kCableOk);
        EXPECT_EQ(description, dir.file(expected[i]));
    }
    std::string none;
    EXPECT_EQ(cable.deviceDescription(3, none), kCableDeviceNotFound);
    EXPECT_FALSE(cable.lastError().empty());
}

}  // namespace
}  // namespace dravio::ports
