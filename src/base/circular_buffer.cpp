#include "base/circular_buffer.h"

#include <cstddef>

namespace dravio::base {

void CircularBuffer::Initialize() {
    capacity_ = kCapacity;
    start_ = 0;
    end_ = 0;
    startWrap_ = false;
    endWrap_ = false;
}

void CircularBuffer::IncrStart() {
    if (++start_ >= capacity_) {
        start_ = 0;
        startWrap_ = !startWrap_;
    }
}

void CircularBuffer::IncrEnd() {
    if (++end_ >= capacity_) {
        end_ = 0;
        endWrap_ = !endWrap_;
    }
}

std::uint8_t CircularBuffer::Readbyte() {
    if (isEmpty()) return 0;
    const std::uint8_t value = buffer_[static_cast<std::size_t>(start_)];
    IncrStart();
    return value;
}

std::uint8_t CircularBuffer::Peek() const {
    return isEmpty() ? 0 : buffer_[static_cast<std::size_t>(start_)];
}

void CircularBuffer::Advance(int toAdvance) {
    for (int i = 0; i < toAdvance; ++i) IncrStart();
}

std::int16_t CircularBuffer::getLength() const {
    int length = end_ - start_;
    if (startWrap_ != endWrap_) length += capacity_;
    return static_cast<std::int16_t>(length + 1);
}

std::int16_t CircularBuffer::AppendBuffer(std::span<const std::uint8_t> data, int first,
                                          int last) {
    if (first == last) return kAppendNothing;
    // A range that would read outside `data` is refused whole rather than
    // clamped: a partial packet would be worse than none.
    if (first < last && (first < 0 || static_cast<std::size_t>(last) >= data.size()))
        return kAppendOutOfRange;

    // 64-bit so that no pair of ints can overflow; a reversed range counts
    // zero or less and appends nothing.
    const std::int64_t count = std::int64_t{last} - first + 1;
    const std::int64_t room = std::int64_t{capacity_} - getLength();
    std::int16_t status = kAppendFits;
    if (count > room) status = count > capacity_ ? kAppendExceedsCapacity : kAppendOverwrites;

    if (count > 0) {
        const auto from = static_cast<std::size_t>(first);
        for (std::uint8_t byte : data.subspan(from, static_cast<std::size_t>(count)))
            Writebyte(byte);
    }
    return status;
}

void CircularBuffer::Clear() {
    start_ = end_;
    startWrap_ = endWrap_;
}

std::uint8_t CircularBuffer::Getbyte(int request) const {
    if (request < 0 || request > getLength() - 1) return 0;
    const int index = (start_ + request) % capacity_;
    return buffer_[static_cast<std::size_t>(index)];
}

bool CircularBuffer::isFull() const { return start_ == end_ && startWrap_ != endWrap_; }

bool CircularBuffer::isEmpty() const { return start_ == end_ && startWrap_ == endWrap_; }

void CircularBuffer::Writebyte(std::uint8_t value) {
    const bool full = isFull();
    buffer_[static_cast<std::size_t>(end_)] = value;
    if (full) IncrStart();
    IncrEnd();
}

}  // namespace dravio::base
