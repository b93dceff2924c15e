// The FTDI cable's reader thread and queue, with a scripted chip in place of
// libftdi: arrival order, waiting, purge against a read in progress, writes
// and breaks that must not wait for the reader, an unplugged cable.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "ports/ftdi_cable.h"

namespace dravio::ports {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

base::Clock::TimePoint in(std::chrono::nanoseconds d) {
    return std::chrono::time_point_cast<base::Clock::Duration>(std::chrono::steady_clock::now() + d);
}

// What the chip will hand out and what it was asked to do; shared with the test.
struct ChipScript {
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::uint8_t> incoming;
    bool holdReads = false;  // a read in progress stays in progress
    bool inRead = false;
    int failure = 0;  // every read from now on returns this
    bool flushDuringRead = false;
    Bytes written;
    std::vector<std::string> line;  // "break on" / "break off"
    bool closed = false;

    void feed(const Bytes& bytes) {
        std::lock_guard<std::mutex> lock(m);
        incoming.insert(incoming.end(), bytes.begin(), bytes.end());
        cv.notify_all();
    }
    // Generous: the reader thread gets there in microseconds.
    template <class Pred>
    bool await(Pred pred) {
        std::unique_lock<std::mutex> lock(m);
        return cv.wait_for(lock, 5s, pred);
    }
};

class ScriptedChip final : public FtdiChip {
public:
    explicit ScriptedChip(std::shared_ptr<ChipScript> s) : s_(std::move(s)) {}
    ~ScriptedChip() override {
        std::lock_guard<std::mutex> lock(s_->m);
        s_->closed = true;
    }

