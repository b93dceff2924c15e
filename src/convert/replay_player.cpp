#include "convert/replay_player.h"

#include <algorithm>
#include <cmath>

namespace dravio::convert {

ReplayPlayer::ReplayPlayer(std::vector<double> times) : times_(std::move(times)) {
    if (!times_.empty()) position_ = times_.front();
}

bool ReplayPlayer::setSpeed(int factor) {
    if (factor != 1 && factor != 4 && factor != 16) return false;
    speed_ = factor;
    return true;
}

std::optional<double> ReplayPlayer::dueIn() const {
    if (finished()) return std::nullopt;
    return std::max(0.0, (times_[next_] - position_) / speed_);
}

std::pair<std::size_t, std::size_t> ReplayPlayer::advance(double wallSeconds) {
    if (!(wallSeconds > 0)) wallSeconds = 0;
    const std::size_t first = next_;
    if (finished()) return {first, first};
    position_ += wallSeconds * speed_;
    while (next_ < times_.size() && times_[next_] <= position_) ++next_;
    return {first, next_};
}

void ReplayPlayer::seek(std::size_t row) {
    next_ = std::min(row, times_.size());
    if (next_ < times_.size()) {
        position_ = times_[next_];
    } else if (!times_.empty()) {
        position_ = times_.back();
    }
}

void ReplayPlayer::seekTime(double seconds) {
    if (std::isnan(seconds)) return;
    const auto it = std::lower_bound(times_.begin(), times_.end(), seconds);
    seek(static_cast<std::size_t>(it - times_.begin()));
}

}  // namespace dravio::convert
