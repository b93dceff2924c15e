#include "ports/tty_cable.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <time.h>

#include <thread>

#include "ports/pseudo_terminal.h"

namespace dravio::ports {
namespace {

using namespace std::chrono_literals;

base::Clock::TimePoint in(std::chrono::nanoseconds d) {
    return std::chrono::time_point_cast<base::Clock::Duration>(std::chrono::steady_clock::now() + d);
}

class TtyCableOnPty : public testing::OnPty {
protected:
    void SetUp() override {
        ASSERT_EQ(cable.open(pty.path()), kCableOk) << cable.lastError();
        ASSERT_EQ(cable.setBaudRate(10400), kCableOk) << cable.lastError();
        ASSERT_EQ(cable.setDataCharacteristics8N1(), kCableOk) << cable.lastError();
    }
    std::string read(std::uint32_t count) {
        std::vector<std::uint8_t> got;
        EXPECT_EQ(cable.read(count, got), kCableOk);
        return std::string(got.begin(), got.end());
    }
    TtyCable cable;
};

TEST_F(TtyCableOnPty, RawAtKLineRatesBytesUnchangedWaitsOnCountOrDeadlinePurgeAndOneOwner) {
    for (const std::uint32_t baud : {200u, 1200u, 7812u, 10400u}) {
        EXPECT_EQ(cable.setBaudRate(baud), kCableOk) << baud << ": " << cable.lastError();
        EXPECT_EQ(cable.actualBaudRate(), baud);
    }
    for (const std::uint32_t baud : {0u, 50'000'000u}) {
        EXPECT_EQ(cable.setBaudRate(baud), kCableInvalidBaudRate) << baud;
        EXPECT_EQ(cable.actualBaudRate(), 10400u) << "the old rate is kept";
    }
    const termios t = pty.slaveSettings();
    EXPECT_TRUE(isRaw(t));
    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
    const std::string frame("\x81\x10\xF1\r\n\x03\x11\x13\x00\xFF", 10);  // what a cooked tty would alter
    for (const char b : frame) ASSERT_EQ(cable.write(static_cast<std::uint8_t>(b)), kCableOk) << cable.lastError();
    EXPECT_EQ(pty.receive(frame.size()), frame);
    // Two bytes now, the rest later: the wait ends on neither the first part nor the deadline.
    std::thread far([this, &frame] {
        pty.send(frame.substr(0, 2));
        std::this_thread::sleep_for(30ms);
        pty.send(frame.substr(2));
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(cable.waitForQueue(10, in(10s)), 10u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    far.join();
    // Ten wait, eleven wanted: a loop re-polling the waiting bytes would burn the 300 ms.
    timespec before{}, after{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
    const auto deadline = in(300ms);
    EXPECT_EQ(cable.waitForQueue(11, deadline), 10u);
    EXPECT_GE(std::chrono::steady_clock::now(), deadline);
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
    EXPECT_LT((after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6, 100.0);
    EXPECT_EQ(read(3) + read(100), frame);
    // The purge drops what the cable already took from the driver.
    pty.send("\x10\x20\x30");
    ASSERT_EQ(cable.waitForQueue(3, in(3s)), 3u);
    ASSERT_EQ(cable.purge(), kCableOk);
    pty.send("\x40");
    ASSERT_EQ(cable.waitForQueue(1, in(3s)), 1u);
    EXPECT_EQ(read(10), "\x40");
    TtyCable other;
    EXPECT_NE(other.open(pty.path()), kCableOk);
    EXPECT_NE(other.lastError().find(pty.path()), std::string::npos) << other.lastError();
    cable.close();
    EXPECT_NE(pty.slaveSettings().c_lflag & ICANON, 0u) << "cooked again, as before the opening";
    EXPECT_EQ(other.open(pty.path()), kCableOk) << other.lastError();
}

// A pty has no break to see, so the requests are watched on their way to the kernel.
TEST_F(TtyCableOnPty, BreakOnSendsTIOCSBRKBreakOffTIOCCBRKCloseReleasesTheLineAndOnlyUsbDevicesAreListed) {
    std::vector<unsigned long> breaks;
    TtyDevice device([&](int fd, unsigned long request, void* arg) {
        if (request == TIOCSBRK || request == TIOCCBRK) breaks.push_back(request);
        return ::ioctl(fd, request, arg);
    });
    cable.close();
    ASSERT_EQ(device.open(pty.path()), 0);
    EXPECT_EQ(device.setBreak(true), 0);
    EXPECT_EQ(breaks, (std::vector<unsigned long>{TIOCSBRK})) << "the line goes low";
    EXPECT_EQ(device.setBreak(false), 0);
    EXPECT_EQ(breaks, (std::vector<unsigned long>{TIOCSBRK, TIOCCBRK})) << "the line is released";
    device.setBreak(true);
    device.close();
    EXPECT_EQ(breaks.back(), static_cast<unsigned long>(TIOCCBRK)) << "close must not leave the line held low";
    for (const char* name : {"ttyUSB10", "ttyS0", "ttyUSB2", "ttyACM0", "ttyUSB0"}) dir.touch(name);
    TtyCable local(dir.path());
    for (const std::string& asked : {dir.file("ttyUSB7"), std::string("ttyUSB7")}) {  // a bare name is looked up
        EXPECT_EQ(local.open(asked), kCableDeviceNotFound);
        EXPECT_NE(local.lastError().find(dir.file("ttyUSB7")), std::string::npos) << local.lastError();
    }
    EXPECT_NE(local.open(dir.file("ttyUSB0")), kCableOk);
    std::uint32_t count = 0;
    ASSERT_EQ(local.deviceCount(count), kCableOk);
    std::vector<std::string> listed(count);
    for (std::uint32_t i = 0; i < count; ++i) EXPECT_EQ(local.deviceDescription(i, listed[i]), kCableOk);
    EXPECT_EQ(listed, (std::vector{dir.file("ttyUSB0"), dir.file("ttyUSB2"), dir.file("ttyUSB10")}));
    EXPECT_EQ(local.deviceDescription(count, listed[0]), kCableDeviceNotFound);
}

}  // namespace
}  // namespace dravio::ports
