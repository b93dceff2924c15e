#include "ports/tty_cable.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
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

TEST_F(TtyCableOnPty, KLineBaudRatesReachTheDriverAndImpossibleOnesAreRefused) {
    for (const std::uint32_t baud : {200u, 1200u, 7812u, 10400u}) {
        EXPECT_EQ(cable.setBaudRate(baud), kCableOk) << baud << ": " << cable.lastError();
        EXPECT_EQ(cable.actualBaudRate(), baud);
    }
    for (const std::uint32_t baud : {0u, 50'000'000u}) {
        EXPECT_EQ(cable.setBaudRate(baud), kCableInvalidBaudRate) << baud;
        EXPECT_FALSE(cable.lastError().empty());
        EXPECT_EQ(cable.actualBaudRate(), 10400u) << "the old rate is kept";
    }
    const termios t = pty.slaveSettings();
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
}

TEST_F(TtyCableOnPty, BytesCrossUnchangedBothWays) {
    // Bytes that a cooked tty would translate or swallow must pass unchanged.
    const Bytes frame{0x81, 0x10, 0xF1, 0x0D, 0x0A, 0x03, 0x11, 0x13, 0x00, 0xFF};
    for (const auto b : frame) ASSERT_EQ(cable.write(b), kCableOk) << cable.lastError();
    EXPECT_EQ(pty.receive(frame.size()), frame);

    pty.send(frame);
    expectQueued(10);
    std::uint32_t count = 0;
    ASSERT_EQ(cable.queueStatus(count), kCableOk);
    EXPECT_EQ(count, 10u);
    Bytes got;
    ASSERT_EQ(cable.read(3, got), kCableOk);
    ASSERT_EQ(cable.queueStatus(count), kCableOk);
    EXPECT_EQ(count, 7u);
    ASSERT_EQ(cable.read(100, got), kCableOk);  // asks for more than waits
    EXPECT_EQ(got, frame);
}

TEST_F(TtyCableOnPty, WaitForQueueEndsWhenEnoughCameOrAtTheDeadlineAndSleeps) {
    // Two bytes first, two more later: the wait must not end on the first pair
    // nor sleep on to the deadline after the second.
    std::thread far([this] {
        pty.send(Bytes{0x01, 0x02});
        std::this_thread::sleep_for(30ms);
        pty.send(Bytes{0x03, 0x04});
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(cable.waitForQueue(4, in(10s)), 4u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    far.join();

    // Four wait, five are wanted: a loop that re-polls the waiting bytes would
    // burn the whole 300 ms of processor time.
    timespec before{}, after{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    const auto deadline = in(300ms);
    EXPECT_EQ(cable.waitForQueue(5, deadline), 4u);
    EXPECT_GE(std::chrono::steady_clock::now(), deadline);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    EXPECT_LT((after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6, 100.0);
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

// A pty has no break to see, so the requests are watched on their way to the kernel.
TEST(TtyDevice, BreakOnSendsTIOCSBRKAndBreakOffTIOCCBRKAndCloseReleasesTheLine) {
    PseudoTerminal pty;
    std::vector<unsigned long> breaks;
    TtyDevice device([&](int fd, unsigned long request, void* arg) {
        if (request == TIOCSBRK || request == TIOCCBRK) breaks.push_back(request);
        return ::ioctl(fd, request, arg);
    });
    ASSERT_EQ(device.open(pty.path()), 0);
    EXPECT_EQ(device.setBreak(true), 0);
    EXPECT_EQ(breaks, (std::vector<unsigned long>{TIOCSBRK})) << "the line goes low";
    EXPECT_EQ(device.setBreak(false), 0);
    EXPECT_EQ(breaks, (std::vector<unsigned long>{TIOCSBRK, TIOCCBRK})) << "the line is released";
    device.setBreak(true);
    device.close();
    EXPECT_EQ(breaks.back(), static_cast<unsigned long>(TIOCCBRK)) << "close must not leave the line held low";
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
    EXPECT_EQ((std::vector{after.c_iflag, after.c_oflag, after.c_cflag, after.c_lflag}),
              (std::vector{before.c_iflag, before.c_oflag, before.c_cflag, before.c_lflag}));
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
}

TEST(TtyCable, OpeningAMissingDeviceOrANonTtyFailsWithAReason) {
    ScratchDir dir;
    dir.touch("ttyUSB0");
    TtyCable cable(dir.path());
    const std::string missing = dir.file("ttyUSB7");
    EXPECT_EQ(cable.open(missing), kCableDeviceNotFound);
    EXPECT_NE(cable.lastError().find(missing), std::string::npos) << cable.lastError();
    // A bare name is looked up in the device directory.
    EXPECT_EQ(cable.open("ttyUSB7"), kCableDeviceNotFound);
    EXPECT_NE(cable.lastError().find(missing), std::string::npos) << cable.lastError();
    EXPECT_NE(cable.open(dir.file("ttyUSB0")), kCableOk);
    EXPECT_FALSE(cable.isOpen());
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
}

}  // namespace
}  // namespace dravio::ports
