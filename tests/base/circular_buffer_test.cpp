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

void writeMany(CircularBuffer& b, int count, int offset = 0) {
    for (int i = 0; i < count; ++i) b.Writebyte(pattern(offset + i));
}

TEST(CircularBuffer, EmptyBufferReadsZeroAndReportsLengthOne) {
    CircularBuffer b;
    EXPECT_EQ(b.getSize(), kCapacity);
    EXPECT_EQ(b.getLength(), 1);
    EXPECT_TRUE(b.isEmpty());
    EXPECT_EQ(b.Peek(), 0);
    EXPECT_EQ(b.Readbyte(), 0);
    EXPECT_EQ(b.getLength(), 1) << "reading an empty buffer changes nothing";
}

TEST(CircularBuffer, GetbyteAnswersUpToOnePastTheNewestByte) {
    CircularBuffer b;
    writeMany(b, 5);
    b.Initialize();  // empties without clearing storage
    for (std::uint8_t v : {0xA1, 0xB2, 0xC3}) b.Writebyte(v);
    const struct {
        int request;
        std::uint8_t value;
    } cases[] = {{0, 0xA1}, {1, 0xB2}, {2, 0xC3}, {3, pattern(3)},  // stale storage, never written since Initialize
                 {4, 0},    {500, 0},  {-1, 0}};
    for (const auto& c : cases) EXPECT_EQ(b.Getbyte(c.request), c.value) << c.request;
    EXPECT_EQ(b.getLength(), 4) << "Getbyte consumes nothing";

    CircularBuffer full;
    writeMany(full, 501);  // the 501st write drops the oldest
    EXPECT_TRUE(full.isFull());
    EXPECT_EQ(full.getLength(), 501);
    EXPECT_EQ(full.Peek(), pattern(1));
    EXPECT_EQ(full.Getbyte(500), pattern(1)) << "one past the newest is the oldest when full";
    EXPECT_EQ(full.Getbyte(501), 0);
}

// Mixed writes and reads over many laps of the storage, checked against a
// plain queue that drops its front when it holds 500 bytes.
TEST(CircularBuffer, BehavesLikeABoundedQueueOverManyWraps) {
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
            const std::uint8_t expected = model.empty() ? 0 : model.front();
            ASSERT_EQ(b.Peek(), expected) << round;
            ASSERT_EQ(b.Readbyte(), expected) << round;
            if (!model.empty()) model.pop_front();
        }
        ASSERT_EQ(b.isEmpty(), model.empty()) << round;
    }
    EXPECT_GT(next, 20 * kCapacity) << "the test should lap the storage many times";
}

TEST(CircularBuffer, AdvanceDropsBytesWithoutCheckingForEmptiness) {
    CircularBuffer b;
    writeMany(b, 4);
    b.Advance(0);
    b.Advance(-3);
    EXPECT_EQ(b.getLength(), 5) << "counts below 1 do nothing";
    b.Advance(2);
    EXPECT_EQ(b.Peek(), pattern(2));

    CircularBuffer empty;
    empty.Advance(1);
    EXPECT_EQ(empty.getLength(), 0) << "start moves past end";
    EXPECT_FALSE(empty.isEmpty());
}

TEST(CircularBuffer, ClearEmptiesPartialAndFullBuffers) {
    for (int held : {37, 500}) {
        CircularBuffer b;
        writeMany(b, held);
        b.Clear();
        EXPECT_TRUE(b.isEmpty()) << held;
        EXPECT_FALSE(b.isFull()) << held;
        b.Writebyte(0x5A);
        EXPECT_EQ(b.getLength(), 2) << held;
        EXPECT_EQ(b.Readbyte(), 0x5A) << held;
    }
}

TEST(CircularBuffer, AppendBufferStatusAndContents) {
    const struct {
        const char* name;
        int preload;  // bytes written before the append
        int dataSize;
        int first, last;
        std::int16_t status;
        int lengthAfter;
    } cases[] = {
        {"single index appends nothing", 0, 10, 2, 2, 3, 1},
        {"first = last outside data", 0, 10, 99, 99, 3, 1},
        {"499 into empty fits", 0, 600, 0, 498, 0, 500},
        {"500 into empty counts as overwrite", 0, 600, 0, 499, 1, 501},
        {"501 exceeds capacity", 0, 600, 0, 500, 2, 501},
        {"middle of data", 0, 10, 2, 4, 0, 4},
        {"exact room left", 400, 200, 0, 98, 0, 500},
        {"one more than the room", 400, 200, 0, 99, 1, 501},
        {"reversed range appends nothing", 0, 10, 5, 2, 0, 1},
        // A reversed range still counts (last - first + 1) against the room,
        // which is -1 when full.
        {"empty range into a full buffer", 500, 10, 3, 2, 1, 501},
        {"reversed range into a full buffer", 500, 10, 5, 2, 0, 501},
        {"last past data", 0, 10, 0, 10, -1, 1},
        {"first before data", 0, 10, -1, 3, -1, 1},
        {"empty data", 0, 0, 0, 1, -1, 1},
    };
    for (const auto& c : cases) {
        CircularBuffer b;
        writeMany(b, c.preload, 5000);
        std::vector<std::uint8_t> data(static_cast<std::size_t>(c.dataSize));
        for (int i = 0; i < c.dataSize; ++i) data[static_cast<std::size_t>(i)] = pattern(i);

        EXPECT_EQ(b.AppendBuffer(data, c.first, c.last), c.status) << c.name;
        EXPECT_EQ(b.getLength(), c.lengthAfter) << c.name;

        // What is held now: the newest bytes of preload followed by the append.
        std::vector<std::uint8_t> all;
        for (int i = 0; i < c.preload; ++i) all.push_back(pattern(5000 + i));
        if (c.status != 3 && c.status != -1)
            for (int i = c.first; i <= c.last; ++i) all.push_back(data[static_cast<std::size_t>(i)]);
        const std::size_t held = static_cast<std::size_t>(c.lengthAfter - 1);
        ASSERT_LE(held, all.size()) << c.name;
        for (std::size_t i = 0; i < held; ++i)
            ASSERT_EQ(b.Readbyte(), all[all.size() - held + i]) << c.name << " byte " << i;
    }
}

}  // namespace
}  // namespace dravio::base
