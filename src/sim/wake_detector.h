// sim: recognises the two K-line wake-up patterns from the line levels the
// tester drives: the fast pattern (line low about 25 ms) and an address sent
// at 5 baud (start bit, eight data bits least significant first, stop bit).
// The levels come from break on/off calls, or from bytes the tester sends at a
// rate the ECU does not listen to, seen bit by bit.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "base/clock.h"

namespace dravio::sim {

struct WakeTiming {
    // Fast pattern: low time accepted, widened on both sides by `jitter`.
    base::Clock::Duration fastLowMin = std::chrono::milliseconds(24);
    base::Clock::Duration fastLowMax = std::chrono::milliseconds(26);
    // Least time between the end of the low pulse and the first request byte.
    base::Clock::Duration fastHighMin = std::chrono::milliseconds(24);
    base::Clock::Duration jitter = std::chrono::microseconds(500);
    // 5-baud bit time, and how far (in bits) a run may be off a whole number.
    base::Clock::Duration slowBit = std::chrono::milliseconds(200);
    double slowBitTolerance = 0.25;
};

struct WakeEvent {
    enum class Kind { Fast, FiveBaud };
    Kind kind = Kind::Fast;
    // Fast: when the line was released. FiveBaud: the end of the stop bit.
    base::Clock::TimePoint at{};
    std::uint8_t address = 0;  // FiveBaud only
};

class WakeDetector {
public:
    explicit WakeDetector(WakeTiming timing = {}) : timing_(timing) {}

    // The line went low (`low`) or was released at `t`. Edges that do not
    // change the level are ignored.
    std::vector<WakeEvent> edge(base::Clock::TimePoint t, bool low);
    // A whole byte the tester sent at `baud`, fully on the line at `end`.
    std::vector<WakeEvent> byte(base::Clock::TimePoint end, std::uint8_t value, std::uint32_t baud);
    // Forgets a pattern under way.
    void reset();

    const WakeTiming& timing() const { return timing_; }

private:
    // Whole bits in `d`, or 0 when `d` is not close to a whole number of bits.
    int slowBits(base::Clock::Duration d) const;

    WakeTiming timing_;
    bool low_ = false;
    base::Clock::TimePoint lastEdge_{};
    bool collecting_ = false;
    std::vector<bool> bits_;  // 5-baud bits so far, start bit first
};

}  // namespace dravio::sim
