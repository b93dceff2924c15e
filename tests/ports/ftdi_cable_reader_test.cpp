// The FTDI cable's reader thread and queue against a scripted chip in place of libftdi.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <future>
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
    bool holdReads = false, inRead = false, flushDuringRead = false, closed = false;
    int failure = 0;                 // every read from now on returns this
    std::vector<std::string> calls;  // "break on", "break off", "write 81"

    void feed(const Bytes& bytes) {
        set([&] { incoming.insert(incoming.end(), bytes.begin(), bytes.end()); });
    }
    template <class F>
    void set(F change) {
        std::lock_guard<std::mutex> lock(m);
        change();
        cv.notify_all();
    }
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
        s_->set([&] { s_->closed = true; });
    }
    int read(std::uint8_t* buffer, int size) override {
        std::unique_lock<std::mutex> lock(s_->m);
        s_->inRead = true;
        s_->cv.notify_all();
        s_->cv.wait(lock, [&] { return !s_->holdReads; });
        // Like the chip: nothing within a latency period gives an empty read.
        s_->cv.wait_for(lock, 1ms, [&] { return !s_->incoming.empty() || s_->failure != 0; });
        const auto n = std::min(static_cast<std::size_t>(size), s_->failure ? 0 : s_->incoming.size());
        std::copy_n(s_->incoming.begin(), n, buffer);
        s_->incoming.erase(s_->incoming.begin(), s_->incoming.begin() + static_cast<std::ptrdiff_t>(n));
        s_->inRead = false;
        s_->cv.notify_all();
        return s_->failure ? s_->failure : static_cast<int>(n);
    }
    int write(std::uint8_t byte) override { return log("write " + std::to_string(byte)); }
    int setBaudRate(std::uint32_t baud) override { return baud < 183 ? kBadBaud : 0; }
    int setLine(bool breakOn) override { return log(breakOn ? "break on" : "break off"); }
    int flush() override {
        s_->set([&] {
            s_->flushDuringRead = s_->flushDuringRead || s_->inRead;
            s_->incoming.clear();
        });
        return 0;
    }
    int reset() override { return flush(); }
    std::string describe(int error) const override { return "scripted error " + std::to_string(error); }

private:
    int log(const std::string& call) {
        s_->set([&] { s_->calls.push_back(call); });
        return 0;
    }
    std::shared_ptr<ChipScript> s_;
};

class FtdiCableReader : public ::testing::Test {
protected:
    std::uint32_t queued(int status = kCableOk) {
        std::uint32_t n = 99;
        EXPECT_EQ(cable.queueStatus(n), status);
        return n;
    }
    std::shared_ptr<ChipScript> chip = std::make_shared<ChipScript>();
    FtdiCable cable{std::make_unique<ScriptedChip>(chip), "Dravio K-line"};
};

TEST_F(FtdiCableReader, BytesAreQueuedInOrderAndWaitsEndWhenEnoughCameOrAtTheDeadline) {
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
    Bytes got;
    ASSERT_EQ(cable.read(3, got), kCableOk);
    EXPECT_EQ(queued(), 1u);
    ASSERT_EQ(cable.read(100, got), kCableOk);
    EXPECT_EQ(got, (Bytes{0x83, 0xF1, 0x10, 0xC1}));
    chip->feed(Bytes(100'000, 0xAA));  // a flooding device cannot grow the queue without bound
    ASSERT_TRUE(chip->await([&] { return chip->incoming.empty(); }));
    EXPECT_LE(queued(), 64u * 1024u);
}

TEST_F(FtdiCableReader, WritesAndBreaksDoNotWaitForReadsPurgeDoesUnplugAndCloseAreReported) {
    chip->feed({0x10, 0x20, 0x30});
    ASSERT_EQ(cable.waitForQueue(3, in(5s)), 3u);
    chip->set([&] { chip->holdReads = true; });
    ASSERT_TRUE(chip->await([&] { return chip->inRead; }));
    auto sent = std::async(std::launch::async, [this] {
        return cable.breakOn() == kCableOk && cable.breakOff() == kCableOk && cable.write(0x81) == kCableOk;
    });
    ASSERT_EQ(sent.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(sent.get());
    chip->set([&] { EXPECT_EQ(chip->calls, (std::vector<std::string>{"break on", "break off", "write 129"})); });
    chip->feed({0x31});  // still in the chip when the purge comes
    auto purged = std::async(std::launch::async, [this] { return cable.purge(); });
    std::this_thread::sleep_for(20ms);  // time for a purge that ignores the reader to collide with the held read
    chip->set([&] {
        EXPECT_TRUE(chip->inRead) << "the read was still going on all along";
        chip->holdReads = false;
    });
    ASSERT_EQ(purged.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(purged.get(), kCableOk);
    EXPECT_EQ(queued(), 0u) << "the held read may have taken 0x31; the purge drops it either way";
    chip->set([&] { EXPECT_FALSE(chip->flushDuringRead); });
    chip->feed({0x40});
    ASSERT_EQ(cable.waitForQueue(1, in(5s)), 1u);
    Bytes got;
    ASSERT_EQ(cable.read(10, got), kCableOk);
    EXPECT_EQ(got, Bytes{0x40});
    chip->feed({0x55});
    ASSERT_EQ(cable.waitForQueue(1, in(5s)), 1u);
    chip->set([&] { chip->failure = FtdiChip::kGone; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(cable.waitForQueue(2, in(20s)), 1u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(queued(kCableIoError), 1u) << "what came before is still there to read";
    EXPECT_NE(cable.lastError().find("Dravio K-line"), std::string::npos) << cable.lastError();
    got.clear();
    EXPECT_EQ(cable.read(1, got), kCableOk);
    EXPECT_EQ(got, Bytes{0x55});
    EXPECT_EQ(cable.read(1, got), kCableIoError);
    for (const std::uint32_t baud : {200u, 7812u, 10400u}) EXPECT_EQ(cable.setBaudRate(baud), kCableOk) << baud;
    for (const std::uint32_t baud : {100u, 0u, 50'000'000u}) EXPECT_EQ(cable.setBaudRate(baud), kCableInvalidBaudRate);
    ASSERT_EQ(cable.breakOn(), kCableOk);
    ASSERT_EQ(cable.close(), kCableOk);
    EXPECT_FALSE(cable.isOpen());
    chip->set([&] { EXPECT_TRUE(chip->closed && chip->calls.back() == "break off"); });
    EXPECT_EQ(cable.write(0x81), kCableInvalidHandle);
    EXPECT_EQ(cable.waitForQueue(1, in(10s)), 0u);
}

}  // namespace
}  // namespace dravio::ports
