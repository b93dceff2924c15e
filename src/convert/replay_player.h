// convert: the pace of a replay. The caller's timer tells how much wall time
// went by; the player says which rows are due. No clock of its own, no thread.
#pragma once

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

namespace dravio::convert {

class ReplayPlayer {
public:
    // The row times in seconds, not decreasing (as Recording gives them).
    explicit ReplayPlayer(std::vector<double> times);

    // 1, 4 or 16; any other factor is refused (false, speed unchanged).
    bool setSpeed(int factor);
    int speed() const { return speed_; }

    // The recording time reached, in seconds.
    double position() const { return position_; }
    // The next row to show; rowCount() when all were shown.
    std::size_t nextRow() const { return next_; }
    std::size_t rowCount() const { return times_.size(); }
    bool finished() const { return next_ >= times_.size(); }

    // Wall seconds until the next row is due at this speed (0 when due now);
    // nullopt when finished. A timer set to this keeps the recorded pace.
    std::optional<double> dueIn() const;

    // Moves the recording time on by `wallSeconds` x speed; the rows due now are
    // [first, second). Negative or not-a-number durations count as 0.
    std::pair<std::size_t, std::size_t> advance(double wallSeconds);

    // Jumps to row `row` (clamped to the end): it is due at once.
    void seek(std::size_t row);
    // Jumps to the first row at or after `seconds` of recording time.
    void seekTime(double seconds);

private:
    std::vector<double> times_;
    std::size_t next_ = 0;
    double position_ = 0;
    int speed_ = 1;
};

}  // namespace dravio::convert
