// ports: the simulated twin of a DAQ board: two analog inputs with settable
// voltages, read as 12-bit counts over bipolar ranges, with failure injection.
#pragma once

#include <array>
#include <vector>

#include "ports/daq_board.h"

namespace dravio::ports {

class SimDaqBoard final : public DaqBoard {
public:
    static constexpr int kCounts = 4096;

    void setVolts(int channel, float volts);
    // Every reading fails with `error` until kDaqNoErrors is given.
    void failWith(int error) { error_ = error; }
    // Ranges the board accepts; the others give kDaqBadRange.
    void setRanges(std::vector<int> ranges) { ranges_ = std::move(ranges); }

    int cbAIn(int board, int channel, int range, std::uint16_t& count) override;
    int cbToEngUnits(int board, int range, std::uint16_t count, float& volts) override;
    std::string describe() const override { return "simulated USB-1208"; }

    // Ranges asked for, in order.
    const std::vector<int>& rangesAsked() const { return asked_; }

private:
    bool accepts(int range) const;

    std::array<float, 2> volts_{};
    int error_ = kDaqNoErrors;
    std::vector<int> ranges_{kBip20Volts, kBip10Volts, kBip5Volts, kBip2Pt5Volts, kBip1Volts};
    std::vector<int> asked_;
};

}  // namespace dravio::ports
