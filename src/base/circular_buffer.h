// base: fixed-size byte ring buffer that overwrites its oldest byte when full.
// The wideband lambda reader queues serial bytes here and parses packets out.
// getLength reports one more than the number of bytes held; its users count
// on that, so it stays.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace dravio::base {

class CircularBuffer {
public:
    // AppendBuffer results.
    static constexpr std::int16_t kAppendFits = 0;
    static constexpr std::int16_t kAppendOverwrites = 1;      // more than the free room
    static constexpr std::int16_t kAppendExceedsCapacity = 2; // more than the whole buffer
    static constexpr std::int16_t kAppendNothing = 3;         // first == last
    static constexpr std::int16_t kAppendOutOfRange = -1;     // range not inside data

    CircularBuffer() { Initialize(); }

    // Capacity 500, empty. Storage keeps its old bytes.
    void Initialize();

    void IncrStart();
    void IncrEnd();

    // Oldest byte, consumed; 0 and no change when empty.
    std::uint8_t Readbyte();
    // Oldest byte, not consumed; 0 when empty.
    std::uint8_t Peek() const;
    // Drops `toAdvance` bytes without checking how many are held.
    void Advance(int toAdvance);

    // Bytes held plus one: 1 when empty, 501 when full.
    std::int16_t getLength() const;

    // Writes data[first..last] inclusive, overwriting the oldest bytes when the
    // buffer fills. The status describes the room before writing.
    std::int16_t AppendBuffer(std::span<const std::uint8_t> data, int first, int last);

    // Empties the buffer without touching storage.
    void Clear();

    // Byte `request` places after the oldest, not consumed. Any request up to
    // getLength() - 1 is answered, so one past the newest byte gives whatever
    // storage holds there; beyond that, or below 0, gives 0.
    std::uint8_t Getbyte(int request) const;

    bool isFull() const;
    bool isEmpty() const;

    void Writebyte(std::uint8_t value);

    std::int16_t getSize() const { return capacity_; }

private:
    static constexpr std::int16_t kCapacity = 500;

    // One spare slot past the capacity, never used.
    std::array<std::uint8_t, kCapacity + 1> buffer_{};
    std::int16_t capacity_ = 0;
    std::int16_t start_ = 0;
    std::int16_t end_ = 0;
    bool startWrap_ = false;
    bool endWrap_ = false;
};

}  // namespace dravio::base
