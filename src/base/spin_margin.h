// base: how much of a wait the real clock spins. Sleeps overshoot by a few
// microseconds on an idle machine and by a millisecond or more on a busy one, so the
// margin is learnt: a high percentile of the recent overshoots, bounded.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>

namespace dravio::base {

class SpinMargin {
public:
    using Duration = std::chrono::nanoseconds;

    static constexpr Duration kMin = std::chrono::microseconds(200);
    static constexpr Duration kMax = std::chrono::milliseconds(2);
    // Overshoots remembered; the margin covers all but the largest `kIgnored`.
    static constexpr std::size_t kWindow = 256;
    static constexpr std::size_t kIgnored = 2;
    // Added to the learnt percentile: a wake-up needs a little time to reach the spin.
    static constexpr Duration kHeadroom = std::chrono::microseconds(50);

    // Sleeps ending `overshoot` after the time asked for (negative counts as zero).
    void learn(Duration overshoot);
    Duration margin() const { return margin_; }
    std::size_t samples() const { return count_; }

private:
    void recompute();

    std::array<Duration, kWindow> window_{};
    std::size_t next_ = 0;
    std::size_t count_ = 0;
    // Until the window has seen a few sleeps, assume a busy machine's overshoot.
    Duration margin_ = std::chrono::microseconds(500);
};

}  // namespace dravio::base
