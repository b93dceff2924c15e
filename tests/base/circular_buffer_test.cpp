#include "base/circular_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

namespace dravio::base {
namespace {

constexpr int kCapacity = 500;

// Distinct enough over 500 bytes that an off-by-one shows.
std::uint8_t pattern(int i) { return static_cast<std::uint8_t>((i * 7 + 3) % 251); }

void writeMany(CircularBuffer& b, int count) {
    for (int i = 0; i < count; ++i) b.Writebyte(pattern(i));
}

TEST(CircularBuffer, EmptyLengthIsOneGetbyteReachesOnePastTheNewestAdvanceAndClear) {
    CircularBuffer b;
    EXPECT_EQ(b.getSize(), kCapacity);
    EXPECT_EQ(b.getLength(), 1);
    EXPECT_EQ(b.Readbyte(), 0);
    EXPECT_EQ(b.getLength(), 1) << "reading an empty buffer changes nothing";
    writeMany(b, 5);
    b.Initialize();  // empties without clearing storage
    for (std::uint8_t v : {0xA1, 0xB2, 0xC3}) b.Writebyte(v);
    const std::pair<int, std::uint8_t> cases[] = {{0, 0xA1}, {1, 0xB2}, {2, 0xC3}, {3, pattern(3)},  // stale storage
                                                  {4, 0},    {500, 0},  {-1, 0}};
    for (const auto& [request, value] : cases) EXPECT_EQ(b.Getbyte(request), value) << request;
    EXPECT_EQ(b.getLength(), 4) << "Getbyte consumes nothing";
    b.Advance(-3);
    b.Advance(2);
    EXPECT_EQ(b.Peek(), 0xC3);

    CircularBuffer full;
    writeMany(full, 501);  // the 501st write drops the oldest
    EXPECT_TRUE(full.isFull());
    EXPECT_EQ(full.getLength(), 501);
    EXPECT_EQ(full.Getbyte(500), pattern(1)) << "one past the newest is the oldest when full";
    full.Clear();
    EXPECT_TRUE(full.isEmpty() && !full.isFull());
    full.Writebyte(0x5A);
    EXPECT_EQ(full.Readbyte(), 0x5A);

    CircularBuffer empty;
    empty.Advance(1);
    EXPECT_EQ(empty.getLength(), 0) << "Advance does not check for emptiness";
    EXPECT_FALSE(empty.isEmpty());
}

// Mixed writes and reads over many laps, against a queue that drops its front at 500 bytes.
TEST(CircularBuffer, BehavesLikeABoundedQueueOverManyWrapsAndAppendBufferSaysWhatItDid) {
    CircularBuffer b;
    std::deque<std::uint8_t> model;
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> burst(0, 40);
    int next = 0;
    for (int round = 0; round < 2000; ++round) {
        for (int i = burst(rng); i > 0; --i) {
            const std::uint8_t v = pattern(next++);
            b.Writebyte(v);
            if (model.size() == kCapacity) model.pop_front();
            model.push_back(v);
        }
        ASSERT_EQ(b.getLength(), static_cast<int>(model.size()) + 1) << round;
        ASSERT_EQ(b.isFull(), model.size() == kCapacity) << round;
        for (std::size_t i = 0; i < model.size(); i += 37) ASSERT_EQ(b.Getbyte(static_cast<int>(i)), model[i]) << round;
        for (int i = burst(rng); i > 0; --i) {
            ASSERT_EQ(b.Readbyte(), model.empty() ? 0 : model.front()) << round;
            if (!model.empty()) model.pop_front();
        }
    }
    EXPECT_GT(next, 20 * kCapacity);
    // name, bytes held before, data size, first, last, status, length after
    const std::tuple<const char*, int, int, int, int, std::int16_t, int> cases[] = {
        {"single index appends nothing", 0, 10, 2, 2, 3, 1},
        {"first = last outside data", 0, 10, 99, 99, 3, 1},
        {"499 into empty fits", 0, 600, 0, 498, 0, 500},
        {"500 into empty counts as overwrite", 0, 600, 0, 499, 1, 501},
        {"501 exceeds capacity", 0, 600, 0, 500, 2, 501},
        {"middle of data", 0, 10, 2, 4, 0, 4},
        {"exact room left", 400, 200, 0, 98, 0, 500},
        {"one more than the room", 400, 200, 0, 99, 1, 501},
        {"reversed range appends nothing", 0, 10, 5, 2, 0, 1},
        {"empty range into a full buffer", 500, 10, 3, 2, 1, 501},  // room is -1 when full
        {"reversed range into a full buffer", 500, 10, 5, 2, 0, 501},
        {"last past data", 0, 10, 0, 10, -1, 1},
        {"first before data", 0, 10, -1, 3, -1, 1},
        {"empty data", 0, 0, 0, 1, -1, 1}};
    for (const auto& [name, preload, size, first, last, status, lengthAfter] : cases) {
        CircularBuffer b;
        std::vector<std::uint8_t> held, data;  // held: the newest preloaded bytes, then the append
        for (int i = 0; i < preload; ++i) held.push_back(pattern(5000 + i));
        for (int i = 0; i < size; ++i) data.push_back(pattern(i));
        for (const auto v : held) b.Writebyte(v);
        EXPECT_EQ(b.AppendBuffer(data, first, last), status) << name;
        ASSERT_EQ(b.getLength(), lengthAfter) << name;
        if (status >= 0 && status != 3)
            held.insert(held.end(), data.begin() + first, data.begin() + std::max(first, last + 1));
        held.erase(held.begin(), held.end() - (lengthAfter - 1));
        for (const auto v : held) ASSERT_EQ(b.Readbyte(), v) << name;
    }
}

}  // namespace
}  // namespace dravio::base