    int read(std::uint8_t* buffer, int size) override {
        std::unique_lock<std::mutex> lock(s_->m);
        s_->inRead = true;
        s_->cv.notify_all();
        s_->cv.wait(lock, [&] { return !s_->holdReads; });
        // Like the chip: nothing within a latency period gives an empty read.
        s_->cv.wait_for(lock, 1ms, [&] { return !s_->incoming.empty() || s_->failure != 0; });
        int result = s_->failure;
        if (result == 0) {
            const auto n = std::min(static_cast<std::size_t>(size), s_->incoming.size());
            std::copy_n(s_->incoming.begin(), n, buffer);
            s_->incoming.erase(s_->incoming.begin(), s_->incoming.begin() + static_cast<std::ptrdiff_t>(n));
            result = static_cast<int>(n);
        }
        s_->inRead = false;
        s_->cv.notify_all();
        return result;
    }
    int write(std::uint8_t byte) override {
        std::lock_guard<std::mutex> lock(s_->m);
        s_->written.push_back(byte);
        return 0;
    }
    int setBaudRate(std::uint32_t baud) override { return baud < 183 ? kBadBaud : 0; }
    int setLine(bool breakOn) override {
        std::lock_guard<std::mutex> lock(s_->m);
        s_->line.push_back(breakOn ? "break on" : "break off");
        return 0;
    }
    int flush() override {
        std::lock_guard<std::mutex> lock(s_->m);
        if (s_->inRead) s_->flushDuringRead = true;
        s_->incoming.clear();
        return 0;
    }
    int reset() override { return flush(); }
    std::string describe(int error) const override { return "scripted error " + std::to_string(error); }

private:
    std::shared_ptr<ChipScript> s_;
};

class FtdiCableReader : public ::testing::Test {
protected:
    std::shared_ptr<ChipScript> chip = std::make_shared<ChipScript>();
    FtdiCable cable{std::make_unique<ScriptedChip>(chip), "Dravio K-line"};
};

TEST_F(FtdiCableReader, BytesAreQueuedInOrderAndWaitsEndWhenEnoughCameOrAtTheDeadline) {
    ASSERT_TRUE(cable.isOpen());
    std::thread far([this] {
        chip->feed({0x83, 0xF1});
        std::this_thread::sleep_for(20ms);
        chip->feed({0x10, 0xC1});
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(cable.waitForQueue(4, in(10s)), 4u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    far.join();

    const auto deadline = in(50ms);
    EXPECT_EQ(cable.waitForQueue(5, deadline), 4u);
    EXPECT_GE(std::chrono::steady_clock::now(), deadline);

    std::uint32_t count = 0;
    Bytes got;
    ASSERT_EQ(cable.read(3, got), kCableOk);
    ASSERT_EQ(cable.queueStatus(count), kCableOk);
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(cable.read(100, got), kCableOk);
    EXPECT_EQ(got, (Bytes{0x83, 0xF1, 0x10, 0xC1}));
}

TEST_F(FtdiCableReader, WritesAndBreaksDoNotWaitForAReadInProgress) {
    {
        std::lock_guard<std::mutex> lock(chip->m);
        chip->holdReads = true;
    }
    ASSERT_TRUE(chip->await([&] { return chip->inRead; }));

    auto sent = std::async(std::launch::async, [this] {
        return cable.breakOn() == kCableOk && cable.breakOff() == kCableOk && cable.write(0x81) == kCableOk;
    });
    const bool finished = sent.wait_for(5s) == std::future_status::ready;
    {
        std::lock_guard<std::mutex> lock(chip->m);
        EXPECT_TRUE(chip->inRead);  // the read was still going on all along
        chip->holdReads = false;
        chip->cv.notify_all();
    }
    ASSERT_TRUE(finished);
    EXPECT_TRUE(sent.get());
    std::lock_guard<std::mutex> lock(chip->m);
    EXPECT_EQ(chip->written, Bytes{0x81});
    EXPECT_EQ(chip->line, (std::vector<std::string>{"break on", "break off"}));
}

TEST_F(FtdiCableReader, PurgeWaitsForTheReadThenEmptiesEverything) {
    chip->feed({0x10, 0x20, 0x30});
    ASSERT_EQ(cable.waitForQueue(3, in(5s)), 3u);
    {
        std::lock_guard<std::mutex> lock(chip->m);
        chip->holdReads = true;
    }
    ASSERT_TRUE(chip->await([&] { return chip->inRead; }));
    chip->feed({0x31});  // still in the chip when the purge comes

    auto purged = std::async(std::launch::async, [this] { return cable.purge(); });
    // Leave a purge that ignores the reader time to collide with the held read.
    std::this_thread::sleep_for(20ms);
    {
        std::lock_guard<std::mutex> lock(chip->m);
        chip->holdReads = false;
        chip->cv.notify_all();
    }
    ASSERT_EQ(purged.wait_for(5s), std::future_status::ready);
    // The held read may already have taken 0x31; the purge must drop it either way.
    EXPECT_EQ(purged.get(), kCableOk);
    std::uint32_t count = 99;
    ASSERT_EQ(cable.queueStatus(count), kCableOk);
    EXPECT_EQ(count, 0u);
    {
        std::lock_guard<std::mutex> lock(chip->m);
        EXPECT_FALSE(chip->flushDuringRead);
    }

    chip->feed({0x40});
    ASSERT_EQ(cable.waitForQueue(1, in(5s)), 1u);
    Bytes got;
    ASSERT_EQ(cable.read(10, got), kCableOk);
    EXPECT_EQ(got, Bytes{0x40});
}

TEST_F(FtdiCableReader, AnUnpluggedCableEndsWaitsAndIsReported) {
    chip->feed({0x55});
    ASSERT_EQ(cable.waitForQueue(1, in(5s)), 1u);
    {
        std::lock_guard<std::mutex> lock(chip->m);
        chip->failure = FtdiChip::kGone;
        chip->cv.notify_all();
    }
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(cable.waitForQueue(2, in(20s)), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);

    std::uint32_t count = 0;
    EXPECT_EQ(cable.queueStatus(count), kCableIoError);
    EXPECT_EQ(count, 1u);  // what came before is still there to read
    EXPECT_NE(cable.lastError().find("Dravio K-line"), std::string::npos) << cable.lastError();
    Bytes got;
    EXPECT_EQ(cable.read(1, got), kCableOk);
    EXPECT_EQ(got, Bytes{0x55});
    EXPECT_EQ(cable.read(1, got), kCableIoError);
}

TEST_F(FtdiCableReader, AFloodingDeviceCannotGrowTheQueueWithoutBound) {
    chip->feed(Bytes(100'000, 0xAA));
    ASSERT_TRUE(chip->await([&] { return chip->incoming.empty(); }));
    std::uint32_t count = 0;
    cable.queueStatus(count);
    EXPECT_GT(count, 0u);
    EXPECT_LE(count, 64u * 1024u);
}

TEST_F(FtdiCableReader, BaudRatesAreCheckedBeforeAndByTheChip) {
    for (const std::uint32_t baud : {200u, 1200u, 7812u, 10400u}) EXPECT_EQ(cable.setBaudRate(baud), kCableOk) << baud;
    for (const std::uint32_t baud : {100u, 0u, 50'000'000u}) {
        EXPECT_EQ(cable.setBaudRate(baud), kCableInvalidBaudRate) << baud;
    }
}

TEST_F(FtdiCableReader, CloseReleasesTheLineAndTheChip) {
    ASSERT_EQ(cable.breakOn(), kCableOk);
    ASSERT_EQ(cable.close(), kCableOk);
    EXPECT_FALSE(cable.isOpen());
    {
        std::lock_guard<std::mutex> lock(chip->m);
        EXPECT_TRUE(chip->closed);
        ASSERT_FALSE(chip->line.empty());
        EXPECT_EQ(chip->line.back(), "break off");
    }
    EXPECT_EQ(cable.write(0x81), kCableInvalidHandle);
    EXPECT_EQ(cable.waitForQueue(1, in(10s)), 0u);
}

}  // namespace
}  // namespace dravio::ports
