#include "ports/sim_daq_board.h"

#include <algorithm>
#include <cmath>

namespace dravio::ports {

void SimDaqBoard::setVolts(int channel, float volts) {
    if (channel >= 0 && channel < static_cast<int>(volts_.size())) volts_[static_cast<std::size_t>(channel)] = volts;
}

bool SimDaqBoard::accepts(int range) const { return std::find(ranges_.begin(), ranges_.end(), range) != ranges_.end(); }

int SimDaqBoard::cbAIn(int board, int channel, int range, std::uint16_t& count) {
    asked_.push_back(range);
    count = 0;
    if (error_ != kDaqNoErrors) return error_;
    if (board != 0 || channel < 0 || channel >= static_cast<int>(volts_.size())) return kDaqBadBoard;
    if (!accepts(range)) return kDaqBadRange;
    const float half = rangeHalfSpan(range);
    // Out-of-range inputs clip at the ends of the converter, as a real one does.
    const float v = std::clamp(volts_[static_cast<std::size_t>(channel)], -half, half);
    const long raw = std::lround((v + half) / (2 * half) * (kCounts - 1));
    count = static_cast<std::uint16_t>(std::clamp(raw, 0L, static_cast<long>(kCounts - 1)));
    return kDaqNoErrors;
}

int SimDaqBoard::cbToEngUnits(int board, int range, std::uint16_t count, float& volts) {
    volts = 0;
    if (board != 0) return kDaqBadBoard;
    if (!accepts(range)) return kDaqBadRange;
    const float half = rangeHalfSpan(range);
    volts = static_cast<float>(count) / (kCounts - 1) * 2 * half - half;
    return kDaqNoErrors;
}

}  // namespace dravio::ports
