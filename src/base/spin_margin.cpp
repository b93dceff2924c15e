#include "base/spin_margin.h"

#include <algorithm>

namespace dravio::base {

namespace {
// Samples needed before the learnt margin replaces the starting guess.
constexpr std::size_t kWarmUp = 16;
}  // namespace

void SpinMargin::learn(Duration overshoot) {
    window_[next_] = std::max(overshoot, Duration::zero());
    next_ = (next_ + 1) % kWindow;
    if (count_ < kWindow) ++count_;
    if (count_ >= kWarmUp) recompute();
}

void SpinMargin::recompute() {
    std::array<Duration, kWindow> sorted{};
    std::copy_n(window_.begin(), count_, sorted.begin());
    // The (count - 1 - ignored)-th smallest: a high percentile that a couple of
    // preemptions in the window do not drag to the cap.
    const std::size_t ignored = count_ * kIgnored / kWindow;
    const auto nth = sorted.begin() + static_cast<std::ptrdiff_t>(count_ - 1 - ignored);
    std::nth_element(sorted.begin(), nth, sorted.begin() + static_cast<std::ptrdiff_t>(count_));
    margin_ = std::clamp(*nth + kHeadroom, kMin, kMax);
}

}  // namespace dravio::base
