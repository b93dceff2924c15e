#include "sim/wake_detector.h"

#include <cmath>

namespace dravio::sim {

using base::Clock;

void WakeDetector::reset() {
    collecting_ = false;
    bits_.clear();
}

int WakeDetector::slowBits(Clock::Duration d) const {
    if (timing_.slowBit <= Clock::Duration::zero()) return 0;
    const double x = std::chrono::duration<double>(d) / std::chrono::duration<double>(timing_.slowBit);
    const double n = std::round(x);
    if (n < 1 || std::abs(x - n) > timing_.slowBitTolerance) return 0;
    return static_cast<int>(n);
}

std::vector<WakeEvent> WakeDetector::edge(Clock::TimePoint t, bool low) {
    std::vector<WakeEvent> out;
    if (low == low_) return out;
    const Clock::Duration run = t - lastEdge_;
    const bool wasLow = low_;
    low_ = low;
    lastEdge_ = t;

    if (low) {
        // The line was high for `run`: ones inside a 5-baud byte, or idle.
        if (collecting_) {
            const int n = slowBits(run);
            if (n == 0 || bits_.size() + static_cast<std::size_t>(n) >= 9) {
                reset();
            } else {
                bits_.insert(bits_.end(), static_cast<std::size_t>(n), true);
                return out;
            }
        }
        // A fresh falling edge: maybe a fast pulse, maybe a start bit.
        collecting_ = true;
        bits_.clear();
        return out;
    }

    if (!wasLow || !collecting_) return out;
    if (bits_.empty() && run >= timing_.fastLowMin - timing_.jitter && run <= timing_.fastLowMax + timing_.jitter) {
        reset();
        out.push_back({WakeEvent::Kind::Fast, t, 0});
        return out;
    }
    const int n = slowBits(run);
    if (n == 0 || bits_.size() + static_cast<std::size_t>(n) > 9) {
        reset();
        return out;
    }
    bits_.insert(bits_.end(), static_cast<std::size_t>(n), false);
    if (bits_.size() == 9) {
        // The release starts the stop bit; data bits follow the start bit, LSB first.
        std::uint8_t address = 0;
        for (int i = 0; i < 8; ++i) {
            if (bits_[static_cast<std::size_t>(i) + 1]) address |= static_cast<std::uint8_t>(1u << i);
        }
        reset();
        out.push_back({WakeEvent::Kind::FiveBaud, t + timing_.slowBit, address});
    }
    return out;
}

std::vector<WakeEvent> WakeDetector::byte(Clock::TimePoint end, std::uint8_t value, std::uint32_t baud) {
    std::vector<WakeEvent> out;
    if (baud == 0) return out;
    const Clock::Duration bit = std::chrono::nanoseconds(1'000'000'000LL / baud);
    const Clock::TimePoint start = end - 10 * bit;
    bool level[10];
    level[0] = true;  // start bit: low
    for (int i = 0; i < 8; ++i) level[i + 1] = ((value >> i) & 1) == 0;
    level[9] = false;  // stop bit: released
    bool previous = false;
    for (int i = 0; i < 10; ++i) {
        if (level[i] == previous) continue;
        previous = level[i];
        for (const WakeEvent& e : edge(start + i * bit, level[i])) out.push_back(e);
    }
    return out;
}

}  // namespace dravio::sim
