// ports: a data-acquisition board read the way the Measurement Computing
// Universal Library reads it: one raw count per analog input call, converted
// to volts for the range it was taken with. The simulated board serves tests;
// a real backend needs the vendor's library, which this build does not have.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace dravio::ports {

// Input ranges by their library codes.
enum DaqRange : int {
    kBip5Volts = 0,
    kBip10Volts = 1,
    kBip2Pt5Volts = 2,
    kBip1Volts = 4,
    kBip20Volts = 15,
};

// Library error codes the program acts on.
enum DaqError : int {
    kDaqNoErrors = 0,
    kDaqBadBoard = 1,
    kDaqBadRange = 30,
};

class DaqBoard {
public:
    virtual ~DaqBoard() = default;

    // One reading of `channel` with input range `range`.
    virtual int cbAIn(int board, int channel, int range, std::uint16_t& count) = 0;
    // `count` taken with `range`, in volts.
    virtual int cbToEngUnits(int board, int range, std::uint16_t count, float& volts) = 0;

    // What the board is, or why there is none, for the trace.
    virtual std::string describe() const = 0;
};

// The board the program reads: the vendor backend when it was built in, else
// a board whose every reading fails with kDaqBadBoard.
std::unique_ptr<DaqBoard> openDaqBoard();

// Half the span of a range in volts (20 for kBip20Volts); 0 for an unknown code.
float rangeHalfSpan(int range);

}  // namespace dravio::ports
